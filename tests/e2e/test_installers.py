"""The example installers (examples/nsis, examples/wix), built here and run silently under Wine: they add the
sample packages from under Program Files, start the helper, and log every call of pelmora.exe with its exit code;
their uninstallers run remove and log its code."""
import os
import re
import shutil
import subprocess

import pytest

SAMPLES = ("pelmora_sample.inf", "pelmora_serial.inf", "pelmora_widget.inf")
REMOVED = ("ROOT\\PELMORA_SAMPLE|ROOT\\PELMORA_SAMPLE", "ROOT\\PELMORA_SERIAL|ROOT\\PELMORA_SERIAL",
           "ROOT\\PELMORA_WIDGET*|ROOT\\PELMORA_WIDGET")


class Nsis:
    name, drivers = "Pelmora NSIS Example", "drivers"

    def __init__(self, wine, srcdir, tmp_path):
        self.wine, self.tmp, self.setup = wine, tmp_path, tmp_path / "pelmora-example.exe"
        subprocess.run([shutil.which("makensis"), "-V2", "-DBIN=%s" % wine.bindir, "-DSAMPLES=%s" % (srcdir / "examples"),
                        "-DOUTFILE=%s" % self.setup, str(srcdir / "examples/nsis/pelmora.nsi")], check=True)

    def install(self):
        return self.wine.run(str(self.setup), "/S")[0]

    def uninstall(self):
        # Waited for only when run in place, with "_?=" unquoted: through a batch file.
        folder = "C:\\Program Files\\" + self.name
        (self.tmp / "uninstall.bat").write_text('"%s\\uninstall.exe" /S _?=%s\r\nexit /b %%errorlevel%%\r\n' % (
            folder, folder))
        return self.wine.run("cmd", "/c", self.wine.windows_path(self.tmp / "uninstall.bat"))[0]

    def calls(self):
        log = (self.wine.drive_c / "Program Files" / self.name / "setup.log").read_text()
        return re.findall(r"^(.*) -> exit code (\S+)$", log, re.M)


class Msi:
    name, drivers = "Pelmora MSI Example", "drivers\\"

    def __init__(self, wine, srcdir, tmp_path):
        self.wine, self.tmp, self.setup = wine, tmp_path, tmp_path / "pelmora-example.msi"
        # wixl reads file sources relative to the .wxs file.
        subprocess.run([shutil.which("wixl"), "-a", "x64", "-D", "Samples=..", "-D", "BinDir=" + os.path.relpath(
            wine.bindir, srcdir / "examples/wix"), "-o", str(self.setup), str(srcdir / "examples/wix/pelmora.wxs")],
                       check=True)

    def msiexec(self, action, log):
        return self.wine.run("msiexec", action, self.wine.windows_path(self.setup), "/qn", "/l*v",
                             self.wine.windows_path(self.tmp / log))[0]

    def install(self):
        return self.msiexec("/i", "install.log")

    def uninstall(self):
        return self.msiexec("/x", "uninstall.log")

    def calls(self):
        logs = [self.tmp / log for log in ("install.log", "uninstall.log") if (self.tmp / log).exists()]
        return re.findall(r"Pelmora: (.*) -> exit code (\S+)", "".join(p.read_text("latin-1") for p in logs))


@pytest.mark.parametrize("kind", [Nsis, Msi])
def test_example_installer_adds_packages_starts_helper_and_uninstaller_removes(wine, srcdir, tmp_path, inf_dir_kept,
                                                                               kind):
    installer = kind(wine, srcdir, tmp_path)
    folder = "C:\\Program Files\\" + installer.name
    program = '"%s\\pelmora.exe"' % folder
    assert not any((wine.inf_dir / name).exists() for name in SAMPLES)
    assert installer.install() == 0
    # Wine keeps each package's own file name where Windows gives oemN.inf.
    for name in SAMPLES:
        assert (wine.inf_dir / name).read_bytes() == (srcdir / "examples" / name).read_bytes()
    record = (wine.drive_c / "Program Files" / installer.name / "record_args.txt").read_text("utf-16-le")
    assert record == 'flags=1\nshow=0\ncmdline=record_args.exe --product "Pelmora Example" --quiet\n'
    assert installer.calls() == [
        ('%s install "%s\\%s"' % (program, folder, installer.drivers), "0"),
        ('%s exec "%s\\record_args.exe;--product \\"Pelmora Example\\" --quiet"' % (program, folder), "0")]

    before = {p.name for p in wine.inf_dir.glob("oem*.inf")}
    planted = {"oem%d.inf" % (9100 + n): name for n, name in enumerate(SAMPLES)}
    for oem, name in planted.items():
        shutil.copy(srcdir / "examples" / name, wine.inf_dir / oem)
    assert installer.uninstall() == 0
    assert installer.calls()[2:] == [('%s remove "%s"' % (program, argument), "0") for argument in REMOVED]
    # Wine lists nothing for the system's INF folder when asked by a null folder, so today's clean-up finds no
    # package and the planted copies stay. Once the clean-up lists the INF folder itself, this turns into
    # "exactly the planted copies are gone": == before.
    assert {p.name for p in wine.inf_dir.glob("oem*.inf")} == before | planted.keys()
