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
