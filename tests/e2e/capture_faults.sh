#!/usr/bin/env bash
# A capture never loses a file and never reports a failure as success: an
# interruption while ffmpeg finishes, a failure of the last output after the
# first was ready, a killed run, a run too large for its disk, a full disk under
# ffmpeg and a misread command line. ffmpeg is replaced by a shim on PATH where
# the timing must be forced.
. "$(dirname "$0")/lib/e2e.sh"
e2e_setup "$@"
capture="$build/invitation-capture"
real_ffmpeg=$(command -v ffmpeg) || fail "ffmpeg is needed (Debian package ffmpeg)"
cd "$out" || fail "cannot enter $out"
mkdir shims

# Waits up to $2 seconds for the text $3 in file $1.
wait_for_text() {
  local i
  for i in $(seq 1 $(( $2 * 10 ))); do
    grep -q -- "$3" "$1" 2>/dev/null && return 0
    sleep 0.1
  done
  return 1
}
# The folder's entries apart from the ones named, sorted, on one line.
entries_besides() {
  local folder=$1
  shift
  ls -A "$folder" | grep -v -x -F "$(printf '%s\n' "$@")" | tr '\n' ' '
}

# --- SIGTERM while ffmpeg finishes: status 1, "interrupted", the user's files as they were.
mkdir finish && cd finish
cat >../shims/ffmpeg <<SHIM
#!/bin/bash
"$real_ffmpeg" "\$@"
status=\$?
echo finished >"$out/finish/ffmpeg.done"
sleep 3
exit \$status
SHIM
chmod +x ../shims/ffmpeg
echo "USER VIDEO" >out.mp4
echo "USER SOUND" >a.wav
PATH="$out/shims:$PATH" "$capture" --from-ms 0 --to-ms 3000 --fps 30 --out out.mp4 --audio-out a.wav 2>err &
pid=$!
wait_for_text ffmpeg.done 120 finished || count_failure "ffmpeg did not finish" err
kill -TERM "$pid"
wait "$pid"
status=$?
[ "$status" -eq 1 ] || count_failure "SIGTERM while ffmpeg finished: status $status, want 1" err
grep -q "^invitation-capture: interrupted$" err || count_failure "no 'interrupted' line" err
[ "$(cat out.mp4) $(cat a.wav)" = "USER VIDEO USER SOUND" ] || count_failure "the user's files changed"
[ -z "$(entries_besides . out.mp4 a.wav err ffmpeg.done)" ] || count_failure "left behind: $(entries_besides . out.mp4 a.wav err ffmpeg.done)"
cd ..

# --- the sound's name is taken by a folder during the run: the picture, ready
# first, must not have replaced the user's file.
mkdir late && cd late
echo USER >shot.png
"$capture" --at-ms 18600 --warmup-frames 400 --out shot.png --audio-out snd.wav 2>err &
pid=$!
sleep 0.5
mkdir -p snd.wav/x
wait "$pid"
status=$?
[ "$status" -eq 1 ] || count_failure "late failure: status $status, want 1" err
grep -q "cannot write snd.wav: it is a folder" err || count_failure "late failure: the reason" err
[ "$(cat shot.png)" = USER ] || count_failure "late failure: shot.png is no longer the user's file"
[ -z "$(entries_besides . shot.png snd.wav err)" ] || count_failure "late failure left: $(entries_besides . shot.png snd.wav err)"
cd ..

# --- SIGKILL during a PNG sequence: nothing that looks like a finished sequence.
"$capture" --from-ms 0 --to-ms 20000 --fps 60 --out killed/ 2>killed.err &
pid=$!
wait_for_text killed.err 60 "frame [1-9][0-9] of" || count_failure "the sequence did not start" killed.err
kill -KILL "$pid"
wait "$pid" 2>/dev/null
frames=$(find killed -name 'frame_*.png' | wc -l)
[ "$frames" -eq 0 ] || count_failure "a killed run left $frames frame_*.png files under their final names"

# --- SIGKILL during a video: ffmpeg ends with the capture.
cat >shims/ffmpeg <<SHIM
#!/bin/bash
echo \$\$ >"$out/ffmpeg.pid"
exec "$real_ffmpeg" "\$@"
SHIM
chmod +x shims/ffmpeg
PATH="$out/shims:$PATH" "$capture" --from-ms 0 --to-ms 20000 --fps 60 --out killed.mp4 2>killed_video.err &
pid=$!
wait_for_text killed_video.err 60 "frame [1-9][0-9] of" || count_failure "the video did not start" killed_video.err
kill -KILL "$pid"
wait "$pid" 2>/dev/null
encoder=$(cat ffmpeg.pid 2>/dev/null)
for _ in $(seq 1 50); do
  [ -n "$encoder" ] && kill -0 "$encoder" 2>/dev/null || break
  sleep 0.1
done
if [ -n "$encoder" ] && kill -0 "$encoder" 2>/dev/null; then
  kill -KILL "$encoder"
  count_failure "ffmpeg went on after the capture was killed"
fi

# --- a run that cannot fit is refused before it starts, with the estimate and
# the free space; --force starts it (ended here with SIGTERM, nothing left).
"$capture" --from-ms 0 --to-ms 2147483647 --fps 240 --out big/ 2>big.err
status=$?
[ "$status" -eq 2 ] || count_failure "a run of 515 million frames: status $status, want 2" big.err
grep -Eq "would write about [0-9.]+ [kMGTPE]B \(515,396,076 frames of 1024x768 PNG\) where .* has [0-9.]+ [kMGTPE]?B free; --force runs it anyway" big.err \
  || count_failure "the refusal does not give the estimate and the free space" big.err
[ ! -e big ] || count_failure "the refused run made its folder"
"$capture" --from-ms 0 --to-ms 2147483647 --fps 240 --force --out big/ 2>forced.err &
pid=$!
wait_for_text forced.err 60 "of 515396076" || count_failure "--force did not start the run" forced.err
kill -TERM "$pid"
wait "$pid"
status=$?
[ "$status" -eq 1 ] || count_failure "the forced run ended with $status after SIGTERM, want 1" forced.err
grep -q "frame [0-9]* of 515396076, .* left" forced.err || count_failure "the progress line gives no time left" forced.err
[ ! -e big ] || count_failure "the interrupted run left big/: $(ls -A big | head -3)"

# --- a full disk under ffmpeg: its own reason ends our one line.
cat >shims/ffmpeg <<'SHIM'
#!/bin/bash
head -c 100000 >/dev/null
echo "av_interleaved_write_frame(): No space left on device" >&2
exit 1
SHIM
PATH="$out/shims:$PATH" "$capture" --from-ms 0 --to-ms 1000 --fps 30 --out full.mp4 2>full.err
status=$?
[ "$status" -eq 1 ] || count_failure "full disk: status $status, want 1" full.err
grep -q "^invitation-capture: ffmpeg stopped taking frames: av_interleaved_write_frame(): No space left on device$" full.err \
  || count_failure "full disk: ffmpeg's reason is not in our line" full.err
[ -z "$(ls -A | grep '^full\.mp4')" ] || count_failure "full disk left: $(ls -A | grep '^full')"

# --- an option where a value belongs is named as such.
"$capture" --seed --at-ms 18600 --out f.png 2>seed.err
[ $? -eq 2 ] && grep -q "missing value for --seed (the next argument, --at-ms, is an option)" seed.err \
  || count_failure "--seed --at-ms" seed.err

finish_checks "interrupt while ffmpeg finishes, late failure, SIGKILL of PNG and video runs, refused and forced huge run, full disk, --seed --at-ms"
