"""tools/field-check.cmd under Wine's cmd: it fails exactly at the committed list of Wine's differences, and
with both programs replaced by one that writes nothing and answers 0, at every step that checks them."""
import re
import shutil


def run_check(wine, srcdir, tmp_path, programs, *arguments):
    """Runs the check, beside `programs` (for pelmora.exe, pelmora-engine.exe), from another folder."""
    tools, here = tmp_path / "check tools", tmp_path / "run here"
    for folder in (here, tools):
        folder.mkdir(parents=True)
    for source, name in zip((srcdir / "tools" / "field-check.cmd",) + programs,
                            ("field-check.cmd", "pelmora.exe", "pelmora-engine.exe")):
        shutil.copy(source, tools / name)
    # A pattern with '&' reaches cmd intact only from a batch line.
    line = '@call "{}\\field-check.cmd" "{}" "{}" "{}" {}\r\n'
    (here / "run.cmd").write_text(line.format(wine.windows_path(tools), wine.windows_path(srcdir / "examples"),
                                              *arguments), newline="")
    code = wine.run("cmd", "/c", wine.windows_path(here / "run.cmd"), cwd=here)[0]
    report = (here / "field-check-report.txt").read_bytes().decode("latin-1")
    return code, report, dict(re.findall(r"^== step \d+: (.+?)\r\n.*?^result: (\w+)\r$", report, re.M | re.S))


def test_fails_only_where_wine_differs_and_everywhere_with_silent_programs(wine, srcdir, tmp_path, inf_dir_kept):
    listed = (srcdir / "tests" / "e2e" / "field_check_wine_fails.txt").read_text().splitlines()
    wine_fails = {line.split(":")[0] for line in listed if line and not line.startswith("#")}
    real = (wine.exe("pelmora.exe"), wine.exe("pelmora-engine.exe"))
    code, report, steps = run_check(wine, srcdir, tmp_path / "real", real, "ROOT\\PELMORA_*", "Pelmora Project", "")
    assert (len(steps), code) == (11, 1) and "helper received: [first arg][second]\r\n" in report, report
    assert {step for step, result in steps.items() if result not in ("PASS", "RECORDED")} == wine_fails, report
    silent = (wine.exe("answer_zero.exe"),) * 2
    code, report, steps = run_check(wine, srcdir, tmp_path / "silent", silent, "USB\\VID_1234&PID_5678*", "Pelmora",
                                    "/remove")
    unchecked = {"OEM packages before the check": "RECORDED", "copy the packages to a folder with blanks": "PASS"}
    assert (len(steps), code) == (14, 1) and '"USB\\VID_1234&PID_5678*|Pelmora"' in report, report
    assert steps == dict({step: "FAIL" for step in steps}, **unchecked), report
