#!/usr/bin/env bash
# The show runs headless (offscreen video, dummy audio) and SIGTERM ends it with
# status 0 within a second.
. "$(dirname "$0")/lib/e2e.sh"
e2e_setup "$@"

env -u DISPLAY SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy "$build/invitation" >"$out/stdout" 2>"$out/stderr" &
pid=$!
sleep 2
kill -0 "$pid" 2>/dev/null || fail "the show ended by itself" "$out/stderr"
kill -TERM "$pid"
for _ in $(seq 1 20); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.05
done
if kill -0 "$pid" 2>/dev/null; then
  kill -KILL "$pid"
  fail "the show did not end within a second of SIGTERM"
fi
wait "$pid"; status=$?
[ "$status" -eq 0 ] || fail "exit status $status, expected 0" "$out/stderr"
echo "ok: SIGTERM ended the show with status 0"
