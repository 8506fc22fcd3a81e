#!/usr/bin/env bash
# The dependency prefixes' stamp and source trees, with fake compilers and a fake
# apt first on PATH, so nothing is fetched or built. A finished prefix is reused
# only while the compiler's version line and every Debian source version stay the
# same; a pinned version a point release replaced is named in one line and the
# offered one is used (and recorded); a missing or renamed source tree stops the
# build with one line naming the package and the folder.
. "$(dirname "$0")/lib/e2e.sh"
e2e_setup "$@"
tools=$src/tools
pins=$tools/prefix/debian_sources.txt
command -v dpkg > /dev/null || skip "no dpkg to order Debian versions"

fake=$out  # the fake programs, their settings and what they were asked for
pinned() { awk -v p="$1" '!/^#/ && $1 == p { print $2 }' "$pins"; }

mkdir -p "$fake/bin"
# The compilers print the version line the test sets, then a second line.
for compiler in i686-w64-mingw32-gcc x86_64-w64-mingw32-gcc emcc; do
  printf '#!/bin/sh\ncat "$FAKE/compiler"; echo "Copyright (C) the authors"\n' > "$fake/bin/$compiler"
done
# apt-cache offers the versions listed in $FAKE/offered.
cat > "$fake/bin/apt-cache" <<'EOF'
#!/usr/bin/env bash
awk -v p="${!#}" '$1 == p { print "Package: " p; print "Version: " $2; print "" }' "$FAKE/offered"
EOF
# apt-get: update does nothing; source PACKAGE=VERSION fails, or, in unpack mode,
# unpacks a minimal tree under the name dpkg-source gives it.
cat > "$fake/bin/apt-get" <<'EOF'
#!/usr/bin/env bash
for arg; do [[ $arg != update ]] || exit 0; done
wanted=${!#} && package=${wanted%%=*} && version=${wanted#*=}
echo "$wanted" >> "$FAKE/fetched"
[[ $(cat "$FAKE/source_mode") == unpack ]] || { echo "E: no network in this test" >&2; exit 100; }
upstream=${version#*:} && [[ $upstream != *-* ]] || upstream=${upstream%-*}
mkdir -p "$package-$upstream/debian" && touch "$package-$upstream/debian/control"
EOF
chmod +x "$fake/bin"/*
export FAKE=$fake PATH=$fake/bin:$PATH
grep -v '^#' "$pins" > "$fake/offered"
echo "fail" > "$fake/source_mode"
touch "$fake/fetched"

# Runs an entry script on $work; its output in $fake/out. win64 is the Windows
# script for the 64-bit twin's host.
run_prefix() {
  case $1 in
    win64) bash "$tools/win32/build_prefix.sh" "$work" x86_64-w64-mingw32 ;;
    *) bash "$tools/$1/build_prefix.sh" "$work" ;;
  esac > "$fake/out" 2>&1
}
is_reused() { grep -q "^$1 prefix up to date: " "$fake/out"; }

# --- each entry script: the stamp follows the compiler and the source versions ---
for target in win32 win64 web; do
  work=$fake/$target
  echo "fakecc (GCC) 12-win32" > "$fake/compiler"
  run_prefix $target
  ! is_reused $target || fail "$target: a prefix without a stamp was reused"
  grep -q "no network in this test" "$fake/out" || { cat "$fake/out"; fail "$target: did not go on to fetch"; }
  grep -q "^$target prefix: compiler fakecc (GCC) 12-win32$" "$fake/out" || { cat "$fake/out"; fail "$target: no compiler line"; }
  grep -q "^$target prefix: Debian source zlib $(pinned zlib)$" "$fake/out" ||
    { cat "$fake/out"; fail "$target: no line with zlib's pinned version"; }
  [[ $(grep -c "^$target prefix: Debian source " "$fake/out") -eq $(grep -c . "$work/source_versions") ]] ||
    fail "$target: not one log line per source package"

  # A finished prefix: its stamp is the recipe the run computed.
  mkdir -p "$work/prefix"
  cp "$work/recipe" "$fake/$target.stamp"
  cp "$fake/$target.stamp" "$work/prefix/.complete"
  run_prefix $target && is_reused $target || { cat "$fake/out"; fail "$target: an unchanged prefix was not reused"; }

  echo "fakecc (GCC) 13-win32" > "$fake/compiler"
  run_prefix $target
  ! is_reused $target || fail "$target: reused after the compiler's version changed"
  grep -q "^compiler fakecc (GCC) 13-win32$" "$work/recipe" || fail "$target: the new compiler is not in the recipe"
  echo "fakecc (GCC) 12-win32" > "$fake/compiler"

  # A point release replaced the pinned libpng with two newer versions: one line
  # says so, the highest in Debian's order is used, and the prefix is rebuilt.
  png=$(pinned libpng1.6)
  grep -v '^libpng1.6 ' "$pins" | grep -v '^#' > "$fake/offered"
  printf 'libpng1.6 %s\n' "$png+u9" "$png+u10" >> "$fake/offered"
  mkdir -p "$work/prefix" && cp "$fake/$target.stamp" "$work/prefix/.complete"
  run_prefix $target
  ! is_reused $target || fail "$target: reused after a source version changed"
  [[ $(grep -c "pinned libpng1.6 $png is gone from Debian bookworm; using $png+u10 instead" "$fake/out") -eq 1 ]] ||
    { cat "$fake/out"; fail "$target: no single line about the replaced pinned version"; }
  grep -q "^source libpng1.6 $png+u10$" "$work/recipe" || fail "$target: the version used is not in the recipe"
  grep -v '^#' "$pins" > "$fake/offered"

  mkdir -p "$work/prefix" && cp "$fake/$target.stamp" "$work/prefix/.complete"
  run_prefix $target && is_reused $target || { cat "$fake/out"; fail "$target: not reused once the inputs were back"; }

  echo "old-style-hash" > "$work/prefix/.complete"
  run_prefix $target
  ! is_reused $target || fail "$target: a stamp of another recipe was reused"
done

# --- the Windows script knows its two hosts only ---
work=$fake/other-host
bash "$tools/win32/build_prefix.sh" "$work" arm-none-eabi > "$fake/out" 2>&1; status=$?
[[ $status -eq 1 && $(wc -l < "$fake/out") -eq 1 ]] && grep -q "^win32 prefix: unknown host arm-none-eabi" "$fake/out" ||
  { cat "$fake/out"; fail "an unknown host gave status $status and not one line"; }

# --- the recipe's own inputs ---
work=$fake/recipe-inputs
mkdir -p "$work"
recipe() { (label=test work=$work; . "$tools/prefix/prefix_common.sh"; prefix_recipe "$@"); }
printf 'zlib 1:1.2.13.dfsg-1\n' > "$work/versions"
echo "a" > "$work/script"
recipe emcc "$work/versions" "$work/script" > "$work/r1" || fail "no recipe"
echo "b" > "$work/script"
recipe emcc "$work/versions" "$work/script" > "$work/r2"
! cmp -s "$work/r1" "$work/r2" || fail "an edited build script leaves the recipe the same"
printf '#!/bin/sh\n' > "$fake/bin/silentcc" && chmod +x "$fake/bin/silentcc"
recipe silentcc "$work/versions" "$work/script" > "$work/r3" 2> "$work/err"; status=$?
[[ $status -eq 1 && $(wc -l < "$work/err") -eq 1 ]] || fail "a compiler with no version line gave status $status"
: > "$work/versions"
recipe emcc "$work/versions" "$work/script" > "$work/r3" 2> "$work/err"; status=$?
[[ $status -eq 1 ]] || fail "a recipe without source versions gave status $status"

# --- source trees: fetched once per version, and a missing one is one line ---
work=$fake/trees
echo unpack > "$fake/source_mode"
zlib=$(pinned zlib)
fetch() { bash "$tools/prefix/fetch_sources.sh" "$@" > "$fake/out" 2> "$fake/err"; }
fetch choose "$work" zlib || { cat "$fake/err"; fail "choosing zlib failed"; }
fetch unpack "$work" || { cat "$fake/err"; fail "unpacking zlib failed"; }
tree=$(compgen -G "$work/src/zlib-*/debian/control" | head -n1)
tree=${tree%/debian/control}
[[ -n $tree ]] || fail "no zlib tree unpacked"
[[ $(tail -n1 "$fake/fetched") == "zlib=$zlib" ]] || fail "fetched $(tail -n1 "$fake/fetched"), not the pinned zlib=$zlib"
fetches=$(grep -c . "$fake/fetched")
fetch unpack "$work" && [[ $(grep -c . "$fake/fetched") -eq $fetches ]] || fail "an unpacked tree was fetched again"

# Another version chosen (the pinned one replaced): that exact version is fetched.
png=$(pinned libpng1.6)
sed -i "s/^libpng1.6 .*/libpng1.6 $png+u10/" "$fake/offered"
fetch choose "$work" zlib libpng1.6 && fetch unpack "$work" || { cat "$fake/err"; fail "unpacking a replaced pin failed"; }
[[ $(tail -n1 "$fake/fetched") == "libpng1.6=$png+u10" ]] || fail "fetched $(tail -n1 "$fake/fetched") for a replaced pin"
[[ $(cat "$work/src/libpng1.6.unpacked") == "$png+u10" ]] || fail "the replaced pin's tree is not marked unpacked"

mv "$tree" "$tree.renamed"
fetch unpack "$work"; status=$?
[[ $status -eq 1 && ! -s $fake/out && $(wc -l < "$fake/err") -eq 1 ]] ||
  { cat "$fake/err"; fail "a renamed tree gave status $status and not one line"; }
grep -q "zlib $zlib" "$fake/err" && grep -qF "$tree " "$fake/err" ||
  { cat "$fake/err"; fail "the line names neither the package nor the folder"; }
mv "$tree.renamed" "$tree"

# An interrupted fetch leaves no mark of completion: the tree is fetched anew.
rm "$work/src/zlib.unpacked"
touch "$tree/half-unpacked"
fetch unpack "$work" && [[ ! -e $tree/half-unpacked && -f $tree/debian/control ]] ||
  { cat "$fake/err"; fail "a half-unpacked tree was not fetched again"; }

rm "$work/src/zlib.unpacked"
echo fail > "$fake/source_mode"
fetch unpack "$work"; status=$?
[[ $status -eq 1 && $(grep -c "^debian sources: " "$fake/err") -eq 1 ]] ||
  { cat "$fake/err"; fail "a failed apt-get source gave status $status"; }

fetch choose "$work" unpinned-package; status=$?
[[ $status -eq 1 ]] && grep -q "no pinned version of unpinned-package" "$fake/err" ||
  { cat "$fake/err"; fail "a package without a pin gave status $status"; }
grep -v '^zlib ' "$fake/offered" > "$fake/offered.new" && mv "$fake/offered.new" "$fake/offered"
fetch choose "$work" zlib; status=$?
[[ $status -eq 1 ]] && grep -q "offers no source package zlib" "$fake/err" ||
  { cat "$fake/err"; fail "a package Debian does not offer gave status $status"; }

echo "ok: prefix stamps follow compiler and source versions; replaced pins and missing trees are one line each"
