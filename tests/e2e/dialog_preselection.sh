#!/usr/bin/env bash
# The launch dialog preselects the show's 1024 x 768 among the display's modes,
# seen in the size of the window the show then opens. Xvfb offers one mode, so the
# dialog is shown a display with several through tests/support/staged_xrandr_modes
# (only the show's own XRandR questions are answered from the list):
#   1280x1024, 1024x768, 800x600, 1024x768, 640x480
# The later of the two 1024 x 768 items is the one preselected. Fullscreen is
# unticked each time (Tab to the box, space), so the window takes the chosen size:
#   Enter                              -> 1024 x 768
#   Tab Tab (to the list), Down, Enter -> 640 x 480, the item after the preselected
#                                         one (from no selection Down would give
#                                         1280 x 1024; from the first match 800 x 600)
. "$(dirname "$0")/lib/e2e.sh"
e2e_setup "$@"
. "$e2e_lib/x11.sh"
rerun_inside_xvfb 1280x1024x24 "$@"
staged_modes=1280x1024,1024x768,800x600,1024x768,640x480

# $1: keys pressed in the dialog before Enter; $2: expected window size. A fault
# ends the test.
run_show() {
  local keys=$1 expected=$2 pid size status
  LD_PRELOAD="$build/libstaged_xrandr_modes.so" INVITATION_STAGED_MODES=$staged_modes SDL_AUDIODRIVER=dummy \
    "$build/invitation" >"$out/stdout" 2>"$out/stderr" &
  pid=$!
  wait_for_dialog "$pid" || fail "no launch dialog" "$out/stderr"
  xdotool key --delay 150 $keys
  start_show_past_dialog "$pid" || fail "the show did not start ($keys)" "$out/stderr"
  size=$(xwininfo -id "$show_window" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
  xdotool key Escape
  wait_for_exit "$pid" 30; status=$?
  echo "keys '$keys': window $size, status $status"
  [ "$size" = "$expected" ] || fail "keys '$keys': window $size, expected $expected"
  [ "$status" -eq 0 ] || fail "keys '$keys': exit status $status, expected 0" "$out/stderr"
}

# Run, Cancel, the list, the Fullscreen box.
run_show "Tab Tab Tab space" 1024x768
run_show "Tab Tab Down Tab space" 640x480
echo "ok: Enter opened the preselected 1024 x 768; Down from it opened 640 x 480"
