#!/usr/bin/env bash
# The music's level as the show plays it: one pass rendered by the capture
# program through the show's mixer measures -15..-13 LUFS with its true peak at
# or below -1 dBTP and no clipped sample (music-loudness --check); the module
# file measured directly gives the same figures; ffmpeg's meter agrees with
# ours; libxmp, an independent player, plays it within 3 LU of the show. Any
# module put in place of the committed one is held to the same. Broken inputs
# give one line and status 1.
. "$(dirname "$0")/lib/e2e.sh"
e2e_setup "$@"
cd "$out" || fail "cannot enter $out"
module=$src/src/assets/data/music.xm

# figure FILE LABEL: the number on music-loudness's line LABEL.
figure() { awk -v label="$2" 'index($0, label) == 1 { split(substr($0, length(label) + 1), f, " "); print f[1] }' "$1"; }

"$build/invitation-capture" --at-ms 0 --size 16x16 --out frame.png --audio-out pass.wav 2>capture.err ||
  fail "capture failed" capture.err
grep -q "no music is embedded" capture.err && skip "no music embedded in this build; nothing to measure"

"$build/music-loudness" --check pass.wav >show.txt 2>show.err ||
  fail "one pass through the show's mixer is off the music's level" show.txt show.err
cat show.txt
show_lufs=$(figure show.txt "integrated loudness")
show_peak=$(figure show.txt "true peak")

"$build/music-loudness" --check "$module" >module.txt 2>module.err || fail "the module file fails its check" module.txt module.err
for label in "integrated loudness" "loudness range" "true peak" "sample peak" "clipped samples"; do
  [ "$(figure show.txt "$label")" = "$(figure module.txt "$label")" ] ||
    fail "$label of the module file differs from the capture's pass" show.txt module.txt
done

# ffmpeg's meter (one decimal) on the same pass.
if command -v ffmpeg >/dev/null; then
  ffmpeg -nostats -hide_banner -i pass.wav -af ebur128=peak=true -f null - 2>ffmpeg.txt || fail "ffmpeg failed" ffmpeg.txt
  read -r ff_lufs ff_range ff_peak < <(awk '/Summary/ { s = 1 } s && /I:/ { i = $2 } s && /LRA:/ { r = $2 }
    s && /Peak:/ { p = $2 } END { print i, r, p }' ffmpeg.txt)
  echo "ffmpeg ebur128: $ff_lufs LUFS, range $ff_range LU, true peak $ff_peak dBFS"
  float_test "($show_lufs - $ff_lufs)^2 <= 0.1^2" || fail "integrated loudness $show_lufs, ffmpeg's $ff_lufs" ffmpeg.txt
  float_test "($(figure show.txt "loudness range") - $ff_range)^2 <= 0.3^2" || fail "loudness range differs from ffmpeg's"
  float_test "($show_peak - $ff_peak)^2 <= 0.25^2" || fail "true peak $show_peak, ffmpeg's $ff_peak" ffmpeg.txt
fi

# libxmp plays modules about 2.8 LU hotter than the show's mixer does.
"$build/music-render" "$module" libxmp.wav >/dev/null 2>render.err || fail "libxmp cannot render the module" render.err
"$build/music-loudness" libxmp.wav >libxmp.txt 2>&1 || fail "libxmp's pass cannot be measured" libxmp.txt
xmp_lufs=$(figure libxmp.txt "integrated loudness")
echo "libxmp: $xmp_lufs LUFS, true peak $(figure libxmp.txt "true peak") dBTP," \
  "$(figure libxmp.txt "clipped samples") clipped samples"
float_test "($xmp_lufs - $show_lufs)^2 <= 3^2" || fail "libxmp plays it at $xmp_lufs LUFS, the show at $show_lufs" libxmp.txt

# Not a pass to measure: one line and status 1 each; no file at all: usage, status 2.
head -c 1000 pass.wav >short.wav
printf 'hello\n' >text.txt
for input in short.wav text.txt "$out" /dev/zero; do
  "$build/music-loudness" "$input" >bad.out 2>&1; status=$?
  [ "$status" -eq 1 ] || fail "$input gave status $status" bad.out
  [ "$(wc -l <bad.out)" -eq 1 ] || fail "$input gave more than one line" bad.out
done
"$build/music-loudness" text.txt >bad.out 2>&1
grep -q "^text.txt: fault: not a WAV file" bad.out || fail "no clear line for a text file" bad.out
"$build/music-loudness" short.wav >bad.out 2>&1
grep -q "^short.wav: fault: truncated: the data chunk holds" bad.out || fail "no clear line for a cut WAV" bad.out
"$build/music-loudness" >/dev/null 2>&1; [ $? -eq 2 ] || fail "no usage status without a file"
echo "ok: one pass through the show's mixer: $show_lufs LUFS, true peak $show_peak dBTP, nothing clipped"
