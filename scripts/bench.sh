#!/usr/bin/env bash
# Builds the host benchmarks (preset "bench": optimised, against the
# simulation) and runs them, about a minute in all. Arguments go to every
# benchmark program, e.g. scripts/bench.sh --benchmark_filter=Remove
#
# The Wine benchmark of "pelmora.exe install" against a bare program that calls
# SetupCopyOEMInfW on the same files runs apart (a few minutes):
#   cmake --preset windows && cmake --build --preset windows
#   python3 bench/wine/install_ratio.py build/windows 200 3
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/jobs.sh

scripts/setup.sh
cmake --preset bench >/dev/null
cmake --build --preset bench -j "$PELMORA_JOBS"

for program in match_bench devices_bench cleanup_bench; do
  echo "== $program"
  "build/bench/$program" "$@"
done
echo
echo "Under Wine: cmake --preset windows && cmake --build --preset windows &&" \
     "python3 bench/wine/install_ratio.py build/windows 200 3"
