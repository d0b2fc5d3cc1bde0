"""The shipped programs: they import only what imports.txt lists for 64-bit Windows 5.2, and carry their resources."""
import re
import shutil
import subprocess
from pathlib import Path

import pytest


@pytest.mark.parametrize("program", ["pelmora.exe", "pelmora-engine.exe"])
def test_imports_only_what_windows_5_2_has_and_carries_its_resources(request, srcdir, program):
    path = Path(request.config.getoption("--bindir")) / program
    dump = subprocess.run([shutil.which("x86_64-w64-mingw32-objdump"), "-p", str(path)], capture_output=True,
                          text=True, check=True).stdout
    tables = re.findall(r"\tDLL Name: (\S+)\n\tvma:.*\n((?:\t\w+\t.*\n)*)", dump)
    imports = {(dll.lower(), name) for dll, table in tables for name in re.findall(r"\t +\d+ +(\S+)$", table, re.M)}
    rows = [line.split() for line in (srcdir / "tests/e2e/imports.txt").read_text().splitlines()]
    listed = {(row[0].lower(), row[1]): row[2] for row in rows if row and row[0][0] != "#"}
    assert len(imports) > 50 and imports <= listed.keys(), " ".join(map(":".join, sorted(imports - listed.keys())))
    versions = re.findall(r"^Major(Subsystem|OSystem)Version\s+(\d+)\nMinor\1Version\s+(\d+)$", dump, re.M)
    assert len(versions) == 2 and all([int(major), int(minor)] <= [5, 2] for _, major, minor in versions), versions
    image = path.read_bytes()
    assert b'level="asInvoker"' in image
    for text in ("ProductName", "Pelmora", "matching device(s) found"):
        assert text.encode("utf-16-le") in image
    # The evidence: Win32 names compile with _WIN32_WINNT at 5.2's value, so none sits behind a Vista guard.
    assert set(listed.values()) <= {"header", "msvcrt", "compiler", "doc:2000", "doc:XP", "doc:2003"}
    source = "".join("#include <%s.h>\n" % h for h in ("windows", "setupapi", "cfgmgr32", "shlwapi")) + "".join(
        "void* f%d = (void*)&%s;\n" % (n, name) for n, ((_, name), kind) in enumerate(listed.items())
        if kind == "header" or kind.startswith("doc:"))
    compiled = subprocess.run([shutil.which("x86_64-w64-mingw32-g++-win32"), "-D_WIN32_WINNT=0x0502", "-DUNICODE",
                               "-fsyntax-only", "-x", "c++", "-"], input=source, capture_output=True, text=True)
    assert compiled.returncode == 0, compiled.stderr
