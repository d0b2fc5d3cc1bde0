"""Device listing and removal of the real programs under Wine.

Wine 8's CM_Get_Device_ID_ExW reports success without writing the instance
ID; the programs then read it with CM_Get_Device_IDW, so the lines show the
real IDs as on Windows. Wine's SetupDiSetClassInstallParamsW fails, so Wine
refuses every removal.
"""
import re

import pytest

from messages import message

SAMPLE_ID = "ROOT\\PELMORA_SAMPLE"
# An instance ID, padded to column 60, then the name or the outcome.
DEVICE_LINE = re.compile(rb"([A-Z]+\\[^ ]+) *: (.+)")


def instance_id(line):
    match = DEVICE_LINE.fullmatch(line)
    assert match, line
    return match.group(1)


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
                                             (["@ROOT\\*"], "some")])
def test_selections_list_each_device_once_and_count_them(wine, srcdir, selection, found):
    everything = device_lines(srcdir, findall(wine, "*"))
    assert len({instance_id(line) for line in everything}) == len(everything)
    lines = findall(wine, *selection)
    if found == "none":
        assert lines == [message(srcdir, 60403)[:-2]]
    else:
        selected = device_lines(srcdir, lines)
        assert 1 <= len(selected) and (len(selected) == len(everything)) == (found == "all")


def test_installed_device_is_listed_and_a_refused_removal_keeps_its_package(wine, srcdir, inf_dir_kept):
    inf = srcdir / "examples" / "pelmora_sample.inf"
    code, out, err = wine.run("pelmora-engine.exe", "install", wine.windows_path(inf), SAMPLE_ID)
    assert (code, err) == (0, b"")
    assert out == (message(srcdir, 61002) + message(srcdir, 61102, SAMPLE_ID, wine.windows_path(inf)) +
                   message(srcdir, 61106))
    [line] = device_lines(srcdir, findall(wine, SAMPLE_ID.lower()))
    assert DEVICE_LINE.fullmatch(line).group(2) == b"Pelmora sample device"
    (wine.inf_dir / "oem90.inf").write_bytes(inf.read_bytes())
    assert wine.run("pelmora.exe", "remove", SAMPLE_ID + "|PELMORA_SAMPLE") == (
        2, instance_id(line).ljust(60) + b": Remove failed\r\n" + message(srcdir, 61202),
        message(srcdir, 60001, "pelmora.exe", "remove"))
    assert (wine.inf_dir / "oem90.inf").read_bytes() == inf.read_bytes()


@pytest.mark.parametrize("pattern,said", [("*\\*", 61328), ("=System", 61327), ("@*", 61328)])
def test_remove_refuses_every_device_and_the_class_selector_before_trying_one(wine, srcdir, pattern, said):
    before = findall(wine, "*")
    assert wine.run("pelmora.exe", "remove", pattern + "|") == (2, b"", message(srcdir, said, "pelmora.exe", pattern))
    assert findall(wine, "*") == before
