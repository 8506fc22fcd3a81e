#!/usr/bin/env bash
# Where 32-bit Wine cannot start, the Wine tests report themselves skipped, with
# the reason in one line, instead of failing. Simulated by putting, in place of
# Wine's loader, a program this kernel really refuses: an ELF file for a machine
# no kernel knows, which fails to start with "Exec format error" just as an i386
# program does where IA-32 emulation is missing.
# Then which executable they choose, with a stand-in for the 32-bit probe and a
# build folder of stand-in executables: where 32-bit programs do not run, the
# 64-bit twin under 64-bit Wine (a missing twin fails where make test built the
# Windows folders, and skips elsewhere); where they do, the 32-bit one, twin or not.
. "$(dirname "$0")/lib/e2e.sh"
e2e_setup "$@"
. "$e2e_lib/windows_wine.sh"
find_windows_exe "$build"

refused=$out/wine
{ printf '\x7fELF\x01\x01\x01'; head -c 9 /dev/zero; printf '\x02\x00\x34\x12\x01\x00\x00\x00'; head -c 28 /dev/zero; } >"$refused"
chmod +x "$refused"
"$refused" --version >/dev/null 2>&1 && fail "the stand-in program ran; cannot simulate the refusal here"

for test in windows_dialog_cancel windows_dialog_run windows_show; do
  INVITATION_WINE_LOADER=$refused timeout 60 bash "$src/tests/e2e/$test.sh" "$build" "$src" >"$out/stdout" 2>"$out/stderr"
  status=$?
  if [ "$status" -ne "$skip_status" ] || [ "$(grep -c . "$out/stdout")" -ne 1 ] || [ -s "$out/stderr" ] ||
     ! grep -q "^SKIPPED: this host cannot run 32-bit (i386) programs: .*Exec format error" "$out/stdout"; then
    count_failure "$test gave status $status (want $skip_status)" "$out/stdout" "$out/stderr"
    continue
  fi
  echo "ok: $test -> $(cat "$out/stdout")"
done

# --- the choice, on stand-ins
fake=$out/fake
mkdir -p "$fake/build" "$fake/win32" "$fake/win64" "$fake/state/left-out"
touch "$fake/win32/invitation.exe" "$fake/win64/invitation.exe"
printf '#!/bin/sh\nexit 0\n' >"$fake/runs-i386"
printf '#!/bin/sh\necho "this host cannot run 32-bit (i386) programs: stand-in"\nexit 1\n' >"$fake/no-i386"
chmod +x "$fake/runs-i386" "$fake/no-i386"
# $1 probe, $2 win64_dir, $3 win64_required, $4 left-out group (or -); the
# rest the expected status and the pattern of the one line each test prints.
choice_case() {
  local probe=$1 twin=$2 required=$3 left=$4 want_status=$5 want_line=$6 test status bad=0
  rm -f "$fake/state/left-out"/*
  [ "$left" = - ] || echo "stand-in reason" >"$fake/state/left-out/$left"
  printf "win32_dir='%s'\nwin32_required=1\nwin64_dir='%s'\nwin64_required=%s\n" \
    "$fake/win32" "$twin" "$required" >"$fake/build/windows_build.env"
  for test in windows_dialog_cancel windows_dialog_run windows_show; do
    INVITATION_I386_PROBE=$fake/$probe INVITATION_WINE64_LOADER=$refused INVITATION_SETUP_STATE=$fake/state \
      timeout 60 bash "$src/tests/e2e/$test.sh" "$fake/build" "$src" >"$out/stdout" 2>"$out/stderr"
    status=$?
    if [ "$status" -ne "$want_status" ] || [ "$(grep -c . "$out/stdout")" -ne 1 ] || [ -s "$out/stderr" ] ||
       ! grep -q "$want_line" "$out/stdout"; then
      count_failure "$probe, twin in '$twin' (required $required), $left left out: $test gave status $status (want $want_status, a line like '$want_line')" "$out/stdout" "$out/stderr"
      bad=1
    fi
  done
  [ "$bad" = 0 ] && echo "ok: $probe, twin in '$twin', $left left out: each Wine test -> $(cat "$out/stdout")"
}
choice_case no-i386 "$fake/win64" 1 - "$skip_status" "^SKIPPED: 64-bit Wine cannot start: $refused --version failed: .*Exec format error"
choice_case no-i386 "$fake/none" 1 - 1 "^FAIL: this host cannot run 32-bit programs and there is no 64-bit twin at $fake/none/invitation.exe (make windows64 builds it)$"
choice_case no-i386 "$fake/none" 0 - "$skip_status" "^SKIPPED: this host cannot run 32-bit programs and there is no 64-bit twin at $fake/none/invitation.exe"
choice_case no-i386 "$fake/none" 1 windows64 "$skip_status" "^SKIPPED: windows64 was left out by the set-up: stand-in reason$"
choice_case no-i386 "$fake/win64" 1 wine64 "$skip_status" "^SKIPPED: wine64 was left out by the set-up: stand-in reason$"
# 32-bit programs run, but 32-bit Wine could not be installed: the twin again.
choice_case runs-i386 "$fake/win64" 1 wine32 "$skip_status" "^SKIPPED: 64-bit Wine cannot start: $refused --version failed: .*Exec format error"

finish_checks "each Wine test reported itself skipped, with the reason, in one line, and chose the twin only where 32-bit programs or 32-bit Wine are missing"
