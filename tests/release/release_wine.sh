#!/usr/bin/env bash
# The Windows executable from the unpacked release archive, run where a person
# would run it (in its folder) under Wine: the launch dialog shows the program's
# icon, Enter starts the show, whose window carries the icon too and which draws
# its scene, and Escape ends it with status 0. Where this host cannot run 32-bit
# programs, the 64-bit twin (make windows64) runs in the archive's executable's
# place, among the release's other files, after a check that it carries the
# same resources; the ok line says which ran.
. "$(dirname "$0")/../e2e/lib/e2e.sh"
e2e_setup "$@"
. "$src/tests/e2e/lib/windows_wine.sh"
. "$src/tests/e2e/lib/x11.sh"
. "$src/tests/release/release_env.sh"
find_release "$build"
choose_wine
if [ "$wine_arch" = i686 ]; then
  require_32bit_wine
else
  find_windows64_exe "$build"
  require_64bit_wine
fi
rerun_inside_xvfb 1024x768x24 "$@"
work=$build/test-output/release/wine
unpack_release "$work/archive"
if [ "$wine_arch" = i686 ]; then
  wine_ran="(the archive's invitation.exe, i686, under wine)"
else
  # The twin must be the released executable's: the same icon group, dialog,
  # version information and manifest but for the architecture it names.
  same_resources() {
    "$build/pe-resources" "$1" | grep -v '^machine ' | sed -E '/^resource MANIFEST /d; s/processorArchitecture="(x86|amd64)"/processorArchitecture=ARCH/'
  }
  diff <(same_resources "$unpacked/invitation.exe") <(same_resources "$win64_exe") >"$out/resources.diff" ||
    fail "the 64-bit twin $win64_exe carries other resources than the released executable (make windows64 again?)" "$out/resources.diff"
  cp "$win64_exe" "$unpacked/invitation.exe" || fail "cannot put $win64_exe into $unpacked"
  wine_ran="(${win64_exe#"$src"/} in place of the archive's 32-bit invitation.exe, x86_64, under wine64)"
fi
fresh_wine_prefix "$work/wine" || fail "no Wine prefix in $work/wine"
at_exit 'wineserver -k 2>/dev/null'
# A failure shows the end of Wine's log.
fail_with_wine() { tail -n 20 "$work/wine.log" >"$out/wine_tail.log"; fail "$1" "$out/wine_tail.log"; }

# Wine hands a window's icons to X as _NET_WM_ICON: width, height and ARGB pixels
# for each. Each of 16 or 32 pixels must be the program's: every opaque pixel of
# src/assets/icon/icon_SIZE.png the same. $1 window, $2 what it is.
for size in 16 32; do
  convert "$src/src/assets/icon/icon_$size.png" -depth 8 rgba:"$work/icon_$size.rgba"
done
check_program_icon() {
  local window=$1 what=$2 icon verdict
  icon=$(xprop -id "$window" -f _NET_WM_ICON 32c ' $0+' _NET_WM_ICON 2>/dev/null | tr -d ',')
  verdict=$(perl -e '
    my @v = split " ", $ARGV[0];
    my ($checked, $bad) = (0, 0);
    while (@v >= 2) {
      my ($w, $h) = splice(@v, 0, 2);
      last if $w * $h > @v;
      my @icon = splice(@v, 0, $w * $h);
      next unless $w == $h && ($w == 16 || $w == 32);
      open(my $f, "<:raw", "$ARGV[1]/icon_$w.rgba") or die; local $/; my @p = unpack("C*", <$f>);
      for my $i (0 .. $w * $h - 1) {
        my ($r, $g, $b, $a) = @p[4 * $i .. 4 * $i + 3];
        next if $a < 255;
        $bad++ if $icon[$i] != (0xFF000000 | $r << 16 | $g << 8 | $b);
      }
      $checked++;
    }
    print "$checked $bad";' "${icon#*)}" "$work")
  [ "${verdict% *}" -gt 0 ] || fail_with_wine "the $what carries no icon of 16 or 32 pixels: $(head -c 120 <<<"${icon:-no _NET_WM_ICON}")"
  [ "${verdict#* }" -eq 0 ] || fail_with_wine "the $what's icons differ from the program's in ${verdict#* } opaque pixels"
}

cd "$unpacked" || fail "cannot enter $unpacked"
run_wine ./invitation.exe >"$work/wine.log" 2>&1 &
pid=$!
dialog=$(wait_for_titled_window "$pid") || fail_with_wine "no dialog appeared"
sleep 1
check_program_icon "$dialog" dialog
screenshot "$work/release_dialog.png" "$src"
xdotool windowfocus --sync "$dialog" 2>/dev/null || true
xdotool key Return
show=$(wait_for_titled_window "$pid" "$dialog") || fail_with_wine "no show window after Enter"
xdotool windowfocus --sync "$show" 2>/dev/null || true
sleep 5
kill -0 "$pid" 2>/dev/null || fail_with_wine "the show ended by itself"
# SDL gives its window class the icon named SDL_app: the program's.
check_program_icon "$show" "show's window"
import -window root "$work/release_show.png"
colours=$(convert "$work/release_show.png" -format '%k' info:)
[ "$colours" -ge 64 ] || fail_with_wine "the show's screen has only $colours colours"
xdotool keydown Escape
wait_for_exit "$pid" 15; status=$?
xdotool keyup Escape
[ "$status" -eq 0 ] || fail_with_wine "exit status $status, expected 0"
echo "ok $wine_ran: the unpacked executable showed its dialog with the program's icon, ran the show ($colours colours) and ended with 0 on Escape; both windows carry the program's icon"
