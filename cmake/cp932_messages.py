#!/usr/bin/env python3
"""Writes a table of the plug-in's messages in code page 932.

The messages are written once, readable, in a UTF-8 table of rows

    TELEPOST_MESSAGE(kName, "日本語の文……")

(a row's text may be several adjacent string literals, one a line; `//`
comments and blank lines between rows). This script writes the same rows with
each text in code page 932 (Shift-JIS as Windows writes it), every byte of a
character beyond ASCII as a three-digit octal escape, which no character after
it can lengthen (a hex escape runs on through "A1"), and which holds a trail
byte 0x5C (ソ is 83 5C) as a byte, never as a backslash that escapes the next
character. A text's escapes are \\n, \\" and \\\\ only.

It fails, naming the file, the line and the character, on a character code
page 932 cannot hold, or one that does not read back as itself, and on
anything in the table that is not a row.

Usage: cp932_messages.py INPUT OUTPUT
"""

import re
import sys

ROW = re.compile(r'TELEPOST_MESSAGE\(\s*(k[A-Za-z0-9]+)\s*,((?:\s*"(?:[^"\\\n]|\\.)*")+)\s*\)')
LITERAL = re.compile(r'"((?:[^"\\\n]|\\.)*)"')
ESCAPES = {"n": "\n", '"': '"', "\\": "\\"}


class TableError(Exception):
    pass


def line_of(text, offset):
    return text.count("\n", 0, offset) + 1


def strip_comments(text):
    """`text` with each comment blanked, line breaks kept, so that offsets
    and line numbers stay as they were."""
    out = []
    i = 0
    in_string = False
    while i < len(text):
        c = text[i]
        if in_string:
            out.append(c)
            if c == "\\" and i + 1 < len(text):
                out.append(text[i + 1])
                i += 1
            elif c == '"':
                in_string = False
        elif c == '"':
            in_string = True
            out.append(c)
        elif text.startswith("//", i):
            end = text.find("\n", i)
            end = len(text) if end < 0 else end
            out.append(" " * (end - i))
            i = end
            continue
        else:
            out.append(c)
        i += 1
    return "".join(out)


def unescape(literal, text, offset):
    value = []
    i = 0
    while i < len(literal):
        c = literal[i]
        if c == "\\":
            escaped = literal[i + 1]
            if escaped not in ESCAPES:
                raise TableError(
                    f"line {line_of(text, offset)}: the escape \\{escaped}; write the character "
                    "itself (only \\n, \\\" and \\\\ are escapes)")
            value.append(ESCAPES[escaped])
            i += 2
        else:
            value.append(c)
            i += 1
    return "".join(value)


def cp932_literal(value, text, offset):
    """`value` as the inside of a C string literal of its code page 932 bytes."""
    out = []
    for char in value:
        try:
            encoded = char.encode("cp932")
        except UnicodeEncodeError:
            raise TableError(
                f"line {line_of(text, offset)}: '{char}' (U+{ord(char):04X}) has no form in "
                "code page 932") from None
        if encoded.decode("cp932") != char:
            raise TableError(
                f"line {line_of(text, offset)}: '{char}' (U+{ord(char):04X}) reads back from "
                f"code page 932 as '{encoded.decode('cp932')}'")
        if char == "\n":
            out.append("\\n")
        elif char in '"\\':
            out.append("\\" + char)
        elif len(encoded) == 1 and 0x20 <= encoded[0] < 0x7F:
            out.append(char)
        else:
            out.extend(f"\\{byte:03o}" for byte in encoded)
    return "".join(out)


def convert(text):
    """The rows of the UTF-8 table `text`, converted: [(name, literal)]."""
    code = strip_comments(text)
    rows = []
    names = set()
    at = 0
    for match in ROW.finditer(code):
        between = code[at:match.start()]
        if between.strip():
            raise TableError(f"line {line_of(code, at + len(between) - len(between.lstrip()))}: "
                             "not a TELEPOST_MESSAGE row")
        name = match.group(1)
        if name in names:
            raise TableError(f"line {line_of(code, match.start())}: {name} given twice")
        names.add(name)
        # Code page 932 keeps no state: each literal converts alone, and its
        # line is the one an error names.
        parts = []
        for literal in LITERAL.finditer(match.group(2)):
            offset = match.start(2) + literal.start()
            parts.append(cp932_literal(unescape(literal.group(1), code, offset), code, offset))
        rows.append((name, '"' + "".join(parts) + '"'))
        at = match.end()
    if code[at:].strip():
        raise TableError(f"line {line_of(code, at + len(code[at:]) - len(code[at:].lstrip()))}: "
                         "not a TELEPOST_MESSAGE row")
    return rows


def main(argv):
    if len(argv) != 3:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    source, output = argv[1], argv[2]
    try:
        with open(source, encoding="utf-8") as f:
            rows = convert(f.read())
    except (TableError, UnicodeDecodeError) as error:
        print(f"{source}: {error}", file=sys.stderr)
        return 1
    lines = [f"// Made from {source.replace(chr(92), '/').rsplit('/', 1)[-1]} by "
             "cmake/cp932_messages.py: the same texts in code page 932. Do not edit."]
    lines += [f"TELEPOST_MESSAGE({name}, {literal})" for name, literal in rows]
    with open(output, "w", encoding="ascii", newline="\n") as f:
        f.write("\n".join(lines) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
