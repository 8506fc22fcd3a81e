#!/usr/bin/env bash
# Unchecking Fullscreen with the keyboard (Tab to the box, space) and pressing
# Enter starts the show in a window: the pointer stays free, unlike in full screen.
# The show's music reaches the disk audio file here, which shows that the file's
# absence after Cancel (dialog_cancel) means something.
. "$(dirname "$0")/lib/e2e.sh"
e2e_setup "$@"
. "$e2e_lib/x11.sh"
rerun_inside_xvfb 1280x1024x24 "$@"

SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$out/audio.raw" \
  "$build/invitation" >"$out/stdout" 2>"$out/stderr" &
pid=$!
wait_for_dialog "$pid" || fail "no launch dialog" "$out/stderr"
# Run, Cancel, the list, then the Fullscreen box.
xdotool key --delay 150 Tab Tab Tab space
start_show_past_dialog "$pid" || fail "the show did not start" "$out/stderr"
size=$(window_size "$show_window")
[ "$size" = 1024x768 ] || { kill "$pid"; fail "show window $size, expected 1024x768"; }
if pointer_held; then kill "$pid"; fail "the show holds the pointer: full screen, expected a window"; fi
xdotool key Escape
wait_for_exit "$pid" 5; status=$?
[ "$status" -eq 0 ] || fail "exit status $status, expected 0" "$out/stderr"
[ -s "$out/audio.raw" ] || fail "the show opened no audio device"
echo "ok: the show started in a 1024 x 768 window"
