"""The real programs' command lines under Wine: usage, misuse, help and failures, with their exit codes and
output byte for byte (CR LF line ends) from the message table built into them."""
import pytest

from messages import message

USAGE = (b"usage: Pelmora [command] [arg]\r\n"
         b"where command is remove, install, rescan, version, is64bit, exec, iswinxpsp3orlater, "
         b"iswin2000orlater\r\n")
ENGINE = "pelmora-engine.exe"


@pytest.mark.parametrize("program,args,result", [
    ("pelmora.exe", [], (1, USAGE, b"")), ("pelmora.exe", ["x" * 30000], (1, USAGE, b"")),
    # Empty and blank elements after the argument are ignored; a word glued on after a quote is not.
    ("pelmora.exe", ["remove", "NOSUCH\\DEVICE|", "", " \t"], (0, b"No devices were removed.\r\n", b"")),
    ("pelmora.exe", ["install", 'C:\\drivers" /quiet'],
     (2, b"ERROR: too many arguments (quote an argument that holds blanks)\r\n" + USAGE, b"")),
    # Wine's CM_Locate_DevNodeW answers CR_FAILURE, so "rescan" fails before it writes a line.
    ("pelmora.exe", ["rescan"], (2, b"", b"pelmora.exe: the rescan command failed.\r\n")),
    (ENGINE, ["-m:\\\\NOWHERE", "findall", "*"], (2, b"", ("MSG_COMMAND_FAILED", "findall")))])
def test_command_line(wine, srcdir, program, args, result):
    code, out, err = result
    err = message(srcdir, err[0], ENGINE, *err[1:]) if isinstance(err, tuple) else err
    assert wine.run(program, *args) == (code, out, err)


def test_engine_help_lists_seven_commands_each_on_its_own_line(wine):
    # A word the console cannot show does not silence what follows it.
    code, out, err = wine.run("pelmora-engine.exe", "?", "\u03a9\u4e2d")
    assert (code, err) == (0, b"")
    text = out.split(b"\r\n")
    assert text[-1] == b"" and b"\n" not in b"".join(text) and b"pelmora-engine.exe" in text[0]
    assert [line.split()[0] for line in text[-8:-1]] == [b"findall", b"install", b"remove", b"rescan", b"dp_add",
                                                         b"dp_delete", b"dp_enum"]
