"""The real programs' command lines under Wine: usage, misuse, help and the version questions, with their exit
codes and output byte for byte (CR LF line ends)."""
import pytest

from messages import message

USAGE = (b"usage: Pelmora [command] [arg]\r\n"
         b"where command is remove, install, rescan, version, is64bit, exec, iswinxpsp3orlater, "
         b"iswin2000orlater\r\n")


@pytest.mark.parametrize("args,result", [
    ([], (1, USAGE, b"")), (["iswinxsp3orlater"], (1, USAGE, b"")), (["x" * 30000], (1, USAGE, b"")),
    (["version", "extra"], (1, b"", b"")), (["is64bit", "extra", "more"], (0, b"", b"")),
    # The engine runs under the program's own name; a pattern of stars alone would select every device.
    (["remove", "NOSUCH\\DEVICE|"], (0, b"No devices were removed.\r\n", b"")),
    (["remove", "*|"], (2, b"", b"pelmora.exe: remove: the pattern * selects every device. Nothing was removed.\r\n")),
    # Wine's CM_Locate_DevNodeW answers CR_FAILURE, so "rescan" fails before it writes a line.
    (["rescan"], (2, b"", b"pelmora.exe: the rescan command failed.\r\n"))])
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


@pytest.mark.parametrize("word", [None, "nosuch", "\u03a9\u4e2d"])
def test_engine_help_lists_seven_commands_each_on_its_own_line(wine, word):
    code, out, err = wine.run("pelmora-engine.exe", "?", *([word] if word else []))
    assert (code, err) == (0, b"")
    text = out.split(b"\r\n")
    assert text[-1] == b"" and b"\n" not in b"".join(text)
    # A word the console cannot show does not silence what follows it.
    assert [line.split()[0] for line in text[-8:-1]] == [b"findall", b"install", b"remove", b"rescan", b"dp_add",
                                                         b"dp_delete", b"dp_enum"]
    assert b"pelmora-engine.exe" in text[0]


def test_engine_help_on_one_command_is_its_detailed_help(wine, srcdir):
    assert wine.run("pelmora-engine.exe", "?", "REMOVE") == (
        0, message(srcdir, 61200, "pelmora-engine.exe", "remove"), b"")


@pytest.mark.parametrize("args,code,expected", [
    ([], 3, (60000,)), (["-rx", "rescan"], 3, (60000,)), (["%1%n", "x"], 3, (60000,)),
    (["FINDALL"], 3, (60002, "findall")), (["-m:\\\\pc", "remove", "x"], 3, (60002, "remove")),
    (["-m:\\\\NOWHERE", "findall", "*"], 2, (60001, "findall"))])
def test_engine_misuse_and_failure_go_to_standard_error(wine, srcdir, args, code, expected):
    assert wine.run("pelmora-engine.exe", *args) == (
        code, b"", message(srcdir, expected[0], "pelmora-engine.exe", *expected[1:]))
