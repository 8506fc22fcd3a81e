# What every end-to-end script shares (sourced, not run by ctest). ctest runs
# tests/e2e/NAME.sh with two arguments, the build folder and the source folder.
# A script starts
#
#   . "$(dirname "$0")/lib/e2e.sh"
#   e2e_setup "$@"
#
# and then has:
#   build, src       the build folder and the source folder
#   out              a fresh temporary folder of its own, removed when it exits
#   e2e_lib          this folder, for the other libraries: . "$e2e_lib/x11.sh"
#
# How a script ends:
#   fail MESSAGE [FILE...]   prints "FAIL: MESSAGE" and each FILE's contents (the
#                            program's stderr, a log), and exits 1: at the first fault
#   skip REASON              prints "SKIPPED: REASON" in one line and exits 77, which
#                            ctest reports as skipped; for a test this host cannot run
#                            (no 32-bit Wine, no browser build), never for a fault
#   echo "ok: ..."           and the end of the script: it passed
# A script that checks a list of cases and reports them all goes on past a fault:
#   count_failure MESSAGE [FILE...]   prints like fail, counts, and returns
#   finish_checks SUMMARY             exits 1 if any failure was counted, else
#                                     prints "ok: SUMMARY" and exits 0
# Helpers:
#   at_exit COMMAND        runs COMMAND when the script exits (the last added first)
#   float_test EXPRESSION  true when the awk EXPRESSION over numbers holds:
#                          float_test "$peak > 0.05"
#   authoring_pairs FILE   the show's authoring lines in FILE (printed on T press and
#                          release: "|| timing_beats > A && timing_beats <= B"), one
#                          "A B" per complete line, in order; CR line ends allowed
#   skip_if_left_out GROUP...  skips with the set-up's reason when `make test`'s set-up
#                          left out one of these package groups (tools/setup/packages.txt:
#                          windows, wine32, web, chromium, release, fuzz)

skip_status=77
failures=0
e2e_lib=$(cd "${BASH_SOURCE[0]%/*}" && pwd)
e2e_exit_commands=()

e2e_run_exit_commands() {
  local command
  for command in "${e2e_exit_commands[@]}"; do eval "$command"; done
}
trap e2e_run_exit_commands EXIT

at_exit() {
  e2e_exit_commands=("$1" "${e2e_exit_commands[@]}")
}

e2e_setup() {
  set -u
  [ $# -ge 2 ] || fail "usage: $0 BUILD-FOLDER SOURCE-FOLDER"
  build=$1
  src=$2
  out=$(mktemp -d) || fail "cannot make a temporary folder"
  at_exit 'rm -rf "$out"'
}

# Prints "FAIL: MESSAGE", then each file as "--- FILE:" and its contents.
e2e_print_failure() {
  local file
  echo "FAIL: $1"
  shift
  for file in "$@"; do
    if [ -s "$file" ]; then
      echo "--- $file:"
      cat "$file"
    else
      echo "--- $file: (empty or missing)"
    fi
  done
}

fail() {
  e2e_print_failure "$@"
  exit 1
}

skip() {
  echo "SKIPPED: $*"
  exit "$skip_status"
}

count_failure() {
  e2e_print_failure "$@"
  failures=$((failures + 1))
}

finish_checks() {
  if [ "$failures" -ne 0 ]; then
    echo "FAIL: $failures of the checks above failed"
    exit 1
  fi
  echo "ok: $*"
  exit 0
}

float_test() {
  awk "BEGIN { exit !($1) }"
}

authoring_pairs() {
  tr -d '\r' <"$1" |
    grep -E '^\|\| timing_beats > [0-9]+\.[0-9]{6} && timing_beats <= [0-9]+\.[0-9]{6}$' |
    awk '{ print $4, $8 }'
}

skip_if_left_out() {
  local group file
  for group; do
    file=${INVITATION_SETUP_STATE:-$src/build-setup}/left-out/$group
    [ -f "$file" ] && skip "$group was left out by the set-up: $(cat "$file")"
  done
  return 0
}
