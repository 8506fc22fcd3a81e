#!/usr/bin/env bash
# Without a display the show ends at once with one line on standard error that says
# what to set, and status 1: in the default environment (no DISPLAY, no
# SDL_VIDEODRIVER), where SDL would fall back to an invisible offscreen window, and
# with SDL_VIDEODRIVER=x11. No sound device is opened and nothing hangs.
. "$(dirname "$0")/lib/e2e.sh"
e2e_setup "$@"

# expect_refusal PATTERN ENV...: runs the show without a display in the given
# environment and checks for one line matching PATTERN and status 1.
expect_refusal() {
  local pattern=$1
  shift
  rm -f "$out/audio.raw"
  env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER "$@" SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$out/audio.raw" \
    timeout 10 "$build/invitation" >"$out/stdout" 2>"$out/stderr"
  local status=$? lines case=${*:-default environment}
  lines=$(grep -c . "$out/stderr")
  if [ "$status" -ne 1 ] || [ "$lines" -ne 1 ] || ! grep -q -- "$pattern" "$out/stderr"; then
    count_failure "($case) status $status, expected 1 and one line matching '$pattern'" "$out/stderr"
    return
  fi
  [ ! -e "$out/audio.raw" ] || count_failure "($case) a sound device was opened"
  [ ! -s "$out/stdout" ] || count_failure "($case) output on stdout" "$out/stdout"
  echo "ok ($case): $(cat "$out/stderr")"
}

expect_refusal "set DISPLAY.*SDL_VIDEODRIVER=offscreen for a headless run"
expect_refusal "set DISPLAY.*SDL_VIDEODRIVER=offscreen" XDG_RUNTIME_DIR="$out"
expect_refusal "SDL_Init failed: x11 not available" SDL_VIDEODRIVER=x11
finish_checks "no display: one line and status 1, no sound device, in each environment"
