#!/usr/bin/env bash
# A video driver that cannot give an OpenGL mode (SDL's dummy driver, asked for by
# name): the show ends with one line naming SDL_SetVideoMode and status 1.
set -u
build=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
  timeout 10 "$build/invitation" >"$out/stdout" 2>"$out/stderr"
status=$?
[ "$status" -eq 1 ] || { echo "exit status $status, expected 1"; cat "$out/stderr"; exit 1; }
lines=$(grep -c . "$out/stderr")
[ "$lines" -eq 1 ] || { echo "expected one line on stderr, got $lines:"; cat "$out/stderr"; exit 1; }
grep -q '^SDL_SetVideoMode failed: .' "$out/stderr" || { echo "stderr does not name SDL_SetVideoMode:"; cat "$out/stderr"; exit 1; }
[ ! -s "$out/stdout" ] || { echo "output on stdout:"; cat "$out/stdout"; exit 1; }
echo "ok: $(cat "$out/stderr")"
