#!/usr/bin/env python3
"""Turns the message-table source into a C++ table for the host simulation.

It stores each text as windmc does: every source line ends with a line feed,
and the line holding the lone '.' ends the text.
"""
import sys


def parse(path):
    messages = []
    current_id = None
    lines = None
    with open(path, encoding="utf-8") as source:
        for raw in source:
            line = raw.rstrip("\r\n")
            if lines is not None:
                if line == ".":
                    messages.append((current_id, "".join(l + "\n" for l in lines)))
                    lines = None
                else:
                    lines.append(line)
                continue
            if line.startswith("MessageId="):
                current_id = int(line.split("=", 1)[1].strip(), 0)
            elif line.startswith("Language=") and current_id is not None:
                lines = []
    return messages


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


def main():
    source, target = sys.argv[1], sys.argv[2]
    rows = ["{%du, %s}," % (mid, cpp_literal(text)) for mid, text in parse(source)]
    with open(target, "w", encoding="utf-8") as out:
        out.write("// Generated from %s; do not edit.\n" % source.split("/")[-1])
        out.write("\n".join(rows) + "\n")


if __name__ == "__main__":
    main()
