#!/usr/bin/env bash
# The release archive as its readers take it: one folder with exactly the
# executable, the page, the preview picture, the .nfo and file_id.diz; the texts
# in code page 437 with CR LF, within 80 columns (the .nfo) and 10 lines of 45
# (the .diz), telling the text pages' facts and the version; the executable
# carrying its icon in four sizes, its version information and its manifest; the
# picture 4:3 and not blank.
set -u
build=$1
src=$2
. "$src/tests/release/release_env.sh"
find_release "$build"
work=$build/test-output/release/archive
unpack_release "$work" || exit 1
failures=0
fault() { echo "FAIL: $*"; failures=$((failures + 1)); }

# --- the file list
expected="$release_folder/
$release_folder/file_id.diz
$release_folder/invitation.exe
$release_folder/invitation.html
$release_folder/invitation.png
$release_folder/norvale2008.nfo"
listed=$(unzip -Z1 "$release_zip" | sort)
[ "$listed" = "$expected" ] || fault "the archive holds"$'\n'"$listed"$'\n'"expected"$'\n'"$expected"

# --- the texts: $1 file, $2 columns, $3 most lines (0: any)
check_text() {
  local file=$1 columns=$2 lines=$3 name
  name=$(basename "$file")
  [ -s "$file" ] || { fault "$name is missing or empty"; return; }
  # Every line ends in CR LF: no LF without its CR, no CR without its LF.
  perl -e 'local $/; my $t = <STDIN>; exit(($t =~ /(?<!\r)\n|\r(?!\n)/ || $t !~ /\r\n\z/) ? 1 : 0)' <"$file" ||
    fault "$name: not every line ends in CR LF"
  # Code page 437: one byte a column; no control characters but the line ends.
  LC_ALL=C grep -q $'[\x01-\x09\x0b\x0c\x0e-\x1f\x7f]' "$file" && fault "$name holds control characters"
  local widest count
  widest=$(tr -d '\r' <"$file" | LC_ALL=C awk '{ if (length($0) > w) w = length($0) } END { print w + 0 }')
  count=$(tr -d '\r' <"$file" | wc -l)
  [ "$widest" -le "$columns" ] || fault "$name: a line of $widest columns (at most $columns)"
  [ "$lines" -eq 0 ] || [ "$count" -le "$lines" ] || fault "$name: $count lines (at most $lines)"
  # Block and box characters as code page 437 bytes: the text is not UTF-8.
  LC_ALL=C grep -q $'[\xb0-\xdf]' "$file" || fault "$name has no code page 437 block or box characters"
  iconv -f UTF-8 -t UTF-8 "$file" >/dev/null 2>&1 && fault "$name reads as UTF-8, not as code page 437"
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
[ "$(wc -l <<<"$handles")" -ge 8 ] || fault "found only $(wc -l <<<"$handles") handles on the credits page"
for fact in Norvale Vellmora Quarndocks Kaldmark "19 October 2008" 250 norvaleparty Brinewave $handles; do
  grep -Fq -- "$fact" "$pages" || [ "$fact" = "19 October 2008" ] || fault "the text pages do not say '$fact'"
  grep -Fq -- "$fact" <<<"$nfo_text" || fault "the .nfo does not say '$fact'"
done
grep -Fq "17-19 October" "$pages" || fault "the text pages no longer give 17-19 October"
for fact in Vellmora Kaldmark "17-19 October 2008" norvaleparty; do
  grep -Fq -- "$fact" <<<"$diz_text" || fault "file_id.diz does not say '$fact'"
done
# What the archive holds, how each part runs, what it needs, and the version.
for fact in invitation.exe invitation.html invitation.png file_id.diz "Double-click" "Escape" "Enter" \
            "SSE2" "OpenGL 1.1" "WebGL" "Debian 12" "release $release_version" \
            "${release_package}_${release_version}_amd64.deb"; do
  grep -Fq -- "$fact" <<<"$nfo_text" || fault "the .nfo does not say '$fact'"
done
grep -Fq -- "$release_version" <<<"$diz_text" || fault "file_id.diz does not name version $release_version"

# --- the executable's resources
exe=$unpacked/invitation.exe
resources=$("$build/pe-resources" "$exe") || fault "pe-resources cannot read the executable"
has() { grep -Fxq -- "$1" <<<"$resources" || fault "the executable lacks: $1"; }
count_of() { grep -c -- "$1" <<<"$resources"; }
ico_256_bytes=$(stat -c %s "$src/src/assets/icon/icon_256.png")
dotted=$release_version
while [ "$(tr -cd . <<<"$dotted" | wc -c)" -lt 3 ]; do dotted=$dotted.0; done
has "time-stamp 0"
has "machine 014c"
[ "$(count_of '^resource DIALOG 101 ')" -eq 1 ] || fault "no launch dialog template 101"
[ "$(count_of '^resource GROUP_ICON ')" -eq 1 ] || fault "not exactly one icon group"
has "icon-group \"SDL_APP\": 16x16 32-bit bitmap 1128 bytes, 32x32 32-bit bitmap 4264 bytes, 48x48 32-bit bitmap 9640 bytes, 256x256 32-bit png $ico_256_bytes bytes"
has "file-version $dotted"
has "product-version $dotted"
has "version-table 040904B0"
has "version-string ProductName: Norvale 2008 Invitation"
has "version-string FileDescription: Norvale 2008 Invitation"
has "version-string FileVersion: $release_version"
has "version-string ProductVersion: $release_version"
has "version-string OriginalFilename: invitation.exe"
grep -Eq '^version-string LegalCopyright: Copyright \(C\) [0-9]{4} .+' <<<"$resources" || fault "no copyright line"
[ "$(count_of '^manifest ')" -eq 1 ] || fault "not exactly one manifest"
manifest=$(sed -n 's/^| //p' <<<"$resources")
for want in 'requestedExecutionLevel level="asInvoker"' \
            '<dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">true</dpiAware>' \
            'name="Microsoft.Windows.Common-Controls" version="6.0.0.0" processorArchitecture="x86" publicKeyToken="6595b64144ccf1df"' \
            "version=\"$dotted\"" \
            '{e2011457-1546-43c5-a5fe-008deee3d3f0}' '{35138b9a-5d96-4fbd-8e2d-a2440225f93a}' \
            '{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}' '{1f676c76-80e1-4239-95bb-83d0f6d0da78}' \
            '{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}'; do
  grep -Fq -- "$want" <<<"$manifest" || fault "the manifest lacks $want"
done
# The manifest is well-formed XML (Windows refuses to start a program whose is not).
if command -v xmllint >/dev/null; then
  xmllint --noout - <<<"$manifest" 2>&1 | head -3 | grep . && fault "the manifest is not well-formed XML"
else
  fault "xmllint is not installed (Debian package libxml2-utils) to check the manifest"
fi

# --- the picture and the page
png=$unpacked/invitation.png
size=$(identify -format '%m %w %h' "$png" 2>/dev/null)
read -r format width height <<<"$size"
[ "${format:-}" = PNG ] && [ $((width * 3)) -eq $((height * 4)) ] || fault "invitation.png is '$size', not a 4:3 PNG"
colours=$(convert "$png" -format '%k' info: 2>/dev/null || echo 0)
[ "$colours" -ge 256 ] || fault "invitation.png shows only $colours colours"
grep -q '<title>Norvale 2008 Invitation</title>' "$unpacked/invitation.html" || fault "invitation.html is not the show's page"

[ "$failures" -eq 0 ] || exit 1
echo "ok: $(wc -l <<<"$listed") entries; $(grep -c '^resource ' <<<"$resources") resources, icon 16/32/48/256, version $dotted, manifest; picture $width x $height, $colours colours"
