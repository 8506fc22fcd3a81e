#!/usr/bin/env bash
# The capture program's files: the sound as WAV (format, length, position in the
# show's stream), a short MP4 with sound that ffmpeg made and can decode, and
# runs that fail or are interrupted midway leaving nothing behind.
set -u
build=$1
capture="$build/invitation-capture"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

rate=44100
header=44
sample_at() { echo $(( $1 * rate / 1000 )); }

# --- sound: 44.1 kHz 16-bit stereo, from A to B, the same stream wherever it starts
"$capture" --from-ms 3000 --to-ms 5000 --fps 2 --size 16x16 --out late --audio-out late.wav 2>late.err \
  || fail "sequence with --audio-out: $(cat late.err)"
"$capture" --from-ms 0 --to-ms 5000 --fps 2 --size 16x16 --out early --audio-out early.wav 2>early.err \
  || fail "sequence from 0 with --audio-out: $(cat early.err)"
first=$(sample_at 3000)
want=$(( header + ($(sample_at 5000) - first) * 4 ))
[ "$(stat -c %s late.wav)" -eq "$want" ] || fail "late.wav is $(stat -c %s late.wav) bytes, want $want"
[ "$(soxi -r late.wav) $(soxi -c late.wav) $(soxi -b late.wav)" = "44100 2 16" ] \
  || fail "late.wav format: $(soxi late.wav)"
cmp -s -i "$header:$(( header + first * 4 ))" late.wav early.wav \
  || fail "the sound from 3000 ms is not the show's stream from sample $first"
if grep -q "no music is embedded" late.err; then
  echo "note: no music embedded in this build; the sound checks see silence"
else
  peak=$(sox early.wav -n stat 2>&1 | awk '/Maximum amplitude/ {print $3}')
  awk -v p="$peak" 'BEGIN { exit !(p > 0.05) }' || fail "early.wav is (nearly) silent: peak $peak"
  # A single frame's sound runs to the end of the song's pass: 33 orders of 384
  # ticks of 918 samples, found at the start of the show's next 8192-frame buffer.
  "$capture" --at-ms 262000 --size 16x16 --out tail.png --audio-out tail.wav 2>tail.err \
    || fail "--at-ms with --audio-out: $(cat tail.err)"
  pass_end=$(( (33 * 384 * 918 / 8192 + 1) * 8192 ))
  want=$(( header + (pass_end - $(sample_at 262000)) * 4 ))
  [ "$(stat -c %s tail.wav)" -eq "$want" ] || fail "tail.wav is $(stat -c %s tail.wav) bytes, want $want"
fi
# The progress line counts the frames and ends with a line end.
grep -q "frame 11 of 11" early.err || fail "progress line: $(cat early.err)"
[ "$(tail -c 1 early.err | od -An -c | tr -d ' ')" = '\n' ] || fail "the progress line does not end its line"

# --- a 2-second MP4 with sound, made by ffmpeg
if command -v ffmpeg >/dev/null && command -v ffprobe >/dev/null; then
  "$capture" --from-ms 30000 --to-ms 31999 --fps 30 --size 256x192 --out clip.mp4 2>clip.err \
    || fail "mp4: $(cat clip.err)"
  probe=$(ffprobe -v error -show_entries stream=codec_type,codec_name,r_frame_rate,nb_frames:format=duration \
    -of default=nw=1 clip.mp4)
  grep -qx "codec_name=h264" <<<"$probe" || fail "no H.264 video: $probe"
  grep -qx "codec_name=aac" <<<"$probe" || fail "no AAC sound: $probe"
  grep -qx "r_frame_rate=30/1" <<<"$probe" || fail "frame rate: $probe"
  grep -qx "nb_frames=60" <<<"$probe" || fail "frame count: $probe"
  duration=$(sed -n 's/^duration=//p' <<<"$probe")
  awk -v d="$duration" 'BEGIN { exit !(d > 1.95 && d < 2.1) }' || fail "duration $duration, want 2 s"
  decode=$(ffmpeg -v error -i clip.mp4 -f null - 2>&1) && [ -z "$decode" ] || fail "decoding clip.mp4: $decode"
  ls clip.mp4.* >/dev/null 2>&1 && fail "temporary files left: $(ls clip.mp4.*)"

  # An encoder that gives up midway: the run fails and removes the video and its sound.
  mkdir -p fakebin
  printf '#!/bin/sh\nhead -c 1000 >/dev/null\nexit 3\n' >fakebin/ffmpeg && chmod +x fakebin/ffmpeg
  PATH="$work/fakebin:$PATH" "$capture" --from-ms 0 --to-ms 2000 --fps 30 --size 64x48 --out broken.mp4 \
    2>broken.err
  status=$?
  [ "$status" -eq 1 ] || fail "failing encoder: status $status"
  grep -q "ffmpeg" broken.err || fail "failing encoder: $(cat broken.err)"
  ls broken.mp4* >/dev/null 2>&1 && fail "failing encoder left: $(ls broken.mp4*)"
else
  echo "note: ffmpeg not installed; video checks skipped"
fi

# --- interrupted midway: the frames written so far and the new folder go
"$capture" --from-ms 0 --to-ms 600000 --fps 60 --size 64x48 --out stopped 2>stopped.err &
pid=$!
for _ in $(seq 1 200); do [ -e stopped/frame_000005.png ] && break; sleep 0.05; done
kill -INT "$pid"
wait "$pid"
status=$?
[ "$status" -eq 1 ] || fail "interrupted run: status $status"
grep -q "interrupted" stopped.err || fail "interrupted run: $(cat stopped.err)"
[ -e stopped ] && fail "interrupted run left $(ls stopped | wc -l) files in its folder"

[ "$failures" -eq 0 ] || exit 1
echo "ok: sound, video and clean-up after failures"
