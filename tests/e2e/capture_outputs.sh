#!/usr/bin/env bash
# The capture program's files: the sound as WAV (format, length, position in the
# show's stream, however late it starts), a short MP4 with sound that ffmpeg made
# and can decode, folders for PNG sequences, files of the user's that must stay
# untouched, and runs that fail or are interrupted (midway, or while the sound
# is still being prepared) leaving nothing behind.
. "$(dirname "$0")/lib/e2e.sh"
e2e_setup "$@"
capture="$build/invitation-capture"
cd "$out" || fail "cannot enter $out"

rate=44100
header=44
sample_at() { echo $(( $1 * rate / 1000 )); }

# --- sound: 44.1 kHz 16-bit stereo, from A to B, the same stream wherever it starts
"$capture" --from-ms 3000 --to-ms 5000 --fps 2 --size 16x16 --out late --audio-out late.wav 2>late.err \
  || count_failure "sequence with --audio-out: $(cat late.err)"
"$capture" --from-ms 0 --to-ms 5000 --fps 2 --size 16x16 --out early --audio-out early.wav 2>early.err \
  || count_failure "sequence from 0 with --audio-out: $(cat early.err)"
first=$(sample_at 3000)
want=$(( header + ($(sample_at 5000) - first) * 4 ))
[ "$(stat -c %s late.wav)" -eq "$want" ] || count_failure "late.wav is $(stat -c %s late.wav) bytes, want $want"
[ "$(soxi -r late.wav) $(soxi -c late.wav) $(soxi -b late.wav)" = "44100 2 16" ] \
  || count_failure "late.wav format: $(soxi late.wav)"
cmp -s -i "$header:$(( header + first * 4 ))" late.wav early.wav \
  || count_failure "the sound from 3000 ms is not the show's stream from sample $first"
if grep -q "no music is embedded" late.err; then
  echo "note: no music embedded in this build; the sound checks see silence"
else
  peak=$(sox early.wav -n stat 2>&1 | awk '/Maximum amplitude/ {print $3}')
  float_test "$peak > 0.05" || count_failure "early.wav is (nearly) silent: peak $peak"
  # A single frame's sound runs to the end of the song's pass: 33 orders of 384
  # ticks of 918 samples, found at the start of the show's next 8192-frame buffer.
  "$capture" --at-ms 262000 --size 16x16 --out tail.png --audio-out tail.wav 2>tail.err \
    || count_failure "--at-ms with --audio-out: $(cat tail.err)"
  pass_end=$(( (33 * 384 * 918 / 8192 + 1) * 8192 ))
  want=$(( header + (pass_end - $(sample_at 262000)) * 4 ))
  [ "$(stat -c %s tail.wav)" -eq "$want" ] || count_failure "tail.wav is $(stat -c %s tail.wav) bytes, want $want"
fi
# A start near the end of the clock (about 8,000 passes of the music in) is
# written within moments: whole passes are skipped. The WAV runs from there to
# the end of that pass.
timeout -k 5 120 "$capture" --at-ms 2147483647 --size 16x16 --out late.png --audio-out late.wav 2>late.err
status=$?
[ "$status" -eq 0 ] || count_failure "--at-ms 2147483647 with --audio-out: status $status: $(cat late.err)"
if ! grep -q "no music is embedded" late.err; then
  pass=$(( (33 * 384 * 918 / 8192 + 1) * 8192 ))
  late=$(sample_at 2147483647)
  # Every pass after the first restart repeats the second one, sample for sample.
  want=$(( header + (pass - (late - pass) % pass) * 4 ))
  [ "$(stat -c %s late.wav 2>/dev/null)" = "$want" ] || count_failure "late.wav is $(stat -c %s late.wav) bytes, want $want"
fi
# The progress line counts the frames and ends with a line end.
grep -q "frame 11 of 11" early.err || count_failure "progress line: $(cat early.err)"
[ "$(tail -c 1 early.err | od -An -c | tr -d ' ')" = '\n' ] || count_failure "the progress line does not end its line"

# --- a 2-second MP4 with sound, made by ffmpeg
if command -v ffmpeg >/dev/null && command -v ffprobe >/dev/null; then
  "$capture" --from-ms 30000 --to-ms 31999 --fps 30 --size 256x192 --out clip.mp4 2>clip.err \
    || count_failure "mp4: $(cat clip.err)"
  probe=$(ffprobe -v error -show_entries stream=codec_type,codec_name,r_frame_rate,nb_frames:format=duration \
    -of default=nw=1 clip.mp4)
  grep -qx "codec_name=h264" <<<"$probe" || count_failure "no H.264 video: $probe"
  grep -qx "codec_name=aac" <<<"$probe" || count_failure "no AAC sound: $probe"
  grep -qx "r_frame_rate=30/1" <<<"$probe" || count_failure "frame rate: $probe"
  grep -qx "nb_frames=60" <<<"$probe" || count_failure "frame count: $probe"
  duration=$(sed -n 's/^duration=//p' <<<"$probe")
  float_test "$duration > 1.95 && $duration < 2.1" || count_failure "duration $duration, want 2 s"
  decode=$(ffmpeg -v error -i clip.mp4 -f null - 2>&1) && [ -z "$decode" ] || count_failure "decoding clip.mp4: $decode"
  ls clip.mp4.* >/dev/null 2>&1 && count_failure "temporary files left: $(ls clip.mp4.*)"

  # An encoder that gives up midway: the run fails and removes the video and its sound.
  mkdir -p fakebin
  printf '#!/bin/sh\nhead -c 1000 >/dev/null\nexit 3\n' >fakebin/ffmpeg && chmod +x fakebin/ffmpeg
  PATH="$out/fakebin:$PATH" "$capture" --from-ms 0 --to-ms 2000 --fps 30 --size 64x48 --out broken.mp4 \
    2>broken.err
  status=$?
  [ "$status" -eq 1 ] || count_failure "failing encoder: status $status"
  grep -q "ffmpeg" broken.err || count_failure "failing encoder: $(cat broken.err)"
  ls broken.mp4* >/dev/null 2>&1 && count_failure "failing encoder left: $(ls broken.mp4*)"
else
  echo "note: ffmpeg not installed; video checks skipped"
fi

# --- folders: a trailing slash asks for one whatever the name; so does an existing folder
"$capture" --from-ms 0 --to-ms 0 --fps 1 --size 16x16 --out clip.avi/ 2>folder.err || count_failure "clip.avi/: $(cat folder.err)"
[ -f clip.avi/frame_000000.png ] || count_failure "clip.avi/ holds no frame"
mkdir -p shots.d
"$capture" --from-ms 0 --to-ms 0 --fps 1 --size 16x16 --out shots.d 2>folder.err || count_failure "shots.d: $(cat folder.err)"
[ -f shots.d/frame_000000.png ] || count_failure "the existing folder shots.d holds no frame"

# --- files of the user's beside the outputs stay as they are, whatever happens
mkdir -p mine && cd mine || fail "cannot enter mine"
for f in a.png.partial a.wav.partial v.mp4.partial v.mp4.audio.wav frames.partial; do echo "the user's $f" >"$f"; done
"$capture" --at-ms 1000 --size 16x16 --out a.png --audio-out a.wav 2>mine.err || count_failure "single frame beside user files: $(cat mine.err)"
if command -v ffmpeg >/dev/null; then
  "$capture" --from-ms 0 --to-ms 500 --fps 10 --size 32x24 --out v.mp4 2>mine.err || count_failure "mp4 beside user files: $(cat mine.err)"
  PATH="$out/fakebin:$PATH" "$capture" --from-ms 0 --to-ms 2000 --fps 30 --size 32x24 --out v.mp4 2>/dev/null \
    && count_failure "a failing encoder reported success"
  [ -f v.mp4 ] || count_failure "a failed run removed the earlier v.mp4"
fi
for f in a.png.partial a.wav.partial v.mp4.partial v.mp4.audio.wav frames.partial; do
  [ "$(cat "$f" 2>/dev/null)" = "the user's $f" ] || count_failure "$f of the user's was changed or removed"
done
left=$(ls | grep -v -x -e a.png -e a.wav -e v.mp4 -e mine.err -e a.png.partial -e a.wav.partial -e v.mp4.partial \
  -e v.mp4.audio.wav -e frames.partial)
[ -z "$left" ] || count_failure "left behind beside the user's files: $left"
cd "$out" || fail "cannot enter $out"

# --- a WAV named like the video's own sound file: both arrive, whole
if command -v ffmpeg >/dev/null; then
  "$capture" --from-ms 1000 --to-ms 2000 --fps 10 --size 32x24 --out w.mp4 --audio-out w.mp4.audio.wav 2>w.err \
    || count_failure "--audio-out w.mp4.audio.wav: $(cat w.err)"
  [ -f w.mp4 ] || count_failure "w.mp4 missing"
  want=$(( header + ($(sample_at 2000) - $(sample_at 1000)) * 4 ))
  [ "$(stat -c %s w.mp4.audio.wav 2>/dev/null)" = "$want" ] || count_failure "w.mp4.audio.wav is not the whole sound"
fi

# --- interrupted while the sound of a late range is prepared: it ends at once,
# leaving no WAV, no temporary and no folder
"$capture" --from-ms 2147000000 --to-ms 2147483647 --fps 1 --size 16x16 --out lateframes --audio-out late2.wav \
  2>late2.err &
pid=$!
sleep 0.5
kill -TERM "$pid"
for _ in $(seq 1 200); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
if kill -0 "$pid" 2>/dev/null; then
  count_failure "still running 10 s after SIGTERM while preparing the sound"
  kill -KILL "$pid"
fi
wait "$pid"
status=$?
[ "$status" -eq 1 ] || count_failure "SIGTERM while preparing the sound: status $status: $(cat late2.err)"
grep -q "interrupted" late2.err || count_failure "SIGTERM while preparing the sound: $(cat late2.err)"
left=$(ls -d late2.wav* lateframes 2>/dev/null)
[ -z "$left" ] || count_failure "SIGTERM while preparing the sound left: $left"

# --- interrupted while encoding a video: ffmpeg ends too, and nothing is left
if command -v ffmpeg >/dev/null; then
  "$capture" --from-ms 0 --to-ms 600000 --fps 60 --size 64x48 --out long.mp4 2>long.err &
  pid=$!
  for _ in $(seq 1 200); do grep -q "frame [1-9][0-9]* of" long.err 2>/dev/null && break; sleep 0.05; done
  kill -INT "$pid"
  wait "$pid"
  status=$?
  [ "$status" -eq 1 ] || count_failure "interrupted video: status $status: $(cat long.err)"
  pgrep -f "long.mp4.partial" >/dev/null && count_failure "ffmpeg still runs after the interrupted capture"
  left=$(ls -d long.mp4* 2>/dev/null)
  [ -z "$left" ] || count_failure "interrupted video left: $left"
fi

# --- interrupted midway: the frames written so far and the new folder go
"$capture" --from-ms 0 --to-ms 600000 --fps 60 --size 64x48 --out stopped 2>stopped.err &
pid=$!
for _ in $(seq 1 200); do [ -e stopped/frame_000005.png ] && break; sleep 0.05; done
kill -INT "$pid"
wait "$pid"
status=$?
[ "$status" -eq 1 ] || count_failure "interrupted run: status $status"
grep -q "interrupted" stopped.err || count_failure "interrupted run: $(cat stopped.err)"
[ -e stopped ] && count_failure "interrupted run left $(ls stopped | wc -l) files in its folder"

finish_checks "sound, video and clean-up after failures"
