#!/usr/bin/env python3
"""Holds the plug-in's conversions against what nobody here wrote: Python's
code page 932 codec and Unicode normalization, the Unicode data's table of
the carriers' emoji, and real Japanese text.

    compare_conversions.py [--show] [--emoji-sources FILE] [--charmap FILE]
                           [--texts DIR] -- DRIVER [ARG...]

DRIVER (with its ARGs, e.g. an emulator before it) is the conversions
driver: given a conversion's name, it converts each NUL-separated text on
its standard input and writes the results the same way.

1. Full-width to ASCII, on every double-byte character code page 932 has
   (9,604): a character becomes the one ASCII byte that NFKC gives it, and
   every other character stays, except where the conversion's own table
   chooses otherwise (TABLE_KEEPS and TABLE_CONVERTS below, the only
   differences allowed).
2. Emoji: every code the conversion writes, for any double-byte character
   and any pair of printable ASCII bytes, is a DoCoMo code of the Unicode
   data's EmojiSources.txt (Debian package unicode-data).
3. Real Japanese text (the Japanese test texts of Python's CJK codecs, each
   line and each whole file, and every character of the C library's
   Shift_JIS character map, 64 to a text): each conversion, and the three
   one after the other, give valid code page 932; blank removal takes out
   exactly the blanks and line breaks, the full-width conversion does to
   each character what part 1 holds it to, and the emoji conversion keeps
   the length and writes only DoCoMo codes.

Data that is missing skips its part; the others still run. Exit status: 0
when every part ran and agreed, 1 on a difference, 77 when all that ran
agreed but some part was skipped.
"""

import argparse
import gzip
import os
import re
import subprocess
import sys
import unicodedata

SKIPPED = 77

EMOJI_SOURCES = "/usr/share/unicode/EmojiSources.txt"
CHARMAP = "/usr/share/i18n/charmaps/SHIFT_JIS.gz"
TEXT_FILES = [
    "shift_jis-utf8.txt",
    "euc_jp-utf8.txt",
    "iso2022_jp-utf8.txt",
    "shift_jisx0213-utf8.txt",
    "euc_jisx0213-utf8.txt",
]
CHARMAP_TEXT_LENGTH = 64

# Where the conversion's table and NFKC part, on purpose. NFKC gives these
# an ASCII character, the conversion keeps them: the brackets, grave accent,
# circumflex, low line, reverse solidus and wave dash (the emoji conversion
# takes the wave dash and the circled digits), the Roman numerals, and the
# full-width quotes of the IBM extensions.
TABLE_KEEPS = "｀＾＿＼［］｛｝～①②③④⑤⑥⑦⑧⑨ⅠⅤⅩⅰⅴⅹ＇＂"
# And these NFKC leaves as they are, the conversion makes ASCII of them:
# the quotation marks, and the yen sign, which becomes byte 0x5C, the yen
# sign of JIS X 0201.
TABLE_CONVERTS = {"‘": b"'", "’": b"'", "“": b'"', "”": b'"', "￥": b"\\"}

BLANKS = b"\t\n\r "
EMOJI_LEADS = (0xF8, 0xF9)


def lead_bytes():
    return list(range(0x81, 0xA0)) + list(range(0xE0, 0xFD))


def trail_bytes():
    return list(range(0x40, 0x7F)) + list(range(0x80, 0xFD))


def double_byte_characters():
    """Every double-byte character of code page 932, as (bytes, character)."""
    characters = []
    for lead in lead_bytes():
        for trail in trail_bytes():
            code = bytes([lead, trail])
            try:
                characters.append((code, code.decode("cp932")))
            except UnicodeDecodeError:
                pass
    return characters


def run(driver, conversion, texts):
    """The driver's results for the texts, in order."""
    data = b"".join(text + b"\0" for text in texts)
    output = subprocess.run(driver + [conversion], input=data, stdout=subprocess.PIPE,
                            check=True).stdout
    results = output.split(b"\0")
    if results[-1] != b"" or len(results) - 1 != len(texts):
        raise SystemExit(f"{conversion}: {len(results) - 1} results for {len(texts)} texts")
    return results[:-1]


def half_width(character, code):
    """What the full-width conversion must make of one character."""
    if character in TABLE_KEEPS:
        return code
    if character in TABLE_CONVERTS:
        return TABLE_CONVERTS[character]
    normal = unicodedata.normalize("NFKC", character)
    if len(code) == 2 and len(normal) == 1 and 0x20 <= ord(normal) < 0x7F:
        return normal.encode("ascii")
    return code


def half_width_text(text):
    return b"".join(half_width(character, character.encode("cp932"))
                    for character in text.decode("cp932"))


def load_docomo_codes(path):
    """DoCoMo's Shift-JIS codes in EmojiSources.txt, each with its Unicode."""
    codes = {}
    with open(path, encoding="utf-8") as sources:
        for line in sources:
            if line.startswith("#") or not line.strip():
                continue
            fields = line.rstrip("\n").split(";")
            if fields[1]:
                codes[bytes.fromhex(fields[1])] = fields[0]
    return codes


def emitted_codes(source, converted):
    """The two-byte codes the emoji conversion wrote over `source`: each
    begins at a byte it changed (no source begins with an emoji's lead)."""
    codes = []
    at = 0
    while at < len(converted):
        if converted[at] != source[at]:
            codes.append(converted[at:at + 2])
            at += 2
        else:
            at += 1
    return codes


def load_texts(directory, charmap):
    """Real Japanese texts in code page 932, as (name, bytes)."""
    texts = []
    if directory:
        for name in TEXT_FILES:
            path = os.path.join(directory, name)
            if not os.path.exists(path):
                continue
            with open(path, encoding="utf-8") as file:
                whole = file.read()
            pieces = [line for line in whole.splitlines() if line.strip()]
            pieces.append(whole.replace("\r\n", "\n").replace("\n", "\r\n"))
            for number, piece in enumerate(pieces):
                try:
                    texts.append((f"{name} piece {number + 1}", piece.encode("cp932")))
                except UnicodeEncodeError:
                    pass  # a character code page 932 does not have
    if charmap:
        characters = []
        with gzip.open(charmap, "rt", encoding="ascii") as lines:
            for line in lines:
                match = re.match(r"<U[0-9A-F]+>\s+((?:/x[0-9a-f]{2})+)\s", line)
                if not match:
                    continue
                code = bytes(int(byte, 16) for byte in match.group(1).split("/x")[1:])
                try:
                    code.decode("cp932")
                except UnicodeDecodeError:
                    continue
                if code != b"\0":
                    characters.append(code)
        for start in range(0, len(characters), CHARMAP_TEXT_LENGTH):
            texts.append((f"charmap characters {start + 1}-",
                          b"".join(characters[start:start + CHARMAP_TEXT_LENGTH])))
    return texts


def default_text_directory():
    try:
        import test  # the standard library's tests, where they are installed
    except ImportError:
        return None
    directory = os.path.join(os.path.dirname(test.__file__), "cjkencodings")
    return directory if os.path.isdir(directory) else None


class Report:
    def __init__(self):
        self.differences = 0
        self.skipped = []

    def differ(self, message):
        self.differences += 1
        if self.differences <= 20:
            print("difference:", message)

    def skip(self, part, missing):
        self.skipped.append(part)
        print(f"skipped: {part} ({missing} not found)")


def compare_half_width(driver, report, show):
    characters = double_byte_characters()
    results = run(driver, "hankaku", [code for code, _ in characters])
    for (code, character), result in zip(characters, results):
        expected = half_width(character, code)
        if result != expected:
            report.differ(f"hankaku {character} ({code.hex()}): {result!r}, expected {expected!r}")
        elif show and character in TABLE_KEEPS + "".join(TABLE_CONVERTS):
            normal = unicodedata.normalize("NFKC", character)
            print(f"{character} ({code.hex()}): conversion {result!r}, NFKC {normal!r}")
    print(f"hankaku: {len(characters)} double-byte characters")


def compare_emoji(driver, report, docomo, show):
    sources = [code for code, _ in double_byte_characters()]
    sources += [bytes([first, second]) for first in range(0x21, 0x7F)
                for second in range(0x21, 0x7F)]
    results = run(driver, "emoji", sources)
    emitted = 0
    for source, result in zip(sources, results):
        if len(result) != len(source):
            report.differ(f"emoji {source!r}: length changed to {result!r}")
            continue
        for code in emitted_codes(source, result):
            emitted += 1
            if code not in docomo:
                report.differ(f"emoji {source!r}: {code.hex()} is no DoCoMo emoji")
            elif show:
                print(f"{source.decode('cp932')} ({source.hex()}): {code.hex().upper()}, "
                      f"U+{docomo[code].replace(' ', ' U+')}")
    print(f"emoji: {len(sources)} sources, {emitted} emoji written")


def compare_texts(driver, report, texts, docomo):
    sources = [text for _, text in texts]
    results = {conversion: run(driver, conversion, sources)
               for conversion in ("hankaku", "emoji", "blanks", "all")}
    for index, (name, source) in enumerate(texts):
        for conversion, converted in results.items():
            try:
                converted[index].decode("cp932")
            except UnicodeDecodeError as error:
                report.differ(f"{conversion} on {name}: not code page 932 ({error})")
        kept = bytes(byte for byte in source if byte not in BLANKS)
        if results["blanks"][index] != kept:
            report.differ(f"blanks on {name}: {results['blanks'][index]!r}")
        if results["hankaku"][index] != half_width_text(source):
            report.differ(f"hankaku on {name}: {results['hankaku'][index]!r}")
        emoji = results["emoji"][index]
        if len(emoji) != len(source):
            report.differ(f"emoji on {name}: length changed")
        elif docomo is not None:
            for code in emitted_codes(source, emoji):
                if code not in docomo:
                    report.differ(f"emoji on {name}: {code.hex()} is no DoCoMo emoji")
    print(f"texts: {len(texts)} real texts, {sum(map(len, sources))} bytes")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--show", action="store_true",
                        help="list where the table and NFKC part, and every emoji written")
    parser.add_argument("--emoji-sources", default=EMOJI_SOURCES)
    parser.add_argument("--charmap", default=CHARMAP)
    parser.add_argument("--texts", default=None, help="the folder of the CJK codecs' test texts")
    parser.add_argument("driver", nargs="+", help="-- DRIVER [ARG...]")
    args = parser.parse_args()

    report = Report()
    compare_half_width(args.driver, report, args.show)

    docomo = None
    if os.path.exists(args.emoji_sources):
        docomo = load_docomo_codes(args.emoji_sources)
        compare_emoji(args.driver, report, docomo, args.show)
    else:
        report.skip("emoji against EmojiSources.txt", args.emoji_sources)

    directory = args.texts or default_text_directory()
    if not directory or not os.path.isdir(directory):
        report.skip("the CJK codecs' test texts", directory or "Python's test package")
        directory = None
    charmap = args.charmap if os.path.exists(args.charmap) else None
    if charmap is None:
        report.skip("the Shift_JIS character map", args.charmap)
    texts = load_texts(directory, charmap)
    if texts:
        compare_texts(args.driver, report, texts, docomo)

    if report.differences:
        print(f"{report.differences} differences")
        return 1
    return SKIPPED if report.skipped else 0


if __name__ == "__main__":
    sys.exit(main())
