#!/usr/bin/env bash
# Runs every libFuzzer target (build/fuzz/fuzz_*, from tests/fuzz/fuzz_*.cpp)
# for a bounded time from copies of the seed corpora in tests/fuzz/corpus,
# with ASan and UBSan on, PELMORA_JOBS targets at a time (2 when unset). Any crash,
# leak, sanitizer report, broken property or open handle fails the run.
#   scripts/fuzz.sh          the CI run: 70 s per target; the 4 targets, 2 at a time, take about 2½ minutes
#   scripts/fuzz.sh 1800     a longer local run: 30 minutes per target
# Inputs that found a fault are kept in build/fuzz-findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/jobs.sh
seconds=${1:-70}
parallel=$PELMORA_JOBS

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$PELMORA_JOBS"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One target: its own copy of the seeds, its own log and artifacts.
fuzz_one() {
  local program=$1 target=${1##*/fuzz_}
  mkdir -p "$work/$target"
  cp tests/fuzz/corpus/"$target"/* "$work/$target"/ 2>/dev/null || true
  "$program" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$work/$target-" "$work/$target" >"$work/$target.log" 2>&1
}

# The figures of a finished target, from libFuzzer's final statistics.
report() {
  local target=$1
  local runs speed
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$target.log")
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$work/$target.log")
  printf 'fuzz %-18s %10s executions  %6s/s\n' "$target" "${runs:-?}" "${speed:-?}"
}

programs=(build/fuzz/fuzz_*)
echo "== fuzzing ${#programs[@]} targets for ${seconds}s each, $parallel at a time"
failed=()
for ((first = 0; first < ${#programs[@]}; first += parallel)); do
  batch=("${programs[@]:first:parallel}")
  pids=()
  for program in "${batch[@]}"; do
    fuzz_one "$program" &
    pids+=($!)
  done
  for i in "${!batch[@]}"; do
    target=${batch[$i]##*/fuzz_}
    if wait "${pids[$i]}"; then
      report "$target"
    else
      failed+=("$target")
      tail -n 60 "$work/$target.log"
      echo "fuzz target $target found a fault"
    fi
  done
done

if [ ${#failed[@]} -ne 0 ]; then
  mkdir -p build/fuzz-findings
  cp "$work"/*-crash-* "$work"/*-leak-* "$work"/*-timeout-* "$work"/*-oom-* build/fuzz-findings/ 2>/dev/null || true
  echo "Fuzzing found faults in: ${failed[*]}; inputs kept in build/fuzz-findings/"
  exit 1
fi
echo "Fuzzing found nothing."
