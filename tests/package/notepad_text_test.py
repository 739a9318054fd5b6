"""Tests of scripts/notepad_text.py: the line breaking of Japanese and Latin
text, the Markdown it renders, and the check of a finished text file."""

import os
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "scripts"))
import notepad_text  # noqa: E402


class LineBreaking(unittest.TestCase):
    # (text, width, expected lines)
    CASES = [
        # A full-width character takes two columns: five fit in ten.
        ("あいうえおかきくけこさ", 10, ["あいうえお", "かきくけこ", "さ"]),
        # 。 may not begin a line: the character before it goes down with it.
        ("あいうえお。かき", 10, ["あいうえ", "お。かき"]),
        # Nor may 、）」 or the long-vowel mark ー.
        ("あいうえお）」かき", 10, ["あいうえ", "お）」かき"]),
        ("あいうえおー", 10, ["あいうえ", "おー"]),
        # 「 and （ may not end a line: they go down to what they open.
        ("あいうえ「か」", 10, ["あいうえ", "「か」"]),
        ("あいうえ（お）", 10, ["あいうえ", "（お）"]),
        # Latin words break at blanks only, and the blank goes.
        ("one two three four", 10, ["one two", "three four"]),
        # Japanese next to a Latin word may break between them.
        ("あいうえTELEPOST", 12, ["あいうえ", "TELEPOST"]),
        # A word longer than the line is cut where it must be.
        ("abcdefghijkl", 5, ["abcde", "fghij", "kl"]),
        # A closing mark after a blank stays with the word before it.
        ("abc def )", 7, ["abc", "def )"]),
    ]

    def test_cases(self):
        for text, width, expected in self.CASES:
            with self.subTest(text=text):
                lines = notepad_text.wrap(text, width)
                self.assertEqual(lines, expected)
                for line in lines:
                    self.assertLessEqual(notepad_text.text_width(line), width)

    def test_code_is_not_broken_at_its_blanks(self):
        pieces = [("例：", False), ("d domains=a.jp", True), ("。", False)]
        self.assertEqual(notepad_text.wrap_pieces(pieces, 16), ["例：", "d domains=a.jp。"])

    def test_widths(self):
        for text, width in [("abc", 3), ("全角", 4), ("ｱｲ", 2), ("①○", 4), ("1\ufe0f\u20e3", 2), ("\u203c\ufe0f", 2)]:
            with self.subTest(text=text):
                self.assertEqual(notepad_text.text_width(text), width)


class Rendering(unittest.TestCase):
    SOURCE = """# ガイド

本文は
一行につながり、English words
join with a blank.

行を変えて\\
続けます。

![設定画面](settings.png)

| キー | 内容 |
|---|---|
| `j domains` | 加えるドメイン |
| x | 全角 |

- 項目の `[k-tai]`
- [Keep a Changelog](https://keepachangelog.com/)

> 【注意】 宛先すべてに届きます。

    [k-tai]
    j domains=example.ne.jp
"""

    def test_render(self):
        lines = notepad_text.render(self.SOURCE)
        self.assertEqual(
            lines,
            [
                "ガイド",
                "======",
                "",
                "本文は一行につながり、English words join with a blank.",
                "",
                "行を変えて",
                "続けます。",
                "",
                "キー       内容",
                "---------  --------------",
                "j domains  加えるドメイン",
                "x          全角",
                "",
                "- 項目の [k-tai]",
                "- Keep a Changelog (https://keepachangelog.com/)",
                "",
                "  【注意】 宛先すべてに届きます。",
                "",
                "    [k-tai]",
                "    j domains=example.ne.jp",
            ],
        )

    def test_wide_table_wraps_inside_its_columns(self):
        cell = "あ" * 30
        lines = notepad_text.render("| 項目 | a | b |\n|---|---|---|\n| 長さの上限 | %s | %s |\n" % (cell, cell))
        self.assertTrue(all(notepad_text.text_width(line) <= notepad_text.WIDTH for line in lines))
        # The header, its rule and two lines, the short label whole on the first.
        self.assertEqual(len(lines), 4)
        self.assertTrue(lines[2].startswith("長さの上限  あ"))
        self.assertEqual("".join(lines[2:]).replace("長さの上限", "").replace(" ", ""), cell * 2)


class Check(unittest.TestCase):
    def good(self, *lines):
        return ("\ufeff" + "".join(line + "\r\n" for line in lines)).encode("utf-8")

    def test_rendered_text_passes(self):
        lines = notepad_text.render(Rendering.SOURCE)
        self.assertEqual(notepad_text.problems(self.good(*lines)), [])

    def test_faults_are_named(self):
        cases = [
            ("no byte order mark", "text\r\n".encode("utf-8"), "no UTF-8 byte order mark"),
            ("LF alone", "\ufefftext\nmore\r\n".encode("utf-8"), "not CRLF"),
            ("81 columns", self.good("あ" * 40 + "a"), "81 columns"),
            ("line starts with 。", self.good("。あ"), "begins with 。"),
            ("indented line starts with ）", self.good("  ）あ"), "begins with ）"),
            ("line ends with 「", self.good("あ「"), "ends with 「"),
            ("image link", self.good("![図](a.png)"), "an image link"),
            ("table in bars", self.good("| a | b |"), "a table row in bars"),
            ("heading mark", self.good("## 設定"), "a heading's #"),
            ("backquote", self.good("`k-tai`"), "a backquote"),
            ("not UTF-8", b"\xef\xbb\xbf\x82\xa0\r\n", "not UTF-8"),
        ]
        for name, data, expected in cases:
            with self.subTest(name):
                found = notepad_text.problems(data)
                self.assertTrue(any(expected in message for _, message in found), found)


class ShippedTexts(unittest.TestCase):
    """The guide and the change log as the package renders them, so that an
    edit that would not read well in Notepad fails here, without the Windows
    build the package needs."""

    ROOT = os.path.join(os.path.dirname(__file__), "..", "..")

    def test_they_render_clean(self):
        for source in ["docs/ja/guide.md", "CHANGELOG.md"]:
            with self.subTest(source):
                with open(os.path.join(self.ROOT, source), encoding="utf-8-sig") as markdown:
                    lines = notepad_text.render(markdown.read())
                data = (notepad_text.BOM + "".join(line + "\r\n" for line in lines)).encode("utf-8")
                self.assertEqual(notepad_text.problems(data), [])


if __name__ == "__main__":
    unittest.main()
