#!/usr/bin/env bash
# The show in a real X window under Xvfb, driven with xdotool: holding T prints one
# authoring line, S moves the clock 20 beats ahead, Escape ends with status 0.
set -u
build=$1
src=$2
. "$src/tests/e2e/lib/x11.sh"
rerun_inside_xvfb 1024x768x24 "$@"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

SDL_AUDIODRIVER=dummy "$build/invitation" >"$out/stdout" 2>"$out/stderr" &
pid=$!
start_show_past_dialog "$pid" || { cat "$out/stderr"; exit 1; }

time_around_skip
xdotool key Escape
wait_for_exit "$pid" 5; status=$?
[ "$status" -eq 0 ] || { echo "exit status $status, expected 0"; cat "$out/stderr"; exit 1; }

cat "$out/stdout"
pattern='^\|\| timing_beats > [0-9]+\.[0-9]{6} && timing_beats <= [0-9]+\.[0-9]{6}$'
first=$(grep -E "$pattern" "$out/stdout" | sed -n 1p)
second=$(grep -E "$pattern" "$out/stdout" | sed -n 2p)
[ -n "$first" ] && [ -n "$second" ] || { echo "expected two complete authoring lines"; exit 1; }
read -r a1 b1 <<<"$(echo "$first" | awk '{print $4, $8}')"
read -r a2 b2 <<<"$(echo "$second" | awk '{print $4, $8}')"
awk -v a="$a1" -v b="$b1" 'BEGIN { exit !(a <= b) }' || { echo "press after release: $first"; exit 1; }
# Between the two presses about 0.9 s pass (1.8 beats) plus the 20 beats of the skip.
awk -v a="$a1" -v c="$a2" 'BEGIN { d = c - a; exit !(d >= 20.5 && d <= 24.5) }' \
  || { echo "S did not move the clock by 20 beats: $a1 -> $a2"; exit 1; }
# The S key's own release prints a bare time between the two lines.
echo "ok: T lines $a1..$b1 and $a2..$b2"
