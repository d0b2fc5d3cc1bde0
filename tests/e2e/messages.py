"""The engine's message texts as the console shows them, from the message table source the programs
are built from, so that tests compare output byte for byte without restating its wording."""
import re
from pathlib import Path


def _table(srcdir):
    text = (Path(srcdir) / "res" / "messages.mc").read_text(encoding="utf-8")
    return {int(m.group(1)): m.group(2) for m in
            re.finditer(r"^MessageId=(\d+)\n(?:SymbolicName=\w+\n)?Language=\w+\n(.*?)^\.$", text, re.S | re.M)}


def message(srcdir, name, *inserts):
    """Message `name` (its number from tests/messages.txt) with its inserts (strings or numbers), as bytes
    with CR LF line ends, as the engine writes it to the console."""
    numbers = dict(re.findall(r"^(\w+) (\d+)$", (Path(srcdir) / "tests" / "messages.txt").read_text(), re.M))
    text = re.sub(r"%([1-9])(?:!\w+!)?", lambda m: str(inserts[int(m.group(1)) - 1]), _table(srcdir)[int(numbers[name])])
    # Redirected, the programs write in the OEM code page: 437 under Wine.
    return text.rstrip("\n").replace("\n", "\r\n").encode("cp437") + b"\r\n"
