#!/usr/bin/env bash
# With no display and no usable video driver the show ends at once with one line
# on standard error and status 1, never a hang.
set -u
build=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy \
  timeout 10 "$build/invitation" >"$out/stdout" 2>"$out/stderr"
status=$?
[ "$status" -eq 1 ] || { echo "exit status $status, expected 1"; cat "$out/stderr"; exit 1; }
lines=$(grep -c . "$out/stderr")
[ "$lines" -eq 1 ] || { echo "expected one line on stderr, got $lines:"; cat "$out/stderr"; exit 1; }
grep -q 'failed' "$out/stderr" || { echo "stderr does not say what failed:"; cat "$out/stderr"; exit 1; }
echo "ok: $(cat "$out/stderr")"
