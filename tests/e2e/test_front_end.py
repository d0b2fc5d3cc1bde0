"""The real pelmora.exe under Wine: usage, errors, exit codes and what
"install" takes from a folder, byte for byte."""
import pytest

USAGE = (b"usage: Pelmora [command] [arg]\r\n"
         b"where command is remove, install, rescan, version, is64bit, exec, iswinxpsp3orlater, "
         b"iswin2000orlater\r\n")
MISSING = b"ERROR: command required argument\r\n" + USAGE


@pytest.mark.parametrize("args,result", [
    ([], (1, USAGE, b"")), (["Install"], (1, USAGE, b"")), (["remove "], (1, USAGE, b"")),
    (["iswinxsp3orlater"], (1, USAGE, b"")), (["%1"], (1, USAGE, b"")), (["x" * 30000], (1, USAGE, b"")),
    (["remove"], (1, MISSING, b"")), (["install"], (1, MISSING, b"")), (["exec"], (1, MISSING, b"")),
    (["version", "extra"], (1, b"", b"")), (["is64bit", "extra", "more"], (0, b"", b""))])
def test_command_line(wine, args, result):
    assert wine.run("pelmora.exe", *args) == result


@pytest.mark.parametrize("version,answers", [
    ("win2k", (2, 0)), ("winxp", (0, 0)), ("win2003", (2, 0)), ("vista", (0, 0)), ("win7", (0, 0))])
def test_version_answers(wine, version, answers):
    # Wine's "winxp" is XP with service pack 3; "win2003" is 5.2.
    wine.set_version("pelmora.exe", version)
    try:
        assert tuple(wine.run("pelmora.exe", word, "ignored")[0] for word in ("iswinxpsp3orlater",
                                                                          "iswin2000orlater")) == answers
    finally:
        wine.set_version("pelmora.exe", None)


def test_install_takes_only_names_that_end_in_inf(wine, srcdir, tmp_path):
    # Wine's search matches "*.inf" against short names too, and its store keeps each file's name.
    names = ["pelmora_walk_a.inf", "pelmora_walk_B.INF", "pelmora_walk_c.inf_", "pelmora_walk_d.inf~",
             "pelmora_walk_e.inff", "pelmora_walk_f.infold"]
    for name in names:
        (tmp_path / name).write_bytes((srcdir / "examples" / "pelmora_sample.inf").read_bytes() + name.encode())
    try:
        code, out, err = wine.run("pelmora.exe", "install", wine.windows_path(tmp_path))
        assert (code, err) == (0, b"Installing USB-driver...\r\n")
        stored = [p.name for p in wine.inf_dir.glob("pelmora_walk_*") if p.suffix.lower() != ".pnf"]
        assert sorted(stored) == sorted(names[:2])
    finally:
        for path in wine.inf_dir.glob("pelmora_walk_*"):
            path.unlink()
