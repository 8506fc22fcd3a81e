#!/usr/bin/env bash
# Where the show draws: straight into its window, or through the compatibility
# layer's scaling buffer, and what that puts on the screen. Each run holds one
# frame still (tests/support/frozen_frame: beat 37.2, seed 2008, the 40th frame),
# which reports the framebuffer it was drawn into (0: the window's own).
# On a 1280 x 1024 screen:
#   a 1024 x 768 window                 straight in; the picture of the frame
#   the same with the viewer's
#   SDL12COMPAT_OPENGL_SCALING=1        through the buffer, as the viewer said;
#                                       no channel more than 2 apart (llvmpipe
#                                       rounds a few blended pixels differently)
#   a window the viewer has the layer
#   enlarge (WINDOW_SCALING=1.25)       through the buffer, 1280 x 960
#   1024 x 768 full screen              through the buffer, letterboxed: the
#                                       frame scaled to 1280 x 960 between black
#                                       bars, the desktop's mode kept
# On a 1024 x 768 screen:
#   1024 x 768 full screen              straight in; the same picture as the window
# Without a window manager under Xvfb, a full-screen window smaller than the
# screen stays at its own size, showing the bottom-left part of what the layer
# draws for the whole screen; the letterbox is checked through that part.
# The pictures are left in test-output/direct_drawing.
. "$(dirname "$0")/lib/e2e.sh"
e2e_setup "$1" "$2"
phase=${3:-}
. "$e2e_lib/x11.sh"
shots=$build/test-output/direct_drawing

if [ -z "${INSIDE_XVFB:-}" ]; then
  mkdir -p "$shots"
  INSIDE_XVFB=1 xvfb-run -a -s "$(xvfb_server_args 1280x1024x24)" bash "$0" "$build" "$src" larger || fail "on a 1280 x 1024 screen"
  INSIDE_XVFB=1 xvfb-run -a -s "$(xvfb_server_args 1024x768x24)" bash "$0" "$build" "$src" native || fail "on a 1024 x 768 screen"
  echo "ok: windows and full screen at the desktop's size drawn straight in, the same picture; smaller full screen letterboxed through the buffer; pictures in $shots"
  exit 0
fi

# $1: picture to write; $2: keys pressed in the dialog before Enter; the rest:
# settings for the show's environment. Takes the show's window from the screen
# once its frame stands still; sets framebuffer, window_geometry (WxH+X+Y) and
# screen_size (WxH).
frozen_picture() {
  local picture=$1 keys=$2 pid window
  shift 2
  rm -f "$out/report"
  env "$@" LD_PRELOAD="$build/libfrozen_frame.so" INVITATION_FROZEN_AT_MS=18600 INVITATION_FROZEN_SEED=2008 \
    INVITATION_FROZEN_FRAMES=40 INVITATION_FROZEN_REPORT="$out/report" SDL_AUDIODRIVER=dummy \
    "$build/invitation" >"$out/stdout" 2>"$out/stderr" &
  pid=$!
  wait_for_dialog "$pid" || { kill -KILL "$pid"; fail "no launch dialog" "$out/stderr"; }
  [ -z "$keys" ] || xdotool key --delay 150 $keys
  xdotool key Return
  for _ in $(seq 1 600); do
    [ -s "$out/report" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  [ -s "$out/report" ] || { kill -KILL "$pid"; fail "the show did not reach its 40th frame" "$out/stderr"; }
  sleep 0.3
  window=$(find_window show)
  [ -n "$window" ] || { kill -KILL "$pid"; fail "no show window"; }
  window_geometry=$(xwininfo -id "$window" | awk '/Absolute upper-left X/ { x = $4 } /Absolute upper-left Y/ { y = $4 }
    /Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h "+" x "+" y }')
  import -window root "$out/screen.png"
  screen_size=$(identify -format %wx%h "$out/screen.png")
  convert "$out/screen.png" -crop "$window_geometry" +repage "$picture"
  kill -KILL "$pid"
  wait "$pid" 2>/dev/null
  read -r _ framebuffer <"$out/report"
  [ ! -s "$out/stderr" ] || fail "unexpected lines on stderr" "$out/stderr"
}

# The largest difference of one channel between pictures $1 and $2, 0 to 255.
largest_difference() {
  convert "$1" "$2" -compose difference -composite -separate -evaluate-sequence max -format '%[fx:round(maxima*255)]' info:
}

# $1: what ran; $2: "straight" or "buffer".
expect_drawn() {
  local what=$1 expected=$2 found=straight
  [ "$framebuffer" = 0 ] || found=buffer
  echo "$what: framebuffer $framebuffer ($found), window $window_geometry"
  [ "$found" = "$expected" ] || fail "$what: drawn $found, expected $expected"
}

windowed="Tab Tab Tab space"

if [ "$phase" = larger ]; then
  frozen_picture "$shots/window.png" "$windowed"
  expect_drawn "1024 x 768 window" straight
  [ "${window_geometry%%+*}" = 1024x768 ] || fail "window $window_geometry, expected 1024x768"

  frozen_picture "$shots/window_viewer_scaling.png" "$windowed" SDL12COMPAT_OPENGL_SCALING=1
  expect_drawn "window, SDL12COMPAT_OPENGL_SCALING=1" buffer
  apart=$(largest_difference "$shots/window.png" "$shots/window_viewer_scaling.png")
  echo "window straight and through the buffer: channels at most $apart apart"
  [ "$apart" -le 2 ] || fail "the pictures differ by $apart"

  frozen_picture "$out/enlarged.png" "$windowed" SDL12COMPAT_WINDOW_SCALING=1.25
  expect_drawn "window, SDL12COMPAT_WINDOW_SCALING=1.25" buffer
  [ "${window_geometry%%+*}" = 1280x960 ] || fail "window $window_geometry, expected 1280x960"

  frozen_picture "$shots/fullscreen_smaller.png" ""
  expect_drawn "1024 x 768 full screen on $screen_size" buffer
  # What the layer draws for the whole screen: the frame at the screen's width,
  # 4:3, centred between black bars; the window shows its bottom-left part.
  size=${window_geometry%%+*}
  w=${size%x*} h=${size#*x}
  screen_height=${screen_size#*x}
  convert "$shots/window.png" -resize 1280x960\! -background black -gravity center -extent "$screen_size" \
    +gravity -crop "${w}x${h}+0+$((screen_height - h))" +repage "$out/letterboxed.png"
  error=$(compare -metric RMSE "$out/letterboxed.png" "$shots/fullscreen_smaller.png" null: 2>&1 | sed -E 's/.*\((.*)\)/\1/')
  echo "full screen against the frame letterboxed: RMS error $error"
  float_test "$error < 0.01" || fail "not the frame letterboxed at 1280 x 960"
  exit 0
fi

frozen_picture "$shots/fullscreen_native.png" ""
expect_drawn "1024 x 768 full screen on $screen_size" straight
[ "${window_geometry%%+*}" = 1024x768 ] || fail "window $window_geometry, expected 1024x768"
apart=$(largest_difference "$shots/window.png" "$shots/fullscreen_native.png")
[ "$apart" -eq 0 ] || fail "full screen differs from the window by up to $apart"
echo "full screen at the desktop's size: the window's picture"
