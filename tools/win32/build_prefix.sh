#!/usr/bin/env bash
# Cross-builds the static Windows libraries of the show into a cached prefix:
# zlib, libpng, libmikmod, SDL 1.2 and SDL_mixer 1.2 (module music through
# libmikmod, which reads a music position as an order index), from Debian's source
# packages at the versions tools/prefix/debian_sources.txt pins. The steps shared
# with the web prefix are in tools/prefix. A finished prefix carries a stamp with
# the hash of the build scripts, the compiler's version and the source versions,
# and is reused while all of them stay the same.
#   build_prefix.sh WORK_DIR [HOST]   (prefix in WORK_DIR/prefix)
# HOST is i686-w64-mingw32, the shipped executable's (the default), or
# x86_64-w64-mingw32 for its 64-bit twin, which the Windows tests run where this
# host cannot run 32-bit programs.
set -euo pipefail

work=$(mkdir -p "$1" && cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
tools=$(cd "$here/../prefix" && pwd)
# shellcheck source=../prefix/prefix_common.sh
. "$tools/prefix_common.sh"
host=${2:-i686-w64-mingw32}
label="win32 prefix" package=g++-mingw-w64-i686
case $host in
  i686-w64-mingw32) ;;
  x86_64-w64-mingw32) label="win64 prefix" package=g++-mingw-w64-x86-64 ;;
  *) prefix_fail "unknown host $host (i686-w64-mingw32 or x86_64-w64-mingw32)" ;;
esac
cc=$host-gcc
ar=$host-ar
jobs=${JOBS:-$(nproc)}
prefix=$work/prefix
stamp=$prefix/.complete

command -v "$cc" > /dev/null || prefix_fail "$cc not found (Debian package $package)"
"$tools/fetch_sources.sh" choose "$work" libsdl1.2 sdl-mixer1.2 libmikmod libpng1.6 zlib
prefix_recipe "$cc" "$work/source_versions" \
  "$tools/prefix_common.sh" "$tools/fetch_sources.sh" "$here/build_prefix.sh" > "$work/recipe"
print_recipe "$work/recipe"
if prefix_is_current "$stamp" "$work/recipe"; then
  echo "$label up to date: $prefix"
  exit 0
fi

SECONDS=0
rm -rf "$prefix" "$work/obj"
mkdir -p "$prefix/include" "$prefix/lib" "$work/obj" "$work/log"
"$tools/fetch_sources.sh" unpack "$work"

# Library code is built without export attributes, so the executable exports nothing.
cflags="-O2 -DDECLSPEC= -DMIKMOD_STATIC"

# Runs configure, make and an install step for an autotools tree, out of tree.
autotools() {
  local name=$1 dir=$2 install=$3
  shift 3
  local build=$work/obj/$name
  mkdir -p "$build"
  (cd "$build" &&
    PATH=$prefix/bin:$PATH "$dir/configure" --host=$host --prefix="$prefix" \
      --disable-shared --enable-static --disable-dependency-tracking \
      PKG_CONFIG_LIBDIR="$prefix/lib/pkgconfig" CFLAGS="$cflags" "$@" &&
    make -j "$jobs" && make $install) > "$work/log/$name.log" 2>&1 ||
    { tail -n 30 "$work/log/$name.log" >&2; prefix_fail "$name failed, see $work/log/$name.log"; }
}

prefix_zlib "$cflags"
prefix_libpng "$cflags"

echo "$label: libmikmod"
mikmod=$(source_dir libmikmod)
autotools mikmod "$mikmod" install --disable-alldrv --disable-doc

echo "$label: SDL"
sdl=$(source_dir libsdl1.2)
autotools sdl "$sdl" install \
  --disable-directx --disable-joystick --disable-cdrom --disable-nasm

echo "$label: SDL_mixer"
mixer=$(source_dir sdl-mixer1.2)
autotools sdl_mixer "$mixer" "install-hdrs install-lib" \
  --with-sdl-prefix="$prefix" --disable-sdltest \
  --disable-music-cmd --disable-music-midi --disable-music-timidity-midi \
  --disable-music-native-midi --disable-music-fluidsynth-midi \
  --disable-music-ogg --disable-music-flac --disable-music-mp3 \
  --enable-music-mod --disable-music-mod-shared --disable-music-mod-modplug
grep -q -- '-DMOD_MUSIC' "$work/obj/sdl_mixer/Makefile" ||
  prefix_fail "SDL_mixer was configured without libmikmod"
! grep -q -- '-DMODPLUG_MUSIC' "$work/obj/sdl_mixer/Makefile" ||
  prefix_fail "SDL_mixer was configured with libmodplug"

cp "$work/recipe" "$stamp"
echo "$label ready in ${SECONDS} s: $prefix"
