#!/usr/bin/env bash
# A sound driver that does not work does not stop the show: with
# SDL_AUDIODRIVER=bogus it runs silent, headless until SIGTERM ends it with
# status 0, and in an X window under Xvfb, where S still moves the clock 20 beats
# (only the clock: there is no music to move) and Escape ends it with status 0.
# Headless, it prints nothing either when SDL looks for a sound device itself
# (SDL_AUDIODRIVER unset; on a machine without a sound card ALSA complains about
# each card it does not find) or when ALSA is asked for a card that is not there.
set -u
build=$1
src=$2
. "$src/tests/e2e/lib/x11.sh"
rerun_inside_xvfb 1024x768x24 "$@"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

# $1: what the run is called; the rest: the sound settings, as env arguments
# (options before settings).
run_headless() {
  local label=$1 pid status
  shift
  env -u DISPLAY "$@" SDL_VIDEODRIVER=offscreen "$build/invitation" >"$out/stdout" 2>"$out/stderr" &
  pid=$!
  sleep 2
  kill -0 "$pid" 2>/dev/null || { wait "$pid"; echo "$label: the show ended with status $? before SIGTERM"; cat "$out/stderr"; return 1; }
  kill -TERM "$pid"
  wait_for_exit "$pid" 5; status=$?
  [ "$status" -eq 0 ] || { echo "$label: exit status $status, expected 0"; cat "$out/stderr"; return 1; }
  [ ! -s "$out/stderr" ] || { echo "$label: unexpected lines on stderr:"; cat "$out/stderr"; return 1; }
}

run_headless "headless" SDL_AUDIODRIVER=bogus || exit 1
run_headless "headless, SDL_AUDIODRIVER unset" -u SDL_AUDIODRIVER || exit 1
run_headless "headless, no such ALSA card" SDL_AUDIODRIVER=alsa ALSA_CARD=no_such_card || exit 1

SDL_AUDIODRIVER=bogus "$build/invitation" >"$out/stdout" 2>"$out/stderr" &
pid=$!
start_show_past_dialog "$pid" || { cat "$out/stderr"; exit 1; }
time_around_skip
xdotool key Escape
wait_for_exit "$pid" 5; status=$?
[ "$status" -eq 0 ] || { echo "X11: exit status $status, expected 0"; cat "$out/stderr"; exit 1; }
[ ! -s "$out/stderr" ] || { echo "X11: unexpected lines on stderr:"; cat "$out/stderr"; exit 1; }

pattern='^\|\| timing_beats > [0-9]+\.[0-9]{6} && timing_beats <= [0-9]+\.[0-9]{6}$'
first=$(grep -E "$pattern" "$out/stdout" | sed -n 1p | awk '{print $4}')
second=$(grep -E "$pattern" "$out/stdout" | sed -n 2p | awk '{print $4}')
[ -n "$first" ] && [ -n "$second" ] || { echo "expected two authoring lines:"; cat "$out/stdout"; exit 1; }
# About 0.9 s (1.8 beats) between the presses, plus the skip's 20 beats.
awk -v a="$first" -v c="$second" 'BEGIN { d = c - a; exit !(d >= 20.5 && d <= 24.5) }' \
  || { echo "S did not move the clock by 20 beats: $first -> $second"; exit 1; }
echo "ok: silent show ran headless (nothing on stderr without a sound device) and in a window; S moved the clock $first -> $second"
