#!/usr/bin/env bash
# The module as sceners play it once they take it out of the release: Debian's
# openmpt123 renders one pass within 3 LU of the show's mixer, with its true peak
# at or below 0 dBTP and no clipped sample. The xmp player's figures are printed
# beside it when it is installed (it plays every module about 2.8 LU hotter).
. "$(dirname "$0")/lib/e2e.sh"
e2e_setup "$@"
cd "$out" || fail "cannot enter $out"
module=$src/src/assets/data/music.xm
command -v openmpt123 >/dev/null || skip "openmpt123 is not installed (Debian package openmpt123)"

figure() { awk -v label="$2" 'index($0, label) == 1 { split(substr($0, length(label) + 1), f, " "); print f[1] }' "$1"; }

"$build/music-loudness" "$module" >show.txt 2>&1 || fail "the module cannot be measured" show.txt
show_lufs=$(figure show.txt "integrated loudness")

openmpt123 -q --batch --samplerate 44100 --no-float -o openmpt.wav --force "$module" >openmpt.err 2>&1 ||
  fail "openmpt123 cannot render the module" openmpt.err
"$build/music-loudness" openmpt.wav >openmpt.txt 2>&1 || fail "openmpt123's pass cannot be measured" openmpt.txt
lufs=$(figure openmpt.txt "integrated loudness")
peak=$(figure openmpt.txt "true peak")
clipped=$(figure openmpt.txt "clipped samples")
echo "show's mixer: $show_lufs LUFS; openmpt123: $lufs LUFS, range $(figure openmpt.txt "loudness range") LU," \
  "true peak $peak dBTP, $clipped clipped samples"
if command -v xmp >/dev/null && xmp -q -o xmp.wav "$module" >xmp.err 2>&1 &&
  "$build/music-loudness" xmp.wav >xmp.txt 2>&1; then
  echo "xmp: $(figure xmp.txt "integrated loudness") LUFS, true peak $(figure xmp.txt "true peak") dBTP," \
    "$(figure xmp.txt "clipped samples") clipped samples"
fi

float_test "($lufs - $show_lufs)^2 <= 3^2" || fail "openmpt123 plays it at $lufs LUFS, the show at $show_lufs" openmpt.txt
float_test "$peak <= 0" || fail "openmpt123's true peak is $peak dBTP" openmpt.txt
[ "$clipped" -eq 0 ] || fail "openmpt123 clips $clipped samples" openmpt.txt
echo "ok: openmpt123 plays the module at $lufs LUFS (the show $show_lufs), true peak $peak dBTP, nothing clipped"
