"""Device listing of the real programs under Wine, and a selection of every device that "remove" refuses.

Wine 8's CM_Get_Device_ID_ExW reports success without writing the instance
ID; the programs then read it with CM_Get_Device_IDW, so the lines show the
real IDs as on Windows.
"""
import re

from messages import message

# An instance ID, padded to column 60, then the name or the outcome.
DEVICE_LINE = re.compile(rb"([A-Z]+\\[^ ]+) *: (.+)")


def findall(wine, *args):
    code, out, err = wine.run("pelmora-engine.exe", "findall", *args)
    assert (code, err) == (0, b"")
    return out[:-2].split(b"\r\n")


def device_lines(srcdir, lines):
    """The device lines before the summary, which must count them."""
    *devices, summary = lines
    assert summary == message(srcdir, "MSG_FINDALL_COUNT", len(devices))[:-2]
    return devices


def test_findall_lists_real_instance_ids_each_once_and_counts_them(wine, srcdir):
    everything = device_lines(srcdir, findall(wine, "*", "NOSUCH"))
    matches = [DEVICE_LINE.fullmatch(line) for line in everything]
    assert all(matches) and len({match.group(1) for match in matches}) == len(everything) > 1, everything
    assert len(device_lines(srcdir, findall(wine, "@ROOT\\*"))) < len(everything)
    assert findall(wine, "=NoSuchClass") == [message(srcdir, "MSG_FINDALL_NONE")[:-2]]
    # "*\*" selects every device with an ID that Wine lists: "remove" refuses it before trying one.
    assert wine.run("pelmora.exe", "remove", "*\\*|") == (2, b"", message(srcdir, "MSG_REMOVE_EVERY_DEVICE", "pelmora.exe", "*\\*"))
    assert findall(wine, "*")[:-1] == everything
