#!/usr/bin/env bash
# The Windows executable as a file: PE32 for Intel 80386, GUI subsystem, its assets
# inside, imports from Windows system DLLs only (everything else is linked in), and
# the show's code built for SSE2 floating point.
. "$(dirname "$0")/lib/e2e.sh"
e2e_setup "$@"
. "$e2e_lib/windows_wine.sh"
find_windows_exe "$build"

objdump=i686-w64-mingw32-objdump
headers=$($objdump -p "$win32_exe") || fail "$objdump cannot read $win32_exe"
grep -q 'file format pei-i386' <<<"$headers" || fail "not a PE32 Intel 80386 image"
grep -Eq '^Magic[[:space:]]+010b' <<<"$headers" || fail "not PE32 (optional header magic)"
grep -Eq '^Subsystem[[:space:]]+00000002' <<<"$headers" || fail "not a GUI-subsystem executable"

check_windows_imports_and_assets "$win32_exe" "the executable"

# The show's own code computes in SSE2, so its floats round as on Linux: no x87
# arithmetic is left in it (x87 loads and stores remain where the calling
# convention returns a float on the x87 stack, and for exact conversions).
core=$win32_dir/libinvitation_core.a
[ -f "$core" ] || fail "no $core beside the executable"
x87=$(i686-w64-mingw32-objdump -d --no-show-raw-insn "$core" | awk '
  /file format/ { object = $1 }
  /^[[:space:]]+[0-9a-f]+:/ && $2 ~ /^fi?(add|sub|mul|div|sqrt|prem|sin|cos|ptan|patan|yl2x|2xm1|scale)[a-z0-9]*$/ {
    print object " " $2 }' | sort | uniq -c)
[ -z "$x87" ] || fail "x87 arithmetic in the show's code (build without -mfpmath=sse?):
$x87"
sse=$(i686-w64-mingw32-objdump -d --no-show-raw-insn "$core" | grep -Ec '[[:space:]](mul|add|sub|div|sqrt)s[sd][[:space:]]')
[ "$sse" -gt 0 ] || fail "no SSE arithmetic in the show's code"

size=$(stat -c %s "$win32_exe")
echo "ok (${win32_exe#"$src"/}, i686): $size bytes, imports: $(echo $imports); $sse SSE2 arithmetic instructions, no x87 arithmetic"
