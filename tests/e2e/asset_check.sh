#!/usr/bin/env bash
# The asset check as a person uses it: silent with status 0 on the committed
# images; on a folder with a broken set, one line per fault on standard error
# and status 1; a device or folder in place of an image is one line, not a hang.
. "$(dirname "$0")/lib/e2e.sh"
e2e_setup "$@"

"$build/asset-check" "$src/src/assets/data" >"$out/stdout" 2>"$out/stderr"
status=$?
[ "$status" -eq 0 ] || fail "committed images: status $status" "$out/stderr"
[ ! -s "$out/stderr" ] && [ ! -s "$out/stdout" ] || fail "committed images: unexpected output" "$out/stdout" "$out/stderr"

mkdir "$out/set"
cp "$src"/src/assets/data/*.png "$out/set/"
rm "$out/set/panel.png"
cp "$out/set/cube_a.png" "$out/set/bar.png"   # a 256 × 256 truecolour image where the 1 × 1 palette bar belongs
"$build/asset-check" "$out/set" >"$out/stdout" 2>"$out/stderr"
status=$?
[ "$status" -eq 1 ] || fail "broken set: status $status, expected 1"
expected="panel.png: file: expected a readable PNG, found $out/set/panel.png: cannot open (No such file or directory)
bar.png: size: expected 1x1, found 256x256
bar.png: colour type: expected 3, found 6"
[ "$(cat "$out/stderr")" = "$expected" ] || fail "broken set: got the stderr below, expected
$expected" "$out/stderr"
"$build/asset-check" "$out/set/bar.png" >"$out/stdout" 2>"$out/stderr"
status=$?
[ "$status" -eq 1 ] && [ "$(cat "$out/stderr")" = "$out/set/bar.png: not a folder" ] ||
  fail "a file for the folder: status $status" "$out/stderr"

# A device or a folder where an image belongs: one line for that image, at once.
rm "$out/set/bar.png" "$out/set/small_font.png"
ln -s /dev/zero "$out/set/bar.png"
mkdir "$out/set/small_font.png"
timeout 20 "$build/asset-check" "$out/set" >"$out/stdout" 2>"$out/stderr"
status=$?
expected="small_font.png: file: expected a readable PNG, found $out/set/small_font.png: a folder, not a file
panel.png: file: expected a readable PNG, found $out/set/panel.png: cannot open (No such file or directory)
bar.png: file: expected a readable PNG, found $out/set/bar.png: not a regular file"
[ "$status" -eq 1 ] && [ "$(cat "$out/stderr")" = "$expected" ] || fail "special files: status $status, got" "$out/stderr"
echo "ok"
