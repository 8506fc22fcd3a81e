#!/usr/bin/env bash
# The browser build's WebAssembly unit tests (build-web/web_unit_tests.js) under
# node. Skipped, with the reason, when no browser build with its tests was made,
# unless `make test` made one (INVITATION_WEB_REQUIRED=1).
#   wasm_unit_tests.sh NODE
set -u
tests=$INVITATION_WEB_DIR/web_unit_tests.js
if [ ! -f "$tests" ]; then
  reason="no $tests (make web WEB_TESTS=ON builds it)"
  left_out=${INVITATION_SETUP_STATE:-}/left-out/web
  if [ -f "$left_out" ]; then
    echo "SKIPPED: web was left out by the set-up: $(cat "$left_out")"
    exit 77
  fi
  if [ "${INVITATION_WEB_REQUIRED:-0}" = 1 ]; then
    echo "$reason" >&2
    exit 1
  fi
  echo "SKIPPED: $reason"
  exit 77
fi
exec "$1" "$tests"
