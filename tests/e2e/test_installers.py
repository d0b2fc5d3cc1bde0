"""The example installers under Wine: packages added, helper started, every call and exit code logged, removed."""
import re
import shutil

import pytest

SAMPLES = ("pelmora_sample.inf", "pelmora_serial.inf", "pelmora_widget.inf")
REMOVED = ("ROOT\\PELMORA_SAMPLE|ROOT\\PELMORA_SAMPLE", "ROOT\\PELMORA_SERIAL|ROOT\\PELMORA_SERIAL",
           "ROOT\\PELMORA_WIDGET*|ROOT\\PELMORA_WIDGET")


def nsis(wine, tmp, name):
    folder = "C:\\Program Files\\" + name
    # Waited for only when it runs in place, with "_?=" unquoted: through a batch file.
    (tmp / "uninstall.bat").write_text('"%s\\uninstall.exe" /S _?=%s\r\nexit /b %%errorlevel%%\r\n' % (folder, folder))
    return "", lambda: wine.run(wine.exe("examples/pelmora-example-setup.exe"), "/S")[0], (
        lambda: wine.run("cmd", "/c", wine.windows_path(tmp / "uninstall.bat"))[0]), (
        lambda: (wine.drive_c / "Program Files" / name / "setup.log").read_text())


def msi(wine, tmp, _):
    logs = (tmp / "install.log", tmp / "uninstall.log")
    package = wine.windows_path(wine.bindir / "examples/pelmora-example.msi")
    msiexec = lambda action, log: wine.run("msiexec", action, package, "/qn", "/l*v", wine.windows_path(log))[0]
    return "\\", lambda: msiexec("/i", logs[0]), lambda: msiexec("/x", logs[1]), (
        lambda: "".join(log.read_text("latin-1") for log in logs if log.exists()))


@pytest.mark.parametrize("example,name", [(nsis, "Pelmora NSIS Example"), (msi, "Pelmora MSI Example")])
def test_example_installer_and_uninstaller(wine, srcdir, tmp_path, inf_dir_kept, example, name):
    folder = "C:\\Program Files\\" + name
    drivers_end, install, uninstall, log = example(wine, tmp_path, name)
    calls = lambda: re.findall(r"(\".*) -> exit code (\S+)$", log(), re.M)
    program = '"%s\\pelmora.exe"' % folder
    assert not any((wine.inf_dir / sample).exists() for sample in SAMPLES)
    assert install() == 0
    # Wine keeps each package's own file name where Windows gives oemN.inf.
    for sample in SAMPLES:
        assert (wine.inf_dir / sample).read_bytes() == (srcdir / "examples" / sample).read_bytes()
    assert (wine.drive_c / "Program Files" / name / "record_args.txt").read_text("utf-16-le") == (
        'flags=1\nshow=0\ncmdline=record_args.exe --product "Pelmora Example" --quiet\n')
    assert calls() == [('%s install "%s\\drivers%s"' % (program, folder, drivers_end), "0"), (
        '%s exec "%s\\record_args.exe;--product \\"Pelmora Example\\" --quiet"' % (program, folder), "0")]
    # Wine refuses every device removal: with a sample device there, the first remove fails, which the
    # uninstaller records before it goes on. Its package is not planted, as a clean-up would keep it.
    sample = wine.windows_path(srcdir / "examples" / SAMPLES[0])
    assert wine.run("pelmora-engine.exe", "install", sample, "ROOT\\PELMORA_SAMPLE")[0] == 0
    before = {p.name for p in wine.inf_dir.glob("oem*.inf")}
    planted = {"oem9101.inf", "oem9102.inf"}
    for oem, package in zip(sorted(planted), SAMPLES[1:]):
        shutil.copy(srcdir / "examples" / package, wine.inf_dir / oem)
    assert uninstall() == 0
    assert calls()[2:] == [('%s remove "%s"' % (program, argument), code) for argument, code in zip(REMOVED, "200")]
    # The clean-ups of the two removes that succeeded took exactly the planted copies.
    assert {p.name for p in wine.inf_dir.glob("oem*.inf")} == before
