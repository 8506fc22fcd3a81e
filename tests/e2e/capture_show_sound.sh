#!/usr/bin/env bash
# The captured sound is what the show plays: the show runs headless with SDL's
# disk audio driver, and its output, once the music has begun, equals the
# capture's WAV sample for sample.
. "$(dirname "$0")/lib/e2e.sh"
e2e_setup "$@"
cd "$out" || fail "cannot enter $out"

"$build/invitation-capture" --from-ms 0 --to-ms 5000 --fps 1 --size 16x16 --out frames --audio-out capture.wav \
  2>capture.err || fail "capture failed" capture.err
grep -q "no music is embedded" capture.err && skip "no music embedded in this build; nothing to compare"

SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$out/show.raw" \
  "$build/invitation" >/dev/null 2>show.err &
pid=$!
# Waits for what the comparison needs, three seconds of sound past a few silent
# buffers, not for a time: a loaded machine starts the show late.
wanted=$(( (3 * 44100 + 4 * 8192) * 4 ))
for _ in $(seq 1 600); do
  [ "$(stat -c %s show.raw 2>/dev/null || echo 0)" -ge "$wanted" ] && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
kill -TERM "$pid"
wait "$pid"

# The device plays whole buffers of 8192 frames (4 bytes each) of silence until the
# music starts; after that the two streams must agree.
buffer_bytes=$((8192 * 4))
show_bytes=$(stat -c %s show.raw)
for k in $(seq 0 40); do
  skip=$((k * buffer_bytes))
  compared=$((show_bytes - skip))
  [ "$compared" -gt $((44100 * 4)) ] || break   # at least a second of music
  [ "$compared" -gt $(( $(stat -c %s capture.wav) - 44 )) ] && compared=$(( $(stat -c %s capture.wav) - 44 ))
  if cmp -s -n "$compared" -i "$skip:44" show.raw capture.wav; then
    echo "ok: the show's first $((compared / 4)) frames of music equal the capture's (after $k silent buffers)"
    exit 0
  fi
done
fail "the show's sound ($show_bytes bytes) does not match the captured sound at any buffer boundary"
