#!/usr/bin/env bash
# The show in a real X window under Xvfb, driven with xdotool: holding T prints one
# authoring line, S moves the clock 20 beats ahead, Escape ends with status 0.
. "$(dirname "$0")/lib/e2e.sh"
e2e_setup "$@"
. "$e2e_lib/x11.sh"
rerun_inside_xvfb 1024x768x24 "$@"

SDL_AUDIODRIVER=dummy "$build/invitation" >"$out/stdout" 2>"$out/stderr" &
pid=$!
start_show_past_dialog "$pid" || fail "the show did not start" "$out/stderr"

time_around_skip
xdotool key Escape
wait_for_exit "$pid" 5; status=$?
[ "$status" -eq 0 ] || fail "exit status $status, expected 0" "$out/stderr"

cat "$out/stdout"
# The S key's own release prints a bare time between the two lines.
check_lines_around_skip "$out/stdout"
echo "ok: T lines $press1..$release1 and $press2..$release2"
