"""Device listing of the real programs under Wine, and the selections "remove" refuses before trying a device.

Wine 8's CM_Get_Device_ID_ExW reports success without writing the instance
ID; the programs then read it with CM_Get_Device_IDW, so the lines show the
real IDs as on Windows.
"""
import re

import pytest

from messages import message

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


def test_findall_lists_real_instance_ids_each_once_and_counts_them(wine, srcdir):
    everything = device_lines(srcdir, findall(wine, "*", "NOSUCH"))
    assert len({instance_id(line) for line in everything}) == len(everything) > 1
    assert len(device_lines(srcdir, findall(wine, "@ROOT\\*"))) < len(everything)
    assert findall(wine, "=NoSuchClass") == [message(srcdir, 60403)[:-2]]


@pytest.mark.parametrize("pattern,said", [("*\\*", 61328), ("=System", 61327), ("@*", 61328)])
def test_remove_refuses_every_device_and_the_class_selector_before_trying_one(wine, srcdir, pattern, said):
    before = findall(wine, "*")
    assert wine.run("pelmora.exe", "remove", pattern + "|") == (2, b"", message(srcdir, said, "pelmora.exe", pattern))
    assert findall(wine, "*") == before
