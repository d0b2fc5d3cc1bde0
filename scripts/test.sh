#!/usr/bin/env bash
# Every test: host tests (with the fault matrix), the same under
# AddressSanitizer and UndefinedBehaviorSanitizer, static analysis, a bounded
# fuzzing run, and the real Windows programs under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/jobs.sh

scripts/setup.sh

for preset in host sanitize; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$PELMORA_JOBS"
  ctest --preset "$preset"
done

echo "== static analysis"
scripts/static-analysis.sh

echo "== fuzzing"
scripts/fuzz.sh ${PELMORA_FUZZ_SECONDS:-}

echo "== windows"
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$PELMORA_JOBS"
ctest --preset windows

echo "All tests passed."
