#!/usr/bin/env bash
# The launch dialog under Xvfb: it appears centred and shows itself (screenshot in
# test-output; its preselection is held by dialog_preselection); Escape ends the
# program with status 255 before any audio device or show window is opened.
set -u
build=$1
src=$2
. "$src/tests/e2e/lib/x11.sh"
rerun_inside_xvfb 1024x768x24 "$@"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
mkdir -p "$build/test-output"
shot="$build/test-output/launch_dialog.png"

SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$out/audio.raw" \
  "$build/invitation" >"$out/stdout" 2>"$out/stderr" &
pid=$!
wait_for_dialog "$pid" || { cat "$out/stderr"; exit 1; }

eval "$(xdotool getwindowgeometry --shell "$dialog_window")"
echo "dialog ${WIDTH}x${HEIGHT} at $X,$Y"
[ "$WIDTH" -ge 150 ] && [ "$WIDTH" -le 600 ] && [ "$HEIGHT" -ge 80 ] && [ "$HEIGHT" -le 400 ] \
  || { echo "dialog size out of proportion"; exit 1; }
[ $(( (1024 - WIDTH) / 2 - X )) -le 2 ] && [ $(( X - (1024 - WIDTH) / 2 )) -le 2 ] \
  && [ $(( (768 - HEIGHT) / 2 - Y )) -le 2 ] && [ $(( Y - (768 - HEIGHT) / 2 )) -le 2 ] \
  || { echo "dialog not centred"; exit 1; }
import -window root "$shot"
colours=$(convert "$shot" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" -format %k info:)
[ "$colours" -ge 16 ] || { echo "the dialog looks empty ($colours colours): $shot"; exit 1; }

xdotool key Escape
# No show window may appear between Escape and the end of the process.
for _ in $(seq 1 100); do
  kill -0 "$pid" 2>/dev/null || break
  [ -z "$(find_window show)" ] || { echo "a show window appeared after Cancel"; exit 1; }
  sleep 0.05
done
wait_for_exit "$pid" 5; status=$?
[ "$status" -eq 255 ] || { echo "exit status $status, expected 255"; cat "$out/stderr"; exit 1; }
[ ! -e "$out/audio.raw" ] || { echo "an audio device was opened"; exit 1; }
[ ! -s "$out/stdout" ] && [ ! -s "$out/stderr" ] || { echo "unexpected output:"; cat "$out/stdout" "$out/stderr"; exit 1; }
echo "ok: Escape cancelled with status 255; screenshot $shot"
