# shellcheck shell=bash
# Steps both dependency prefixes share, sourced by tools/win32/build_prefix.sh, by
# tools/web/build_prefix.sh and by fetch_sources.sh: choosing and finding the
# Debian source trees, the stamp that decides whether a finished prefix is reused,
# the helper that compiles C files into a static archive, and the zlib and libpng
# steps (the same files and headers for every target). The sourcing script sets
#   label    the name that starts each message ("win32 prefix")
#   work     the work folder: sources in $work/src, objects in $work/obj, the
#            chosen source versions in $work/source_versions
#   prefix   the prefix the libraries go to (include/, lib/)
#   jobs     how many files compile at once
#   cc, ar   the target's C compiler and archiver
# Failures are one line on stderr and exit 1.

prefix_fail() {
  echo "$label: $*" >&2
  exit 1
}

# dpkg-source unpacks PACKAGE at VERSION into PACKAGE-UPSTREAM: the version without
# its epoch ("1:") and without its Debian revision (the part after the last "-").
source_tree_name() {
  local package=$1 upstream=${2#*:}
  [[ $upstream != *-* ]] || upstream=${upstream%-*}
  echo "$package-$upstream"
}

# The version of PACKAGE that PIN_FILE ("package version" lines, # comments) pins.
pinned_version() {
  awk -v p="$1" '!/^[[:space:]]*#/ && $1 == p { print $2; exit }' "$2"
}

# The version of PACKAGE to fetch from SUITE, given the versions the suite offers:
# the pinned one while it is offered. A point release replaces versions, so when
# it is gone the highest offered one is taken, and one line says so.
#   pick_source_version SUITE PACKAGE PINNED OFFERED...
pick_source_version() {
  local suite=$1 package=$2 pinned=$3 version best=
  shift 3
  [[ $# -gt 0 ]] || prefix_fail "Debian $suite offers no source package $package"
  for version; do
    if [[ $version == "$pinned" ]]; then
      echo "$pinned"
      return 0
    fi
    if [[ -z $best ]] || dpkg --compare-versions "$version" gt "$best"; then best=$version; fi
  done
  echo "$label: pinned $package $pinned is gone from Debian $suite; using $best instead" >&2
  echo "$best"
}

# The chosen version of PACKAGE, from $work/source_versions.
chosen_version() {
  awk -v p="$1" '$1 == p { print $2; exit }' "$work/source_versions"
}

# The unpacked source tree of PACKAGE at its chosen version, on stdout. fetch_sources.sh
# marks a tree complete ($work/src/PACKAGE.unpacked holding the version) only once
# dpkg-source has finished, so a missing, renamed or half-unpacked tree stops here
# with one line rather than compiling from a wrong folder.
source_dir() {
  local package=$1 version dir
  [[ -f $work/source_versions ]] || prefix_fail "no source versions chosen yet ($work/source_versions)"
  version=$(chosen_version "$package")
  [[ -n $version ]] || prefix_fail "no source version chosen for $package (in $work/source_versions)"
  dir=$work/src/$(source_tree_name "$package" "$version")
  if [[ ! -f $dir/debian/control || $(cat "$work/src/$package.unpacked" 2>/dev/null) != "$version" ]]; then
    prefix_fail "no complete source tree of $package $version in $dir" \
      "(remove $work/src/$package.unpacked to fetch it again)"
  fi
  echo "$dir"
}

# The recipe as log lines: the compiler, then each library's Debian source package
# and version.
print_recipe() {
  local kind rest
  while read -r kind rest; do
    case $kind in
      compiler) echo "$label: compiler $rest" ;;
      source) echo "$label: Debian source $rest" ;;
    esac
  done < "$1"
}

# The recipe a prefix is built from, as text: the hash of the build scripts, the
# first line of the compiler's --version and the Debian source version of every
# library. A finished prefix keeps it as its stamp and is reused only while the
# recipe stays the same, so a new compiler or a new source version rebuilds it.
#   prefix_recipe COMPILER VERSIONS_FILE SCRIPT...
prefix_recipe() {
  local compiler=$1 versions=$2 compiler_line script hash
  shift 2
  compiler_line=$("$compiler" --version 2>/dev/null | head -n1) || true
  [[ -n $compiler_line ]] || prefix_fail "$compiler --version says nothing"
  [[ -s $versions ]] || prefix_fail "no source versions in $versions"
  for script; do
    [[ -f $script ]] || prefix_fail "no build script $script"
  done
  hash=$(cat -- "$@" | sha256sum | cut -d' ' -f1)
  echo "scripts $hash"
  echo "compiler $compiler_line"
  sed 's/^/source /' "$versions"
}

# True when the prefix's STAMP holds the same recipe as RECIPE_FILE.
prefix_is_current() {
  [[ -f $1 ]] && cmp -s "$1" "$2"
}

# Compiles the named C files (relative to DIR, without .c) with FLAGS into
# $prefix/lib/libLIB.a. One object per file; folders become part of the object's
# name (loaders/load_it gives loaders_load_it.o).
#   prefix_archive DIR LIB FLAGS FILE...
prefix_archive() {
  local dir=$1 lib=$2 flags=$3 obj=$work/obj/$2
  shift 3
  mkdir -p "$obj"
  printf '%s\n' "$@" | xargs -P "$jobs" -I{} sh -c \
    '"$1" $2 -I"$3/include" -c "$4/$5.c" -o "$6/$(echo "$5" | tr / _).o"' \
    sh "$cc" "$flags" "$prefix" "$dir" {} "$obj" ||
    prefix_fail "compiling $lib failed"
  "$ar" rcs "$prefix/lib/lib$lib.a" "$obj"/*.o || prefix_fail "archiving $lib failed"
}

# zlib as libz.a, with zlib.h and zconf.h.
prefix_zlib() {
  local flags=$1 dir
  echo "$label: zlib"
  dir=$(source_dir zlib) || exit 1
  prefix_archive "$dir" z "$flags" adler32 compress crc32 deflate gzclose gzlib gzread gzwrite \
    infback inffast inflate inftrees trees uncompr zutil
  cp "$dir/zlib.h" "$dir/zconf.h" "$prefix/include"
}

# libpng as libpng16.a, with its headers and its prebuilt configuration (needs zlib.h
# in the prefix).
prefix_libpng() {
  local flags=$1 dir
  echo "$label: libpng"
  dir=$(source_dir libpng1.6) || exit 1
  cp "$dir/scripts/pnglibconf.h.prebuilt" "$prefix/include/pnglibconf.h"
  cp "$dir/png.h" "$dir/pngconf.h" "$prefix/include"
  prefix_archive "$dir" png16 "$flags" png pngerror pngget pngmem pngpread pngread pngrio pngrtran \
    pngrutil pngset pngtrans pngwio pngwrite pngwtran pngwutil
}
