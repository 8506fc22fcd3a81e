# Shared steps of the Windows end-to-end tests (sourced after lib/e2e.sh, not run
# by ctest): where the Windows executable is, which one runs under which Wine on
# this host, and a fresh Wine prefix to run it in. A test that cannot run here ends
# with skip (one line "SKIPPED: reason", status 77, which ctest reports as skipped).
#
# Where this host runs 32-bit programs (tools/setup/i386-probe) the Wine tests run
# the shipped 32-bit executable under 32-bit Wine. Elsewhere they run its 64-bit
# twin (make windows64: the same sources for x86_64, never shipped) under 64-bit
# Wine, and say so: every ok line names the executable, its architecture and the
# Wine it ran under ($wine_ran).
declare -F e2e_setup >/dev/null || . "${BASH_SOURCE[0]%/*}/e2e.sh"

# Sets win32_dir and win32_exe from the build folder's windows_build.env. When no
# executable was built, the test is skipped, or fails where one is required.
find_windows_exe() {
  local build=$1
  win32_dir="" win32_required=0
  [ -f "$build/windows_build.env" ] && . "$build/windows_build.env"
  win32_exe=$win32_dir/invitation.exe
  if [ ! -f "$win32_exe" ]; then
    skip_if_left_out windows
    [ "$win32_required" = 1 ] && fail "no Windows executable at $win32_exe (make windows builds it)"
    skip "no Windows executable at $win32_exe (make windows builds it)"
  fi
}

# 32-bit Wine's own loader, an i386 program; INVITATION_WINE_LOADER names another
# program in its place (tests/e2e/windows_no_i386.sh points it at one the kernel
# refuses), and so chooses 32-bit Wine without asking the probe.
wine_loader=${INVITATION_WINE_LOADER:-/usr/lib/wine/wine}
# 64-bit Wine's loader, for the twin; INVITATION_WINE64_LOADER names another.
wine64_loader=${INVITATION_WINE64_LOADER:-/usr/lib/wine/wine64}

# Sets win64_dir and win64_exe, the twin, as find_windows_exe does for the 32-bit one.
find_windows64_exe() {
  local build=$1
  win64_dir="" win64_required=0
  [ -f "$build/windows_build.env" ] && . "$build/windows_build.env"
  win64_exe=$win64_dir/invitation.exe
  if [ ! -f "$win64_exe" ]; then
    skip_if_left_out windows64
    [ "$win64_required" = 1 ] &&
      fail "this host cannot run 32-bit programs and there is no 64-bit twin at $win64_exe (make windows64 builds it)"
    skip "this host cannot run 32-bit programs and there is no 64-bit twin at $win64_exe (make windows64 builds it)"
  fi
}

# Which Windows executable this host's Wine tests run: sets wine_arch to i686
# (the shipped one) where the probe (INVITATION_I386_PROBE names a stand-in)
# runs a 32-bit program and the set-up did not leave 32-bit Wine out, else to
# x86_64 (the twin), and wine_name to the Wine that runs it.
choose_wine() {
  local probe=${INVITATION_I386_PROBE:-$src/tools/setup/i386-probe}
  local state=${INVITATION_SETUP_STATE:-$src/build-setup}
  if [ -n "${INVITATION_WINE_LOADER:-}" ] ||
    { "$probe" >/dev/null 2>&1 && [ ! -f "$state/left-out/wine32" ]; }; then
    wine_arch=i686 wine_name=wine
  else
    wine_arch=x86_64 wine_name=wine64
  fi
}

# 64-bit Wine for the twin, skipped with the reason where it cannot start.
require_64bit_wine() {
  local said
  skip_if_left_out wine64
  [ -e "$wine64_loader" ] || skip "64-bit Wine is not installed: no $wine64_loader (make windows64 installs wine64)"
  if ! said=$("$wine64_loader" --version 2>&1 </dev/null); then
    said=$(tr -s '\n' ' ' <<<"$said" | sed -E 's/^[^:]*: line [0-9]+: //')
    skip "64-bit Wine cannot start: $wine64_loader --version failed: ${said% }"
  fi
}

# For the tests that run the build's executable: chooses it (choose_wine), finds
# it and checks its Wine. Sets wine_exe, wine_dir (its build folder), wine_arch,
# wine_name and wine_ran, "(build-win64/invitation.exe, x86_64, under wine64)".
find_wine_exe() {
  local build=$1
  choose_wine
  if [ "$wine_arch" = i686 ]; then
    find_windows_exe "$build"
    require_32bit_wine
    wine_exe=$win32_exe wine_dir=$win32_dir
  else
    find_windows64_exe "$build"
    require_64bit_wine
    wine_exe=$win64_exe wine_dir=$win64_dir
  fi
  wine_ran="(${wine_exe#"$src"/}, $wine_arch, under $wine_name)"
}

# Runs a Windows program with the chosen Wine (the 32-bit one unless
# choose_wine chose the twin).
run_wine() {
  if [ "${wine_arch:-i686}" = x86_64 ]; then
    WINELOADER=$wine64_loader "$wine64_loader" "$@"
  else
    wine "$@"
  fi
}

# Whether this host runs i386 code at all, asked of the set-up's own probe
# (tools/setup/i386-probe: a kernel without IA-32 emulation refuses it with "Exec
# format error"), then of the Wine loader itself, a 32-bit program too. Where
# either cannot run, the test is skipped with the reason.
require_32bit_wine() {
  local said
  if [ -z "${INVITATION_WINE_LOADER:-}" ]; then
    said=$("${INVITATION_I386_PROBE:-$src/tools/setup/i386-probe}") || skip "$said"
    skip_if_left_out wine32
  fi
  [ -e "$wine_loader" ] || skip "32-bit Wine is not installed: no $wine_loader (make wine-deps installs wine32:i386)"
  if ! said=$("$wine_loader" --version 2>&1 </dev/null); then
    said=$(tr -s '\n' ' ' <<<"$said" | sed -E 's/^[^:]*: line [0-9]+: //')
    skip "this host cannot run 32-bit (i386) programs: $wine_loader --version failed: ${said% }"
  fi
}

# A fresh Wine prefix in $1, with HOME and the XDG folders inside it, since Wine and
# Mesa write there. Wine draws the window frames itself, as there is no window
# manager under Xvfb. Must run inside the X server. A failure ends the test.
fresh_wine_prefix() {
  local dir=$1
  rm -rf "$dir"
  mkdir -p "$dir/home/run" "$dir/run"
  chmod 700 "$dir/home/run"
  export HOME=$dir/home WINEPREFIX=$dir/prefix WINEDEBUG=-all
  if [ "${wine_arch:-i686}" = x86_64 ]; then export WINEARCH=win64; else export WINEARCH=win32; fi
  export XDG_CONFIG_HOME=$HOME/.config XDG_CACHE_HOME=$HOME/.cache
  export XDG_DATA_HOME=$HOME/.local/share XDG_RUNTIME_DIR=$HOME/run
  # No .NET or HTML engine: nothing offers to download them.
  export WINEDLLOVERRIDES="mscoree,mshtml="
  if [ "${wine_arch:-i686}" = x86_64 ]; then
    run_wine wineboot -i >"$dir/wineboot.log" 2>&1 || fail "wineboot failed" "$dir/wineboot.log"
  else
    wineboot -i >"$dir/wineboot.log" 2>&1 || fail "wineboot failed" "$dir/wineboot.log"
  fi
  run_wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >>"$dir/wineboot.log" 2>&1
  wineserver -w
}

# Visible windows named like the show's (the dialog and the show share the title).
show_titled_windows() {
  xdotool search --onlyvisible --name '^Tavrin Demo Engine$' 2>/dev/null
}

# Waits up to 30 s for a visible window of that title other than $2; prints its id.
wait_for_titled_window() {
  local pid=$1 other=${2:-none} id
  for _ in $(seq 1 300); do
    kill -0 "$pid" 2>/dev/null || return 1
    id=$(show_titled_windows | grep -vx "$other" | tail -n 1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

# Takes a screenshot of the whole screen to $1; with INVITATION_DOCS_SCREENSHOTS=1
# it also replaces the picture of the same name in docs/.
screenshot() {
  local file=$1 src=$2
  import -window root "$file"
  if [ "${INVITATION_DOCS_SCREENSHOTS:-0}" = 1 ]; then
    cp "$file" "$src/docs/$(basename "$file")"
  fi
}

# A fresh prefix under $wine_dir/wine-tests/$1 with a copy of the executable
# find_wine_exe chose, made the working folder (stdout.txt lands there); Wine's
# server ends with the test. Sets $work. A failure ends the test.
prepare_wine_run() {
  work=$wine_dir/wine-tests/$1
  fresh_wine_prefix "$work"
  at_exit 'wineserver -k 2>/dev/null'
  cp "$wine_exe" "$work/run/" || fail "cannot copy $wine_exe into $work/run"
  cd "$work/run" || fail "cannot enter $work/run"
}

# Waits for the launch dialog of process $1, presses Enter and waits for the show's
# window, which gets the keyboard. Sets $dialog and $show.
run_past_dialog() {
  local pid=$1
  dialog=$(wait_for_titled_window "$pid") || { echo "no dialog appeared"; return 1; }
  sleep 1
  xdotool windowfocus --sync "$dialog" 2>/dev/null || true
  xdotool key Return
  show=$(wait_for_titled_window "$pid" "$dialog") || { echo "no show window after Enter"; return 1; }
  xdotool windowfocus --sync "$show" 2>/dev/null || true
}

# The checks every Windows executable passes as a file: $1 the executable, $2
# what to call it in a failure. Its imports are Windows system DLLs only (its
# libraries are linked statically), read from the objdump headers in $headers;
# every image and the module travel inside it, byte for byte.
check_windows_imports_and_assets() {
  local exe=$1 what=$2 system_dlls imports foreign asset
  system_dlls='^(kernel32|user32|gdi32|opengl32|winmm|advapi32|msvcrt|shell32|ole32|oleaut32|comdlg32|comctl32|winspool\.drv|imm32|version)(\.dll)?$'
  imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | sort -u)
  [ -n "$imports" ] || fail "no import table"
  foreign=$(tr 'A-Z' 'a-z' <<<"$imports" | grep -Ev "$system_dlls")
  [ -z "$foreign" ] || fail "imports DLLs that are not part of Windows: $(echo $foreign)"
  for asset in "$src"/src/assets/data/*.png "$src"/src/assets/data/*.xm; do
    [ -f "$asset" ] || continue
    perl -e 'local $/; open(my $e, "<:raw", $ARGV[0]) or die; open(my $a, "<:raw", $ARGV[1]) or die;
             my $exe = <$e>; my $asset = <$a>; exit(index($exe, $asset) < 0 ? 1 : 0)' "$exe" "$asset" ||
      fail "$(basename "$asset") is not inside $what"
  done
}
