"""The real pelmora-engine.exe under Wine: help, usage and bad options.

The wording of the engine's messages is the message table's, so these tests
check the structure and the inserts, and the exact bytes of line ends.
"""
import pytest

COMMANDS = ["findall", "install", "remove", "rescan", "dp_add", "dp_delete"]


def lines(data):
    assert data.endswith(b"\r\n")
    return data[:-2].split(b"\r\n")


def test_help_lists_six_commands_after_the_header(wine):
    code, out, err = wine.run("pelmora-engine.exe", "?")
    assert (code, err) == (0, b"")
    text = lines(out)
    listing = text[-6:]
    assert [line.split()[0] for line in listing] == [c.encode() for c in COMMANDS]
    assert b"pelmora-engine.exe" in b"\n".join(text[:-6])
    assert not any(line.startswith(b"?") for line in listing)


def test_help_on_one_command_is_only_its_detailed_help(wine):
    code, out, err = wine.run("pelmora-engine.exe", "?", "REMOVE")
    assert (code, err) == (0, b"")
    assert b"pelmora-engine.exe" in out and b"remove" in out
    assert b"findall " not in out
    _, whole, _ = wine.run("pelmora-engine.exe", "?")
    assert out not in whole


def test_help_on_an_unknown_word_names_it_then_lists_everything(wine):
    code, out, err = wine.run("pelmora-engine.exe", "?", "nosuch")
    assert (code, err) == (0, b"")
    text = lines(out)
    assert b"nosuch" in text[0] and b"pelmora-engine.exe" in text[0]
    assert [line.split()[0] for line in text[-6:]] == [c.encode() for c in COMMANDS]


def test_a_word_the_console_cannot_show_does_not_silence_the_list(wine):
    code, out, err = wine.run("pelmora-engine.exe", "?", "\u03a9\u4e2d")
    assert (code, err) == (0, b"")
    text = lines(out)
    assert [line.split()[0] for line in text[-6:]] == [c.encode() for c in COMMANDS]


@pytest.mark.parametrize("args", [[], ["-r", "-f"], ["nosuch"], ["-m:", "rescan"], ["-rx", "rescan"],
                                  ["--r", "findall"], ["-", "findall"], ["%1%n", "x"]])
def test_missing_or_unknown_command_word_gives_usage(wine, args):
    code, out, err = wine.run("pelmora-engine.exe", *args)
    assert (code, out) == (3, b"")
    assert b"pelmora-engine.exe" in err and err.endswith(b"\r\n")
    assert err.count(b"\r\n") == 2 and b"\r\r" not in err


@pytest.mark.parametrize("command", ["findall", "dp_add", "dp_delete", "remove"])
def test_a_command_without_its_argument_is_misused(wine, command):
    code, out, err = wine.run("pelmora-engine.exe", command.upper())
    assert (code, out) == (3, b"")
    assert b"pelmora-engine.exe" in err and command.encode() in err and command.upper().encode() not in err
