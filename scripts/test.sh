#!/usr/bin/env bash
# Every test: host tests, the same under AddressSanitizer and
# UndefinedBehaviorSanitizer, the real Windows programs under Wine, and a
# bounded fuzzing run of every libFuzzer target.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

for preset in host sanitize windows; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done
echo "== fuzz"
scripts/fuzz.sh
echo "All tests passed."
