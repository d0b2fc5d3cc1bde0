""""exec" under Wine: the command line and window state the started program
sees, quiet failure, and the 60-second wait that leaves a long program running.

The helper record_args.exe writes what it was started with to record_args.txt
beside itself; a copy of it is placed in each test's own folder.
"""
import shutil
import time

import pytest

HELPER = "record_args.exe"


def place_helper(wine, folder, name=HELPER):
    folder.mkdir(parents=True, exist_ok=True)
    shutil.copy(wine.exe(HELPER), folder / name)
    return folder / name


def read_record(folder):
    fields = {}
    for line in (folder / "record_args.txt").read_bytes().split(b"\n"):
        if line:
            key, _, value = line.partition(b"=")
            fields[key.decode()] = value
    return fields


def exec_and_record(wine, program, parameters, folder, cwd=None):
    started = time.monotonic()
    result = wine.run("pelmora.exe", "exec", program + ";" + parameters, cwd=cwd)
    assert result == (0, b"", b"")
    # The helper ends at once, so the bounded wait ends with it.
    assert time.monotonic() - started < 30
    record = read_record(folder)
    assert (record["flags"], record["show"]) == (b"1", b"0")  # STARTF_USESHOWWINDOW, SW_HIDE
    return record["cmdline"]


@pytest.mark.parametrize("parameters,command_line", [
    ("/a b", b"record_args.exe /a b"),
    (" /a", b"record_args.exe /a"),
    ("  two blanks", b"record_args.exe  two blanks"),
    ("\t/tab", b"record_args.exe \t/tab"),
    ("", b"record_args.exe"),
    ("x;y;", b"record_args.exe x;y;"),
    ('"quoted arg" z', b'record_args.exe "quoted arg" z'),
])
def test_command_line_is_file_name_and_parameters(wine, tmp_path, parameters, command_line):
    helper = place_helper(wine, tmp_path)
    assert exec_and_record(wine, wine.windows_path(helper), parameters, tmp_path) == command_line


def test_helper_started_directly_is_not_hidden(wine, tmp_path):
    # The baseline that makes the hidden checks above mean something.
    helper = place_helper(wine, tmp_path)
    assert wine.run(str(helper), "x")[0] == 0
    record = read_record(tmp_path)
    assert (record["flags"], record["show"]) != (b"1", b"0")


def test_path_without_backslash_is_the_whole_command_line_start(wine, tmp_path):
    place_helper(wine, tmp_path)
    assert exec_and_record(wine, HELPER, "/q", tmp_path, cwd=tmp_path) == b"record_args.exe /q"


def test_forward_slashes_are_no_separator(wine, tmp_path):
    helper = place_helper(wine, tmp_path)
    program = wine.windows_path(helper).replace("\\", "/")
    assert exec_and_record(wine, program, "/q", tmp_path) == program.encode() + b" /q"


def test_blanks_in_folder_and_file_name_stay_unquoted(wine, tmp_path):
    folder = tmp_path / "with blank"
    helper = place_helper(wine, folder, "rec args.exe")
    assert exec_and_record(wine, wine.windows_path(helper), "x", folder) == b"rec args.exe x"


@pytest.mark.parametrize("argument", [
    "{dir}\\absent.exe;/q",
    "{dir}\\absent\\record_args.exe;/q",
    "{dir}\\;/q",          # a folder, not a program
    ";/q",                 # empty program part
    "{dir}\\record_args.exe",  # no ';': nothing is started
])
def test_failure_answers_two_quietly(wine, tmp_path, argument):
    place_helper(wine, tmp_path)
    argument = argument.replace("{dir}", wine.windows_path(tmp_path))
    assert wine.run("pelmora.exe", "exec", argument) == (2, b"", b"")
    assert not (tmp_path / "record_args.txt").exists()


def test_long_program_is_left_running_after_sixty_seconds(wine, tmp_path):
    helper = place_helper(wine, tmp_path)
    (tmp_path / "record_args.sleep").write_text("75")
    started = time.monotonic()
    result = wine.run("pelmora.exe", "exec", wine.windows_path(helper) + ";/long", timeout=150)
    elapsed = time.monotonic() - started
    assert result == (0, b"", b"")
    assert 59 <= elapsed < 70
    assert read_record(tmp_path)["cmdline"] == b"record_args.exe /long"
    assert not (tmp_path / "record_args.done").exists()
    # Still alive: it wakes up and finishes on its own.
    deadline = time.monotonic() + 40
    while not (tmp_path / "record_args.done").exists() and time.monotonic() < deadline:
        time.sleep(0.5)
    assert (tmp_path / "record_args.done").exists()
