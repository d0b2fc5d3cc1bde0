#!/usr/bin/env python3
"""Times "pelmora.exe install" of a folder of INF files under Wine against a
bare program that calls SetupCopyOEMInfW on the same files, and prints the
ratio. Each side runs in a fresh copy of one booted prefix, alternately, and
the median of the runs counts.

usage: install_ratio.py <windows build dir> [files] [rounds]
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

WINE = shutil.which("wine64") or "/usr/lib/wine/wine64"
WINESERVER = shutil.which("wineserver") or "/usr/lib/wine/wineserver"

INF = """[Version]
Signature="$Windows NT$"
Class=Sample
ClassGuid={{6D1F2E0A-3C84-4B7A-9E51-0B2F7C3D4A{index:02X}}}
Provider=%Vendor%
DriverVer=12/06/2026,1.0.0.{index}

[Manufacturer]
%Vendor%=Models,NTamd64

[Models.NTamd64]
%Device%=Install,ROOT\\PELMORA_BENCH_{index}

[Install]

[Strings]
Vendor="Pelmora bench"
Device="Bench device {index}"
"""


def env_for(prefix):
    env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
    env.pop("DISPLAY", None)
    return env


def quiet(args, env):
    subprocess.run(args, env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, check=False, timeout=900)


def timed_run(base, program, folder, work):
    prefix = os.path.join(work, "prefix-run")
    shutil.rmtree(prefix, ignore_errors=True)
    shutil.copytree(base, prefix, symlinks=True)
    env = env_for(prefix)
    quiet([WINESERVER, "-p"], env)
    quiet([WINE, "cmd", "/c", "exit"], env)  # start the prefix's services first
    start = time.perf_counter()
    with open(os.path.join(work, "out.txt"), "wb") as out:
        subprocess.run([WINE, program, "install" if "pelmora" in program else folder] +
                       ([folder] if "pelmora" in program else []), env=env, stdout=out,
                       stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL, timeout=900)
    elapsed = time.perf_counter() - start
    stored = len([n for n in os.listdir(os.path.join(prefix, "drive_c", "windows", "inf"))
                  if n.lower().startswith("bench") and n.lower().endswith(".inf")])
    quiet([WINESERVER, "-k"], env)
    return elapsed, stored


def main():
    bindir = os.path.abspath(sys.argv[1])
    files = int(sys.argv[2]) if len(sys.argv) > 2 else 200
    rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 3
    work = tempfile.mkdtemp(prefix="pelmora-bench-")
    try:
        folder = os.path.join(work, "packages")
        os.makedirs(folder)
        for index in range(files):
            with open(os.path.join(folder, "bench%03d.inf" % index), "w", newline="\r\n") as inf:
                inf.write(INF.format(index=index % 256))
        base = os.path.join(work, "prefix-base")
        env = env_for(base)
        quiet([WINE, "wineboot", "-i"], env)
        quiet([WINESERVER, "-w"], env)
        win_folder = "Z:" + folder.replace("/", "\\")
        results = {"pelmora": [], "bare": []}
        for _ in range(rounds):
            for name, program in (("pelmora", "pelmora.exe"), ("bare", "bare_copy.exe")):
                elapsed, stored = timed_run(base, os.path.join(bindir, program), win_folder, work)
                if stored != files:
                    sys.exit("%s stored %d of %d packages" % (name, stored, files))
                results[name].append(elapsed)
        pelmora = statistics.median(results["pelmora"])
        bare = statistics.median(results["bare"])
        print("install of %d INF files under Wine, median of %d runs" % (files, rounds))
        print("  pelmora.exe install : %.2f s" % pelmora)
        print("  bare SetupCopyOEMInfW: %.2f s" % bare)
        print("  ratio               : %.3f" % (pelmora / bare))
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
