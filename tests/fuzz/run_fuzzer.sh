#!/usr/bin/env bash
# Runs one libFuzzer harness: replays its seeds, fuzzes for a bounded time, and
# prints one summary line (executions, coverage, corpus, findings).
#   run_fuzzer.sh HARNESS SEED_DIR SECONDS FINDINGS_DIR [CORPUS_DIR [LIBFUZZER_OPTION...]]
# New inputs go to CORPUS_DIR, kept between runs; with none given (or ""), to a
# temporary folder removed at the end. A crash, leak, timeout or memory blow-up is
# saved in FINDINGS_DIR and the status is 1.
set -u
harness=$1 seeds=$2 seconds=$3 findings=$4
corpus=${5:-}
shift $(($# < 5 ? $# : 5))
name=$(basename "$harness")

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
if [ -z "$corpus" ]; then
  corpus=$scratch/corpus
fi
mkdir -p "$corpus" "$findings"
before=$(find "$findings" -maxdepth 1 -type f | wc -l)

# One allocation above 512 MiB is a finding: the readers refuse images over
# 8192 x 8192 (256 MiB as RGBA) and chunks over 8 MiB before asking for memory.
"$harness" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=512 -print_final_stats=1 \
  -artifact_prefix="$findings/" "$@" "$corpus" "$seeds" >"$scratch/log" 2>&1
status=$?

after=$(find "$findings" -maxdepth 1 -type f | wc -l)
found=$((after - before))
runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$scratch/log" | tail -1)
took=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$scratch/log" | tail -1)
last=$(grep -E '^#[0-9]+' "$scratch/log" | tail -1)
coverage=$(sed -n 's/.* cov: \([0-9]*\) .*/\1/p' <<<"$last")
inputs=$(sed -n 's/.* corp: \([0-9]*\)\/.*/\1/p' <<<"$last")
echo "$name: ${runs:-?} executions in ${took:-?} s, coverage ${coverage:-?} edges, corpus ${inputs:-?} inputs, $found findings"
if [ "$status" -ne 0 ] || [ "$found" -ne 0 ]; then
  tail -n 60 "$scratch/log"
  echo "$name: status $status; findings are in $findings"
  exit 1
fi
