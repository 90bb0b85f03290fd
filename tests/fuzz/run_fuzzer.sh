#!/usr/bin/env bash
# Runs one libFuzzer target from its committed seeds for a number of seconds and says how many
# inputs it tried. New inputs go to a folder of their own, so the committed seeds never change;
# a finding stops the run with a failure status and leaves the input as crash-*, leak-* or
# timeout-* beside that folder, to be kept as a unit test once fixed.
#
# usage: run_fuzzer.sh FUZZER SEED_FOLDER WORK_FOLDER SECONDS
set -u -o pipefail

fuzzer=${1:?usage: $0 FUZZER SEED_FOLDER WORK_FOLDER SECONDS}
seeds=${2:?usage: $0 FUZZER SEED_FOLDER WORK_FOLDER SECONDS}
work=${3:?usage: $0 FUZZER SEED_FOLDER WORK_FOLDER SECONDS}
seconds=${4:?usage: $0 FUZZER SEED_FOLDER WORK_FOLDER SECONDS}
name=${fuzzer##*/}

[[ -x $fuzzer ]] || { echo "$name: no fuzzer at $fuzzer" >&2; exit 1; }
[[ -d $seeds && -n $(ls -A "$seeds") ]] || { echo "$name: no seeds in $seeds" >&2; exit 1; }
rm -rf -- "$work"
mkdir -p "$work/corpus" || exit 1

status=0
# -timeout: one input taking longer than that is a finding too (the game reads input between
# frames and must never stall on it). The deadline around it covers a machine busy with builds.
timeout --kill-after=30 $((seconds + 120)) "$fuzzer" -max_total_time="$seconds" -timeout=10 \
    -print_final_stats=1 -artifact_prefix="$work/" "$work/corpus" "$seeds" \
    >"$work/log" 2>&1 || status=$?
runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log" | tail -n 1)
if ((status != 0)); then
    tail -n 40 "$work/log" >&2
    echo "$name: FAILED with status $status after ${runs:-?} runs; the input is in $work" >&2
    exit 1
fi
[[ -n $runs ]] || { tail -n 20 "$work/log" >&2; echo "$name: no run count in its log" >&2; exit 1; }
echo "$name: $runs runs in $seconds s, no findings (log: $work/log)"
