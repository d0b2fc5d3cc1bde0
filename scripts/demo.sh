#!/usr/bin/env bash
# The main job under Wine: builds pelmora.exe and installs every sample driver
# package of examples/ into a Wine prefix of the project's own (.wine/), then
# shows what landed in its C:\windows\inf.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/jobs.sh

scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$PELMORA_JOBS"

export WINEPREFIX="$PWD/.wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
# Debian's wine64 keeps its loader and wineserver off PATH, in its own folder.
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
if [ ! -d "$WINEPREFIX/drive_c/windows" ]; then
  echo "Creating the Wine prefix $WINEPREFIX"
  "$wine" wineboot -i >/dev/null 2>&1 </dev/null
  "$wineserver" -w
fi

echo "== pelmora.exe install examples"
set +e
"$wine" build/windows/pelmora.exe install examples </dev/null
code=$?
set -e
echo "exit code: $code"
echo "== driver packages in C:\\windows\\inf"
ls -l "$WINEPREFIX/drive_c/windows/inf" | grep -i '\.inf$' || true
exit "$code"
