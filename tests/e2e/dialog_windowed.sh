#!/usr/bin/env bash
# Unchecking Fullscreen with the keyboard (Tab to the box, space) and pressing
# Enter starts the show in a window: the pointer stays free, unlike in full screen.
# The show's music reaches the disk audio file here, which shows that the file's
# absence after Cancel (dialog_cancel) means something.
set -u
build=$1
src=$2
. "$src/tests/e2e/lib/x11.sh"
rerun_inside_xvfb 1280x1024x24 "$@"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$out/audio.raw" \
  "$build/invitation" >"$out/stdout" 2>"$out/stderr" &
pid=$!
wait_for_dialog "$pid" || { cat "$out/stderr"; exit 1; }
# Run, Cancel, the list, then the Fullscreen box.
xdotool key --delay 150 Tab Tab Tab space
start_show_past_dialog "$pid" || { cat "$out/stderr"; exit 1; }
size=$(window_size "$show_window")
[ "$size" = 1024x768 ] || { echo "show window $size, expected 1024x768"; kill "$pid"; exit 1; }
if pointer_held; then echo "the show holds the pointer: full screen, expected a window"; kill "$pid"; exit 1; fi
xdotool key Escape
wait_for_exit "$pid" 5; status=$?
[ "$status" -eq 0 ] || { echo "exit status $status, expected 0"; cat "$out/stderr"; exit 1; }
[ -s "$out/audio.raw" ] || { echo "the show opened no audio device"; exit 1; }
echo "ok: the show started in a 1024 x 768 window"
