#!/usr/bin/env bash
# Cross-builds the static Windows (i686) libraries of the show into a cached prefix:
# zlib, libpng, libmikmod, SDL 1.2 and SDL_mixer 1.2 (module music through
# libmikmod, which reads a music position as an order index). Everything comes
# from Debian's source packages. A finished prefix carries a stamp with the hash
# of the build scripts and is reused as long as the scripts are unchanged.
#   build_prefix.sh WORK_DIR      (prefix in WORK_DIR/prefix)
set -euo pipefail

work=$(mkdir -p "$1" && cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
host=i686-w64-mingw32
jobs=${JOBS:-$(nproc)}
prefix=$work/prefix
stamp=$prefix/.complete
recipe=$(cat "$here/fetch_sources.sh" "$here/build_prefix.sh" | sha256sum | cut -d' ' -f1)

if [[ -f $stamp && $(cat "$stamp") == "$recipe" ]]; then
  echo "win32 prefix up to date: $prefix"
  exit 0
fi

SECONDS=0
rm -rf "$prefix" "$work/obj"
mkdir -p "$prefix/include" "$prefix/lib" "$work/obj" "$work/log"
"$here/fetch_sources.sh" "$work"
src=$work/src
source_dir() { local control; control=$(compgen -G "$src/$1-*/debian/control" | head -n1); dirname "$(dirname "$control")"; }

# Library code is built without export attributes, so the executable exports nothing.
cflags="-O2 -DDECLSPEC= -DMIKMOD_STATIC"

# Compiles the named C files of a source tree into one static archive.
archive() {
  local dir=$1 lib=$2 obj=$work/obj/$2
  shift 2
  mkdir -p "$obj"
  printf '%s\n' "$@" | xargs -P "$jobs" -I{} \
    "$host-gcc" $cflags -I"$prefix/include" -c "$dir/{}.c" -o "$obj/{}.o"
  "$host-ar" rcs "$prefix/lib/lib$lib.a" "$obj"/*.o
}

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
    { echo "win32 prefix: $name failed, see $work/log/$name.log" >&2; tail -n 30 "$work/log/$name.log" >&2; exit 1; }
}

echo "win32 prefix: zlib"
zlib=$(source_dir zlib)
archive "$zlib" z adler32 compress crc32 deflate gzclose gzlib gzread gzwrite \
  infback inffast inflate inftrees trees uncompr zutil
cp "$zlib/zlib.h" "$zlib/zconf.h" "$prefix/include"

echo "win32 prefix: libpng"
png=$(source_dir libpng1.6)
cp "$png/scripts/pnglibconf.h.prebuilt" "$prefix/include/pnglibconf.h"
cp "$png/png.h" "$png/pngconf.h" "$prefix/include"
archive "$png" png16 png pngerror pngget pngmem pngpread pngread pngrio pngrtran \
  pngrutil pngset pngtrans pngwio pngwrite pngwtran pngwutil

echo "win32 prefix: libmikmod"
autotools mikmod "$(source_dir libmikmod)" install --disable-alldrv --disable-doc

echo "win32 prefix: SDL"
autotools sdl "$(source_dir libsdl1.2)" install \
  --disable-directx --disable-joystick --disable-cdrom --disable-nasm

echo "win32 prefix: SDL_mixer"
autotools sdl_mixer "$(source_dir sdl-mixer1.2)" "install-hdrs install-lib" \
  --with-sdl-prefix="$prefix" --disable-sdltest \
  --disable-music-cmd --disable-music-midi --disable-music-timidity-midi \
  --disable-music-native-midi --disable-music-fluidsynth-midi \
  --disable-music-ogg --disable-music-flac --disable-music-mp3 \
  --enable-music-mod --disable-music-mod-shared --disable-music-mod-modplug
grep -q -- '-DMOD_MUSIC' "$work/obj/sdl_mixer/Makefile" ||
  { echo "win32 prefix: SDL_mixer was configured without libmikmod" >&2; exit 1; }
! grep -q -- '-DMODPLUG_MUSIC' "$work/obj/sdl_mixer/Makefile" ||
  { echo "win32 prefix: SDL_mixer was configured with libmodplug" >&2; exit 1; }

echo "$recipe" > "$stamp"
echo "win32 prefix ready in ${SECONDS} s: $prefix"
