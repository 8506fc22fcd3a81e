#!/usr/bin/env bash
# A video driver that cannot give an OpenGL mode (SDL's dummy driver, asked for by
# name): the show ends with one line naming SDL_SetVideoMode and status 1.
. "$(dirname "$0")/lib/e2e.sh"
e2e_setup "$@"

env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
  timeout 10 "$build/invitation" >"$out/stdout" 2>"$out/stderr"
status=$?
[ "$status" -eq 1 ] || fail "exit status $status, expected 1" "$out/stderr"
lines=$(grep -c . "$out/stderr")
[ "$lines" -eq 1 ] || fail "expected one line on stderr, got $lines" "$out/stderr"
grep -q '^SDL_SetVideoMode failed: .' "$out/stderr" || fail "stderr does not name SDL_SetVideoMode" "$out/stderr"
[ ! -s "$out/stdout" ] || fail "output on stdout" "$out/stdout"
echo "ok: $(cat "$out/stderr")"
