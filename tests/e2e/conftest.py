"""Runs the real Windows programs under Wine in a throwaway prefix.

One prefix serves the whole session; its wineserver stays up between
programs so that each run costs well under a second.
"""
import os
import shutil
import subprocess
import tempfile
from pathlib import Path

import pytest

WINE = shutil.which("wine64") or "/usr/lib/wine/wine64"
WINESERVER = shutil.which("wineserver") or "/usr/lib/wine/wineserver"


def pytest_addoption(parser):
    parser.addoption("--bindir", required=True, help="Windows build tree with the .exe files")
    parser.addoption("--srcdir", required=True, help="source tree")


class Wine:
    def __init__(self, prefix, bindir):
        self.prefix = Path(prefix)
        self.bindir = Path(bindir)
        self.env = dict(os.environ, WINEPREFIX=str(prefix), WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=")
        self.env.pop("DISPLAY", None)
        self.drive_c = self.prefix / "drive_c"
        self.inf_dir = self.drive_c / "windows" / "inf"

    def exe(self, name):
        return str(self.bindir / name)

    def run(self, program, *args, cwd=None, timeout=120, env=None):
        """Runs a program of the build tree (or a given path), with `env`
        added to the environment; returns (exit code, stdout bytes, stderr
        bytes)."""
        path = program if (os.sep in program or not program.endswith(".exe")) else self.exe(program)
        # Files, not pipes: Wine's background services inherit the streams and
        # would hold a pipe open long after the program has ended.
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            code = subprocess.run([WINE, path, *args], env=dict(self.env, **(env or {})), cwd=cwd, stdout=out,
                                  stderr=err, stdin=subprocess.DEVNULL, timeout=timeout).returncode
            out.seek(0)
            err.seek(0)
            return code, out.read(), err.read()

    def windows_path(self, path):
        """The Windows path (Z:\\...) of a host path."""
        return "Z:" + str(Path(path).resolve()).replace("/", "\\")


@pytest.fixture(scope="session")
def wine(request):
    bindir = Path(request.config.getoption("--bindir")).resolve()
    prefix = tempfile.mkdtemp(prefix="pelmora-wine-")
    w = Wine(prefix, bindir)
    quiet = dict(stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run([WINE, "wineboot", "-i"], env=w.env, timeout=600, **quiet)
    subprocess.run([WINESERVER, "-w"], env=w.env, timeout=600, **quiet)
    subprocess.run([WINESERVER, "-p"], env=w.env, timeout=60, **quiet)
    yield w
    subprocess.run([WINESERVER, "-k"], env=w.env, **quiet)
    shutil.rmtree(prefix, ignore_errors=True)


@pytest.fixture(scope="session")
def srcdir(request):
    return Path(request.config.getoption("--srcdir")).resolve()


@pytest.fixture
def inf_dir_kept(wine):
    """Takes out of C:\\windows\\inf whatever a test put there (Wine's driver update copies INFs in)."""
    before = set(wine.inf_dir.iterdir())
    yield
    for path in set(wine.inf_dir.iterdir()) - before:
        path.unlink()


def write_inf(path, hardware_id, description, utf16=False):
    """A driver package for one root device of a class of its own, named `description`."""
    text = ("[Version]\r\nSignature = \"$Windows NT$\"\r\nClass = PelmoraTest\r\n"
            "ClassGuid = {3b7f2d1c-4a5e-4f60-8c9d-0e1f2a3b4c5d}\r\nProvider = %P%\r\n"
            "DriverVer = 01/15/2024,1.0.0.0\r\n\r\n[Manufacturer]\r\n%P% = Models, NTamd64\r\n\r\n"
            "[Models.NTamd64]\r\n%D% = Install, " + hardware_id + "\r\n\r\n[Install.NT]\r\n\r\n"
            "[Install.NT.Services]\r\nAddService = , 0x00000002\r\n\r\n"
            "[Strings]\r\nP = \"Pelmora tests\"\r\nD = \"" + description + "\"\r\n")
    path.write_bytes(b"\xff\xfe" + text.encode("utf-16-le") if utf16 else text.encode())
