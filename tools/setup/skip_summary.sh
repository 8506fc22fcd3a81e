#!/usr/bin/env bash
# The closing summary of a test run: what the set-up left out (build-setup/left-out)
# and every reason the tests of the given build folders skipped for, with how
# many tests and which. ctest names skipped tests without their reasons; each
# test prints its own in a line "SKIPPED: reason".
#   skip_summary.sh BUILD-FOLDER...
set -u
here=$(cd "$(dirname "$0")" && pwd)
state=${INVITATION_SETUP_STATE:-$here/../../build-setup}

echo "== What this run left out =="
left=0
for file in "$state"/left-out/*; do
  [ -f "$file" ] || continue
  group=$(basename "$file")
  # The fuzzers' folder is not built at all then, so no ctest log counts them.
  extra=
  [ "$group" = fuzz ] && extra=" ($(ls "$here"/../../tests/fuzz/*_fuzz.cpp | wc -l) fuzz tests did not run)"
  echo "set-up left out $group: $(cat "$file")$extra"
  left=$((left + 1))
done
logs=()
for build; do
  [ -f "$build/Testing/Temporary/LastTest.log" ] && logs+=("$build/Testing/Temporary/LastTest.log")
done
skips=$(
  [ ${#logs[@]} -eq 0 ] ||
    awk '/^[0-9]+\/[0-9]+ Test: / { name = $3 } /^SKIPPED: / { print substr($0, 10) "\t" name }' "${logs[@]}" |
      sort -t $'\t' -k1,1 -k2,2 |
      awk -F '\t' '
        $1 != reason { if (count) printf "%d skipped: %s\n    %s\n", count, reason, names; reason = $1; count = 0; names = "" }
        { count++; names = names (names == "" ? "" : " ") $2 }
        END { if (count) printf "%d skipped: %s\n    %s\n", count, reason, names }'
)
[ -n "$skips" ] && echo "$skips"
[ "$left" -eq 0 ] && [ -z "$skips" ] && echo "nothing: every test ran"
exit 0
