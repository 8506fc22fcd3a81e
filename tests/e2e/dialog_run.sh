#!/usr/bin/env bash
# Run in the launch dialog under Xvfb (1280 x 1024, a mode the show does not start
# with): Enter keeps 1024 x 768 full screen; picking the screen's own mode from the
# list opens the show in that mode.
. "$(dirname "$0")/lib/e2e.sh"
e2e_setup "$@"
. "$e2e_lib/x11.sh"
rerun_inside_xvfb 1280x1024x24 "$@"

# $1: keys pressed in the dialog before Enter; $2: expected show window size. Sets
# held; a fault ends the test.
run_show() {
  local keys=$1 expected=$2 pid size status
  SDL_AUDIODRIVER=dummy "$build/invitation" >"$out/stdout" 2>"$out/stderr" &
  pid=$!
  wait_for_dialog "$pid" || fail "no launch dialog" "$out/stderr"
  [ -z "$keys" ] || xdotool key --delay 150 $keys
  start_show_past_dialog "$pid" || fail "the show did not start (keys '$keys')" "$out/stderr"
  size=$(window_size "$show_window")
  [ "$size" = "$expected" ] || { kill "$pid"; fail "show window $size, expected $expected"; }
  held=no
  pointer_held && held=yes
  xdotool key Escape
  wait_for_exit "$pid" 5; status=$?
  [ "$status" -eq 0 ] || fail "exit status $status, expected 0" "$out/stderr"
  echo "show $size, pointer held: $held"
}

run_show "" 1024x768
[ "$held" = yes ] || fail "Enter did not start full screen"
# Run, Cancel, then the list: Down picks its first item, the screen's mode.
run_show "Tab Tab Down" 1280x1024
echo "ok: Enter started 1024 x 768 full screen; the list offered 1280 * 1024"
