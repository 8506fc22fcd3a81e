#!/usr/bin/env bash
# Fetches the Debian source packages the dependency prefixes are built from, at the
# versions debian_sources.txt pins, and unpacks them with Debian's patches applied.
#   fetch_sources.sh choose DEST PACKAGE...
#       refreshes the source index and writes DEST/source_versions ("package
#       version" per line): the pinned version while the suite offers it; where a
#       point release has replaced it, the version offered now, with one line
#       saying so
#   fetch_sources.sh unpack DEST
#       fetches and unpacks into DEST/src each chosen version not unpacked there
#       yet (a tree of another version, or a half-unpacked one, is replaced), then
#       checks that every chosen tree is complete
# Uses a private source list and package index under DEST/apt, so the machine's
# own apt configuration is never touched.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=prefix_common.sh
. "$here/prefix_common.sh"
label="debian sources"
pins=$here/debian_sources.txt
usage="usage: fetch_sources.sh choose DEST PACKAGE... | fetch_sources.sh unpack DEST"
[[ $# -ge 2 ]] || prefix_fail "$usage"
mode=$1
work=$(mkdir -p "$2" && cd "$2" && pwd)  # apt reads relative list paths from its own folder
shift 2
mirror=${INVITATION_DEBIAN_MIRROR:-http://deb.debian.org/debian}
suite=${INVITATION_DEBIAN_SUITE:-bookworm}

apt_dir=$work/apt
apt_options=(
  -o "Dir::Etc::SourceList=$apt_dir/sources.list"
  -o Dir::Etc::SourceParts=/dev/null
  -o "Dir::State::Lists=$apt_dir/lists"
  -o APT::Sandbox::User=root
  -o Acquire::Retries=3
  # The index is read into memory, so the machine's package cache files stay as they are.
  -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache=
)

choose() {
  local package pinned version offered chosen=$work/source_versions.new
  [[ $# -gt 0 ]] || prefix_fail "$usage"
  mkdir -p "$apt_dir/lists/partial"
  echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror $suite main" \
    > "$apt_dir/sources.list"
  if ! apt-get -qq "${apt_options[@]}" update; then
    # A mirror in the middle of a sync: the versions chosen last time still build.
    [[ -s $work/source_versions ]] || prefix_fail "cannot fetch the source index of $mirror $suite"
    echo "$label: warning: cannot fetch the source index of $mirror $suite; keeping the versions chosen before" >&2
    return 0
  fi
  : > "$chosen"
  for package; do
    pinned=$(pinned_version "$package" "$pins")
    [[ -n $pinned ]] || prefix_fail "no pinned version of $package in $pins"
    mapfile -t offered < <(apt-cache "${apt_options[@]}" showsrc --only-source "$package" 2>/dev/null |
      sed -n 's/^Version: //p')
    version=$(pick_source_version "$suite" "$package" "$pinned" "${offered[@]}") || exit 1
    echo "$package $version" >> "$chosen"
  done
  mv "$chosen" "$work/source_versions"
}

unpack() {
  local package version tree
  [[ -f $work/source_versions ]] || prefix_fail "no $work/source_versions (run fetch_sources.sh choose first)"
  mkdir -p "$work/src"
  cd "$work/src"
  while read -r package version; do
    [[ $(cat "$package.unpacked" 2>/dev/null) != "$version" ]] || continue
    # The marker goes first and comes back last, so an interrupted fetch is redone.
    rm -rf "$package.unpacked" "$package"-*/ "$package"_*
    apt-get -qq "${apt_options[@]}" source "$package=$version" < /dev/null > /dev/null ||
      prefix_fail "apt-get source $package=$version failed"
    tree=$(source_tree_name "$package" "$version")
    [[ -f $tree/debian/control ]] ||
      prefix_fail "apt-get source $package=$version left no tree $work/src/$tree"
    echo "$version" > "$package.unpacked"
  done < "$work/source_versions"
  while read -r package version; do
    source_dir "$package" > /dev/null
  done < "$work/source_versions"
}

case $mode in
  choose) choose "$@" ;;
  unpack) unpack ;;
  *) prefix_fail "$usage" ;;
esac
