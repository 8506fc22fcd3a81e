#!/usr/bin/env bash
# The set-up (tools/setup/setup.sh) against stand-ins for apt-get, dpkg,
# dpkg-query and the 32-bit probe first on PATH, so nothing is installed and no
# network is needed. Each case sets up a machine (which packages exist, which are
# installed, the foreign architectures, whether 32-bit programs run, which
# package index is broken), runs the set-up as make test and make check run it,
# and checks what it did: the architectures left, the packages asked for, the
# exit status, the lines printed and the reasons kept for the tests that skip.
. "$(dirname "$0")/lib/e2e.sh"
e2e_setup "$@"
setup=$src/tools/setup/setup.sh
fake=$out/fake
mkdir -p "$fake/bin"

# apt-get: update fails when $FAKE/broken names an index that this machine's
# architectures fetch; install takes the packages in $FAKE/offered (an i386 one
# only with i386 added and its index readable), all or none, as apt does.
cat >"$fake/bin/apt-get" <<'EOF'
#!/usr/bin/env bash
echo "apt-get $*" >>"$FAKE/log"
i386_index=http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz
main_index=http://deb.debian.org/debian/dists/bookworm/main/binary-amd64/Packages.xz
broken=$(cat "$FAKE/broken" 2>/dev/null)
for arg; do
  case $arg in
    update)
      if [ "$broken" = i386 ] && grep -qx i386 "$FAKE/arch"; then
        echo "E: Failed to fetch $i386_index  File has unexpected size (374820 != 376004). Mirror sync in progress? [IP: 151.101.2.132 80]" >&2
        echo "E: Some index files failed to download. They have been ignored, or old ones used instead." >&2
        exit 100
      fi
      if [ "$broken" = main ]; then
        echo "E: Failed to fetch $main_index  Hash Sum mismatch" >&2
        exit 100
      fi
      exit 0 ;;
    install) mode=install ;;
  esac
done
[ "${mode:-}" = install ] || { echo "E: the stand-in knows only update and install" >&2; exit 100; }
wanted=()
for arg; do [[ $arg == -* || $arg == install || $arg == *=* ]] || wanted+=("$arg"); done
for package in "${wanted[@]}"; do
  if [[ $package == *:i386 ]] && { ! grep -qx i386 "$FAKE/arch" || [ "$broken" = i386 ]; }; then
    echo "E: Unable to locate package $package" >&2; exit 100
  fi
  grep -qx "$package" "$FAKE/offered" || { echo "E: Unable to locate package $package" >&2; exit 100; }
done
printf '%s\n' "${wanted[@]}" >>"$FAKE/installed"
EOF
# dpkg: the foreign architectures in $FAKE/arch; an architecture in use stays.
cat >"$fake/bin/dpkg" <<'EOF'
#!/usr/bin/env bash
echo "dpkg $*" >>"$FAKE/log"
case $1 in
  --print-foreign-architectures) cat "$FAKE/arch" ;;
  --add-architecture) grep -qx "$2" "$FAKE/arch" || echo "$2" >>"$FAKE/arch" ;;
  --remove-architecture)
    if grep -q ":$2\$" "$FAKE/installed"; then
      echo "dpkg: error: cannot remove architecture '$2' currently in use by the database" >&2; exit 2
    fi
    grep -vx "$2" "$FAKE/arch" >"$FAKE/arch.new"; mv "$FAKE/arch.new" "$FAKE/arch" ;;
  *) echo "dpkg stand-in: $*" >&2; exit 2 ;;
esac
EOF
# dpkg-query -W: a package's status, or the architectures of all installed.
cat >"$fake/bin/dpkg-query" <<'EOF'
#!/usr/bin/env bash
package=${!#}
if [[ $package == -f* ]]; then
  awk -F: '{ print (NF > 1 ? $2 : "amd64") }' "$FAKE/installed"
  exit 0
fi
grep -qx "$package" "$FAKE/installed" || exit 1
echo "install ok installed"
EOF
cat >"$fake/bin/i386-probe" <<'EOF'
#!/usr/bin/env bash
[ -e "$FAKE/runs_i386" ] && exit 0
echo "this host cannot run 32-bit (i386) programs: a 32-bit program: cannot execute binary file: Exec format error"
exit 1
EOF
chmod +x "$fake/bin"/*
export FAKE=$fake PATH=$fake/bin:$PATH INVITATION_SETUP_STATE=$out/state

# A machine: every package of every group offered except those named, nothing
# installed, no foreign architecture; `i386` makes it run 32-bit programs.
machine() {
  local runs=$1 broken=$2
  shift 2
  rm -rf "$fake"/{arch,installed,offered,log,broken,runs_i386} "$out/state"
  : >"$fake/arch"
  : >"$fake/installed"
  : >"$fake/log"
  awk '!/^[[:space:]]*(#|$)/ { for (i = 2; i <= NF; i++) print $i }' "$src/tools/setup/packages.txt" |
    grep -vxF -f <(printf '%s\n' "$@" '') >"$fake/offered"
  [ "$runs" = i386 ] && touch "$fake/runs_i386"
  [ -n "$broken" ] && echo "$broken" >"$fake/broken"
  export INVITATION_SETUP_SESSION=$RANDOM$RANDOM
}

# Runs the set-up as `make test` does; its output in $out/said, status in $status.
run_setup() {
  { bash "$setup" "$@"; } >"$out/said" 2>"$out/said.err"
  status=$?
}
check() {
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else count_failure "$what" "$out/said" "$out/said.err" "$fake/log"; fi
}
no_line() { ! grep -q -- "$1" "$2"; }
left_out() { cat "$out/state/left-out/$1" 2>/dev/null; }

# 1. A host that cannot run 32-bit programs, with Chromium missing from the mirror.
machine no i386 chromium
run_setup require run test-tools && run_setup offer windows wine32 web chromium release fuzz
check "no 32-bit host: the set-up ends well" [ "$status" -eq 0 ]
check "no 32-bit host: no architecture added" [ ! -s "$fake/arch" ]
check "no 32-bit host: dpkg never asked to add one" no_line "add-architecture" "$fake/log"
check "no 32-bit host: no i386 package asked for" no_line ":i386" "$fake/log"
check "no 32-bit host: Wine left out with the probe's reason" grep -q "Exec format error" "$out/state/left-out/wine32"
check "missing Chromium: left out, named with apt's message" \
  grep -qx "apt-get cannot install chromium: Unable to locate package chromium" "$out/state/left-out/chromium"
check "missing Chromium: one line says so" grep -qx "setup: leaving out chromium: .*Unable to locate package chromium" "$out/said"
check "the other groups installed" grep -qx "emscripten" "$fake/installed"
check "one apt-get update in one make run" [ "$(grep -c 'apt-get.* update' "$fake/log")" -eq 1 ]
check "downloads retried" grep -q "Acquire::Retries=" "$fake/log"
check "has: a left-out group named with its reason" \
  bash -c '! out=$(bash "$0" has web chromium) && [ "$out" = "chromium was left out by the set-up: apt-get cannot install chromium: Unable to locate package chromium" ]' "$setup"

# 2. A 32-bit host whose mirror's i386 index cannot be read: the architecture
# added for Wine goes again, with one line, and the index is one warning.
machine i386 i386
run_setup offer wine32
check "broken i386 index: the set-up ends well" [ "$status" -eq 0 ]
check "broken i386 index: one warning naming it" \
  grep -qx "setup: warning: cannot read the package index http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz (File has unexpected size (374820 != 376004). Mirror sync in progress? \[IP: 151.101.2.132 80\]); going on with the lists apt has" "$out/said"
check "broken i386 index: the architecture removed again" [ ! -s "$fake/arch" ]
check "broken i386 index: one line says so" grep -qx "setup: removed the i386 architecture again: its packages did not install" "$out/said"
check "broken i386 index: Wine left out with apt's message" grep -q "Unable to locate package wine32:i386" "$out/state/left-out/wine32"

# 3. The same host once the mirror is whole: Wine installs, the architecture
# stays, and the earlier reason is gone.
rm -f "$fake/broken"
export INVITATION_SETUP_SESSION=$RANDOM$RANDOM
run_setup offer wine32
check "whole mirror: Wine installed" grep -qx "wine32:i386" "$fake/installed"
check "whole mirror: i386 stays" grep -qx i386 "$fake/arch"
check "whole mirror: nothing left out" [ ! -e "$out/state/left-out/wine32" ]

# 4. A required package the mirror lacks ends the set-up with one line.
machine i386 "" libgtest-dev
run_setup require run test-tools
check "missing required package: status 1" [ "$status" -eq 1 ]
check "missing required package: one line with the package and apt's message" \
  bash -c '[ "$(wc -l <"$0")" -eq 1 ] && grep -q "^setup: test-tools: apt-get cannot install .*libgtest-dev.*: Unable to locate package libgtest-dev$" "$0"' "$out/said.err"

# 5. The main index unreadable: a warning, and the packages install from the old lists.
machine no main
run_setup require run
check "unreadable main index: the required packages still install" [ "$status" -eq 0 ]
check "unreadable main index: a warning naming it" grep -q "^setup: warning: cannot read the package index http://deb.debian.org/debian/dists/bookworm/main/binary-amd64/Packages.xz (Hash Sum mismatch)" "$out/said"

# 6. make run and make check, on a 32-bit host: no architecture, no Wine.
machine i386 ""
run_setup require run test-tools
check "make run and make check: no architecture added" [ ! -s "$fake/arch" ]
check "make run and make check: no Wine" no_line "wine" "$fake/log"
for goal in run check; do
  check "make $goal never asks for Wine" \
    bash -c '! make -n -C "$0" "$1" 2>/dev/null | grep -q "wine32\|wine-deps\|wine64\|windows64"' "$src" "$goal"
done

# 7. Everything already installed: nothing asked of apt at all.
machine i386 ""
run_setup require run test-tools && run_setup offer windows wine32 web
export INVITATION_SETUP_SESSION=$RANDOM$RANDOM
: >"$fake/log"
run_setup offer windows wine32 web
check "all installed: apt-get not run" no_line apt-get "$fake/log"

# The 64-bit twin's set-up as make test runs it: the Makefile asks the probe (the
# stand-in) once and offers the twin's groups only where 32-bit programs do not run.
run_twin_setup() {
  { make -s -C "$src" windows64-deps PLATFORM_SETUP=offer I386_PROBE="$fake/bin/i386-probe"; } >"$out/said" 2>"$out/said.err"
  status=$?
}

# 8. A host that cannot run 32-bit programs: the twin's compiler and 64-bit Wine.
machine no ""
run_twin_setup
check "twin, no 32-bit host: the set-up ends well" [ "$status" -eq 0 ]
check "twin, no 32-bit host: MinGW-w64 for x86_64 installed" grep -qx "g++-mingw-w64-x86-64" "$fake/installed"
check "twin, no 32-bit host: 64-bit Wine installed" grep -qx "wine64" "$fake/installed"
check "twin, no 32-bit host: no architecture added" [ ! -s "$fake/arch" ]
check "twin, no 32-bit host: no i386 package asked for" no_line ":i386" "$fake/log"
check "twin, no 32-bit host: the compiler not left out" [ ! -e "$out/state/left-out/windows64" ]
check "twin, no 32-bit host: Wine not left out" [ ! -e "$out/state/left-out/wine64" ]

# 9. A host that runs 32-bit programs: nothing of the twin installed, and the
# twin recorded as not needed, so make windows64 builds nothing.
machine i386 ""
run_twin_setup
check "twin, 32-bit host: the set-up ends well" [ "$status" -eq 0 ]
check "twin, 32-bit host: apt-get not run" no_line apt-get "$fake/log"
check "twin, 32-bit host: recorded as not needed" grep -q "^not needed: this host runs 32-bit programs" "$out/state/left-out/windows64"
check "twin, 32-bit host: has windows64 is false" bash -c '! bash "$0" has windows64 >/dev/null' "$setup"

# 9b. A host that runs 32-bit programs but whose 32-bit Wine could not be
# installed (its architecture's index unreadable): the twin carries the Windows
# tests there too.
machine i386 ""
mkdir -p "$out/state/left-out"
echo "apt-get cannot install wine32:i386: Error, pkgProblemResolver::Resolve generated breaks" >"$out/state/left-out/wine32"
run_twin_setup
check "twin, 32-bit host without 32-bit Wine: the set-up ends well" [ "$status" -eq 0 ]
check "twin, 32-bit host without 32-bit Wine: 64-bit Wine installed" grep -qx "wine64" "$fake/installed"
check "twin, 32-bit host without 32-bit Wine: the twin not left out" [ ! -e "$out/state/left-out/windows64" ]

# 10. No 32-bit host, and 64-bit Wine missing from the mirror: the twin's
# compiler installs, Wine is left out with apt's message for the tests to skip with.
machine no "" wine64
run_twin_setup
check "twin without wine64: the set-up ends well" [ "$status" -eq 0 ]
check "twin without wine64: the compiler installed" grep -qx "g++-mingw-w64-x86-64" "$fake/installed"
check "twin without wine64: left out with apt's message" grep -q "Unable to locate package wine64" "$out/state/left-out/wine64"
check "twin without wine64: windows64 not left out" [ ! -e "$out/state/left-out/windows64" ]

finish_checks "the set-up installs only what the host can use and survives a broken index"
