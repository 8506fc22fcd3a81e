#!/usr/bin/env bash
# A sound driver that does not work does not stop the show: with
# SDL_AUDIODRIVER=bogus it runs silent, headless until SIGTERM ends it with
# status 0, and in an X window under Xvfb, where S still moves the clock 20 beats
# (only the clock: there is no music to move) and Escape ends it with status 0.
# Headless, it prints nothing either when SDL looks for a sound device itself
# (SDL_AUDIODRIVER unset; on a machine without a sound card ALSA complains about
# each card it does not find) or when ALSA is asked for a card that is not there.
. "$(dirname "$0")/lib/e2e.sh"
e2e_setup "$@"
. "$e2e_lib/x11.sh"
rerun_inside_xvfb 1024x768x24 "$@"

# $1: what the run is called; the rest: the sound settings, as env arguments
# (options before settings).
run_headless() {
  local label=$1 pid status
  shift
  env -u DISPLAY "$@" SDL_VIDEODRIVER=offscreen "$build/invitation" >"$out/stdout" 2>"$out/stderr" &
  pid=$!
  sleep 2
  kill -0 "$pid" 2>/dev/null || { wait "$pid"; fail "$label: the show ended with status $? before SIGTERM" "$out/stderr"; }
  kill -TERM "$pid"
  wait_for_exit "$pid" 5; status=$?
  [ "$status" -eq 0 ] || fail "$label: exit status $status, expected 0" "$out/stderr"
  [ ! -s "$out/stderr" ] || fail "$label: unexpected lines on stderr" "$out/stderr"
}

run_headless "headless" SDL_AUDIODRIVER=bogus
run_headless "headless, SDL_AUDIODRIVER unset" -u SDL_AUDIODRIVER
run_headless "headless, no such ALSA card" SDL_AUDIODRIVER=alsa ALSA_CARD=no_such_card

SDL_AUDIODRIVER=bogus "$build/invitation" >"$out/stdout" 2>"$out/stderr" &
pid=$!
start_show_past_dialog "$pid" || fail "the show did not start" "$out/stderr"
time_around_skip
xdotool key Escape
wait_for_exit "$pid" 5; status=$?
[ "$status" -eq 0 ] || fail "X11: exit status $status, expected 0" "$out/stderr"
[ ! -s "$out/stderr" ] || fail "X11: unexpected lines on stderr" "$out/stderr"

check_lines_around_skip "$out/stdout"
echo "ok: silent show ran headless (nothing on stderr without a sound device) and in a window; S moved the clock $press1 -> $press2"
