#!/usr/bin/env bash
# The sound in step with the picture, live: the desktop show with its sound going
# to a private PulseAudio null sink, and the page in Chromium where it was built,
# each run once by the sync bench's check (bench/sync/sync_check.mjs): the
# recording matched against the capture's rendering, the picture's clock from the
# T lines, within 50 ms (looser than the 20 ms the bench finds, so load cannot
# flake it). Skipped with the reason where PulseAudio, Xvfb, the bench's libraries
# (the set-up's sync group) or puppeteer-core are missing.
. "$(dirname "$0")/lib/e2e.sh"
e2e_setup "$@"
skip_if_left_out sync
for program in pulseaudio pactl Xvfb xdotool xprop node pkg-config; do
  command -v "$program" >/dev/null || skip "$program is not installed (the set-up's sync group)"
done
pkg-config --exists libpulse xtst ||
  skip "the bench's libraries are not installed: libpulse-dev, libxtst-dev (the set-up's sync group)"

web_dir=$src/build-web
[ -f "$build/web_build.env" ] && . "$build/web_build.env"
tools=$out/sync-tools
cmake -S "$src/bench/sync" -B "$tools" -DCMAKE_BUILD_TYPE=Release >"$out/cmake.log" 2>&1 ||
  fail "the bench's tools do not configure" "$out/cmake.log"
cmake --build "$tools" -j2 >>"$out/cmake.log" 2>&1 || fail "the bench's tools do not build" "$out/cmake.log"

SYNC_BENCH_BUILD=$build SYNC_BENCH_WEB=$web_dir SYNC_BENCH_TOOLS=$tools \
  SYNC_BENCH_NODE_MODULES=$web_dir/test-node/node_modules SYNC_BENCH_WORK=$out/work \
  node "$src/bench/sync/sync_check.mjs"
