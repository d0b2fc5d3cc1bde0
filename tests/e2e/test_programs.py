"""The shipped programs themselves: what they import and what they carry."""
import shutil
import subprocess
from pathlib import Path

import pytest

WINDOWS_DLLS = {"ADVAPI32.dll", "KERNEL32.dll", "msvcrt.dll", "SETUPAPI.dll", "SHLWAPI.dll", "USER32.dll"}


@pytest.mark.parametrize("program", ["pelmora.exe", "pelmora-engine.exe"])
def test_imports_windows_own_dlls_and_carries_its_resources(wine, program):
    dump = subprocess.run([shutil.which("x86_64-w64-mingw32-objdump"), "-p", wine.exe(program)],
                          capture_output=True, text=True, check=True).stdout
    dlls = {line.split("DLL Name:")[1].strip() for line in dump.splitlines() if "DLL Name:" in line}
    assert dlls and dlls <= WINDOWS_DLLS, dlls
    # Reached at run time only, so that the programs start where they are missing.
    for name in ("newdev", "SetupUninstallOEMInfW", "SetDefaultDllDirectories"):
        assert name not in dump
    image = Path(wine.exe(program)).read_bytes()
    assert b'level="asInvoker"' in image
    for text in ("ProductName", "Pelmora", "matching device(s) found"):
        assert text.encode("utf-16-le") in image
