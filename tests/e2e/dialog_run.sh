#!/usr/bin/env bash
# Run in the launch dialog under Xvfb (1280 x 1024, a mode the show does not start
# with): Enter keeps 1024 x 768 full screen; picking the screen's own mode from the
# list opens the show in that mode.
set -u
build=$1
src=$2
. "$src/tests/e2e/lib/x11.sh"
rerun_inside_xvfb 1280x1024x24 "$@"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

# $1: keys pressed in the dialog before Enter; $2: expected show window size.
run_show() {
  local keys=$1 expected=$2 pid size status
  SDL_AUDIODRIVER=dummy "$build/invitation" >"$out/stdout" 2>"$out/stderr" &
  pid=$!
  wait_for_dialog "$pid" || { cat "$out/stderr"; return 1; }
  [ -z "$keys" ] || xdotool key --delay 150 $keys
  start_show_past_dialog "$pid" || { cat "$out/stderr"; return 1; }
  size=$(window_size "$show_window")
  [ "$size" = "$expected" ] || { echo "show window $size, expected $expected"; kill "$pid"; return 1; }
  held=no
  pointer_held && held=yes
  xdotool key Escape
  wait_for_exit "$pid" 5; status=$?
  [ "$status" -eq 0 ] || { echo "exit status $status, expected 0"; cat "$out/stderr"; return 1; }
  echo "show $size, pointer held: $held"
}

run_show "" 1024x768 || exit 1
[ "$held" = yes ] || { echo "Enter did not start full screen"; exit 1; }
# Run, Cancel, then the list: Down picks its first item, the screen's mode.
run_show "Tab Tab Down" 1280x1024 || exit 1
echo "ok: Enter started 1024 x 768 full screen; the list offered 1280 * 1024"
