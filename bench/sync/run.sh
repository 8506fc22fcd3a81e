#!/usr/bin/env bash
# The live sync bench in one command (make sync-bench): installs what it needs
# (the set-up's groups sync, chromium and firefox; puppeteer-core at the version
# bench/sync/package-lock.json pins, into SYNC_BENCH_DIR/node, no browser
# download), builds the bench's tools into SYNC_BENCH_DIR/tools, then runs
#   bench/sync/run.sh [BUILD [BUILD_WEB]] [--targets desktop,chromium,firefox] [--runs N] [--taps N]
#   bench/sync/run.sh [BUILD [BUILD_WEB]] --check     one run each of desktop and Chromium, exit 1 over 50 ms
# BUILD holds invitation and invitation-capture (default build), BUILD_WEB
# invitation.html (default build-web). The bench writes only into SYNC_BENCH_DIR
# (default build/sync-bench here), so the builds measured may be anyone's.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=build
web=build-web
[ $# -gt 0 ] && [ "${1#--}" = "$1" ] && { build=$1; shift; }
[ $# -gt 0 ] && [ "${1#--}" = "$1" ] && { web=$1; shift; }
bench=$(mkdir -p "${SYNC_BENCH_DIR:-build/sync-bench}" && cd "${SYNC_BENCH_DIR:-build/sync-bench}" && pwd)

"$here/../../tools/setup/setup.sh" require run sync chromium firefox

cmake -S "$here" -B "$bench/tools" -DCMAKE_BUILD_TYPE=Release >/dev/null
nice -n 10 cmake --build "$bench/tools" -j2 >/dev/null

mkdir -p "$bench/node"
if ! cmp -s "$here/package-lock.json" "$bench/node/package-lock.json" || [ ! -d "$bench/node/node_modules/puppeteer-core" ]; then
  cp "$here/package.json" "$here/package-lock.json" "$bench/node/"
  (cd "$bench/node" && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error)
fi

export SYNC_BENCH_BUILD=$build SYNC_BENCH_WEB=$web SYNC_BENCH_TOOLS=$bench/tools \
  SYNC_BENCH_NODE_MODULES=$bench/node/node_modules SYNC_BENCH_WORK=$bench/work
if [ "${1:-}" = "--check" ]; then
  exec node "$here/sync_check.mjs"
fi
exec node "$here/sync_bench.mjs" "$@"
