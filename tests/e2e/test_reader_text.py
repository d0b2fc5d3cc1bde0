"""What reaches the reader: no library but the system's own; device names in the reader's language."""
import re
import shlex
import shutil
import subprocess
import time

from conftest import WINE, write_inf
from messages import message

# Loaded, it leaves a mark in the current folder.
PLANTED = """#include <windows.h>
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) CloseHandle(CreateFileW(L"planted.loaded", GENERIC_WRITE, 0, 0, 2, 0, 0));
  return TRUE;
}
"""
GXX = shutil.which("x86_64-w64-mingw32-g++-posix") or shutil.which("x86_64-w64-mingw32-g++")


def test_newdev_planted_beside_the_engine_is_never_loaded(wine, srcdir, tmp_path, inf_dir_kept):
    (tmp_path / "planted.cpp").write_text(PLANTED)
    subprocess.run([GXX, "-shared", "-static", "-o", str(tmp_path / "newdev.dll"), str(tmp_path / "planted.cpp")],
                   check=True)
    # Native DLLs first, as Windows does for a DLL that is not a known system DLL.
    native = {"WINEDLLOVERRIDES": wine.env["WINEDLLOVERRIDES"] + ";newdev=n,b"}
    # The control: such a DLL is loaded when asked for. Under load Wine has been seen to miss the first try.
    for _ in range(3):
        wine.run("rundll32", wine.windows_path(tmp_path / "newdev.dll") + ",Nothing", cwd=tmp_path, env=native)
        if (tmp_path / "planted.loaded").exists():
            break
    assert (tmp_path / "planted.loaded").exists()
    (tmp_path / "planted.loaded").unlink()

    engine = shutil.copy(wine.exe("pelmora-engine.exe"), tmp_path)
    write_inf(tmp_path / "planted.inf", "PELMORA\\PLANTED", "Planted")
    inf = wine.windows_path(tmp_path / "planted.inf")
    code, out, err = wine.run(str(engine), "install", inf, "PELMORA\\PLANTED", cwd=tmp_path, env=native)
    assert (code, err) == (0, b"")
    assert out.endswith(message(srcdir, 61102, "PELMORA\\PLANTED", inf) + message(srcdir, 61106))
    assert not (tmp_path / "planted.loaded").exists()


def test_device_name_reaches_the_reader_in_its_language(wine, srcdir, tmp_path, inf_dir_kept):
    write_inf(tmp_path / "cafe.inf", "PELMORA\\CAFE", "Caf\u00e9 \u03a9mega", utf16=True)
    assert wine.run("pelmora-engine.exe", "install", wine.windows_path(tmp_path / "cafe.inf"), "PELMORA\\CAFE")[0] == 0
    # Redirected to a file: the OEM code page, which Wine reports as 437.
    code, out, err = wine.run("pelmora-engine.exe", "findall", "PELMORA\\CAFE")
    assert (code, err) == (0, b"")
    # The instance ID, which Wine makes from the class name, padded to 60 characters.
    assert re.fullmatch(rb"ROOT\\PELMORATEST\\\d{4} {39}: Caf\x82 \xeamega\r\n" +
                        re.escape(message(srcdir, 60405, 1)), out)

    # On a terminal (tmux gives Wine one): UTF-16 to the console, which shows every character.
    env = " ".join(shlex.quote(k + "=" + v) for k, v in wine.env.items() if k.startswith("WINE"))
    command = "env LANG=C.UTF-8 %s %s %s findall 'PELMORA\\CAFE'; sleep 60" % (
        env, shlex.quote(WINE), shlex.quote(wine.exe("pelmora-engine.exe")))
    tmux = ["tmux", "-L", "pelmora-e2e", "-f", "/dev/null"]
    subprocess.run(tmux + ["new-session", "-d", "-x", "200", "-y", "20", command], check=True)
    try:
        screen, deadline = "", time.monotonic() + 60
        while "found" not in screen and time.monotonic() < deadline:
            time.sleep(0.5)
            screen = subprocess.run(tmux + ["capture-pane", "-p"], capture_output=True).stdout.decode("utf-8", "replace")
        assert ": Caf\u00e9 \u03a9mega" in screen, screen
    finally:
        subprocess.run(tmux + ["kill-server"])
