#!/usr/bin/env bash
# clang-tidy with the checked-in .clang-tidy and cppcheck over the program's
# code, both with findings as errors. Needs the host build's compile
# commands (cmake --preset host).
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset host >/dev/null
sources=$(ls frontend/*.cpp engine/*.cpp packages/*.cpp platform/*.cpp platform/sim/*.cpp | grep -v '/main\.cpp$')
echo "== clang-tidy"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! clang-tidy -p build/host --quiet $sources >"$log" 2>&1; then
  grep -v 'warnings generated' "$log"
  echo "clang-tidy found problems"
  exit 1
fi
echo "== cppcheck"
cppcheck --quiet --enable=warning,performance,portability --inline-suppr --error-exitcode=1 \
  --std=c++17 --language=c++ -I . frontend engine packages platform/text_output.cpp platform/sim
echo "Static analysis is clean."
