#!/usr/bin/env bash
# Every test: host tests, the same under AddressSanitizer and
# UndefinedBehaviorSanitizer, and the real Windows programs under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

for preset in host sanitize windows; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done
echo "All tests passed."
