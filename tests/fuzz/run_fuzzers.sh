#!/usr/bin/env bash
# Runs each fuzz harness for a bounded time: run_fuzzers.sh BUILD SECONDS HARNESS...
# New corpus entries go to BUILD/fuzz-corpus/<harness> (the seeds in
# tests/fuzz/corpus/<harness> are read, never written); a crashing, leaking
# or slow (over 120 s) input is saved under BUILD/fuzz-artifacts/. Prints one
# summary line per harness and fails when any harness reported a finding.
set -uo pipefail
build=$1 seconds=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
# The harnesses write their input files per execution: keep them in memory.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
mkdir -p "$build/fuzz-artifacts"
status=0
for harness in "$@"; do
  corpus="$build/fuzz-corpus/$harness"
  log="$build/fuzz-artifacts/$harness.log"
  mkdir -p "$corpus"
  "$build/tests/fuzz/${harness}_fuzz" -max_total_time="$seconds" -timeout=120 -max_len=2048 \
    -print_final_stats=1 -artifact_prefix="$build/fuzz-artifacts/$harness-" \
    "$corpus" "$here/corpus/$harness" >"$log" 2>&1
  code=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1)
  corp=$(grep -o 'corp: [0-9]*' "$log" | tail -1)
  echo "fuzz $harness: ${seconds}s, ${runs:-?} executions, $cov, $corp, exit $code"
  if [ "$code" -ne 0 ]; then
    status=1
    echo "--- $harness found a fault; log: $log"
    grep -E 'ERROR|runtime error|property failed|Test unit written|SUMMARY' "$log" | head -20
  fi
done
exit $status
