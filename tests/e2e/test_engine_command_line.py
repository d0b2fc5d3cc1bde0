"""The real pelmora-engine.exe under Wine: its help from the compiled message
table, and usage and misuse on standard error with exit code 3."""
import pytest

from messages import message

COMMANDS = [b"findall", b"install", b"remove", b"rescan", b"dp_add", b"dp_delete"]


@pytest.mark.parametrize("word", [None, "nosuch", "\u03a9\u4e2d"])
def test_help_lists_six_commands_each_on_its_own_line(wine, word):
    code, out, err = wine.run("pelmora-engine.exe", "?", *([word] if word else []))
    assert (code, err) == (0, b"")
    text = out.split(b"\r\n")
    assert text[-1] == b"" and b"\n" not in b"".join(text)
    # A word the console cannot show does not silence what follows it.
    assert [line.split()[0] for line in text[-7:-1]] == COMMANDS
    assert b"pelmora-engine.exe" in text[0]


def test_help_on_one_command_is_its_detailed_help(wine, srcdir):
    assert wine.run("pelmora-engine.exe", "?", "REMOVE") == (
        0, message(srcdir, 61200, "pelmora-engine.exe", "remove"), b"")


@pytest.mark.parametrize("args, expected", [
    ([], (60000,)), (["-r", "-f"], (60000,)), (["-rx", "rescan"], (60000,)), (["%1%n", "x"], (60000,)),
    (["FINDALL"], (60002, "findall")), (["-m:\\\\pc", "remove", "x"], (60002, "remove")),
])
def test_usage_and_misuse_exit_with_3(wine, srcdir, args, expected):
    assert wine.run("pelmora-engine.exe", *args) == (
        3, b"", message(srcdir, expected[0], "pelmora-engine.exe", *expected[1:]))
