""""exec" under Wine: the command line and window state the started program sees (the helper
record_args.exe writes them to record_args.txt beside itself), batch helpers, and what cannot start."""
import shutil

import pytest


def place_helper(wine, folder, name="record_args.exe"):
    folder.mkdir(parents=True, exist_ok=True)
    return shutil.copy(wine.exe("record_args.exe"), folder / name)


def read_record(folder):
    lines = (folder / "record_args.txt").read_text(encoding="utf-16-le").split("\n")
    return {key: value.encode() for key, _, value in (line.partition("=") for line in lines if line)}


# The exact command lines are the host tests'; here the real program receives them, hidden.
@pytest.mark.parametrize("name,parameters,command_line", [
    ("record_args.exe", 'x;y; "quoted arg"', b'record_args.exe x;y; "quoted arg"'),
    ("rec args.exe", "--flag value", b'"rec args.exe" --flag value')])
def test_program_sees_its_file_name_and_parameters_hidden(wine, tmp_path, name, parameters, command_line):
    helper = place_helper(wine, tmp_path / "with blank", name)
    assert wine.run("pelmora.exe", "exec", wine.windows_path(helper) + ";" + parameters) == (0, b"", b"")
    record = read_record(tmp_path / "with blank")
    assert (record["cmdline"], record["flags"], record["show"]) == (command_line, b"1", b"0")
    # Started directly, the helper is not hidden: the check above can tell.
    assert wine.run(str(helper))[0] == 0
    assert read_record(tmp_path / "with blank")["show"] != b"0"


def test_batch_helper_runs_by_its_full_path_and_what_cannot_start_answers_two(wine, tmp_path):
    named, here = tmp_path / "helper dir", tmp_path / "here"
    for folder in (named, here):
        folder.mkdir()
        (folder / "post.bat").write_bytes(b'@>"%~dp0ran.txt" echo %*\r\n')
    helper = wine.windows_path(named / "post.bat")
    assert wine.run("pelmora.exe", "exec", helper + ";configure quiet", cwd=here) == (0, b"", b"")
    assert (named / "ran.txt").read_bytes() == b"configure quiet\r\n" and not (here / "ran.txt").exists()
    (named / "ran.txt").unlink()
    # A real program whose DLL is missing: the loader ends it with 0xC0000135.
    (here / "needs_absent.exe").write_bytes(open(wine.exe("record_args.exe"), "rb").read().replace(
        b"msvcrt.dll", b"absent.dll"))
    for argument, why in ((helper + ";x & echo injected > injected.txt", b"batch file"),
                          (wine.windows_path(here / "needs_absent.exe") + ";", b"0xC0000135")):
        code, out, err = wine.run("pelmora.exe", "exec", argument, cwd=here)
        assert (code, out, err.count(b"\r\n")) == (2, b"", 1) and err.startswith(b"pelmora.exe: ") and why in err
    assert list(tmp_path.rglob("*.txt")) == []
