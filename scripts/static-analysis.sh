#!/usr/bin/env bash
# clang-tidy with the checked-in .clang-tidy and cppcheck over the program's
# code, both with findings as errors, and the layout of every C++ file
# outside tests/ against .clang-format. Needs the host build's compile
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
  --std=c++17 --language=c++ -I . -I build/host/generated frontend engine packages platform/text_output.cpp platform/sim
echo "== clang-format"
if ! clang-format --dry-run --Werror $(git ls-files '*.cpp' '*.h' ':!tests'); then
  echo "the files above are not laid out as .clang-format says: run clang-format -i on them"
  exit 1
fi
echo "Static analysis is clean."
