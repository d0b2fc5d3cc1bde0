"""The shipped programs themselves: what they import (every function listed with its evidence in imports.txt, so
that they load on 64-bit Windows 5.2) and what they carry."""
import re
import shutil
import subprocess
from pathlib import Path

import pytest

HEADERS = "".join("#include <%s.h>\n" % h for h in ("windows", "setupapi", "cfgmgr32", "shlwapi"))


def listed_imports(srcdir):
    rows = [line.split() for line in (srcdir / "tests/e2e/imports.txt").read_text().splitlines()]
    return {(dll.lower(), name): kind for dll, name, kind in (row for row in rows if row and row[0][0] != "#")}


@pytest.mark.parametrize("program", ["pelmora.exe", "pelmora-engine.exe"])
def test_imports_only_what_windows_5_2_has_and_carries_its_resources(request, srcdir, program):
    path = Path(request.config.getoption("--bindir")) / program
    dump = subprocess.run([shutil.which("x86_64-w64-mingw32-objdump"), "-p", str(path)],
                          capture_output=True, text=True, check=True).stdout
    imports, dll = set(), None
    for line in dump.splitlines():
        named = re.match(r"\tDLL Name: (\S+)$", line) or re.match(r"\t[0-9a-f]+\t +\d+ +(\S+)$", line)
        if named and "DLL Name" in line:
            dll = named[1].lower()
        elif named:
            imports.add((dll, named[1]))
    listed = listed_imports(srcdir)
    assert len(imports) > 50 and imports <= listed.keys(), " ".join(map(":".join, sorted(imports - listed.keys())))
    version = [int(re.search(r"^%s\s+(\d+)$" % field, dump, re.M)[1]) for field in (
        "MajorSubsystemVersion", "MinorSubsystemVersion", "MajorOSystemVersion", "MinorOSystemVersion")]
    assert version[:2] <= [5, 2] and version[2:] <= [5, 2], version
    image = path.read_bytes()
    assert b'level="asInvoker"' in image
    for text in ("ProductName", "Pelmora", "matching device(s) found"):
        assert text.encode("utf-16-le") in image


def test_listed_imports_carry_evidence_for_windows_5_2(srcdir, tmp_path):
    listed = listed_imports(srcdir)
    assert set(listed.values()) <= {"header", "msvcrt", "compiler", "doc:2000", "doc:XP", "doc:2003"}
    assert all((kind == "msvcrt") == (dll == "msvcrt.dll") for (dll, _), kind in listed.items())
    # Declared with _WIN32_WINNT at 5.2's value: a name behind a Vista guard does not compile.
    win32 = sorted(name for (_, name), kind in listed.items() if kind == "header" or kind.startswith("doc:"))
    source = tmp_path / "imports.cpp"
    source.write_text(HEADERS + "".join("void* f%d = (void*)&%s;\n" % item for item in enumerate(win32)))
    compiled = subprocess.run([shutil.which("x86_64-w64-mingw32-g++-win32"), "-D_WIN32_WINNT=0x0502", "-DUNICODE",
                               "-fsyntax-only", str(source)], capture_output=True, text=True)
    assert compiled.returncode == 0, compiled.stderr
