#!/usr/bin/env bash
# The capture program's command line: every bad input gets one line on standard
# error and its status (2 for the command line, 1 for what the run cannot do),
# and leaves no output file behind.
. "$(dirname "$0")/lib/e2e.sh"
e2e_setup "$@"
capture="$build/invitation-capture"
cd "$out" || fail "cannot enter $out"

# expect STATUS MESSAGE-PATTERN ARGS...: runs the program with ARGS (plus nothing else).
expect() {
  local status=$1 pattern=$2
  shift 2
  PATH="${program_path:-$PATH}" "$capture" "$@" >"$out/stdout" 2>"$out/stderr"
  local got=$?
  local lines
  lines=$(wc -l <"$out/stderr")
  if [ "$got" -ne "$status" ] || [ "$lines" -ne 1 ] || ! grep -q -- "$pattern" "$out/stderr"; then
    count_failure "$* -> status $got (want $status)" "$out/stderr"
  fi
  local left
  left=$(find "$out" -mindepth 1 -maxdepth 1 ! -name stdout ! -name stderr ! -name ro ! -name busy -print)
  if [ -n "$left" ]; then
    count_failure "$* left files behind: $left"
    find "$out" -mindepth 1 -maxdepth 1 ! -name stdout ! -name stderr ! -name ro ! -name busy -exec rm -rf {} +
  fi
}

# Command lines that cannot be run: status 2.
expect 2 "give --at-ms"                 --out f.png
expect 2 "unknown option '--frobnicate'" --at-ms 0 --frobnicate --out f.png
expect 2 "unknown option 'f.png'"       --at-ms 0 f.png
expect 2 "unknown option 'a\\\\nb'"       --at-ms 0 "$(printf 'a\nb')"   # still one line
expect 2 "missing value for --out"      --at-ms 0 --out
expect 2 "missing value for --at-ms"    --at-ms --out f.png
expect 2 "whole number, got '12a'"      --at-ms 12a --out f.png
expect 2 "whole number, got '1.5'"      --from-ms 0 --to-ms 100 --fps 1.5 --out d
expect 2 "whole number, got ''"         --at-ms "" --out f.png
expect 2 "must not be negative"         --at-ms -1 --out f.png
expect 2 "must not be negative"         --from-ms -40 --to-ms 100 --fps 30 --out d
expect 2 "must be 0 to 2147483647"      --at-ms 2147483648 --out f.png
expect 2 "is before --from-ms"          --from-ms 500 --to-ms 499 --fps 30 --out d
expect 2 "fps must be 1 to 240, got 0"  --from-ms 0 --to-ms 100 --fps 0 --out d
expect 2 "fps must be 1 to 240, got 241" --from-ms 0 --to-ms 100 --fps 241 --out d
expect 2 "size must be"                 --at-ms 0 --size 15x768 --out f.png
expect 2 "size must be"                 --at-ms 0 --size 1024x8193 --out f.png
expect 2 "size must be"                 --at-ms 0 --size 1024 --out f.png
expect 2 "cannot be combined"           --at-ms 0 --from-ms 0 --out f.png
expect 2 "cannot be combined"           --at-ms 0 --fps 30 --out f.png
expect 2 "--to-ms is missing"           --from-ms 0 --fps 30 --out d
expect 2 "missing --out"                --at-ms 0
expect 2 "must name a .png file"        --at-ms 0 --out f.jpg
expect 2 "a folder or a .mp4"           --from-ms 0 --to-ms 100 --fps 30 --out f.png
# An unknown extension is a video format this program does not write, not a folder.
expect 2 "a folder or a .mp4, .mkv or .webm file, got 'clip.avi'" --from-ms 0 --to-ms 100 --fps 30 --out clip.avi
expect 2 "needs a trailing /"           --from-ms 0 --to-ms 100 --fps 30 --out frames.d
# Two outputs landing on one file.
expect 2 "name the same file"           --from-ms 0 --to-ms 100 --fps 30 --out a.wav/ --audio-out ./a.wav
expect 2 "must name a .wav file"        --at-ms 0 --out f.png --audio-out f.mp3
expect 2 "given twice"                  --at-ms 0 --at-ms 5 --out f.png
expect 2 "must be 0 to 100000"          --at-ms 0 --warmup-frames 100001 --out f.png

# What the run cannot do: status 1, checked before anything is drawn.
mkdir -p ro && chmod 555 ro
if [ ! -w ro ]; then  # root may write anywhere; the case is then meaningless
  expect 1 "cannot write ro/f.png"      --at-ms 0 --out ro/f.png
  expect 1 "cannot create the folder"   --from-ms 0 --to-ms 100 --fps 30 --out ro/frames
  expect 1 "cannot write ro/a.wav"      --at-ms 0 --out f.png --audio-out ro/a.wav
fi
expect 1 "cannot write missing/f.png: No such file" --at-ms 0 --out missing/f.png
expect 1 "cannot write missing/v.mp4"   --from-ms 0 --to-ms 100 --fps 30 --out missing/v.mp4
mkdir -p busy && touch busy/frame_000000.png
expect 1 "already holds frame_"         --from-ms 0 --to-ms 100 --fps 30 --out busy
[ "$(ls busy)" = frame_000000.png ] || count_failure "the earlier frames were touched"
# No ffmpeg on the PATH: the message names the package.
program_path=/nonexistent expect 1 "ffmpeg is not installed (Debian package ffmpeg)" \
  --from-ms 0 --to-ms 100 --fps 30 --out v.mp4

"$capture" --help >"$out/stdout" 2>"$out/stderr"
if [ $? -ne 0 ] || ! grep -q -- "--from-ms A --to-ms B --fps F" "$out/stdout"; then
  count_failure "--help" "$out/stdout" "$out/stderr"
fi

chmod 755 ro
finish_checks "every bad input got its one line and status, and left nothing behind"
