#!/usr/bin/env bash
# The music tools as a musician would use them: the composer rewrites the
# committed module byte for byte, module-check passes it and prints the beat of
# every order, and rejects a broken or truncated file, a folder, a device, a pipe or an oversized
# file with one line and status 1.
. "$(dirname "$0")/lib/e2e.sh"
e2e_setup "$@"
module=$src/src/assets/data/music.xm

"$build/music-composer" "$out/music.xm" >/dev/null || fail "the composer failed"
cmp -s "$out/music.xm" "$module" || fail "src/assets/data/music.xm is not what the composer writes (run make music)"

"$build/module-check" "$module" >"$out/report" 2>&1 || fail "module-check rejects the module" "$out/report"
grep -q "^order 13  pattern 13  starts at beat 208$" "$out/report" || fail "order 13 does not start at beat 208"
grep -q "one pass = 528 beats (264 s at tempo 120), ok$" "$out/report" || fail "no pass summary"

head -c 1000 "$module" >"$out/short.xm"
"$build/module-check" "$out/short.xm" >"$out/short.out" 2>&1; status=$?
[ "$status" -eq 1 ] || fail "a truncated module gave status $status"
[ "$(wc -l <"$out/short.out")" -eq 1 ] || fail "a truncated module gave more than one line" "$out/short.out"
grep -q "fault: truncated: pattern 0 data" "$out/short.out" || fail "unclear truncation line" "$out/short.out"

cp "$module" "$out/fast.xm"
printf '\x7d' | dd of="$out/fast.xm" bs=1 seek=78 conv=notrunc status=none  # default tempo 125
"$build/module-check" "$out/fast.xm" >"$out/fast.out" 2>&1 && fail "tempo 125 passed"
grep -q "fault: default tempo 125, the show's beat clock needs 120" "$out/fast.out" || fail "no tempo line" "$out/fast.out"

head -c 3000 /dev/urandom >"$out/noise.xm"
"$build/module-check" "$out/noise.xm" >"$out/noise.out" 2>&1; status=$?
[ "$status" -eq 1 ] || fail "noise gave status $status"
grep -q "fault: not an XM file" "$out/noise.out" || fail "noise was not recognised as not an XM file"
# Not a module file at all: a folder, a device, a pipe, a file over the 64 MiB cap.
# Each gives one line and status 1, at once.
mkfifo "$out/pipe"
truncate -s $((64 * 1024 * 1024 + 1)) "$out/huge.xm"
for input in "$out" /dev/zero "$out/pipe" "$out/huge.xm"; do
  timeout 10 "$build/module-check" "$input" >"$out/special.out" 2>&1; status=$?
  [ "$status" -eq 1 ] || fail "$input gave status $status" "$out/special.out"
  [ "$(wc -l <"$out/special.out")" -eq 1 ] || fail "$input gave more than one line" "$out/special.out"
done
grep -q "huge.xm: fault: larger than 64 MiB$" "$out/special.out" || fail "no size line" "$out/special.out"
echo "ok: composer output matches, module-check passes the module and rejects broken ones"
