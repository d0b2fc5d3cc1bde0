#!/usr/bin/env bash
# Runs every libFuzzer target for a bounded time (seconds per target, default
# 40) from the seed corpora in tests/fuzz/corpus, with ASan and UBSan on.
# Any crash, leak, sanitizer report or open handle fails the run.
#   scripts/fuzz.sh          the CI run
#   scripts/fuzz.sh 1800     a longer local run
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-40}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for program in build/fuzz/fuzz_*; do
  target=${program##*/fuzz_}
  mkdir -p "$work/$target"
  cp tests/fuzz/corpus/"$target"/* "$work/$target"/ 2>/dev/null || true
  echo "== fuzz $target for ${seconds}s"
  if ! "$program" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
       -artifact_prefix="$work/" "$work/$target" >"$work/$target.log" 2>&1; then
    tail -n 60 "$work/$target.log"
    mkdir -p build/fuzz-findings && cp "$work"/crash-* "$work"/leak-* "$work"/timeout-* build/fuzz-findings/ 2>/dev/null || true
    echo "fuzz target $target found a fault; inputs kept in build/fuzz-findings/"
    exit 1
  fi
  grep -E '^stat::number_of_executed_units' "$work/$target.log" || true
done
echo "Fuzzing found nothing."
