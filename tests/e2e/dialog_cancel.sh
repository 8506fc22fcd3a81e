#!/usr/bin/env bash
# The launch dialog under Xvfb: it appears centred and shows itself (screenshot in
# test-output; its preselection is held by dialog_preselection); Escape ends the
# program with status 255 before any audio device or show window is opened.
. "$(dirname "$0")/lib/e2e.sh"
e2e_setup "$@"
. "$e2e_lib/x11.sh"
rerun_inside_xvfb 1024x768x24 "$@"
mkdir -p "$build/test-output"
shot="$build/test-output/launch_dialog.png"

SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$out/audio.raw" \
  "$build/invitation" >"$out/stdout" 2>"$out/stderr" &
pid=$!
wait_for_dialog "$pid" || fail "no launch dialog" "$out/stderr"

eval "$(xdotool getwindowgeometry --shell "$dialog_window")"
echo "dialog ${WIDTH}x${HEIGHT} at $X,$Y"
[ "$WIDTH" -ge 150 ] && [ "$WIDTH" -le 600 ] && [ "$HEIGHT" -ge 80 ] && [ "$HEIGHT" -le 400 ] \
  || fail "dialog size out of proportion"
[ $(( (1024 - WIDTH) / 2 - X )) -le 2 ] && [ $(( X - (1024 - WIDTH) / 2 )) -le 2 ] \
  && [ $(( (768 - HEIGHT) / 2 - Y )) -le 2 ] && [ $(( Y - (768 - HEIGHT) / 2 )) -le 2 ] \
  || fail "dialog not centred"
wait_for_colours "$shot" "${WIDTH}x${HEIGHT}+${X}+${Y}" 16 || fail "the dialog looks empty ($colours colours): $shot"

xdotool key Escape
# No show window may appear between Escape and the end of the process, however
# long that takes (the limit only ends a run that hangs).
for _ in $(seq 1 600); do
  kill -0 "$pid" 2>/dev/null || break
  [ -z "$(find_window show)" ] || fail "a show window appeared after Cancel"
  sleep 0.05
done
wait_for_exit "$pid" 30; status=$?
[ "$status" -eq 255 ] || fail "exit status $status, expected 255" "$out/stderr"
[ ! -e "$out/audio.raw" ] || fail "an audio device was opened"
[ ! -s "$out/stdout" ] && [ ! -s "$out/stderr" ] || fail "unexpected output" "$out/stdout" "$out/stderr"
echo "ok: Escape cancelled with status 255; screenshot $shot"
