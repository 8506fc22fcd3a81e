#!/usr/bin/env bash
# `make fuzz`: every harness of BUILD in turn for SECONDS each, each keeping its
# corpus in BUILD/fuzz-corpus/NAME between runs. One summary line per harness;
# status 1 when any harness found something.
#   fuzz_all.sh BUILD SECONDS
set -u
build=$1 seconds=$2
here=$(cd "$(dirname "$0")" && pwd)
status=0
for entry in png_decoder:png png_io:png xm_reader:xm capture_options:capture_options web_query:web_query \
             pe_resources:pe_resources cp437_text:cp437_text wav_reader:wav; do
  name=${entry%%:*} seeds=${entry#*:}
  options=()
  [ -f "$here/$name.dict" ] && options=(-dict="$here/$name.dict")
  LSAN_OPTIONS="suppressions=$here/../lsan.supp:print_suppressions=0" \
    "$here/run_fuzzer.sh" "$build/fuzz_$name" "$here/corpus/$seeds" "$seconds" \
    "$build/fuzz-findings/$name" "$build/fuzz-corpus/$name" "${options[@]}" || status=1
done
exit $status
