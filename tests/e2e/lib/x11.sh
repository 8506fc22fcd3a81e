# Shared steps of the X11 end-to-end tests (sourced after lib/e2e.sh, not run by
# ctest): a run inside Xvfb, keys held as a person holds them, the launch dialog's
# and the show's windows, and the authoring lines around a skip.
# The launch dialog and the show's window carry the same title; they differ in
# their window type: dialog for the one, normal for the other.
declare -F e2e_setup >/dev/null || . "${BASH_SOURCE[0]%/*}/e2e.sh"

window_title='^Tavrin Demo Engine$'

# What an Xvfb of these tests is started with for a screen of $1 (WxHxD). By
# default the X server resets itself whenever its last client leaves, and a client
# that connects during the reset is dropped: a show started right after the one
# before ended would find no display for its dialog and run without it. A
# desktop session never lets its server reset, so neither do the tests.
xvfb_server_args() {
  echo "-screen 0 $1 -noreset"
}

# Runs this script again inside an Xvfb of its own with a screen of $1 (WxHxD),
# unless it already runs there; the rest are the script's own arguments. What
# at_exit would do happens first (exec skips it): the run inside sets up anew.
rerun_inside_xvfb() {
  local screen=$1
  shift
  [ -n "${INSIDE_XVFB:-}" ] && return 0
  e2e_run_exit_commands
  e2e_exit_commands=()
  INSIDE_XVFB=1 exec xvfb-run -a -s "$(xvfb_server_args "$screen")" bash "$0" "$@"
}

# Holds key $1 for 0.3 s as a person would, then lets 0.3 s pass.
hold_key() {
  xdotool keydown "$1"; sleep 0.3; xdotool keyup "$1"
  sleep 0.3
}

# T held, S, T held again: two authoring lines around one skip, the second some
# 20 beats after the first.
time_around_skip() {
  hold_key t
  xdotool key s
  sleep 0.3
  hold_key t
}

# Checks the two authoring lines time_around_skip leaves in the show's output $1:
# both complete, the first press before its release, and the second press 20.5
# to 24.5 beats after the first (about 0.9 s, 1.8 beats, between the presses,
# plus the skip's 20). Sets press1, release1, press2 and release2; a fault ends
# the test.
check_lines_around_skip() {
  local file=$1 pairs
  pairs=$(authoring_pairs "$file")
  read -r press1 release1 <<<"$(sed -n 1p <<<"$pairs")"
  read -r press2 release2 <<<"$(sed -n 2p <<<"$pairs")"
  [ -n "$press2" ] || fail "expected two complete authoring lines" "$file"
  float_test "$press1 <= $release1" || fail "press after release: $press1 > $release1"
  float_test "$press2 - $press1 >= 20.5 && $press2 - $press1 <= 24.5" ||
    fail "S did not move the clock by 20 beats: $press1 -> $press2"
}

# Prints the visible window with the show's title of kind $1 (dialog or show);
# nothing when there is none.
find_window() {
  local kind=$1 w type
  for w in $(xdotool search --onlyvisible --name "$window_title" 2>/dev/null); do
    type=$(xprop -id "$w" _NET_WM_WINDOW_TYPE 2>/dev/null)
    case "$kind:$type" in
      dialog:*_NET_WM_WINDOW_TYPE_DIALOG*) echo "$w"; return 0 ;;
      show:*_NET_WM_WINDOW_TYPE_NORMAL*) echo "$w"; return 0 ;;
    esac
  done
}

# What a run that waits in vain shows of process $1: its state and the windows
# with the show's title, with their types.
x11_state() {
  local w
  echo "process $1: $(ps -o stat=,wchan:20= -p "$1" 2>/dev/null || echo gone)"
  for w in $(xdotool search --name "$window_title" 2>/dev/null); do
    echo "window $w: $(xwininfo -id "$w" 2>/dev/null | awk '/Map State:/ { print $3 }')" \
      "$(xprop -id "$w" _NET_WM_WINDOW_TYPE 2>/dev/null | sed 's/.*= //')"
  done
}

# True when the keyboard is in window $1 or in a window inside it.
has_focus() {
  local focus
  focus=$(xdotool getwindowfocus -f 2>/dev/null) || return 1
  [ "$focus" = "$1" ] && return 0
  xwininfo -id "$1" -tree 2>/dev/null | grep -q "^ *$(printf '0x%x' "$focus") "
}

# Gives window $1 the keyboard and waits until the X server has it there, so
# that no key meant for it goes elsewhere. The limit, 60 s, only ends a run where
# it never gets there.
wait_for_focus() {
  local window=$1
  for _ in $(seq 1 300); do
    xdotool windowfocus "$window" 2>/dev/null
    has_focus "$window" && return 0
    sleep 0.2
  done
  echo "window $window never got the keyboard (it is in $(xdotool getwindowfocus -f 2>/dev/null))"
  return 1
}

# Waits for window kind $2 (dialog or show) of process $1 and gives it the
# keyboard; sets found_window. The limit, 60 s, only ends a run whose window never
# comes: a loaded machine takes its time to start GTK or a GL context.
wait_for_window() {
  local pid=$1 kind=$2
  found_window=""
  for _ in $(seq 1 600); do
    kill -0 "$pid" 2>/dev/null || { echo "the process ended before its $kind window appeared"; return 1; }
    found_window=$(find_window "$kind")
    [ -n "$found_window" ] && break
    sleep 0.1
  done
  [ -n "$found_window" ] || { echo "no $kind window"; x11_state "$pid"; return 1; }
  wait_for_focus "$found_window" || return 1
  sleep 0.3
}

# Waits for the launch dialog and gives it the keyboard; sets dialog_window.
wait_for_dialog() {
  wait_for_window "$1" dialog || return 1
  dialog_window=$found_window
}

# Presses Enter (Run) in the launch dialog, then waits for the show's window and
# gives it the keyboard; sets show_window.
start_show_past_dialog() {
  local pid=$1
  wait_for_dialog "$pid" || return 1
  xdotool key Return
  wait_for_window "$pid" show || return 1
  show_window=$found_window
  sleep 0.2
}

# Waits up to $2 seconds for process $1 to end; returns its status (124 on time-out).
# The limit only ends a run that hangs: a loaded machine can take seconds to end
# a process that is already on its way out.
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

# Screenshots of the whole screen into $1 until the part $2 (WxH+X+Y) shows at
# least $3 colours: a window is mapped before it is drawn, and on a loaded
# machine the drawing can come seconds later. Sets colours to the last count;
# false when it never got there within 60 s.
wait_for_colours() {
  local file=$1 part=$2 least=$3
  for _ in $(seq 1 120); do
    import -window root "$file" 2>/dev/null &&
      colours=$(convert "$file" -crop "$part" -format %k info: 2>/dev/null) &&
      [ "${colours:-0}" -ge "$least" ] && return 0
    sleep 0.5
  done
  return 1
}

# Width x height of window $1, as "WxH".
window_size() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
  echo "${WIDTH}x${HEIGHT}"
}

# True when the window with the keyboard holds the pointer inside itself, as the
# show does in full screen: a move to the screen's corner then stays in the window.
# Meaningful only for a window that does not start at the screen's corner.
pointer_held() {
  xdotool mousemove 0 0
  sleep 0.2
  eval "$(xdotool getmouselocation --shell)"
  [ "$X" -gt 0 ] || [ "$Y" -gt 0 ]
}
