"""tools/field-check.cmd under Wine's cmd: on the sample packages it fails exactly where Wine is known to
differ from Windows, and with both programs replaced by one that writes nothing and answers 0 it fails
every step that checks what they did."""
import re
import shutil

import pytest


def run_check(wine, srcdir, tmp_path, programs, *arguments):
    """Runs the check from a folder of its own, beside `programs` (file name -> source); {step: result}."""
    tools, here = tmp_path / "check tools", tmp_path / "run here"
    tools.mkdir()
    here.mkdir()
    shutil.copy(srcdir / "tools" / "field-check.cmd", tools)
    for name, source in programs.items():
        shutil.copy(source, tools / name)
    # A pattern with '&' reaches cmd intact only from a batch line of its own.
    line = '@call "{}" {}\r\n'.format(wine.windows_path(tools / "field-check.cmd"),
                                      " ".join('"{}"'.format(a) if a != "/remove" else a for a in arguments))
    (here / "run.cmd").write_bytes(line.encode())
    code = wine.run("cmd", "/c", wine.windows_path(here / "run.cmd"), cwd=here)[0]
    report = (here / "field-check-report.txt").read_bytes().decode("latin-1")
    steps = dict(re.findall(r"^== step \d+: (.+?)\r\n.*?^result: (\w+)\r$", report, re.M | re.S))
    return code, report, steps


def test_samples_fail_only_where_wine_differs(wine, srcdir, tmp_path, inf_dir_kept):
    samples = tmp_path / "samples"
    samples.mkdir()
    for inf in (srcdir / "examples").glob("*.inf"):
        shutil.copy(inf, samples)
    code, report, steps = run_check(wine, srcdir, tmp_path, {p: wine.exe(p) for p in ("pelmora.exe", "pelmora-engine.exe")},
                                    wine.windows_path(samples), "ROOT\\PELMORA_*", "Pelmora Project")
    listed = (srcdir / "tests" / "e2e" / "field_check_wine_fails.txt").read_text().splitlines()
    wine_fails = {line.split(":")[0] for line in listed if line and not line.startswith("#")}
    assert {step for step, result in steps.items() if result == "FAIL"} == wine_fails, report
    assert all(result in ("PASS", "RECORDED") for step, result in steps.items() if step not in wine_fails)
    assert len(steps) == 11 and code == 1 and report.startswith("Pelmora field check\r\n")
    assert "helper received: [first arg][second]\r\n" in report


def test_programs_that_write_nothing_fail_every_step_that_checks_them(wine, srcdir, tmp_path):
    silent = wine.exe("answer_zero.exe")
    code, report, steps = run_check(wine, srcdir, tmp_path, {"pelmora.exe": silent, "pelmora-engine.exe": silent},
                                    wine.windows_path(srcdir / "examples"), "USB\\VID_1234&PID_5678*", "Pelmora",
                                    "/remove")
    unchecked = {"OEM packages before the check": "RECORDED", "copy the packages to a folder with blanks": "PASS"}
    assert len(steps) == 14 and code == 1, report
    assert steps == dict({step: "FAIL" for step in steps}, **unchecked), report
    assert '"USB\\VID_1234&PID_5678*|Pelmora"' in report
