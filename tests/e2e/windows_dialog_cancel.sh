#!/usr/bin/env bash
# The Windows executable under Wine: the launch dialog (template 101) appears and
# shows itself (its preselection is held by windows_dialog_run); Escape cancels it,
# the program ends with status -1 (255 as Wine reports it) and no show window ever
# opens.
. "$(dirname "$0")/lib/e2e.sh"
e2e_setup "$@"
. "$e2e_lib/windows_wine.sh"
. "$e2e_lib/x11.sh"
find_wine_exe "$build"
rerun_inside_xvfb 1024x768x24 "$@"
prepare_wine_run dialog_cancel

run_wine ./invitation.exe >"$work/wine.log" 2>&1 &
pid=$!
dialog=$(wait_for_titled_window "$pid") || fail "no dialog appeared" "$work/wine.log"
sleep 1
screenshot "$work/windows_dialog.png" "$src"
# The dialog's own pixels: a light face with dark text, on the black root window.
colours=$(convert "$work/windows_dialog.png" -format '%k' info:)
[ "$colours" -ge 8 ] || fail "the dialog shows only $colours colours"

xdotool windowfocus --sync "$dialog" 2>/dev/null || true
xdotool key Escape
# Until the process ends, no other window of that title may appear.
for _ in $(seq 1 200); do
  kill -0 "$pid" 2>/dev/null || break
  if show_titled_windows | grep -vxq "$dialog"; then fail "a show window opened after Cancel"; fi
  sleep 0.05
done
wait_for_exit "$pid" 10; status=$?
[ "$status" -eq 255 ] || fail "exit status $status, expected 255 (-1)" "$work/wine.log"
[ ! -s stdout.txt ] || fail "stdout.txt is not empty" stdout.txt
echo "ok $wine_ran: dialog shown ($colours colours), Escape ended with -1, no show window"
