#!/usr/bin/env bash
# Closing windows the way a window manager's close box does (WM_DELETE_WINDOW, see
# tests/support/wm_close.cpp), under Xvfb: closing the launch dialog is Cancel
# (status 255, no show window, no sound device); closing the show's window ends
# the show with status 0.
. "$(dirname "$0")/lib/e2e.sh"
e2e_setup "$@"
. "$e2e_lib/x11.sh"
rerun_inside_xvfb 1024x768x24 "$@"

SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$out/audio.raw" "$build/invitation" >"$out/stdout" 2>"$out/stderr" &
pid=$!
wait_for_dialog "$pid" || fail "no launch dialog" "$out/stderr"
"$build/wm_close" "$dialog_window" || { kill "$pid"; fail "wm_close could not close the dialog"; }
for _ in $(seq 1 100); do
  kill -0 "$pid" 2>/dev/null || break
  [ -z "$(find_window show)" ] || { kill "$pid"; fail "a show window appeared after closing the dialog"; }
  sleep 0.05
done
wait_for_exit "$pid" 5; status=$?
[ "$status" -eq 255 ] || fail "closing the dialog: exit status $status, expected 255" "$out/stderr"
[ ! -e "$out/audio.raw" ] || fail "closing the dialog: a sound device was opened"

SDL_AUDIODRIVER=dummy "$build/invitation" >"$out/stdout" 2>"$out/stderr" &
pid=$!
start_show_past_dialog "$pid" || fail "the show did not start" "$out/stderr"
sleep 0.5
kill -0 "$pid" 2>/dev/null || fail "the show ended by itself" "$out/stderr"
"$build/wm_close" "$show_window" || { kill "$pid"; fail "wm_close could not close the show's window"; }
wait_for_exit "$pid" 5; status=$?
[ "$status" -eq 0 ] || fail "closing the show: exit status $status, expected 0" "$out/stderr"
echo "ok: closing the dialog cancelled (255), closing the show's window ended it (0)"
