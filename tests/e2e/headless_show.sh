#!/usr/bin/env bash
# The show runs headless (offscreen video, dummy audio) and SIGTERM ends it with
# status 0 within a second.
set -u
build=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

env -u DISPLAY SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy "$build/invitation" >"$out/stdout" 2>"$out/stderr" &
pid=$!
sleep 2
kill -0 "$pid" 2>/dev/null || { echo "the show ended by itself"; cat "$out/stderr"; exit 1; }
kill -TERM "$pid"
for _ in $(seq 1 20); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.05
done
if kill -0 "$pid" 2>/dev/null; then
  kill -KILL "$pid"
  echo "the show did not end within a second of SIGTERM"
  exit 1
fi
wait "$pid"; status=$?
[ "$status" -eq 0 ] || { echo "exit status $status, expected 0"; cat "$out/stderr"; exit 1; }
echo "ok: SIGTERM ended the show with status 0"
