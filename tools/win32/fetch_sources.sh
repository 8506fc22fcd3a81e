#!/usr/bin/env bash
# Fetches and unpacks (Debian patches applied) the source packages of the libraries
# the Windows build links statically, or the named ones (the web build takes a
# subset). Uses a private source list and package index under DEST, so the
# machine's own apt configuration is never touched.
#   fetch_sources.sh DEST [PACKAGE...]
set -euo pipefail

dest=$(mkdir -p "$1" && cd "$1" && pwd)  # apt reads relative list paths from its own folder
shift
mirror=${INVITATION_DEBIAN_MIRROR:-http://deb.debian.org/debian}
suite=${INVITATION_DEBIAN_SUITE:-bookworm}
packages=("$@")
[[ ${#packages[@]} -gt 0 ]] || packages=(libsdl1.2 sdl-mixer1.2 libmikmod libpng1.6 zlib)

apt_dir=$dest/apt
mkdir -p "$apt_dir/lists/partial" "$dest/src"
echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror $suite main" \
  > "$apt_dir/sources.list"
apt_options=(
  -o "Dir::Etc::SourceList=$apt_dir/sources.list"
  -o Dir::Etc::SourceParts=/dev/null
  -o "Dir::State::Lists=$apt_dir/lists"
  -o APT::Sandbox::User=root
)

apt-get -qq "${apt_options[@]}" update
cd "$dest/src"
for package in "${packages[@]}"; do
  # One unpacked tree per package; a half-unpacked tree is removed and fetched again.
  if ! compgen -G "$package-*/debian/control" > /dev/null; then
    rm -rf "$package"-*/ "$package"_*
    apt-get -qq "${apt_options[@]}" source "$package" > /dev/null
  fi
done
