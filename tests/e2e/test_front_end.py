"""The real pelmora.exe under Wine: usage, errors and exit codes, byte for byte."""
import pytest

USAGE = (b"usage: Pelmora [command] [arg]\r\n"
         b"where command is remove, install, rescan, version, is64bit, iswinxsp3orlater, "
         b"iswin2000orlater\r\n")
ERROR_LINE = b"ERROR: command required argument\r\n"


@pytest.mark.parametrize("args", [[], ["Install"], ["remove "], ["iswinxsp3orlater"], ["REMOVE"],
                                  ["installx"], [""], ["%1"]])
def test_missing_or_unknown_word_prints_usage(wine, args):
    assert wine.run("pelmora.exe", *args) == (1, USAGE, b"")


@pytest.mark.parametrize("word", ["remove", "install", "exec"])
def test_missing_argument(wine, word):
    assert wine.run("pelmora.exe", word) == (1, ERROR_LINE + USAGE, b"")


@pytest.mark.parametrize("args,code", [(["version"], 1), (["version", "extra"], 1),
                                       (["is64bit"], 0), (["is64bit", "extra", "more"], 0)])
def test_fixed_answers(wine, args, code):
    assert wine.run("pelmora.exe", *args) == (code, b"", b"")


def test_very_long_unknown_word(wine):
    assert wine.run("pelmora.exe", "x" * 30000) == (1, USAGE, b"")


@pytest.mark.parametrize("version,xpsp3,win2000", [
    ("win2k", 2, 0), ("winxp", 0, 0), ("win2003", 2, 0), ("vista", 0, 0), ("win7", 0, 0)])
def test_version_answers(wine, version, xpsp3, win2000):
    # Wine's "winxp" is XP with service pack 3; "win2003" is 5.2.
    wine.set_version("pelmora.exe", version)
    try:
        assert wine.run("pelmora.exe", "iswinxpsp3orlater") == (xpsp3, b"", b"")
        assert wine.run("pelmora.exe", "iswin2000orlater", "ignored") == (win2000, b"", b"")
    finally:
        wine.set_version("pelmora.exe", None)
