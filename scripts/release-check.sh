#!/usr/bin/env bash
# Checks scripts/package.sh on two clean clones of the commit checked out here:
# same bytes from other folders, time zone, umask and compiler cache; signatures
# that osslsigncode accepts for a throw-away certificate alone and whose removal
# gives back the unsigned programs; nothing packed when signing fails; the
# signed pelmora.exe running under Wine. Ends with "release: N passed, N failed".
set -euo pipefail
cd "$(dirname "$0")/.."
unset PELMORA_SIGN_PFX PELMORA_SIGN_PASSWORD PELMORA_SIGN_TIMESTAMP_URL
root=$PWD
work=$(mktemp -d)
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
cleanup() {
  if [ -d "$work/wine" ]; then WINEPREFIX="$work/wine" "$wineserver" -k 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

passed=0 failed=0
check() {  # check <what> <command...>: reports one line and goes on
  local what=$1
  shift
  if "$@"; then passed=$((passed + 1)); echo "ok: $what"
  else failed=$((failed + 1)); echo "FAILED: $what"; fi
}

clone() { git init -q "$1" && git -C "$1" fetch -q "$root" HEAD && git -C "$1" checkout -q FETCH_HEAD; }

# package <clone> [NAME=value...]: its scripts/package.sh, output in <clone>.log
package() { local dir=$1; shift; (cd "$dir" && env "$@" scripts/package.sh) >"$dir.log" 2>&1; }
must_package() { package "$@" || { tail -n 40 "$1.log"; echo "release: scripts/package.sh failed in $1"; exit 1; }; }

first=$work/first/pelmora
second=$work/second/another-folder
clone "$first"
clone "$second"

echo "== release: packaging in two clones"
must_package "$first"
# Again from an empty build folder: now every object comes from the compiler cache.
rm -rf "$first/build"
must_package "$first"
(umask 077 && must_package "$second" TZ=Pacific/Chatham CCACHE_DISABLE=1)
zips=("$first"/dist/pelmora-*-win64.zip)
zip=${zips[0]##*/}
for file in pelmora.exe pelmora-engine.exe "$zip"; do
  check "$file is the same in both clones" cmp "$first/dist/$file" "$second/dist/$file"
done
check "unsigned programs are said to be unsigned" grep -q '^Programs: unsigned' "$first.log"
sums_check() { (cd "$first/dist" && sha256sum --quiet -c SHA256SUMS); }
check "SHA256SUMS checks the unsigned set" sums_check
cp -r "$first/dist" "$work/unsigned"

# The archive's layout, and the version in its name is the programs' own.
check "the zip holds the expected members, as expected" python3 - "$first/dist/$zip" "$root" <<'EOF'
import subprocess, sys, time, zipfile
path, root = sys.argv[1], sys.argv[2]
stamp = int(subprocess.check_output(["git", "-C", root, "log", "-1", "--format=%ct"]))
archive = zipfile.ZipFile(path)
faults = []
names = [info.filename for info in archive.infolist()]
docs = sorted(subprocess.check_output(["git", "-C", root, "ls-files", "docs"], text=True).split())
if names != ["pelmora.exe", "pelmora-engine.exe", "field-check.cmd", "README.md", *docs, "toolchain.txt"] or not docs:
    faults.append(f"members {names}")
for info in archive.infolist():
    if info.external_attr >> 16 != 0o100644 or info.extra or info.compress_type != zipfile.ZIP_DEFLATED:
        faults.append(f"{info.filename}: mode {info.external_attr >> 16:o}, extra {info.extra!r}")
    if info.date_time != time.gmtime(stamp - stamp % 2)[:6]:
        faults.append(f"{info.filename}: dated {info.date_time}, the commit {time.gmtime(stamp)[:6]}")
for page in ["README.md", *docs]:
    if archive.read(page) != subprocess.check_output(["git", "-C", root, "show", "HEAD:" + page]):
        faults.append(page + " is not the project's")
check = subprocess.check_output(["git", "-C", root, "show", "HEAD:tools/field-check.cmd"])
if archive.read("field-check.cmd") != check or b"\r\n" not in check or check.count(b"\n") != check.count(b"\r\n"):
    faults.append("field-check.cmd is not the project's, with CR LF line ends")
if b"g++-mingw-w64-x86-64-win32 " not in archive.read("toolchain.txt"):
    faults.append("toolchain.txt does not name the compiler")
version = path.rsplit("/", 1)[1][len("pelmora-"):-len("-win64.zip")]
for program in ("pelmora.exe", "pelmora-engine.exe"):  # VERSIONINFO holds the version as UTF-16
    if f"FileVersion\0\0{version}\0".encode("utf-16-le") not in archive.read(program):
        faults.append(f"{program}: no FileVersion {version}")
if faults:
    sys.exit("\n".join(faults))
EOF

echo "== release: signing with a throw-away certificate"
make_certificate() {  # make_certificate <folder> <password>: cert.pem and signer.p12 in <folder>
  mkdir -p "$1"
  openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days 2 -subj "/CN=Pelmora release check" \
    -addext keyUsage=critical,digitalSignature -addext extendedKeyUsage=codeSigning \
    -keyout "$1/key.pem" -out "$1/cert.pem" 2>/dev/null
  PASSWORD=$2 openssl pkcs12 -export -inkey "$1/key.pem" -in "$1/cert.pem" -out "$1/signer.p12" \
    -passout env:PASSWORD
}
password=$(openssl rand -hex 16)
make_certificate "$work/signer" "$password"
make_certificate "$work/stranger" "$password"
signing=(PELMORA_SIGN_PFX="$work/signer/signer.p12" PELMORA_SIGN_PASSWORD="$password")

verifies() { osslsigncode verify -CAfile "$work/$1/cert.pem" -in "$2" >"$work/verify.log" 2>&1; }
rejects() { ! verifies "$@"; }

must_package "$first" "${signing[@]}"
check "signed programs are said to be signed" grep -q '^Programs: signed with ' "$first.log"
mkdir "$work/unzipped"
python3 -m zipfile -e "$first/dist/$zip" "$work/unzipped"
for program in pelmora.exe pelmora-engine.exe; do
  check "$program in the zip is the signed one" cmp "$work/unzipped/$program" "$first/dist/$program"
  check "$program's signature verifies against its certificate" verifies signer "$first/dist/$program"
  check "$program's signature does not verify against another certificate" rejects stranger "$first/dist/$program"
  osslsigncode remove-signature -in "$first/dist/$program" -out "$work/stripped-$program" >/dev/null
  check "$program without its signature is the unsigned program" cmp "$work/stripped-$program" "$work/unsigned/$program"
done
check "SHA256SUMS checks the signed set" sums_check
must_package "$second" "${signing[@]}"
check "the signed zip is the same in both clones" cmp "$first/dist/$zip" "$second/dist/$zip"

# The signed program still loads and runs: "version" answers 1.
mkdir "$work/wine"
code=0
env -u DISPLAY WINEPREFIX="$work/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
  "$wine" "$first/dist/pelmora.exe" version >"$work/wine.log" 2>&1 </dev/null || code=$?
check "the signed pelmora.exe version exits 1 under Wine (got $code)" test "$code" -eq 1

echo "== release: signing that cannot be done packs nothing"
# An osslsigncode that signs pelmora.exe and refuses pelmora-engine.exe.
mkdir "$work/refusing"
printf '#!/bin/sh\ncase "$*" in *pelmora-engine.exe*) exit 1 ;; esac\nexec %s "$@"\n' \
  "$(command -v osslsigncode)" >"$work/refusing/osslsigncode"
chmod +x "$work/refusing/osslsigncode"
packs_nothing() { ! package "$first" "$@" && [ -z "$(ls -A "$first/dist" 2>/dev/null)" ]; }
check "nothing packed with a wrong password" packs_nothing "${signing[@]}" PELMORA_SIGN_PASSWORD=wrong
check "nothing packed when signing the second program fails" packs_nothing "${signing[@]}" PATH="$work/refusing:$PATH"
check "nothing packed with a certificate but no password" packs_nothing PELMORA_SIGN_PFX="$work/signer/signer.p12"
check "nothing packed with a password but no certificate" packs_nothing PELMORA_SIGN_PASSWORD="$password"

echo "release: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
