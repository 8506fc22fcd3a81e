#!/usr/bin/env bash
# The page from the unpacked release archive in headless Chromium
# (release_page_test.mjs); skipped, with the reason, where Chromium or
# playwright-core is missing and no release was asked for, or Chromium cannot start.
. "$(dirname "$0")/../e2e/lib/e2e.sh"
e2e_setup "$@"
. "$src/tests/release/release_env.sh"
find_release "$build"
unpack_release "$build/test-output/release/page"
node=$(command -v node) || {
  [ "$release_required" = 1 ] && fail "node is not installed (Debian package nodejs)"
  skip "node is not installed (Debian package nodejs)"
}
INVITATION_WEB_DIR=$unpacked INVITATION_WEB_REQUIRED=$release_required INVITATION_PRODUCT_NAME=$product_name \
  INVITATION_WEB_NODE_MODULES=$release_node_modules INVITATION_TEST_OUTPUT=$build/test-output \
  exec "$node" "$src/tests/release/release_page_test.mjs"
