#!/usr/bin/env bash
# The release archive. Builds the two Windows programs (windows preset) and
# writes, in dist/ (made anew):
#   pelmora.exe, pelmora-engine.exe          the programs, signed when asked
#   pelmora-<version>-win64.zip              the programs, field-check.cmd, README.md,
#                                            docs/ (which the README links to) and
#                                            toolchain.txt
#   SHA256SUMS                               the zip and both programs (sha256sum -c)
# <version> is the CMake project version, the one that fills VERSIONINFO.
#
# Signing: with PELMORA_SIGN_PFX (a PKCS#12 file) and PELMORA_SIGN_PASSWORD set,
# both programs are signed (SHA-256) before they are hashed and packed, with
# the signing time pinned to the last commit's; with PELMORA_SIGN_TIMESTAMP_URL
# also set, the signatures are time-stamped (RFC 3161) by that server.
# Unless time-stamped, the programs and the zip are the same bytes for the same
# commit, toolchain and certificate, whatever the folder, time, time zone,
# umask or compiler cache.
set -euo pipefail

programs=(pelmora.exe pelmora-engine.exe)
build=build/windows
dist=dist
pfx=${PELMORA_SIGN_PFX:+$(realpath -m "$PELMORA_SIGN_PFX")}
cd "$(dirname "$0")/.."
. scripts/jobs.sh
# Whatever fails below, no artefact of an earlier run is left to pass for this one's.
rm -rf "$dist"

fail() { echo "package: $*" >&2; exit 1; }

# A half-given signing set-up is a mistake, not a request for unsigned programs.
sign=no
if [ -n "$pfx" ]; then
  [ -n "${PELMORA_SIGN_PASSWORD+set}" ] || fail "PELMORA_SIGN_PFX is set but PELMORA_SIGN_PASSWORD is not"
  [ -r "$pfx" ] || fail "cannot read the certificate $PELMORA_SIGN_PFX"
  command -v osslsigncode >/dev/null || fail "signing needs osslsigncode (scripts/setup.sh installs it)"
  sign=yes
elif [ -n "${PELMORA_SIGN_PASSWORD:-}${PELMORA_SIGN_TIMESTAMP_URL:-}" ]; then
  fail "PELMORA_SIGN_PASSWORD or PELMORA_SIGN_TIMESTAMP_URL is set but PELMORA_SIGN_PFX is not"
fi

commit=$(git rev-parse HEAD)
stamp=$(git log -1 --format=%ct)
if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
  echo "package: warning: the work tree has changes not committed; the archive is not commit $commit"
fi

cmake --preset windows >/dev/null
cmake --build --preset windows -j "$PELMORA_JOBS" --target "${programs[@]%.exe}"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || fail "no project version in $build/CMakeCache.txt"

mkdir -p "$dist"
work=$(mktemp -d)
# A run that fails half-way leaves no dist/ at all.
trap 'status=$?; rm -rf "$work"; if [ "$status" -ne 0 ]; then rm -rf "$dist"; fi' EXIT

if [ "$sign" = yes ]; then
  # The password goes through a file of this user's alone, never through a
  # command line that every user of the machine can read.
  printf '%s' "$PELMORA_SIGN_PASSWORD" >"$work/password"
  timestamp=()
  [ -z "${PELMORA_SIGN_TIMESTAMP_URL:-}" ] || timestamp=(-ts "$PELMORA_SIGN_TIMESTAMP_URL")
  mkdir "$work/signed"
  for program in "${programs[@]}"; do
    osslsigncode sign -pkcs12 "$pfx" -readpass "$work/password" -h sha256 \
      -n Pelmora -time "$stamp" "${timestamp[@]}" \
      -in "$build/$program" -out "$work/signed/$program" >"$work/sign.log" 2>&1 ||
      { cat "$work/sign.log" >&2; fail "signing $program failed; nothing packed"; }
  done
  cp "${programs[@]/#/$work/signed/}" "$dist/"
  how="signed with $PELMORA_SIGN_PFX, signing time $(date -u -d "@$stamp" '+%Y-%m-%d %H:%M:%S UTC')"
  if [ ${#timestamp[@]} -ne 0 ]; then how+=", time-stamped by $PELMORA_SIGN_TIMESTAMP_URL"; fi
else
  cp "${programs[@]/#/$build/}" "$dist/"
  how="unsigned (PELMORA_SIGN_PFX is not set)"
fi

# The compiler, its runtime libraries and binutils decide the programs' bytes,
# osslsigncode their signatures', zlib the zip's.
tools=(g++-mingw-w64-x86-64-win32 gcc-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev)
if [ "$sign" = yes ]; then tools+=(osslsigncode); fi
{
  echo "Pelmora $version, commit $commit"
  echo "Built on Debian with:"
  dpkg-query -W -f='  ${Package} ${Version}\n' "${tools[@]}"
  python3 -c 'import zlib; print("  zlib", zlib.ZLIB_RUNTIME_VERSION, "(zip members)")'
} >"$work/toolchain.txt"

members=("$dist/pelmora.exe" "$dist/pelmora-engine.exe" tools/field-check.cmd README.md)
while IFS= read -r page; do members+=("$page"); done < <(git ls-files docs | LC_ALL=C sort)
for licence in LICENSE LICENSE.txt LICENSE.md COPYING; do
  if [ -f "$licence" ]; then members+=("$licence"); fi
done
members+=("$work/toolchain.txt")

zip="pelmora-$version-win64.zip"
# Members in the order given, at the top level (docs/ as docs/), mode 0644, dated the last
# commit (UTC), deflated at level 9, with no extra fields.
TZ=UTC python3 - "$dist/$zip" "$stamp" "${members[@]}" <<'EOF'
import os, sys, time, zipfile
target, stamp, paths = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
with zipfile.ZipFile(target, "w") as archive:
    for path in paths:
        name = path if path.startswith("docs/") else os.path.basename(path)
        info = zipfile.ZipInfo(name, date_time=time.gmtime(stamp)[:6])
        info.create_system = 3
        info.external_attr = 0o100644 << 16
        info.compress_type = zipfile.ZIP_DEFLATED
        with open(path, "rb") as member:
            archive.writestr(info, member.read(), compresslevel=9)
EOF

(cd "$dist" && sha256sum "$zip" "${programs[@]}" >SHA256SUMS)

echo "Programs: $how"
for program in "${programs[@]}"; do echo "Wrote $dist/$program"; done
echo "Wrote $dist/$zip: $(printf '%s ' "${members[@]##*/}")"
echo "Wrote $dist/SHA256SUMS"
