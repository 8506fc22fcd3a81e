# Shared steps of the X11 end-to-end tests (sourced, not run by ctest).

# Waits for the show's window to appear and gives it the keyboard.
start_show_past_dialog() {
  local pid=$1 window=""
  for _ in $(seq 1 100); do
    kill -0 "$pid" 2>/dev/null || { echo "the show ended before its window appeared"; return 1; }
    window=$(xdotool search --name '^Tavrin Demo Engine$' 2>/dev/null | tail -n 1)
    [ -n "$window" ] && break
    sleep 0.1
  done
  [ -n "$window" ] || { echo "no show window"; return 1; }
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  sleep 0.5
}

# Waits up to $2 seconds for process $1 to end; returns its status (124 on time-out).
wait_for_exit() {
  local pid=$1 limit=$2
  for _ in $(seq 1 $((limit * 20))); do
    kill -0 "$pid" 2>/dev/null || { wait "$pid"; return $?; }
    sleep 0.05
  done
  kill -KILL "$pid"
  echo "process did not end within $limit s"
  return 124
}
