#!/usr/bin/env bash
# The show's frame rate on screen under Xvfb: frames presented per second and CPU
# time per frame, counted by build/bench/libswap_counter.so preloaded into the
# show, over --seconds after a 3-second warm-up. With --baseline, another build's
# program runs alternately with this one, round by round, in the same X server,
# and the medians are printed side by side.
#
#   bench/desktop/onscreen_fps.sh [--baseline PROGRAM] [--rounds N] [--seconds S]
#                                 [--fullscreen] BUILD
#
# The show opens through its launch dialog: a 1024 x 768 window on a 1280 x 1024
# screen, or with --fullscreen 1024 x 768 full screen on a 1024 x 768 screen.
set -u
baseline="" rounds=3 seconds=10 fullscreen=0 build=""
while [ $# -gt 0 ]; do
  case $1 in
    --baseline) baseline=$2; shift 2 ;;
    --rounds) rounds=$2; shift 2 ;;
    --seconds) seconds=$2; shift 2 ;;
    --fullscreen) fullscreen=1; shift ;;
    -*) echo "unknown option $1" >&2; exit 2 ;;
    *) build=$1; shift ;;
  esac
done
[ -n "$build" ] || { echo "usage: $0 [--baseline PROGRAM] [--rounds N] [--seconds S] [--fullscreen] BUILD" >&2; exit 2; }
counter=$build/bench/libswap_counter.so
[ -f "$counter" ] || { echo "no $counter (cmake --build $build --target swap_counter)" >&2; exit 2; }

if [ -z "${INSIDE_XVFB:-}" ]; then
  screen=1280x1024x24
  [ "$fullscreen" = 1 ] && screen=1024x768x24
  args=(--rounds "$rounds" --seconds "$seconds")
  [ -n "$baseline" ] && args+=(--baseline "$baseline")
  [ "$fullscreen" = 1 ] && args+=(--fullscreen)
  # -noreset: the server stays up between the runs, as a desktop's does.
  INSIDE_XVFB=1 exec xvfb-run -a -s "-screen 0 $screen -noreset" bash "$0" "${args[@]}" "$build"
fi

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

# Runs program $1 once; prints "FPS CPU_MS_PER_FRAME".
measure() {
  local program=$1 pid dialog=""
  rm -f "$out/report"
  INVITATION_FPS_REPORT="$out/report" INVITATION_FPS_SECONDS=$seconds LD_PRELOAD="$counter" SDL_AUDIODRIVER=dummy \
    "$program" >/dev/null 2>"$out/stderr" &
  pid=$!
  for _ in $(seq 1 100); do
    dialog=$(xdotool search --onlyvisible --name '^Tavrin Demo Engine$' 2>/dev/null | head -n 1)
    [ -n "$dialog" ] && break
    sleep 0.1
  done
  [ -n "$dialog" ] || { echo "no launch dialog from $program" >&2; kill -KILL "$pid"; return 1; }
  sleep 0.5
  xdotool windowfocus --sync "$dialog" 2>/dev/null
  # Run, Cancel, the list, the Fullscreen box.
  [ "$fullscreen" = 1 ] || xdotool key --delay 150 Tab Tab Tab space
  xdotool key Return
  for _ in $(seq 1 $(((seconds + 30) * 10))); do
    [ -s "$out/report" ] && break
    sleep 0.1
  done
  kill -KILL "$pid"
  wait "$pid" 2>/dev/null
  [ -s "$out/report" ] || { echo "no count from $program" >&2; cat "$out/stderr" >&2; return 1; }
  awk '{ printf "%.1f %.1f\n", $2 / $4, $6 / $2 }' "$out/report"
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

what="1024 x 768 window on a 1280 x 1024 screen"
[ "$fullscreen" = 1 ] && what="1024 x 768 full screen on a 1024 x 768 screen"
echo "$what, $seconds s per run, $rounds rounds"
: >"$out/this" ; : >"$out/base"
for round in $(seq 1 "$rounds"); do
  if [ -n "$baseline" ]; then
    result=$(measure "$baseline") || exit 1
    echo "round $round  baseline: $result" | awk '{ printf "%s %s %-9s %6.1f fps, %6.1f ms CPU a frame\n", $1, $2, $3, $4, $5 }'
    echo "$result" >>"$out/base"
  fi
  result=$(measure "$build/invitation") || exit 1
  echo "round $round  this: $result" | awk '{ printf "%s %s %-9s %6.1f fps, %6.1f ms CPU a frame\n", $1, $2, $3, $4, $5 }'
  echo "$result" >>"$out/this"
done
echo "medians:"
if [ -n "$baseline" ]; then
  printf "  baseline %6.1f fps, %6.1f ms CPU a frame\n" "$(cut -d' ' -f1 "$out/base" | median)" "$(cut -d' ' -f2 "$out/base" | median)"
fi
printf "  this     %6.1f fps, %6.1f ms CPU a frame\n" "$(cut -d' ' -f1 "$out/this" | median)" "$(cut -d' ' -f2 "$out/this" | median)"
