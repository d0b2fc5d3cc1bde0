"""Device listing and removal of the real programs under Wine.

Wine 8's CM_Get_Device_ID_ExW reports success without writing the instance
ID, so under Wine every device line shows an empty ID (blanks to column 60)
and instance-ID patterns find nothing; Windows shows the IDs. Wine's
SetupDiSetClassInstallParamsW fails, so Wine refuses every removal.
"""
import pytest

from messages import message

EMPTY_ID = b" " * 60 + b": "
SAMPLE_ID = "ROOT\\PELMORA_SAMPLE"


def findall(wine, *args):
    code, out, err = wine.run("pelmora-engine.exe", "findall", *args)
    assert (code, err) == (0, b"")
    return out[:-2].split(b"\r\n")


def device_lines(srcdir, lines):
    """The device lines before the summary, which must count them."""
    *devices, summary = lines
    assert summary == message(srcdir, 60405, len(devices))[:-2]
    return devices


@pytest.mark.parametrize("selection,narrower", [(["*", "NOSUCH"], False), (["=System"], True),
                                                (["root\\*", "NOSUCH"], True)])
def test_selections_list_each_device_once_and_count_them(wine, srcdir, selection, narrower):
    everything = device_lines(srcdir, findall(wine, "*"))
    assert all(line.startswith(EMPTY_ID) and len(line) > len(EMPTY_ID) for line in everything)
    selected = device_lines(srcdir, findall(wine, *selection))
    assert 1 <= len(selected) and (len(selected) < len(everything)) == narrower


@pytest.mark.parametrize("selection", [["=NoSuchClass"], ["NOSUCH\\*"], ["@ROOT\\*"], ["'*"], ["@"], ["="]])
def test_selection_of_nothing_says_so(wine, srcdir, selection):
    # "@ROOT\*" finds nothing only because Wine gives no instance IDs.
    assert findall(wine, *selection) == [message(srcdir, 60403)[:-2]]


def test_unknown_machine_fails_without_summary(wine, srcdir):
    assert wine.run("pelmora-engine.exe", "-m:\\\\NOWHERE", "findall", "*") == (
        2, b"", message(srcdir, 60001, "pelmora-engine.exe", "findall"))


@pytest.mark.parametrize("argument,code,out", [("NOSUCH\\DEVICE", 2, None), ("|", 0, None),
                                               ("NOSUCH\\DEVICE|", 0, 61202), ("*|", 2, None),
                                               ("@*|x", 2, None), ("**|", 2, None)])
def test_remove_runs_only_what_the_argument_allows(wine, srcdir, argument, code, out):
    # A pattern of stars alone would select every device: refused.
    assert wine.run("pelmora.exe", "remove", argument) == (code, message(srcdir, out) if out else b"", b"")


def test_engine_remove_reports_each_refused_device_and_fails(wine, srcdir):
    before = findall(wine, "ROOT\\*")
    code, out, err = wine.run("pelmora-engine.exe", "-r", "remove", "ROOT\\*")
    assert (code, err) == (2, message(srcdir, 60001, "pelmora-engine.exe", "remove"))
    assert out == (EMPTY_ID + b"Remove failed\r\n") * (len(before) - 1) + message(srcdir, 61202)
    assert findall(wine, "ROOT\\*") == before


@pytest.fixture
def inf_dir_kept(wine):
    """Wine's driver update copies the INF into C:\\windows\\inf; the copies go
    again after the test."""
    before = set(wine.inf_dir.iterdir())
    yield
    for path in set(wine.inf_dir.iterdir()) - before:
        path.unlink()


def test_installed_device_is_listed_and_a_refused_removal_keeps_its_package(wine, srcdir, inf_dir_kept):
    inf = srcdir / "examples" / "pelmora_sample.inf"
    code, out, err = wine.run("pelmora-engine.exe", "install", wine.windows_path(inf), SAMPLE_ID)
    assert (code, err) == (0, b"")
    assert out == (message(srcdir, 61002) + message(srcdir, 61102, SAMPLE_ID, wine.windows_path(inf)) +
                   message(srcdir, 61106))
    assert device_lines(srcdir, findall(wine, SAMPLE_ID.lower())) == [EMPTY_ID + b"Pelmora sample device"]
    (wine.inf_dir / "oem90.inf").write_bytes(inf.read_bytes())
    assert wine.run("pelmora.exe", "remove", SAMPLE_ID + "|PELMORA_SAMPLE") == (
        2, EMPTY_ID + b"Remove failed\r\n" + message(srcdir, 61202), message(srcdir, 60001, "pelmora.exe", "remove"))
    assert (wine.inf_dir / "oem90.inf").read_bytes() == inf.read_bytes()


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
