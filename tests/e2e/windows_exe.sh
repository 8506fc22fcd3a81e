#!/usr/bin/env bash
# The Windows executable as a file: PE32 for Intel 80386, GUI subsystem, its assets
# inside, imports from Windows system DLLs only (everything else is linked in), and
# the show's code built for SSE2 floating point.
set -u
build=$1
src=$2
. "$src/tests/e2e/lib/windows_wine.sh"
find_windows_exe "$build"

objdump=i686-w64-mingw32-objdump
headers=$($objdump -p "$win32_exe") || { echo "$objdump cannot read $win32_exe"; exit 1; }
grep -q 'file format pei-i386' <<<"$headers" || { echo "not a PE32 Intel 80386 image"; exit 1; }
grep -Eq '^Magic[[:space:]]+010b' <<<"$headers" || { echo "not PE32 (optional header magic)"; exit 1; }
grep -Eq '^Subsystem[[:space:]]+00000002' <<<"$headers" || { echo "not a GUI-subsystem executable"; exit 1; }

system_dlls='^(kernel32|user32|gdi32|opengl32|winmm|advapi32|msvcrt|shell32|ole32|oleaut32|comdlg32|comctl32|winspool\.drv|imm32|version)(\.dll)?$'
imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | sort -u)
[ -n "$imports" ] || { echo "no import table"; exit 1; }
foreign=$(tr 'A-Z' 'a-z' <<<"$imports" | grep -Ev "$system_dlls")
[ -z "$foreign" ] || { echo "imports DLLs that are not part of Windows:"; echo "$foreign"; exit 1; }

# Every image and the module travel inside, byte for byte.
for asset in "$src"/src/assets/data/*.png "$src"/src/assets/data/*.xm; do
  [ -f "$asset" ] || continue
  perl -e 'local $/; open(my $e, "<:raw", $ARGV[0]) or die; open(my $a, "<:raw", $ARGV[1]) or die;
           my $exe = <$e>; my $asset = <$a>; exit(index($exe, $asset) < 0 ? 1 : 0)' "$win32_exe" "$asset" ||
    { echo "$(basename "$asset") is not inside the executable"; exit 1; }
done

# The show's own code computes in SSE2, so its floats round as on Linux: no x87
# arithmetic is left in it (x87 loads and stores remain where the calling
# convention returns a float on the x87 stack, and for exact conversions).
core=$win32_dir/libinvitation_core.a
[ -f "$core" ] || { echo "no $core beside the executable"; exit 1; }
x87=$(i686-w64-mingw32-objdump -d --no-show-raw-insn "$core" | awk '
  /file format/ { object = $1 }
  /^[[:space:]]+[0-9a-f]+:/ && $2 ~ /^fi?(add|sub|mul|div|sqrt|prem|sin|cos|ptan|patan|yl2x|2xm1|scale)[a-z0-9]*$/ {
    print object " " $2 }' | sort | uniq -c)
[ -z "$x87" ] || { echo "x87 arithmetic in the show's code (build without -mfpmath=sse?):"; echo "$x87"; exit 1; }
sse=$(i686-w64-mingw32-objdump -d --no-show-raw-insn "$core" | grep -Ec '[[:space:]](mul|add|sub|div|sqrt)s[sd][[:space:]]')
[ "$sse" -gt 0 ] || { echo "no SSE arithmetic in the show's code"; exit 1; }

size=$(stat -c %s "$win32_exe")
echo "ok: $win32_exe, $size bytes, imports: $(echo $imports); $sse SSE2 arithmetic instructions, no x87 arithmetic"
