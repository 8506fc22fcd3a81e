#!/usr/bin/env bash
# The Windows executable's launch dialog preselects the show's 1024 x 768 among
# the display's modes, seen in the size the show then opens. Wine runs it in a
# virtual desktop of 1280 x 1024, which offers the usual modes up to that size
# (Xvfb itself offers one) and takes the show's full-screen mode as its own size:
#   Enter                  -> 1024 x 768, the preselected item
#   Tab Tab (to the list), Down, Enter -> 1152 x 864, the item after it in
#                             Wine's list (without a preselection Down would
#                             pick the first item, 320 x 200)
. "$(dirname "$0")/lib/e2e.sh"
e2e_setup "$@"
. "$e2e_lib/windows_wine.sh"
. "$e2e_lib/x11.sh"
find_wine_exe "$build"
rerun_inside_xvfb 1280x1024x24 "$@"
prepare_wine_run dialog_run
desktop_title='invitation - Wine desktop'

# $1: keys pressed in the dialog before Enter; $2: expected size of the show. A
# fault ends the test.
run_in_desktop() {
  local keys=$1 expected=$2 pid size desktop_size status
  run_wine explorer /desktop=invitation,1280x1024 invitation.exe >"$work/wine.log" 2>&1 &
  pid=$!
  dialog=$(wait_for_titled_window "$pid") || fail "no dialog appeared" "$work/wine.log"
  sleep 1
  xdotool windowfocus --sync "$dialog" 2>/dev/null || true
  [ -z "$keys" ] || xdotool key --delay 200 $keys
  xdotool key Return
  show=$(wait_for_titled_window "$pid" "$dialog") || fail "no show window after Enter ($keys)" "$work/wine.log"
  sleep 2
  size=$(xwininfo -id "$show" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
  desktop_size=$(xwininfo -name "$desktop_title" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
  xdotool windowfocus --sync "$show" 2>/dev/null || true
  xdotool keydown Escape
  wait_for_exit "$pid" 15; status=$?
  xdotool keyup Escape
  wineserver -w
  echo "keys '${keys:-none}': show $size, desktop $desktop_size, status $status"
  [ "$size" = "$expected" ] && [ "$desktop_size" = "$expected" ] || fail "keys '${keys:-none}': expected $expected"
  [ "$status" -eq 0 ] || fail "keys '${keys:-none}': exit status $status, expected 0"
}

run_in_desktop "" 1024x768
run_in_desktop "Tab Tab Down" 1152x864
echo "ok $wine_ran: Enter opened the preselected 1024 x 768; Down from it opened 1152 x 864"
