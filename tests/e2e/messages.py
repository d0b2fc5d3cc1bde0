"""The engine's message texts as the console shows them, read from the same
message table source the programs are built from, so that tests compare
output byte for byte without restating our wording."""
import re
from pathlib import Path

_TABLE = None


def _table(srcdir):
    global _TABLE
    if _TABLE is None:
        text = (Path(srcdir) / "res" / "messages.mc").read_text(encoding="utf-8")
        _TABLE = {int(m.group(1)): m.group(2) for m in
                  re.finditer(r"^MessageId=(\d+)\nLanguage=\w+\n(.*?)^\.$", text, re.S | re.M)}
    return _TABLE


def message(srcdir, message_id, *inserts):
    """Message `message_id` with its inserts (strings or numbers), as bytes
    with CR LF line ends, as the engine writes it to the console."""
    text = _table(srcdir)[message_id]

    def insert(match):
        return str(inserts[int(match.group(1)) - 1])

    text = re.sub(r"%(\d)(?:!\w+!)?", insert, text)
    # Redirected, the programs write in the OEM code page: 437 under Wine.
    return text.rstrip("\n").replace("\n", "\r\n").encode("cp437") + b"\r\n"
