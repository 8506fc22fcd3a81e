#!/usr/bin/env bash
# The set-up: installs the Debian packages of the groups a make goal needs
# (tools/setup/packages.txt), only those dpkg does not report installed, and only
# what this host can use.
#   setup.sh require GROUP...  a group that cannot be installed ends the set-up:
#                              one line naming the packages and apt's own message,
#                              status 1
#   setup.sh offer GROUP...    a group that cannot be installed is left out: one
#                              line says so and why, the reason is kept in
#                              build-setup/left-out/GROUP, and the tests that need
#                              the group skip with it; status 0
#   setup.sh has GROUP...      status 0 when no group was left out; otherwise
#                              prints the first one's reason and exits 1
#   setup.sh leave-out GROUP REASON
#                              records a group left out for a reason of its own
#                              (a build that needs another group that was)
# The system is left as found where an optional group fails: the i386
# architecture is added only for a group with i386 packages, only where this
# host runs i386 programs (tools/setup/i386-probe), and removed again when those
# packages then fail to install and no i386 package is installed. A package
# index that cannot be read is a warning; apt installs from the lists it has.
# Downloads are retried. apt-get update runs at most once per make run
# (INVITATION_SETUP_SESSION, set by the Makefile), and only when something is
# missing.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
state=${INVITATION_SETUP_STATE:-$top/build-setup}
packages=$here/packages.txt
session=${INVITATION_SETUP_SESSION:-$$}
# The probe by its name on PATH, so a stand-in placed before it is asked instead.
PATH=$PATH:$here
sudo=
[ "$(id -u)" = 0 ] || sudo=sudo
apt_options=(-o Acquire::Retries=3 -o DPkg::Lock::Timeout=120)
added_i386=0

say() { echo "setup: $*"; }

group_packages() {
  awk -v g="$1" '!/^[[:space:]]*(#|$)/ && $1 == g { $1 = ""; print; found = 1 } END { exit !found }' "$packages"
}

installed() {
  dpkg-query -W -f='${Status}\n' "$1" 2>/dev/null | grep -q '^install ok installed'
}

# What apt said that matters, in one line: its E: lines, else its last line.
apt_message() {
  local errors
  errors=$(grep -E '^E: ' <<<"$1" | sed 's/^E: //' | paste -sd ';' | sed 's/;/; /g')
  [ -n "$errors" ] || errors=$(grep -v '^[[:space:]]*$' <<<"$1" | tail -n 1)
  echo "$errors"
}

# apt-get update once per make run. An index that cannot be read (a mirror in the
# middle of a sync) is one warning line naming it; apt keeps the lists it had.
update_indexes() {
  local stamp=$state/updated.$session said status
  [ "${1:-}" = again ] || [ ! -e "$stamp" ] || return 0
  mkdir -p "$state"
  rm -f "$state"/updated.*
  said=$($sudo apt-get "${apt_options[@]}" -qq update 2>&1)
  status=$?
  touch "$stamp"
  local failed
  failed=$(grep -E '^[EW]: Failed to fetch ' <<<"$said" | sed -E 's/^[EW]: Failed to fetch //')
  if [ -n "$failed" ]; then
    while read -r index reason; do
      say "warning: cannot read the package index $index (${reason:-no reason given}); going on with the lists apt has"
    done <<<"$failed"
  elif [ "$status" -ne 0 ]; then
    say "warning: apt-get update failed ($(apt_message "$said")); going on with the lists apt has"
  fi
  return 0
}

has_i386_packages() {
  dpkg-query -W -f='${Architecture}\n' 2>/dev/null | grep -qx i386
}

# Makes i386 packages installable: true when this host runs i386 programs and
# the architecture is there (added for this run if it was not). Otherwise sets
# `reason` and is false, with the system untouched.
allow_i386() {
  if ! reason=$(i386-probe 2>&1); then
    [ -n "$reason" ] || reason="this host cannot run 32-bit (i386) programs"
    return 1
  fi
  dpkg --print-foreign-architectures | grep -qx i386 && return 0
  if ! reason=$($sudo dpkg --add-architecture i386 2>&1); then
    reason="dpkg cannot add the i386 architecture: $reason"
    return 1
  fi
  added_i386=1
  say "added the i386 architecture for 32-bit packages"
  update_indexes again
}

# The i386 architecture goes again if this run added it and nothing of it got
# installed, so later apt-get updates do not fetch indexes this machine has no use for.
restore_architectures() {
  [ "$added_i386" = 1 ] || return 0
  has_i386_packages && return 0
  if $sudo dpkg --remove-architecture i386 >/dev/null 2>&1; then
    say "removed the i386 architecture again: its packages did not install"
  else
    say "warning: could not remove the i386 architecture that this run added (dpkg --remove-architecture i386)"
  fi
  added_i386=0
}

left_out_file() { echo "$state/left-out/$1"; }

leave_out() {
  local group=$1 why=$2
  mkdir -p "$state/left-out"
  echo "$why" >"$(left_out_file "$group")"
  say "leaving out $group: $why"
}

# Installs GROUP's missing packages; true when all are installed, else false
# with `reason` set to one line.
install_group() {
  local group=$1 list package missing=() said
  list=$(group_packages "$group") || { reason="no package group '$group' in $packages"; return 1; }
  for package in $list; do
    # npm comes with some installs of node; Debian's package only where it does not.
    [ "$package" = npm ] && command -v npm >/dev/null && continue
    if [[ $package == *:i386 ]] && ! allow_i386; then return 1; fi
    installed "$package" || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  say "installing for $group: ${missing[*]}"
  update_indexes
  if ! said=$(DEBIAN_FRONTEND=noninteractive $sudo apt-get "${apt_options[@]}" install -y -qq \
      --no-install-recommends "${missing[@]}" 2>&1 </dev/null); then
    reason="apt-get cannot install ${missing[*]}: $(apt_message "$said")"
    return 1
  fi
  return 0
}

mode=${1:-}
[ $# -ge 1 ] && shift
case $mode in
  require | offer)
    [ $# -ge 1 ] || { echo "usage: setup.sh require|offer GROUP..." >&2; exit 2; }
    for group; do
      reason=
      if install_group "$group"; then
        rm -f "$(left_out_file "$group")"
        continue
      fi
      restore_architectures
      if [ "$mode" = require ]; then
        echo "setup: $group: $reason" >&2
        exit 1
      fi
      leave_out "$group" "$reason"
    done
    ;;
  has)
    for group; do
      file=$(left_out_file "$group")
      if [ -f "$file" ]; then
        echo "$group was left out by the set-up: $(cat "$file")"
        exit 1
      fi
    done
    ;;
  leave-out)
    [ $# -eq 2 ] || { echo "usage: setup.sh leave-out GROUP REASON" >&2; exit 2; }
    leave_out "$1" "$2"
    ;;
  *)
    echo "usage: setup.sh require|offer|has GROUP... | setup.sh leave-out GROUP REASON" >&2
    exit 2
    ;;
esac
exit 0
