#!/usr/bin/env bash
# Compiles the static WebAssembly libraries of the browser build into a cached
# prefix with Debian's emscripten: zlib, libpng, libmikmod and SDL_mixer 1.2 (module
# music through libmikmod), all from Debian's source packages, so the browser plays
# the module with the same mixer code as the desktop. A finished prefix carries a
# stamp with the hash of the build scripts and is reused while they are unchanged.
#   build_prefix.sh WORK_DIR      (prefix in WORK_DIR/prefix)
set -euo pipefail

work=$(mkdir -p "$1" && cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
jobs=${JOBS:-$(nproc)}
prefix=$work/prefix
stamp=$prefix/.complete
# The recipe: the scripts and the compiler that ran them.
recipe=$( (cat "$here/../win32/fetch_sources.sh" "$here/build_prefix.sh"; emcc --version 2>/dev/null | head -n1) |
  sha256sum | cut -d' ' -f1)

if [[ -f $stamp && $(cat "$stamp") == "$recipe" ]]; then
  echo "web prefix up to date: $prefix"
  exit 0
fi
command -v emcc > /dev/null || { echo "web prefix: emcc not found (Debian package emscripten)" >&2; exit 1; }
# emcc's JavaScript tools need Debian's acorn, whatever node comes first on PATH.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}

SECONDS=0
rm -rf "$prefix" "$work/obj"
mkdir -p "$prefix/include" "$prefix/lib" "$work/obj"
"$here/../win32/fetch_sources.sh" "$work" sdl-mixer1.2 libmikmod libpng1.6 zlib
src=$work/src
source_dir() { local control; control=$(compgen -G "$src/$1-*/debian/control" | head -n1); dirname "$(dirname "$control")"; }

# Compiles the named C files (relative to DIR, without .c) into one static archive.
archive() {
  local dir=$1 lib=$2 flags=$3 obj=$work/obj/$2
  shift 3
  mkdir -p "$obj"
  # One object per file; folders become part of the object name.
  printf '%s\n' "$@" | xargs -P "$jobs" -I{} sh -c \
    'emcc $1 -I"$2/include" -c "$3/$4.c" -o "$5/$(echo "$4" | tr / _).o"' \
    sh "$flags" "$prefix" "$dir" {} "$obj" ||
    { echo "web prefix: compiling $lib failed" >&2; exit 1; }
  emar rcs "$prefix/lib/lib$lib.a" "$obj"/*.o
}

echo "web prefix: zlib"
zlib=$(source_dir zlib)
archive "$zlib" z "-O2 -DHAVE_UNISTD_H" adler32 compress crc32 deflate gzclose gzlib gzread gzwrite \
  infback inffast inflate inftrees trees uncompr zutil
cp "$zlib/zlib.h" "$zlib/zconf.h" "$prefix/include"

echo "web prefix: libpng"
png=$(source_dir libpng1.6)
cp "$png/scripts/pnglibconf.h.prebuilt" "$prefix/include/pnglibconf.h"
cp "$png/png.h" "$png/pngconf.h" "$prefix/include"
archive "$png" png16 "-O2" png pngerror pngget pngmem pngpread pngread pngrio pngrtran \
  pngrutil pngset pngtrans pngwio pngwrite pngwtran pngwutil

echo "web prefix: libmikmod"
# libmikmod's software mixers are written around the machine's long. The desktop
# (an LP64 machine) mixes with 64-bit sample positions and 64-bit unsigned
# constants (1UL, 1L); with WebAssembly's 32-bit long the same source would pick
# the 32-bit mixers and round differently (a division of a negative sum by an
# unsigned 4, for one). A copy of the tree is given the desktop's widths: the
# 64-bit integer type and mixers, and 64-bit literals in the two mixer files.
# The result mixes the same samples as the desktop.
mikmod=$work/obj/libmikmod-src
cp -r "$(source_dir libmikmod)" "$mikmod"
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
archive "$mikmod" mikmod "$mikmod_flags" \
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
archive "$mixer" SDL_mixer "-O2 -DMOD_MUSIC -DSDL_getenv=getenv -DSDL_realloc=realloc -I$mixer" \
  mixer music music_mod dynamic_mod effects_internal effect_position effect_stereoreverse \
  load_aiff load_voc
cp "$mixer/SDL_mixer.h" "$prefix/include"

echo "$recipe" > "$stamp"
echo "web prefix ready in ${SECONDS} s: $prefix"
