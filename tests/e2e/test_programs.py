"""The shipped programs themselves: what they import and what they carry."""
import shutil
import subprocess

import pytest

WINDOWS_DLLS = {"ADVAPI32.dll", "KERNEL32.dll", "msvcrt.dll", "SETUPAPI.dll", "SHLWAPI.dll", "USER32.dll"}
OBJDUMP = shutil.which("x86_64-w64-mingw32-objdump")


@pytest.mark.parametrize("program", ["pelmora.exe", "pelmora-engine.exe"])
def test_imports_only_windows_own_dlls(wine, program):
    dump = subprocess.run([OBJDUMP, "-p", wine.exe(program)], capture_output=True, text=True,
                          check=True).stdout
    dlls = {line.split("DLL Name:")[1].strip() for line in dump.splitlines() if "DLL Name:" in line}
    assert dlls and dlls <= WINDOWS_DLLS, dlls
    # Reached at run time only, so that the programs start where they are missing.
    assert "newdev" not in dump.lower()
    assert "SetupUninstallOEMInfW" not in dump


@pytest.mark.parametrize("program", ["pelmora.exe", "pelmora-engine.exe"])
def test_carries_manifest_version_and_message_table(wine, program):
    with open(wine.exe(program), "rb") as exe:
        image = exe.read()
    assert b'level="asInvoker"' in image
    assert 'ProductName'.encode('utf-16-le') in image and 'Pelmora'.encode('utf-16-le') in image
    assert "matching device(s) found".encode("utf-16-le") in image
