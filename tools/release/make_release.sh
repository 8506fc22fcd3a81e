#!/usr/bin/env bash
# The release from the finished builds (run by `make release`):
#   tools/release/make_release.sh BUILD WIN32_BUILD WEB_BUILD OUT
# writes OUT/SHORT_NAME.zip, one folder SHORT_NAME/ with the Windows executable,
# the page, the preview picture, the .nfo and file_id.diz, and
# OUT/SHORT_NAME_VERSION_amd64.deb, the Linux show for /usr/games with its
# desktop entry, icons and manual page. BUILD is the native build (the show, the
# capture program, the release tools and texts, and BUILD/product.env, the
# product's name, short name, version and icon sizes from the top CMakeLists.txt).
# The same sources give the same bytes: every time stamp is SOURCE_DATE_EPOCH (the
# last commit's time unless set), entries are sorted, owners are root. Both files
# are made in a staging folder inside OUT and take their names only when both are
# complete; a failure or a signal leaves OUT as it was.
set -euo pipefail

fail() {
  echo "make_release: $*" >&2
  exit 1
}

[ $# -eq 4 ] || fail "usage: make_release.sh BUILD WIN32_BUILD WEB_BUILD OUT"
build=$(realpath "$1") win32=$(realpath "$2") web=$(realpath "$3") out=$4
src=$(realpath "$(dirname "$0")/../..")
# The moment of the preview picture: the closing picture fully in, with the panel
# and the scroller (beat 236).
preview_at_ms=118000

[ -f "$build/product.env" ] || fail "missing $build/product.env (configuring the build writes it)"
. "$build/product.env"
[ -n "${product_name:-}" ] && [ -n "${product_short_name:-}" ] && [ -n "${product_icon_sizes:-}" ] ||
  fail "$build/product.env lacks the product's name, short name or icon sizes"
package=$product_short_name
folder=$product_short_name
version=${product_version:-}
[[ $version =~ ^[0-9]+(\.[0-9]+)*$ ]] || fail "unusable version '$version' in $build/product.env"
for f in "$build/release/norvale2008.nfo" "$build/release/file_id.diz" "$build/release/$package.desktop" \
         "$build/release/$package.6" "$build/release/copyright" \
         "$build/invitation" "$build/invitation-capture" "$build/release-picture" \
         "$win32/invitation.exe" "$web/invitation.html"; do
  [ -f "$f" ] || fail "missing $f (make release builds it)"
done

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git -C "$src" log -1 --format=%ct 2>/dev/null) ||
    fail "no SOURCE_DATE_EPOCH and no git history in $src to take the last commit's time from"
fi
[[ $SOURCE_DATE_EPOCH =~ ^[0-9]+$ ]] || fail "SOURCE_DATE_EPOCH '$SOURCE_DATE_EPOCH' is not a number of seconds"
export SOURCE_DATE_EPOCH TZ=UTC LC_ALL=C
umask 022

mkdir -p "$out"
out=$(realpath "$out")
stage=$(mktemp -d "$out/.staging-XXXXXX")
trap 'rm -rf "$stage"' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# Every file and folder below $1 at the release's time, files 0644 unless
# executable (0755), folders 0755.
settle() {
  find "$1" -type d -exec chmod 0755 {} +
  find "$1" -type f -perm /111 -exec chmod 0755 {} +
  find "$1" -type f ! -perm /111 -exec chmod 0644 {} +
  find "$1" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
}

# --- the archive
zip_root=$stage/zip/$folder
mkdir -p "$zip_root"
install -m 0644 "$win32/invitation.exe" "$zip_root/invitation.exe"
install -m 0644 "$web/invitation.html" "$zip_root/invitation.html"
install -m 0644 "$build/release/norvale2008.nfo" "$zip_root/norvale2008.nfo"
install -m 0644 "$build/release/file_id.diz" "$zip_root/file_id.diz"
env -u DISPLAY "$build/invitation-capture" --at-ms "$preview_at_ms" --seed 2008 --warmup-frames 200 \
  --out "$stage/frame.png" >"$stage/capture.log" 2>&1 || { cat "$stage/capture.log" >&2; fail "the capture failed"; }
"$build/release-picture" "$stage/frame.png" "$zip_root/invitation.png"
settle "$stage/zip"
(cd "$stage/zip" && find "$folder" | sort | zip -X -q -@ "$stage/$package.zip")

# --- the Debian package
root=$stage/deb
mkdir -p "$root/DEBIAN" "$root/usr/games" "$root/usr/share/applications" "$root/usr/share/man/man6" \
  "$root/usr/share/doc/$package"
install -m 0755 "$build/invitation" "$root/usr/games/$package"
strip --strip-unneeded --remove-section=.comment --remove-section=.note "$root/usr/games/$package"
install -m 0644 "$build/release/$package.desktop" "$root/usr/share/applications/$package.desktop"
for size in $product_icon_sizes; do
  install -D -m 0644 "$src/src/assets/icon/icon_$size.png" \
    "$root/usr/share/icons/hicolor/${size}x$size/apps/$package.png"
done
gzip -9n <"$build/release/$package.6" >"$root/usr/share/man/man6/$package.6.gz"
install -m 0644 "$build/release/copyright" "$root/usr/share/doc/$package/copyright"
{
  echo "$package ($version) stable; urgency=medium"
  echo
  echo "  * Release $version of the $product_name."
  echo
  echo " -- Polar Static <invitation@norvaleparty.net>  $(date -u -R -d "@$SOURCE_DATE_EPOCH")"
} | gzip -9n >"$root/usr/share/doc/$package/changelog.gz"

# dpkg-shlibdeps reads the libraries the binary links and names their packages;
# it wants a debian/control beside it.
mkdir -p "$stage/shlibs/debian"
printf 'Source: %s\n\nPackage: %s\nArchitecture: amd64\n' "$package" "$package" >"$stage/shlibs/debian/control"
depends=$(cd "$stage/shlibs" && dpkg-shlibdeps -O -e"$root/usr/games/$package" 2>"$stage/shlibdeps.log" |
          sed -n 's/^shlibs:Depends=//p') || { cat "$stage/shlibdeps.log" >&2; fail "dpkg-shlibdeps failed"; }
[ -n "$depends" ] || { cat "$stage/shlibdeps.log" >&2; fail "dpkg-shlibdeps named no dependencies"; }
# SDL opens OpenGL at run time, out of dpkg-shlibdeps' sight: GLX's dispatch
# library, and Mesa's drivers where no other vendor's are installed.
depends="$depends, libgl1"
recommends="libgl1-mesa-dri"

# Installed-Size in KiB as dpkg counts it: each file rounded up, each folder one.
installed_kib=$(cd "$root" && find usr -type f -printf '%s\n' | awk '{ k += int(($1 + 1023) / 1024) } END { print k }')
installed_kib=$((installed_kib + $(cd "$root" && find usr -type d | wc -l)))
cat >"$root/DEBIAN/control" <<CONTROL
Package: $package
Version: $version
Architecture: amd64
Maintainer: Polar Static <invitation@norvaleparty.net>
Installed-Size: $installed_kib
Depends: $depends
Recommends: $recommends
Section: games
Priority: optional
Description: oldskool invitation intro for the Norvale 2008 party
 An OpenGL show drawn in step with tracker music that invites to the
 Norvale 2008 computer-art party, 17 to 19 October 2008 in Vellmora /
 Quarndocks, Kaldmark: particles, spinning cubes, ten text pages, a
 scroller and a closing picture, with every picture and the music inside
 the program.
CONTROL
(cd "$root" && find usr -type f | sort | xargs md5sum >DEBIAN/md5sums)
settle "$root"
deb=${package}_${version}_amd64.deb
# One compressor thread: xz's output depends on how it splits the work.
dpkg-deb --root-owner-group -Zxz --threads-max=1 --build "$root" "$stage/$deb" >/dev/null

# Both complete: they take their names.
mv -f "$stage/$package.zip" "$out/$package.zip"
mv -f "$stage/$deb" "$out/$deb"
echo "release $version: $out/$package.zip ($(stat -c %s "$out/$package.zip") bytes), $out/$deb ($(stat -c %s "$out/$deb") bytes)"
