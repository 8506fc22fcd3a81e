#!/usr/bin/env bash
# The release archive as its readers take it: one folder with exactly the
# executable, the page, the preview picture, the .nfo and file_id.diz; the texts
# in code page 437 with CR LF, within 80 columns (the .nfo) and 10 lines of 45
# (the .diz), telling the text pages' facts and the version; the executable
# carrying its icon in each of its sizes, its version information and its
# manifest; the picture 4:3 and not blank.
. "$(dirname "$0")/../e2e/lib/e2e.sh"
e2e_setup "$@"
. "$src/tests/release/release_env.sh"
find_release "$build"
work=$build/test-output/release/archive
unpack_release "$work"

# --- the file list
expected="$release_folder/
$release_folder/file_id.diz
$release_folder/invitation.exe
$release_folder/invitation.html
$release_folder/invitation.png
$release_folder/norvale2008.nfo"
listed=$(unzip -Z1 "$release_zip" | sort)
[ "$listed" = "$expected" ] || count_failure "the archive holds"$'\n'"$listed"$'\n'"expected"$'\n'"$expected"

# --- the texts: $1 file, $2 columns, $3 most lines (0: any)
check_text() {
  local file=$1 columns=$2 lines=$3 name
  name=$(basename "$file")
  [ -s "$file" ] || { count_failure "$name is missing or empty"; return; }
  # Every line ends in CR LF: no LF without its CR, no CR without its LF.
  perl -e 'local $/; my $t = <STDIN>; exit(($t =~ /(?<!\r)\n|\r(?!\n)/ || $t !~ /\r\n\z/) ? 1 : 0)' <"$file" ||
    count_failure "$name: not every line ends in CR LF"
  # Code page 437: one byte a column; no control characters but the line ends.
  LC_ALL=C grep -q $'[\x01-\x09\x0b\x0c\x0e-\x1f\x7f]' "$file" && count_failure "$name holds control characters"
  local widest count
  widest=$(tr -d '\r' <"$file" | LC_ALL=C awk '{ if (length($0) > w) w = length($0) } END { print w + 0 }')
  count=$(tr -d '\r' <"$file" | wc -l)
  [ "$widest" -le "$columns" ] || count_failure "$name: a line of $widest columns (at most $columns)"
  [ "$lines" -eq 0 ] || [ "$count" -le "$lines" ] || count_failure "$name: $count lines (at most $lines)"
  # Block and box characters as code page 437 bytes: the text is not UTF-8.
  LC_ALL=C grep -q $'[\xb0-\xdf]' "$file" || count_failure "$name has no code page 437 block or box characters"
  iconv -f UTF-8 -t UTF-8 "$file" >/dev/null 2>&1 && count_failure "$name reads as UTF-8, not as code page 437"
  echo "$name: $count lines, at most $widest columns"
}
nfo=$unpacked/norvale2008.nfo
diz=$unpacked/file_id.diz
check_text "$nfo" 80 0
check_text "$diz" 45 10
nfo_text=$(iconv -f CP437 -t UTF-8 "$nfo" | tr -d '\r')
diz_text=$(iconv -f CP437 -t UTF-8 "$diz" | tr -d '\r')

# The facts of the text pages (src/render/page_texts.cpp): the place, the dates,
# the capacity, the handles of the credits page, the web site.
pages=$src/src/render/page_texts.cpp
handles=$(sed -n '/page_credits\[\]/,/;/p' "$pages" | grep -o '"[^"]*\\n"' | tr -d '"' | sed 's/\\n$//' |
          awk '{ print $NF }' | grep -E '^[A-Z][a-z]+$')
[ "$(wc -l <<<"$handles")" -ge 8 ] || count_failure "found only $(wc -l <<<"$handles") handles on the credits page"
for fact in Norvale Vellmora Quarndocks Kaldmark "19 October 2008" 250 norvaleparty Brinewave $handles; do
  grep -Fq -- "$fact" "$pages" || [ "$fact" = "19 October 2008" ] || count_failure "the text pages do not say '$fact'"
  grep -Fq -- "$fact" <<<"$nfo_text" || count_failure "the .nfo does not say '$fact'"
done
grep -Fq "17-19 October" "$pages" || count_failure "the text pages no longer give 17-19 October"
for fact in Vellmora Kaldmark "17-19 October 2008" norvaleparty; do
  grep -Fq -- "$fact" <<<"$diz_text" || count_failure "file_id.diz does not say '$fact'"
done
# What the archive holds, how each part runs, what it needs, and the version.
for fact in invitation.exe invitation.html invitation.png file_id.diz "Double-click" "Escape" "Enter" \
            "SSE2" "OpenGL 1.1" "WebGL" "Debian 12" "release $release_version" \
            "${release_package}_${release_version}_amd64.deb"; do
  grep -Fq -- "$fact" <<<"$nfo_text" || count_failure "the .nfo does not say '$fact'"
done
grep -Fq -- "$release_version" <<<"$diz_text" || count_failure "file_id.diz does not name version $release_version"

# --- the executable's resources
exe=$unpacked/invitation.exe
resources=$("$build/pe-resources" "$exe") || count_failure "pe-resources cannot read the executable"
has() { grep -Fxq -- "$1" <<<"$resources" || count_failure "the executable lacks: $1"; }
count_of() { grep -c -- "$1" <<<"$resources"; }
# The icon group as the .ico format stores each size: 256 pixels as the PNG file
# itself, smaller ones as a 32-bit bitmap (a 40-byte header, the pixels, and the
# AND mask of one bit a pixel in rows of whole 32-bit words).
icon_group=""
for size in $product_icon_sizes; do
  if [ "$size" -eq 256 ]; then
    entry="256x256 32-bit png $(stat -c %s "$src/src/assets/icon/icon_256.png") bytes"
  else
    entry="${size}x$size 32-bit bitmap $((40 + size * size * 4 + size * ((size + 31) / 32 * 4))) bytes"
  fi
  icon_group=${icon_group:+$icon_group, }$entry
done
dotted=$release_version
while [ "$(tr -cd . <<<"$dotted" | wc -c)" -lt 3 ]; do dotted=$dotted.0; done
has "time-stamp 0"
has "machine 014c"
[ "$(count_of '^resource DIALOG 101 ')" -eq 1 ] || count_failure "no launch dialog template 101"
[ "$(count_of '^resource GROUP_ICON ')" -eq 1 ] || count_failure "not exactly one icon group"
has "icon-group \"SDL_APP\": $icon_group"
has "file-version $dotted"
has "product-version $dotted"
has "version-table 040904B0"
has "version-string ProductName: $product_name"
has "version-string FileDescription: $product_name"
has "version-string FileVersion: $release_version"
has "version-string ProductVersion: $release_version"
has "version-string OriginalFilename: invitation.exe"
grep -Eq '^version-string LegalCopyright: Copyright \(C\) [0-9]{4} .+' <<<"$resources" || count_failure "no copyright line"
[ "$(count_of '^manifest ')" -eq 1 ] || count_failure "not exactly one manifest"
manifest=$(sed -n 's/^| //p' <<<"$resources")
for want in 'requestedExecutionLevel level="asInvoker"' \
            '<dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">true</dpiAware>' \
            'name="Microsoft.Windows.Common-Controls" version="6.0.0.0" processorArchitecture="x86" publicKeyToken="6595b64144ccf1df"' \
            "version=\"$dotted\"" \
            '{e2011457-1546-43c5-a5fe-008deee3d3f0}' '{35138b9a-5d96-4fbd-8e2d-a2440225f93a}' \
            '{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}' '{1f676c76-80e1-4239-95bb-83d0f6d0da78}' \
            '{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}'; do
  grep -Fq -- "$want" <<<"$manifest" || count_failure "the manifest lacks $want"
done
# The manifest is well-formed XML (Windows refuses to start a program whose is not).
if command -v xmllint >/dev/null; then
  xmllint --noout - <<<"$manifest" 2>&1 | head -3 | grep . && count_failure "the manifest is not well-formed XML"
else
  count_failure "xmllint is not installed (Debian package libxml2-utils) to check the manifest"
fi

# --- the picture and the page
png=$unpacked/invitation.png
size=$(identify -format '%m %w %h' "$png" 2>/dev/null)
read -r format width height <<<"$size"
[ "${format:-}" = PNG ] && [ $((width * 3)) -eq $((height * 4)) ] || count_failure "invitation.png is '$size', not a 4:3 PNG"
colours=$(convert "$png" -format '%k' info: 2>/dev/null || echo 0)
[ "$colours" -ge 256 ] || count_failure "invitation.png shows only $colours colours"
grep -Fq "<title>$product_name</title>" "$unpacked/invitation.html" || count_failure "invitation.html is not the show's page"

finish_checks "$(wc -l <<<"$listed") entries; $(grep -c '^resource ' <<<"$resources") resources, icon ${product_icon_sizes// //}, version $dotted, manifest; picture $width x $height, $colours colours"
