"""Device listing and removal of the real programs under Wine.

Wine 8's CM_Get_Device_ID_ExW reports success without writing the instance
ID, so under Wine every device line shows an empty ID (blanks to column 60)
and instance-ID patterns find nothing; Windows shows the IDs.
"""
import pytest

from messages import message

FINDALL_NONE = 60403
FINDALL_COUNT = 60405
REMOVED_NONE = 61202
EMPTY_ID = b" " * 60 + b": "


def findall(wine, *args):
    code, out, err = wine.run("pelmora-engine.exe", "findall", *args)
    assert (code, err) == (0, b"")
    assert out.endswith(b"\r\n")
    return out[:-2].split(b"\r\n")


def device_lines(srcdir, lines):
    """The device lines before the summary, which must count them."""
    *devices, summary = lines
    assert summary == message(srcdir, FINDALL_COUNT, len(devices))[:-2]
    return devices


def test_star_lists_every_device_once_and_counts_them(wine, srcdir):
    devices = device_lines(srcdir, findall(wine, "*"))
    assert len(devices) >= 2
    assert all(line.startswith(EMPTY_ID) and len(line) > len(EMPTY_ID) for line in devices)
    # The class argument alone, followed by a star, or a star before patterns: the same walk.
    assert findall(wine, "*", "NOSUCH") == findall(wine, "*")


@pytest.mark.parametrize("selection", [["=System"], ["=System", "*"], ["ROOT\\*"], ["root\\*", "NOSUCH"]])
def test_class_and_pattern_narrow_the_list(wine, srcdir, selection):
    everything = device_lines(srcdir, findall(wine, "*"))
    narrowed = device_lines(srcdir, findall(wine, *selection))
    assert 1 <= len(narrowed) < len(everything)
    for line in narrowed:
        assert narrowed.count(line) <= everything.count(line)


@pytest.mark.parametrize("selection", [["=NoSuchClass"], ["=NoSuchClass", "*"], ["NOSUCH\\*"], ["@ROOT\\*"],
                                       ["'*"], ["@"], ["="]])
def test_selection_of_nothing_says_so(wine, srcdir, selection):
    # "@ROOT\*" finds nothing only because Wine gives no instance IDs.
    assert findall(wine, *selection) == [message(srcdir, FINDALL_NONE)[:-2]]


def test_unknown_machine_fails_without_summary(wine):
    code, out, err = wine.run("pelmora-engine.exe", "-m:\\\\NOWHERE", "findall", "*")
    assert (code, out) == (2, b"")
    assert b"findall" in err


def test_remove_of_a_pattern_that_matches_nothing(wine, srcdir):
    assert wine.run("pelmora.exe", "remove", "NOSUCH\\DEVICE|") == (0, message(srcdir, REMOVED_NONE), b"")


@pytest.mark.parametrize("argument,code", [("NOSUCH\\DEVICE", 2), ("|", 0)])
def test_remove_without_bar_or_with_bar_alone_runs_nothing(wine, argument, code):
    assert wine.run("pelmora.exe", "remove", argument) == (code, b"", b"")


def test_engine_remove_reports_each_device_and_wine_refuses_them(wine, srcdir):
    before = findall(wine, "ROOT\\*")
    code, out, err = wine.run("pelmora-engine.exe", "remove", "ROOT\\*")
    assert (code, err) == (0, b"")
    # Wine's SetupDiSetClassInstallParamsW fails, so every removal fails.
    failed = EMPTY_ID + b"Remove failed\r\n"
    assert out == failed * (len(before) - 1) + message(srcdir, REMOVED_NONE)
    assert findall(wine, "ROOT\\*") == before


DEVICE_CREATED = 61002
UPDATING_DRIVERS = 61102
DRIVERS_UPDATED = 61106
SAMPLE_ID = "ROOT\\PELMORA_SAMPLE"


@pytest.fixture
def inf_dir_kept(wine):
    """Wine's driver update copies the INF into C:\\windows\\inf; the copies go
    again after the test, so that the driver-store tests find that directory
    as the prefix made it."""
    before = set(wine.inf_dir.iterdir())
    yield
    for path in set(wine.inf_dir.iterdir()) - before:
        path.unlink()


def test_install_creates_a_device_that_findall_lists_and_remove_visits(wine, srcdir, inf_dir_kept):
    inf = srcdir / "examples" / "pelmora_sample.inf"
    name = b"Pelmora sample device"
    assert b'"' + name + b'"' in inf.read_bytes()
    code, out, err = wine.run("pelmora-engine.exe", "install", wine.windows_path(inf), SAMPLE_ID)
    assert (code, err) == (0, b"")
    assert out == (message(srcdir, DEVICE_CREATED) +
                   message(srcdir, UPDATING_DRIVERS, SAMPLE_ID, wine.windows_path(inf)) +
                   message(srcdir, DRIVERS_UPDATED))
    listed = device_lines(srcdir, findall(wine, SAMPLE_ID.lower()))
    assert listed == [EMPTY_ID + name]
    # Wine refuses the removal itself (see above); the clean-up text is empty.
    assert wine.run("pelmora.exe", "remove", SAMPLE_ID + "|") == (
        0, EMPTY_ID + b"Remove failed\r\n" + message(srcdir, REMOVED_NONE), b"")


def write_inf(path, hardware_id, description, utf16):
    text = ("[Version]\r\nSignature = \"$Windows NT$\"\r\nClass = PelmoraTest\r\n"
            "ClassGuid = {3b7f2d1c-4a5e-4f60-8c9d-0e1f2a3b4c5d}\r\nProvider = %P%\r\n"
            "DriverVer = 01/15/2024,1.0.0.0\r\n\r\n[Manufacturer]\r\n%P% = Models, NTamd64\r\n\r\n"
            "[Models.NTamd64]\r\n%D% = Install, " + hardware_id + "\r\n\r\n[Install.NT]\r\n\r\n"
            "[Install.NT.Services]\r\nAddService = , 0x00000002\r\n\r\n"
            "[Strings]\r\nP = \"Pelmora tests\"\r\nD = \"" + description + "\"\r\n")
    path.write_bytes(b"\xff\xfe" + text.encode("utf-16-le") if utf16 else text.encode())


def test_names_the_console_cannot_show_or_that_are_too_long_keep_every_line(wine, srcdir, tmp_path, inf_dir_kept):
    write_inf(tmp_path / "omega.inf", "PELMORA\\OMEGA", "\u03a9mega device", utf16=True)
    write_inf(tmp_path / "long.inf", "PELMORA\\LONG", "L" * 250, utf16=False)
    for inf, hardware_id in (("omega.inf", "PELMORA\\OMEGA"), ("long.inf", "PELMORA\\LONG")):
        code, _, _ = wine.run("pelmora-engine.exe", "install", wine.windows_path(tmp_path / inf), hardware_id)
        assert code == 0
    lines = device_lines(srcdir, findall(wine, "PELMORA\\OMEGA", "PELMORA\\LONG"))
    # Redirected, the Omega comes in the OEM code page (437 under Wine) and the lines after it still come.
    # The long line is cut at 255 characters, the last of them its line end.
    assert lines == [EMPTY_ID + b"\xeamega device", EMPTY_ID + b"L" * (254 - len(EMPTY_ID))]
