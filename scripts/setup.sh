#!/usr/bin/env bash
# Installs what building and testing need on a Debian machine (as root).
# Does nothing when everything is there already.
set -euo pipefail

packages=(cmake ninja-build g++ ccache googletest libgtest-dev libbenchmark-dev
          g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 wine64 python3 python3-pytest tmux
          clang libclang-rt-14-dev clang-tidy clang-format cppcheck nsis wixl
          osslsigncode openssl)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ ${#missing[@]} -ne 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
