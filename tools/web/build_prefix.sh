#!/usr/bin/env bash
# Compiles the static WebAssembly libraries of the browser build into a cached
# prefix with Debian's emscripten: zlib, libpng, libmikmod and SDL_mixer 1.2 (module
# music through libmikmod), from Debian's source packages at the versions
# tools/prefix/debian_sources.txt pins, so the browser plays the module with the
# same mixer code as the desktop. The steps shared with the Windows prefix are in
# tools/prefix. A finished prefix carries a stamp with the hash of the build
# scripts, the compiler's version and the source versions, and is reused while all
# of them stay the same.
#   build_prefix.sh WORK_DIR      (prefix in WORK_DIR/prefix)
set -euo pipefail

work=$(mkdir -p "$1" && cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
tools=$(cd "$here/../prefix" && pwd)
# shellcheck source=../prefix/prefix_common.sh
. "$tools/prefix_common.sh"
label="web prefix"
cc=emcc
ar=emar
jobs=${JOBS:-$(nproc)}
prefix=$work/prefix
stamp=$prefix/.complete

command -v emcc > /dev/null || prefix_fail "emcc not found (Debian package emscripten)"
# emcc's JavaScript tools need Debian's acorn, whatever node comes first on PATH.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
"$tools/fetch_sources.sh" choose "$work" sdl-mixer1.2 libmikmod libpng1.6 zlib
prefix_recipe emcc "$work/source_versions" \
  "$tools/prefix_common.sh" "$tools/fetch_sources.sh" "$here/build_prefix.sh" > "$work/recipe"
print_recipe "$work/recipe"
if prefix_is_current "$stamp" "$work/recipe"; then
  echo "web prefix up to date: $prefix"
  exit 0
fi

SECONDS=0
rm -rf "$prefix" "$work/obj"
mkdir -p "$prefix/include" "$prefix/lib" "$work/obj"
"$tools/fetch_sources.sh" unpack "$work"

prefix_zlib "-O2 -DHAVE_UNISTD_H"
prefix_libpng "-O2"

echo "web prefix: libmikmod"
# libmikmod's software mixers are written around the machine's long. The desktop
# (an LP64 machine) mixes with 64-bit sample positions and 64-bit unsigned
# constants (1UL, 1L); with WebAssembly's 32-bit long the same source would pick
# the 32-bit mixers and round differently (a division of a negative sum by an
# unsigned 4, for one). A copy of the tree is given the desktop's widths: the
# 64-bit integer type and mixers, and 64-bit literals in the two mixer files.
# The result mixes the same samples as the desktop.
mikmod=$work/obj/libmikmod-src
mikmod_tree=$(source_dir libmikmod)
cp -r "$mikmod_tree" "$mikmod"
sed -i 's/^#elif defined(_WIN64) \/\* win64 is LLP64, not LP64  \*\/$/#elif defined(__EMSCRIPTEN__)\n#define NATIVE_64BIT_INT\ntypedef long long       SLONGLONG;\n&/' \
  "$mikmod/include/mikmod_internals.h"
grep -q '__EMSCRIPTEN__' "$mikmod/include/mikmod_internals.h" ||
  { echo "web prefix: libmikmod's mikmod_internals.h no longer has the expected type block" >&2; exit 1; }
sed -i -E 's/\b([0-9]+)UL\b/\1ULL/g; s/\b([0-9]+)L\b/\1LL/g' "$mikmod/playercode/virtch.c" "$mikmod/playercode/virtch2.c"
grep -q 'define SAMPLING_FACTOR (1ULL<<SAMPLING_SHIFT)' "$mikmod/playercode/virtch2.c" ||
  { echo "web prefix: libmikmod's virtch2.c no longer has the expected constants" >&2; exit 1; }
# The flags libmikmod's own configure gives it on Linux, with the features the
# browser's C library has; only the no-sound driver (the mixer pulls the samples).
mikmod_flags="-O2 -ffast-math -DMIKMOD_BUILD=1 -DHAVE_LIMITS_H=1 -DHAVE_UNISTD_H=1 -DHAVE_FCNTL_H=1
  -DHAVE_STDINT_H=1 -DHAVE_INTTYPES_H=1 -DHAVE_STRING_H=1 -DHAVE_STRINGS_H=1 -DHAVE_STDLIB_H=1
  -DHAVE_SYS_TYPES_H=1 -DHAVE_SYS_STAT_H=1 -DHAVE_MEMCMP=1 -DHAVE_STRSTR=1 -DHAVE_SNPRINTF=1
  -DHAVE_SETENV=1 -DHAVE_POSIX_MEMALIGN=1 -DSTDC_HEADERS=1 -I$mikmod/include"
prefix_archive "$mikmod" mikmod "$mikmod_flags" \
  depackers/mmcmp depackers/pp20 depackers/s404 depackers/xpk \
  $(cd "$mikmod" && ls loaders/load_*.c | sed 's/\.c$//') \
  mmio/mmalloc mmio/mmerror mmio/mmio \
  playercode/mdreg playercode/mdriver playercode/mdulaw playercode/mloader playercode/mlreg \
  playercode/mlutil playercode/mplayer playercode/munitrk playercode/mwav playercode/npertab \
  playercode/sloader playercode/virtch playercode/virtch2 playercode/virtch_common \
  drivers/drv_nos posix/strcasecmp
cp "$mikmod/include/mikmod.h" "$prefix/include"

echo "web prefix: SDL_mixer"
mixer=$(source_dir sdl-mixer1.2)
# Module music through libmikmod linked in, as the desktop's mixer plays it; the
# other music formats are left out. The SDL headers are emscripten's own; SDL's
# C library wrappers that its configuration leaves undefined are the C library's.
prefix_archive "$mixer" SDL_mixer "-O2 -DMOD_MUSIC -DSDL_getenv=getenv -DSDL_realloc=realloc -I$mixer" \
  mixer music music_mod dynamic_mod effects_internal effect_position effect_stereoreverse \
  load_aiff load_voc
cp "$mixer/SDL_mixer.h" "$prefix/include"

cp "$work/recipe" "$stamp"
echo "web prefix ready in ${SECONDS} s: $prefix"
