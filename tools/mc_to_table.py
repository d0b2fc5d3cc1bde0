#!/usr/bin/env python3
"""Turns the message-table source into the host simulation's C++ table and the
header of message names that windmc makes on Windows.

It stores each text as windmc does: every source line ends with a line feed,
and the line holding the lone '.' ends the text. The header has windmc's shape:
the source's ';' lines as they stand, then "#define NAME (DWORD) 0x..." per
message, so that both builds read the same names and values.
"""
import sys


def parse(path):
    """Returns the ID type, and per message or ';' line (id, name, text) or (None, comment, None)."""
    items = []
    id_type = "DWORD"
    current_id = name = None
    lines = None
    with open(path, encoding="utf-8") as source:
        for raw in source:
            line = raw.rstrip("\r\n")
            if lines is not None:
                if line == ".":
                    items.append((current_id, name, "".join(l + "\n" for l in lines)))
                    lines = None
                else:
                    lines.append(line)
                continue
            key, _, value = line.partition("=")
            if line.startswith(";"):
                items.append((None, line[1:], None))
            elif key == "MessageIdTypedef":
                id_type = value.strip()
            elif key == "MessageId":
                current_id, name = int(value.strip(), 0), None
            elif key == "SymbolicName":
                name = value.strip()
            elif key == "Language" and current_id is not None:
                lines = []
    return id_type, items


def cpp_literal(text):
    out = []
    for ch in text:
        code = ord(ch)
        if ch == "\\":
            out.append("\\\\")
        elif ch == '"':
            out.append('\\"')
        elif ch == "\n":
            out.append("\\n")
        elif 32 <= code < 127:
            out.append(ch)
        else:
            out.append("\\x%04X\" L\"" % code)
    return 'L"' + "".join(out) + '"'


def header_lines(id_type, items):
    for mid, name, _ in items:
        if mid is None:
            yield name
        elif name:
            yield "#define %s (%s) 0x%x" % (name, id_type, mid)


def main():
    source, table, header = sys.argv[1:4]
    id_type, items = parse(source)
    banner = "// Generated from %s; do not edit.\n" % source.split("/")[-1]
    rows = ["{%du, %s}," % (mid, cpp_literal(text)) for mid, _, text in items if mid is not None]
    with open(table, "w", encoding="utf-8") as out:
        out.write(banner + "\n".join(rows) + "\n")
    with open(header, "w", encoding="utf-8") as out:
        out.write(banner + "\n".join(header_lines(id_type, items)) + "\n")


if __name__ == "__main__":
    main()
