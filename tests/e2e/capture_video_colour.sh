#!/usr/bin/env bash
# Videos as video sites and players expect them: BT.709 in limited range, tagged
# so in every container, and a frame decoded by ffmpeg (which honours the tags)
# matching the PNG frame of the same moment. Sizes keep the 4:3 picture centred
# between black bars unless --stretch is given.
. "$(dirname "$0")/lib/e2e.sh"
e2e_setup "$@"
capture="$build/invitation-capture"
command -v ffmpeg >/dev/null && command -v ffprobe >/dev/null || fail "ffmpeg and ffprobe are needed (Debian package ffmpeg)"
cd "$out" || fail "cannot enter $out"

# Mean absolute difference of channel $3 between two pictures, in 0..255 steps.
channel_difference() {
  compare -metric MAE -channel "$3" "$1" "$2" null: 2>&1 | sed -n 's/.*(\(.*\)).*/\1/p' | awk '{ printf "%.3f", $1 * 255 }'
}
# The colour of pixel x,y as "r,g,b".
pixel() {
  convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- | sed -n 's/.*srgb(\([0-9]*,[0-9]*,[0-9]*\)).*/\1/p'
}
# Frame $2 of video $1 as ffmpeg decodes it, into $3.
decode_frame() {
  ffmpeg -v error -y -i "$1" -vf "select=eq(n\,$2)" -frames:v 1 -pix_fmt rgb24 "$3"
}

# 5 s in: the panel and the scroller have come in; a few frames after a warm-up.
span=(--from-ms 5000 --to-ms 5100 --fps 60 --warmup-frames 200)
"$capture" "${span[@]}" --out frames/ 2>frames.err || fail "PNG frames" frames.err
panel_blue=14,57,102
[ "$(pixel frames/frame_000003.png 1000 300)" = "$panel_blue" ] || fail "the panel is not $panel_blue in the PNG frame"
for kind in mp4 mkv webm upload.mp4; do
  extra=()
  [ "$kind" = upload.mp4 ] && extra=(--for-upload)
  "$capture" "${span[@]}" "${extra[@]}" --out "clip.$kind" 2>"$kind.err" || { count_failure "$kind" "$kind.err"; continue; }
  tags=$(ffprobe -v error -select_streams v:0 -show_entries stream=pix_fmt,color_space,color_primaries,color_transfer,color_range \
    -of default=noprint_wrappers=1 "clip.$kind" | sort | tr '\n' ' ')
  [ "$tags" = "color_primaries=bt709 color_range=tv color_space=bt709 color_transfer=bt709 pix_fmt=yuv420p " ] \
    || count_failure "$kind is tagged: $tags"
  decode_frame "clip.$kind" 3 "decoded_$kind.png" || { count_failure "cannot decode clip.$kind"; continue; }
  differences=""
  for channel in R G B; do
    d=$(channel_difference "decoded_$kind.png" frames/frame_000003.png "$channel")
    differences+=" $channel $d"
    float_test "$d <= 1.0" || count_failure "$kind: channel $channel differs from the PNG frame by $d on average (at most 1.0)"
  done
  echo "$kind: mean difference from the PNG frame:$differences; panel $(pixel "decoded_$kind.png" 1000 300)"
  IFS=, read -r r g b <<<"$(pixel "decoded_$kind.png" 1000 300)"
  float_test "$r >= 11 && $r <= 17 && $g >= 54 && $g <= 60 && $b >= 99 && $b <= 105" \
    || count_failure "$kind: the panel's blue decodes as $r,$g,$b (want $panel_blue within 3)"
done
profile=$(ffprobe -v error -select_streams v:0 -show_entries stream=profile -of csv=p=0 clip.upload.mp4)
[ "$profile" = "High" ] || count_failure "--for-upload gives the $profile profile, want High"
[ "$(stat -c %s clip.upload.mp4)" -lt "$(stat -c %s clip.mp4)" ] || count_failure "--for-upload is not smaller"

# --size 1920x1080: the 1440 x 1080 picture between bars of 240 pixels.
"$capture" --at-ms 30000 --size 1920x1080 --out wide.png 2>wide.err || fail "--size 1920x1080" wide.err
"$capture" --at-ms 30000 --size 1080p --out named.png 2>named.err || fail "--size 1080p" named.err
cmp -s wide.png named.png || count_failure "--size 1080p is not 1920x1080"
for bar in "240x1080+0+0" "240x1080+1680+0"; do
  max=$(convert wide.png -crop "$bar" -format '%[fx:maxima.r] %[fx:maxima.g] %[fx:maxima.b]' info:)
  [ "$max" = "0 0 0" ] || count_failure "the bar $bar is not black: maxima $max"
done
picture_edge=$(convert wide.png -crop 1x1080+240+0 -format '%[fx:maxima]' info:)
float_test "$picture_edge > 0" || count_failure "the picture does not start at column 240"
# --stretch fills the frame: the left border bar of the picture is at column 0.
"$capture" --at-ms 30000 --size 1920x1080 --stretch --out stretched.png 2>stretched.err || fail "--stretch" stretched.err
edge=$(convert stretched.png -crop 4x1080+0+0 -format '%[fx:maxima]' info:)
float_test "$edge > 0" || count_failure "--stretch leaves the left edge black"
finish_checks "BT.709 limited-range tags in mp4, mkv and webm; frames within 1.0 of the PNG frames; 1080p letterboxed with 240-pixel bars, --stretch fills"
