#!/usr/bin/env bash
# The Windows executable under Wine: Enter in the launch dialog starts the show full
# screen (silently when Wine has no sound device), the running show draws its scene,
# holding T writes one authoring line to stdout.txt beside the executable, and
# Escape ends the show with status 0. With SDL's disk audio device in place of a sound
# card, the embedded module plays through the Windows build's SDL_mixer.
. "$(dirname "$0")/lib/e2e.sh"
e2e_setup "$@"
. "$e2e_lib/windows_wine.sh"
. "$e2e_lib/x11.sh"
find_wine_exe "$build"
rerun_inside_xvfb 1024x768x24 "$@"
prepare_wine_run show

# fail, with any files given, the end of Wine's log and the show's stderr.txt.
wine_fail() {
  local message=$1
  shift
  tail -n 20 "$work/wine.log" >"$work/wine.log.tail"
  fail "$message" "$@" "$work/wine.log.tail" stderr.txt
}

run_wine ./invitation.exe >"$work/wine.log" 2>&1 &
pid=$!
run_past_dialog "$pid" || wine_fail "the show did not start"

# Some beats into the show: particles, bar, border and panel are on screen.
sleep 6
kill -0 "$pid" 2>/dev/null || wine_fail "the show ended by itself"
screenshot "$work/windows_show.png" "$src"
colours=$(convert "$work/windows_show.png" -format '%k' info:)
lit=$(convert "$work/windows_show.png" -colorspace Gray -threshold 8% -format '%[fx:mean]' info:)
[ "$colours" -ge 64 ] || wine_fail "the show's screen has only $colours colours"
float_test "$lit >= 0.05" || wine_fail "the show's screen is nearly black (lit share $lit)"

xdotool keydown t; sleep 0.3; xdotool keyup t
sleep 0.5
# Escape is released only after the show has ended, as a person's release comes too
# late for the last turn; a release within it would print a bare time.
xdotool keydown Escape
wait_for_exit "$pid" 15; status=$?
xdotool keyup Escape
[ "$status" -eq 0 ] || wine_fail "exit status $status, expected 0"

[ -f stdout.txt ] || wine_fail "no stdout.txt beside the executable"
# The C runtime writes text mode: lines end in CR LF.
[ "$(wc -l < stdout.txt)" -eq 1 ] && [ "$(authoring_pairs stdout.txt | wc -l)" -eq 1 ] ||
  wine_fail "expected one authoring line" stdout.txt
echo "ok $wine_ran: show ran ($colours colours, lit share $lit), authoring line: $(tr -d '\r' < stdout.txt), Escape ended with 0"

rm -f stdout.txt
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=music.raw run_wine ./invitation.exe >"$work/wine.log" 2>&1 &
pid=$!
run_past_dialog "$pid" || wine_fail "the playback run did not start"
sleep 4
xdotool keydown Escape
wait_for_exit "$pid" 15; status=$?
xdotool keyup Escape
[ "$status" -eq 0 ] || wine_fail "playback run: exit status $status, expected 0"
[ -s music.raw ] || wine_fail "the disk audio device received nothing"
rms=$(sox -t raw -r 44100 -e signed -b 16 -c 2 music.raw -n stat 2>&1 | awk '/RMS +amplitude/ { print $3 }')
float_test "$rms > 0.001" || wine_fail "the music is silent (RMS $rms)"
echo "ok $wine_ran: the module played through the disk audio device ($(stat -c %s music.raw) bytes, RMS $rms)"
