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


@pytest.mark.parametrize("selection,found", [(["*", "NOSUCH"], "all"), (["=System"], "some"),
                                             (["root\\*", "NOSUCH"], "some"), (["=NoSuchClass"], "none"),
                                             (["@ROOT\\*"], "none")])
def test_selections_list_each_device_once_and_count_them(wine, srcdir, selection, found):
    everything = device_lines(srcdir, findall(wine, "*"))
    assert all(line.startswith(EMPTY_ID) and len(line) > len(EMPTY_ID) for line in everything)
    lines = findall(wine, *selection)
    if found == "none":
        assert lines == [message(srcdir, 60403)[:-2]]
    else:
        selected = device_lines(srcdir, lines)
        assert 1 <= len(selected) and (len(selected) == len(everything)) == (found == "all")


def test_engine_remove_reports_each_refused_device_and_fails(wine, srcdir):
    before = findall(wine, "ROOT\\*")
    code, out, err = wine.run("pelmora-engine.exe", "-r", "remove", "ROOT\\*")
    assert (code, err) == (2, message(srcdir, 60001, "pelmora-engine.exe", "remove"))
    assert out == (EMPTY_ID + b"Remove failed\r\n") * (len(before) - 1) + message(srcdir, 61202)
    assert findall(wine, "ROOT\\*") == before


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
