#!/usr/bin/env bash
# The same commit gives the same bytes: the release made twice more, a second
# apart and under another umask, gives the archive and the package byte for byte
# again; the Windows executable built afresh in another folder (with the same
# cross-built libraries) is byte for byte the one in the Windows build and in the
# release archive, and its header carries no link time.
. "$(dirname "$0")/../e2e/lib/e2e.sh"
e2e_setup "$@"
. "$src/tests/release/release_env.sh"
. "$src/tests/e2e/lib/windows_wine.sh"
find_release "$build"
find_windows_exe "$build"
work=$build/test-output/release/reproducible
rm -rf "$work"
mkdir -p "$work"

# --- the release, twice
for run in 1 2; do
  (umask $([ "$run" = 1 ] && echo 022 || echo 077)
   "$src/tools/release/make_release.sh" "$build" "$win32_dir" "$release_web_dir" "$work/release-$run") >"$work/release-$run.log" 2>&1 ||
    fail "make_release.sh failed" "$work/release-$run.log"
  sleep 1
done
for file in "$release_package.zip" "${release_package}_${release_version}_amd64.deb"; do
  if cmp -s "$work/release-1/$file" "$work/release-2/$file"; then
    echo "same bytes twice: $file ($(stat -c %s "$work/release-1/$file") bytes)"
  else
    count_failure "$file differs between two runs: $(cmp "$work/release-1/$file" "$work/release-2/$file" | head -1)"
  fi
done

# --- the Windows executable, built again in another folder
prefix=$win32_dir/deps/prefix
[ -f "$prefix/lib/libSDL.a" ] || fail "no cross-built libraries in $prefix (make windows builds them)"
again=$work/win32
if ! { cmake -S "$src" -B "$again" -DCMAKE_BUILD_TYPE=Release \
         -DCMAKE_TOOLCHAIN_FILE="$src/cmake/toolchains/i686-w64-mingw32.cmake" -DINVITATION_WIN32_PREFIX="$prefix" &&
       cmake --build "$again" -j "$(nproc)"; } >"$work/win32.log" 2>&1; then
  fail "the second Windows build failed" "$work/win32.log"
fi
cmp -s "$again/invitation.exe" "$win32_exe" ||
  count_failure "the executable built in $again differs from $win32_exe: $(cmp "$again/invitation.exe" "$win32_exe" | head -1)"
unzip -p "$release_zip" "$release_folder/invitation.exe" >"$work/released.exe"
cmp -s "$work/released.exe" "$win32_exe" || count_failure "the archive's executable is not $win32_exe (make release again)"
"$build/pe-resources" "$win32_exe" | grep -qx 'time-stamp 0' || count_failure "the executable's header carries a link time"

finish_checks "the archive and the package twice the same; the executable (${win32_exe#"$src"/}, i686) the same from two folders ($(stat -c %s "$win32_exe") bytes)"
