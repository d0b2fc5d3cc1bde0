"""Device names reach the reader in the reader's language, redirected and on a console."""
import re
import shlex
import subprocess
import time

from conftest import WINE, write_inf
from messages import message


def test_device_name_reaches_the_reader_in_its_language(wine, srcdir, tmp_path, inf_dir_kept):
    write_inf(tmp_path / "cafe.inf", "PELMORA\\CAFE", "Caf\u00e9 \u03a9mega", utf16=True)
    inf = wine.windows_path(tmp_path / "cafe.inf")
    assert wine.run("pelmora-engine.exe", "install", inf, "PELMORA\\CAFE") == (
        0, message(srcdir, "MSG_DEVICE_CREATED") + message(srcdir, "MSG_UPDATING_DRIVERS", "PELMORA\\CAFE", inf) + message(srcdir, "MSG_DRIVERS_UPDATED"), b"")
    # Redirected to a file: the OEM code page, which Wine reports as 437.
    code, out, err = wine.run("pelmora-engine.exe", "findall", "PELMORA\\CAFE")
    assert (code, err) == (0, b"")
    # The instance ID, which Wine makes from the class name, padded to 60 characters.
    assert re.fullmatch(rb"ROOT\\PELMORATEST\\\d{4} {39}: Caf\x82 \xeamega\r\n" +
                        re.escape(message(srcdir, "MSG_FINDALL_COUNT", 1)), out)

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
