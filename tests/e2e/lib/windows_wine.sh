# Shared steps of the Windows end-to-end tests (sourced, not run by ctest): where the
# Windows executable is, and a fresh Wine prefix to run it in.

# Sets win32_dir and win32_exe from the build folder's windows_build.env. When no
# executable was built and none is required, reports the skip and ends the test.
find_windows_exe() {
  local build=$1
  win32_dir="" win32_required=0
  [ -f "$build/windows_build.env" ] && . "$build/windows_build.env"
  win32_exe=$win32_dir/invitation.exe
  if [ ! -f "$win32_exe" ]; then
    if [ "$win32_required" = 1 ]; then
      echo "no Windows executable at $win32_exe (make windows builds it)"
      exit 1
    fi
    echo "skipped: no Windows executable at $win32_exe (make windows builds it)"
    exit 0
  fi
}

# A fresh Wine prefix in $1, with HOME and the XDG folders inside it, since Wine and
# Mesa write there. Wine draws the window frames itself, as there is no window
# manager under Xvfb. Must run inside the X server.
fresh_wine_prefix() {
  local dir=$1
  rm -rf "$dir"
  mkdir -p "$dir/home/run" "$dir/run"
  chmod 700 "$dir/home/run"
  export HOME=$dir/home WINEPREFIX=$dir/prefix WINEARCH=win32 WINEDEBUG=-all
  export XDG_CONFIG_HOME=$HOME/.config XDG_CACHE_HOME=$HOME/.cache
  export XDG_DATA_HOME=$HOME/.local/share XDG_RUNTIME_DIR=$HOME/run
  # No .NET or HTML engine: nothing offers to download them.
  export WINEDLLOVERRIDES="mscoree,mshtml="
  wineboot -i >"$dir/wineboot.log" 2>&1 || { echo "wineboot failed"; cat "$dir/wineboot.log"; return 1; }
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >>"$dir/wineboot.log" 2>&1
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

# A fresh prefix under $win32_dir/wine-tests/$1 with a copy of the executable, made
# the working folder (stdout.txt lands there); Wine's server ends with the test.
# Sets $work.
prepare_wine_run() {
  work=$win32_dir/wine-tests/$1
  fresh_wine_prefix "$work" || return 1
  trap 'wineserver -k 2>/dev/null' EXIT
  cp "$win32_exe" "$work/run/"
  cd "$work/run" || return 1
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
