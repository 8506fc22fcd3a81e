#!/usr/bin/env bash
# The Windows executable under Wine: Enter in the launch dialog starts the show full
# screen (silently when Wine has no sound device), the running show draws its scene,
# holding T writes one authoring line to stdout.txt beside the executable, and
# Escape ends the show with status 0. With SDL's disk audio device in place of a sound
# card, the embedded module plays through the Windows build's SDL_mixer.
set -u
build=$1
src=$2
. "$src/tests/e2e/lib/windows_wine.sh"
. "$src/tests/e2e/lib/x11.sh"
find_windows_exe "$build"
require_32bit_wine
rerun_inside_xvfb 1024x768x24 "$@"
prepare_wine_run show || exit 1
fail() { echo "$1"; echo "--- wine:"; tail -n 20 "$work/wine.log"; [ -f stderr.txt ] && { echo "--- stderr.txt:"; cat stderr.txt; }; exit 1; }

wine ./invitation.exe >"$work/wine.log" 2>&1 &
pid=$!
run_past_dialog "$pid" || fail "the show did not start"

# Some beats into the show: particles, bar, border and panel are on screen.
sleep 6
kill -0 "$pid" 2>/dev/null || fail "the show ended by itself"
screenshot "$work/windows_show.png" "$src"
colours=$(convert "$work/windows_show.png" -format '%k' info:)
lit=$(convert "$work/windows_show.png" -colorspace Gray -threshold 8% -format '%[fx:mean]' info:)
[ "$colours" -ge 64 ] || fail "the show's screen has only $colours colours"
awk -v lit="$lit" 'BEGIN { exit !(lit >= 0.05) }' || fail "the show's screen is nearly black (lit share $lit)"

xdotool keydown t; sleep 0.3; xdotool keyup t
sleep 0.5
# Escape is released only after the show has ended, as a person's release comes too
# late for the last turn; a release within it would print a bare time.
xdotool keydown Escape
wait_for_exit "$pid" 15; status=$?
xdotool keyup Escape
[ "$status" -eq 0 ] || fail "exit status $status, expected 0"

[ -f stdout.txt ] || fail "no stdout.txt beside the executable"
# The C runtime writes text mode: lines end in CR LF.
pattern='^\|\| timing_beats > [0-9]+\.[0-9]{6} && timing_beats <= [0-9]+\.[0-9]{6}$'
lines=$(wc -l < stdout.txt)
[ "$lines" -eq 1 ] && tr -d '\r' < stdout.txt | grep -Eq "$pattern" || { echo "--- stdout.txt:"; cat stdout.txt; fail "expected one authoring line"; }
echo "ok: show ran ($colours colours, lit share $lit), authoring line: $(tr -d '\r' < stdout.txt), Escape ended with 0"

rm -f stdout.txt
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=music.raw wine ./invitation.exe >"$work/wine.log" 2>&1 &
pid=$!
run_past_dialog "$pid" || fail "the playback run did not start"
sleep 4
xdotool keydown Escape
wait_for_exit "$pid" 15; status=$?
xdotool keyup Escape
[ "$status" -eq 0 ] || fail "playback run: exit status $status, expected 0"
[ -s music.raw ] || fail "the disk audio device received nothing"
rms=$(sox -t raw -r 44100 -e signed -b 16 -c 2 music.raw -n stat 2>&1 | awk '/RMS +amplitude/ { print $3 }')
awk -v rms="$rms" 'BEGIN { exit !(rms > 0.001) }' || fail "the music is silent (RMS $rms)"
echo "ok: the module played through the disk audio device ($(stat -c %s music.raw) bytes, RMS $rms)"
