#!/usr/bin/env bash
# The 64-bit twin the Wine tests run where this host cannot run 32-bit programs
# (make windows64), as a file: PE32+ for x86-64, GUI subsystem, every asset
# inside, imports from Windows system DLLs only (linked statically like the
# shipped one), and the shipped executable's resources (icon group, dialog,
# version information, manifest) but for the architecture they name. Skipped
# where 32-bit programs run: the Wine tests run the shipped executable there.
. "$(dirname "$0")/lib/e2e.sh"
e2e_setup "$@"
. "$e2e_lib/windows_wine.sh"
choose_wine
[ "$wine_arch" = x86_64 ] || skip "this host runs 32-bit programs: the Windows tests run the 32-bit executable, no twin is built"
find_windows64_exe "$build"
find_windows_exe "$build"

objdump=x86_64-w64-mingw32-objdump
command -v "$objdump" >/dev/null || fail "no $objdump (Debian package binutils-mingw-w64-x86-64)"
headers=$($objdump -p "$win64_exe") || fail "$objdump cannot read $win64_exe"
grep -q 'file format pei-x86-64' <<<"$headers" || fail "not a PE32+ x86-64 image"
grep -Eq '^Magic[[:space:]]+020b' <<<"$headers" || fail "not PE32+ (optional header magic)"
grep -Eq '^Subsystem[[:space:]]+00000002' <<<"$headers" || fail "not a GUI-subsystem executable"

check_windows_imports_and_assets "$win64_exe" "the twin"

# Everything pe-resources lists but the machine, the manifest's size and the
# architecture it names.
resources() {
  "$build/pe-resources" "$1" | grep -v '^machine ' |
    sed -E '/^resource MANIFEST /d; s/processorArchitecture="(x86|amd64)"/processorArchitecture=ARCH/'
}
[ -x "$build/pe-resources" ] || fail "no $build/pe-resources"
"$build/pe-resources" "$win64_exe" | grep -qx 'machine 8664' || fail "the twin's header does not name x86-64 (8664)"
"$build/pe-resources" "$win64_exe" | grep -Fq 'processorArchitecture="amd64"' ||
  fail "the twin's manifest does not name amd64"
diff <(resources "$win32_exe") <(resources "$win64_exe") >"$out/resources.diff" ||
  fail "the twin carries other resources than $win32_exe" "$out/resources.diff"

echo "ok (${win64_exe#"$src"/}, x86_64): $(stat -c %s "$win64_exe") bytes, imports: $(echo $imports); the resources of ${win32_exe#"$src"/} but for the architecture"
