#!/usr/bin/env bash
# Closing windows the way a window manager's close box does (WM_DELETE_WINDOW, see
# tests/support/wm_close.cpp), under Xvfb: closing the launch dialog is Cancel
# (status 255, no show window, no sound device); closing the show's window ends
# the show with status 0.
set -u
build=$1
src=$2
. "$src/tests/e2e/lib/x11.sh"
rerun_inside_xvfb 1024x768x24 "$@"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$out/audio.raw" "$build/invitation" >"$out/stdout" 2>"$out/stderr" &
pid=$!
wait_for_dialog "$pid" || { cat "$out/stderr"; exit 1; }
"$build/wm_close" "$dialog_window" || { kill "$pid"; exit 1; }
for _ in $(seq 1 100); do
  kill -0 "$pid" 2>/dev/null || break
  [ -z "$(find_window show)" ] || { echo "a show window appeared after closing the dialog"; kill "$pid"; exit 1; }
  sleep 0.05
done
wait_for_exit "$pid" 5; status=$?
[ "$status" -eq 255 ] || { echo "closing the dialog: exit status $status, expected 255"; cat "$out/stderr"; exit 1; }
[ ! -e "$out/audio.raw" ] || { echo "closing the dialog: a sound device was opened"; exit 1; }

SDL_AUDIODRIVER=dummy "$build/invitation" >"$out/stdout" 2>"$out/stderr" &
pid=$!
start_show_past_dialog "$pid" || { cat "$out/stderr"; exit 1; }
sleep 0.5
kill -0 "$pid" 2>/dev/null || { echo "the show ended by itself"; exit 1; }
"$build/wm_close" "$show_window" || { kill "$pid"; exit 1; }
wait_for_exit "$pid" 5; status=$?
[ "$status" -eq 0 ] || { echo "closing the show: exit status $status, expected 0"; cat "$out/stderr"; exit 1; }
echo "ok: closing the dialog cancelled (255), closing the show's window ended it (0)"
