#!/usr/bin/env bash
# On a host that cannot run 32-bit programs the Wine tests report themselves
# skipped, with the reason in one line, instead of failing. Simulated by putting,
# in place of Wine's loader, a program this kernel really refuses: an ELF file for
# a machine no kernel knows, which fails to start with "Exec format error" just as
# an i386 program does where IA-32 emulation is missing.
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
finish_checks "each Wine test reported itself skipped, with the reason, in one line"
