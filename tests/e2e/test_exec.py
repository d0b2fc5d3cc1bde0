""""exec" under Wine: the command line and window state the started program sees (the helper
record_args.exe writes them to record_args.txt beside itself), batch files never started, quiet failures."""
import shutil

import pytest


def place_helper(wine, folder, name="record_args.exe"):
    folder.mkdir(parents=True, exist_ok=True)
    return shutil.copy(wine.exe("record_args.exe"), folder / name)


def read_record(folder):
    lines = (folder / "record_args.txt").read_text(encoding="utf-16-le").split("\n")
    return {key: value.encode() for key, _, value in (line.partition("=") for line in lines if line)}


@pytest.mark.parametrize("name,parameters,command_line", [
    ("record_args.exe", "/a b", b"record_args.exe /a b"),
    ("record_args.exe", " /a", b"record_args.exe /a"),
    ("record_args.exe", "\t/tab", b"record_args.exe \t/tab"),
    ("record_args.exe", "", b"record_args.exe"),
    ("record_args.exe", 'x;y; "quoted arg"', b'record_args.exe x;y; "quoted arg"'),
    ("rec args.exe", "--flag value", b'"rec args.exe" --flag value'),
])
def test_program_sees_its_file_name_and_parameters_hidden(wine, tmp_path, name, parameters, command_line):
    helper = place_helper(wine, tmp_path / "with blank", name)
    assert wine.run("pelmora.exe", "exec", wine.windows_path(helper) + ";" + parameters) == (0, b"", b"")
    record = read_record(tmp_path / "with blank")
    assert (record["cmdline"], record["flags"], record["show"]) == (command_line, b"1", b"0")
    # Started directly, the helper is not hidden: the check above can tell.
    assert wine.run(str(helper))[0] == 0
    assert read_record(tmp_path / "with blank")["show"] != b"0"


@pytest.mark.parametrize("argument", [
    "{dir}\\absent.exe;/q", "{dir}\\absent\\record_args.exe;/q", "{dir}\\;/q", ";/q", "{dir}\\record_args.exe",
    "{dir}\\t.bat;x & echo injected > {dir}\\injected.txt", "{dir}\\T.CMD;x", "{dir}\\t.Bat. ;x"])
def test_what_cannot_or_must_not_start_answers_two_quietly(wine, tmp_path, argument):
    place_helper(wine, tmp_path)
    for batch in ("t.bat", "T.CMD"):
        (tmp_path / batch).write_bytes(b"echo ran > ran.txt\r\n")
    argument = argument.replace("{dir}", wine.windows_path(tmp_path))
    assert wine.run("pelmora.exe", "exec", argument, cwd=tmp_path) == (2, b"", b"")
    assert [p.name for p in tmp_path.glob("*.txt")] == []
