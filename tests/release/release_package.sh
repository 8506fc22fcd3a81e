#!/usr/bin/env bash
# The Debian package: its control fields and exactly the expected files (the show
# under /usr/games, the desktop entry, the icon under the hicolor theme in each of
# its sizes, the manual page, copyright and changelog); lintian finds no errors; and
# the show unpacked into a temporary root runs headless and ends on SIGTERM with
# status 0.
. "$(dirname "$0")/../e2e/lib/e2e.sh"
e2e_setup "$@"
. "$src/tests/release/release_env.sh"
find_release "$build"
work=$build/test-output/release/package
rm -rf "$work"
mkdir -p "$work"
p=$release_package

# --- control fields
field() { dpkg-deb -f "$release_deb" "$1"; }
[ "$(field Package)" = "$p" ] || count_failure "Package: $(field Package)"
[ "$(field Version)" = "$release_version" ] || count_failure "Version: $(field Version), the build says $release_version"
[ "$(field Architecture)" = amd64 ] || count_failure "Architecture: $(field Architecture)"
[ "$(field Section)" = games ] || count_failure "Section: $(field Section)"
depends=$(field Depends)
for library in libc6 libsdl1.2debian libsdl-mixer1.2 libgtk-3-0 libgl1; do
  grep -Eq "(^|, )$library( \(|,|$)" <<<"$depends" || count_failure "Depends lacks $library: $depends"
done

# --- the files
expected=$({
  echo "./usr/games/$p"
  echo "./usr/share/applications/$p.desktop"
  echo "./usr/share/doc/$p/changelog.gz"
  echo "./usr/share/doc/$p/copyright"
  for size in $product_icon_sizes; do echo "./usr/share/icons/hicolor/${size}x$size/apps/$p.png"; done
  echo "./usr/share/man/man6/$p.6.gz"
} | LC_ALL=C sort)
files=$(dpkg-deb -c "$release_deb" | awk '$1 !~ /^d/ { print $NF }' | LC_ALL=C sort)
[ "$files" = "$expected" ] || count_failure "the package holds"$'\n'"$files"$'\n'"expected"$'\n'"$expected"
owners=$(dpkg-deb -c "$release_deb" | awk '{ print $2 }' | sort -u)
[ "$owners" = root/root ] || count_failure "files owned by $owners"
mode=$(dpkg-deb -c "$release_deb" | awk -v f="./usr/games/$p" '$NF == f { print $1 }')
[ "$mode" = -rwxr-xr-x ] || count_failure "the show is $mode"

root=$work/root
dpkg-deb -x "$release_deb" "$root" || count_failure "dpkg-deb cannot unpack the package"
for size in $product_icon_sizes; do
  icon=$root/usr/share/icons/hicolor/${size}x$size/apps/$p.png
  cmp -s "$icon" "$src/src/assets/icon/icon_$size.png" || count_failure "the ${size}x$size icon is not src/assets/icon/icon_$size.png"
done
desktop=$root/usr/share/applications/$p.desktop
for line in "Exec=/usr/games/$p" "Icon=$p" "Name=$product_name" "Type=Application"; do
  grep -Fxq "$line" "$desktop" || count_failure "the desktop entry lacks $line"
done
manual=$(zcat "$root/usr/share/man/man6/$p.6.gz")
for part in '.SH NAME' '.SH KEYS' '.SH EXIT STATUS' 'SDL_VIDEODRIVER=offscreen' 'SDL_AUDIODRIVER=dummy' '255'; do
  grep -Fq -- "$part" <<<"$manual" || count_failure "the manual page lacks $part"
done
file "$root/usr/games/$p" | grep -q 'stripped$' && ! file "$root/usr/games/$p" | grep -q 'not stripped' ||
  count_failure "the show is not stripped"

# --- lintian: no errors (warnings and notes are printed)
if ! command -v lintian >/dev/null; then
  count_failure "lintian is not installed (make test installs it)"
else
  lintian --fail-on error --tag-display-limit 0 "$release_deb" >"$work/lintian.txt" 2>&1
  lintian_status=$?
  grep -v 'running with root privileges is not recommended' "$work/lintian.txt"
  [ "$lintian_status" -eq 0 ] || count_failure "lintian reports errors (status $lintian_status)"
  tags=$(grep -Ec '^[EWIPX]: ' "$work/lintian.txt")
  echo "lintian: $(grep -c '^E: ' "$work/lintian.txt") errors, $(grep -c '^W: ' "$work/lintian.txt") warnings, $tags tags in all"
fi

# --- the show from the package, headless
show=$root/usr/games/$p
env -u DISPLAY SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy "$show" >"$work/stdout" 2>"$work/stderr" &
pid=$!
sleep 2
if ! kill -0 "$pid" 2>/dev/null; then
  wait "$pid"
  count_failure "the packaged show ended by itself with status $?: $(head -c 300 "$work/stderr")"
else
  kill -TERM "$pid"
  for _ in $(seq 1 40); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
  if kill -0 "$pid" 2>/dev/null; then
    kill -KILL "$pid"
    count_failure "the packaged show did not end within 2 s of SIGTERM"
  fi
  wait "$pid"; status=$?
  [ "$status" -eq 0 ] || count_failure "the packaged show ended with status $status after SIGTERM: $(head -c 300 "$work/stderr")"
fi

finish_checks "$(wc -l <<<"$files") files, lintian without errors, the packaged show ran headless and ended on SIGTERM with 0"
