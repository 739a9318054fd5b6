#!/usr/bin/python3
"""Plain text for Notepad, made from Markdown.

    notepad_text.py render SOURCE.md TARGET.txt
    notepad_text.py check TEXT.txt...

`render` turns a Markdown file into a text file that a user reads in
Notepad: headings underlined, lists with hyphens, tables as aligned columns,
code indented, pictures left out (the text around them says what they show),
links as their text and address. Lines are at most 80 columns, a full-width
character counting as 2, and are broken as Japanese text is: between any two
full-width characters, at blanks in Latin text, never before a closing
bracket or mark such as 、。）」 and never after an opening bracket such as
「（. The file is UTF-8 with a byte order mark and CRLF line ends.

`check` tests a text file for those properties and names each line that
fails; the exit status is 1 when any does.

Markdown is parsed with markdown-it-py (Debian: python3-markdown-it); the
line breaking is ours.
"""

import re
import sys
import unicodedata

WIDTH = 80
BOM = "\ufeff"

# Characters that may not begin a line: closing brackets and quotes, the
# marks of a sentence, the long-vowel mark, repeat marks and small kana.
NO_LINE_START = set(
    "、。，．）」』】〕］｝〉》”’・ー～…‥：；！？々ゝゞヽヾ"
    "ぁぃぅぇぉっゃゅょゎゕゖァィゥェォッャュョヮヵヶ"
    ")]},.:;!?%"
)
# Characters that may not end a line: opening brackets and quotes.
NO_LINE_END = set("（「『【〔［｛〈《“‘([{")

# What Markdown leaves in a text that was not rendered.
MARKDOWN_LEFT = [
    (re.compile(r"^\s*#{1,6}\s"), "a heading's #"),
    (re.compile(r"!\[[^\]]*\]\("), "an image link"),
    (re.compile(r"\[[^\]]*\]\([^)]*\)"), "a link in brackets"),
    (re.compile(r"`"), "a backquote"),
    (re.compile(r"\*\*|__"), "emphasis marks"),
    (re.compile(r"^\s*\|.*\|\s*$"), "a table row in bars"),
    (re.compile(r"^\s*\|?\s*:?-{3,}:?\s*\|"), "a table's rule"),
    (re.compile(r"^\s*>"), "a quotation mark >"),
    (re.compile(r"</?[a-zA-Z]+(\s[^<>]*)?/?>|<!--"), "HTML"),
]


def char_width(ch):
    """Columns a character takes: 2 for full-width (and ambiguous) ones, 0 for
    combining marks and format characters, else 1."""
    if unicodedata.category(ch) in ("Mn", "Me", "Cf"):
        return 0
    return 2 if unicodedata.east_asian_width(ch) in ("W", "F", "A") else 1


def text_width(text):
    """Columns a text takes. A character shown as an emoji (followed by the
    variation selector U+FE0F) takes two."""
    width = 0
    for i, ch in enumerate(text):
        width += char_width(ch)
        if ch == "\ufe0f" and i and char_width(text[i - 1]) == 1:
            width += 1
    return width


# -- Line breaking ------------------------------------------------------------

# A run of text is cut into units: a blank, a Latin word (printable ASCII
# without blanks), or one other character with the combining marks after it.
_UNIT = re.compile(r" +|[!-~]+|.[\u0300-\u036f\u20d0-\u20ff\ufe00-\ufe0f\u200d]*", re.S)


def _units(text):
    return _UNIT.findall(text)


def _katakana(ch):
    return "\u30a0" <= ch <= "\u30ff"


def _may_break(before, after):
    """Whether a line may end between two units that no blank separates."""
    if before[-1] in NO_LINE_END or after[0] in NO_LINE_START:
        return False
    # Two Latin words meet only where a code span touches text: keep them.
    if before.isascii() and after.isascii():
        return False
    # A Latin letter and katakana written together make one word (iモード).
    return not (before.isascii() and _katakana(after[0]) or _katakana(before[-1]) and after.isascii())


def _boxes(pieces):
    """Joins pieces of a paragraph into boxes that no line break may split.

    pieces: list of (text, atomic); an atomic piece (code) is one unit.
    Returns a list of boxes, each (text, blank_before)."""
    units = []
    for text, atomic in pieces:
        units.extend([text] if atomic else _units(text))
    boxes = []
    blank = False
    for unit in units:
        if unit.startswith(" ") and not unit.strip():
            blank = bool(boxes)
            continue
        if boxes and not blank and not _may_break(boxes[-1][0], unit):
            boxes[-1] = (boxes[-1][0] + unit, boxes[-1][1])
        elif boxes and blank and unit[0] in NO_LINE_START:
            # A closing mark after a blank stays on its word's line.
            boxes[-1] = (boxes[-1][0] + " " + unit, boxes[-1][1])
        else:
            boxes.append((unit, blank))
        blank = False
    return boxes


def _split_long(box, width):
    """Cuts a box wider than a line into pieces that fit, character by character."""
    pieces, current = [], ""
    for ch in box:
        if current and text_width(current + ch) > width:
            pieces.append(current)
            current = ""
        current += ch
    return pieces + [current]


def wrap_pieces(pieces, width):
    """Breaks a paragraph into lines of at most `width` columns; a piece
    HARD_BREAK ends a line where it stands."""
    if HARD_BREAK in pieces:
        at = pieces.index(HARD_BREAK)
        return wrap_pieces(pieces[:at], width) + wrap_pieces(pieces[at + 1 :], width)
    lines, line = [], ""
    for text, blank in _boxes(pieces):
        joined = line + (" " if blank and line else "") + text
        if text_width(joined) <= width:
            line = joined
            continue
        if line:
            lines.append(line)
        parts = _split_long(text, width) if text_width(text) > width else [text]
        lines.extend(parts[:-1])
        line = parts[-1]
    if line:
        lines.append(line)
    return lines


def wrap(text, width):
    """Breaks plain text (no code) into lines of at most `width` columns."""
    return wrap_pieces([(text, False)], width)


# -- Markdown ----------------------------------------------------------------

# A line break written into a paragraph (two blanks or a backslash at the end
# of the source line).
HARD_BREAK = ("", True)


def _inline_pieces(node):
    """An inline node's text as pieces for wrap_pieces (pictures left out)."""
    pieces = []

    def walk(n):
        for child in n.children:
            kind = child.type
            if kind == "text":
                pieces.append((child.content, False))
            elif kind == "code_inline":
                pieces.append((child.content, True))
            elif kind == "softbreak":
                pieces.append(("\n", False))
            elif kind == "hardbreak":
                pieces.append(HARD_BREAK)
            elif kind == "image":
                continue
            elif kind == "link":
                start = len(pieces)
                walk(child)
                href = child.attrs.get("href", "")
                label = "".join(text for text, _ in pieces[start:])
                if href.startswith(("http://", "https://")) and href != label:
                    pieces.append((" (" + href + ")", False))
            elif kind in ("strong", "em"):
                walk(child)
            elif kind == "html_inline":
                raise ValueError("HTML in the text: " + child.content)
            else:
                raise ValueError("unexpected inline element: " + kind)

    walk(node)
    return _join_soft_breaks(pieces)


def _join_soft_breaks(pieces):
    """A source line break inside a paragraph: nothing between two Japanese
    characters, a blank elsewhere."""
    out = []
    for i, (text, atomic) in enumerate(pieces):
        if text != "\n":
            out.append((text, atomic))
            continue
        before = out[-1][0][-1:] if out and out[-1] != HARD_BREAK else ""
        after = pieces[i + 1][0][:1] if i + 1 < len(pieces) else ""
        if before and after and not before.isascii() and not after.isascii():
            continue
        out.append((" ", False))
    return out


def _inline_text(node):
    return "".join(text for text, _ in _inline_pieces(node))


def _cell_boxes_width(pieces):
    return max((text_width(text) for text, _ in _boxes(pieces)), default=0)


def _table(node, width):
    rows = []
    aligns = []
    for part in node.children:
        for tr in part.children:
            cells = [_inline_pieces(cell.children[0]) if cell.children else [] for cell in tr.children]
            rows.append(cells)
            if not aligns:
                aligns = [cell.attrs.get("style", "") == "text-align:right" for cell in tr.children]
    columns = len(aligns)
    gap = 2
    natural = [max(text_width("".join(t for t, _ in row[c])) for row in rows) for c in range(columns)]
    # A column is never narrower than its widest unbreakable piece, and a
    # column of short labels (up to 12 columns) is not broken at all.
    narrowest = [max([min(natural[c], 12)] + [_cell_boxes_width(row[c]) for row in rows]) for c in range(columns)]
    widths = list(natural)
    room = width - gap * (columns - 1)

    def lines(trial):
        """The table's lines and its cells' lines at these widths."""
        counts = [[len(wrap_pieces(row[c], trial[c]) or [""]) for c in range(columns)] for row in rows]
        return sum(max(row) for row in counts), sum(map(sum, counts))

    # Narrow the column whose narrowing adds the fewest lines to the table,
    # then to its cells, the widest of those, until the table fits.
    while sum(widths) > room:
        shrinkable = [c for c in range(columns) if widths[c] > narrowest[c]]
        if not shrinkable:
            raise ValueError("a table too wide for %d columns" % width)

        def cost(c):
            trial = list(widths)
            trial[c] -= 1
            return lines(trial) + (-widths[c], -c)

        widths[min(shrinkable, key=cost)] -= 1

    def cell_lines(pieces, c):
        return wrap_pieces(pieces, widths[c]) or [""]

    def pad(text, c):
        fill = " " * (widths[c] - text_width(text))
        return fill + text if aligns[c] else text + fill

    rendered = []
    for row in rows:
        wrapped = [cell_lines(row[c], c) for c in range(columns)]
        height = max(len(w) for w in wrapped)
        rendered.append(
            [
                (" " * gap).join(pad(wrapped[c][i] if i < len(wrapped[c]) else "", c) for c in range(columns)).rstrip()
                for i in range(height)
            ]
        )
    spaced = any(len(r) > 1 for r in rendered)
    lines = rendered[0] + [(" " * gap).join("-" * w for w in widths)]
    for i, r in enumerate(rendered[1:]):
        if spaced and i:
            lines.append("")
        lines.extend(r)
    return lines


def _indent(lines, first, rest):
    return [(first if i == 0 else rest) + line if line else "" for i, line in enumerate(lines)]


def _blocks(node, width, tight=False):
    """Renders a container's blocks, separated by blank lines (none in an
    item of a tight list); a main heading gets two."""
    out = []
    for child in node.children:
        lines = _block(child, width)
        if not lines:
            continue
        if out and not tight:
            out.append("")
            if child.type == "heading" and child.tag in ("h1", "h2"):
                out.append("")
        out.extend(lines)
    return out


def _block(node, width):
    kind = node.type
    if kind == "heading":
        level = int(node.tag[1])
        text = _inline_text(node.children[0])
        if level <= 2:
            lines = wrap(text, width)
            rule = "=" if level == 1 else "-"
            return lines + [rule * max(text_width(line) for line in lines)]
        return _indent(wrap(text, width - 3), "■ ", "   ")
    if kind == "paragraph":
        return wrap_pieces(_inline_pieces(node.children[0]), width)
    if kind in ("bullet_list", "ordered_list"):
        lines = []
        items = node.children
        number = int(node.attrs.get("start", 1)) if kind == "ordered_list" else 0
        markers = ["- "] * len(items)
        if kind == "ordered_list":
            labels = ["%d. " % (number + i) for i in range(len(items))]
            size = max(len(label) for label in labels)
            markers = [label.ljust(size) for label in labels]
        for item, marker in zip(items, markers):
            tight = all(c.type != "paragraph" or c.hidden for c in item.children)
            body = _blocks(item, width - len(marker), tight)
            if lines and not tight:
                lines.append("")
            lines.extend(_indent(body, marker, " " * len(marker)))
        return lines
    if kind in ("code_block", "fence"):
        return ["    " + line if line else "" for line in node.content.rstrip("\n").split("\n")]
    if kind == "blockquote":
        return _indent(_blocks(node, width - 2), "  ", "  ")
    if kind == "table":
        return _table(node, width)
    if kind == "hr":
        return ["-" * width]
    raise ValueError("unexpected block: " + kind)


def render(markdown):
    """Markdown text to the lines of a text file for Notepad."""
    from markdown_it import MarkdownIt
    from markdown_it.tree import SyntaxTreeNode

    parser = MarkdownIt("commonmark").enable("table")
    tree = SyntaxTreeNode(parser.parse(markdown))
    return _blocks(tree, WIDTH)


def write_notepad(lines, path):
    with open(path, "w", encoding="utf-8", newline="") as out:
        out.write(BOM + "".join(line + "\r\n" for line in lines))


# -- The check ---------------------------------------------------------------


def problems(data):
    """What keeps a text file's bytes from reading well in Notepad, as
    (line number, message) pairs; line 0 is the file as a whole."""
    found = []
    if not data.startswith(BOM.encode("utf-8")):
        found.append((0, "no UTF-8 byte order mark"))
    try:
        text = data.decode("utf-8").lstrip(BOM)
    except UnicodeDecodeError as error:
        return found + [(0, "not UTF-8: %s" % error)]
    if not text.endswith("\r\n"):
        found.append((0, "the last line has no CRLF"))
    lines = text.split("\r\n")[:-1] if text.endswith("\r\n") else text.split("\r\n")
    for number, line in enumerate(lines, 1):
        if "\r" in line or "\n" in line:
            found.append((number, "a line end that is not CRLF"))
        if text_width(line) > WIDTH:
            found.append((number, "%d columns, more than %d" % (text_width(line), WIDTH)))
        shown = line.strip()
        if shown and shown[0] in NO_LINE_START:
            found.append((number, "begins with %s" % shown[0]))
        if shown and shown[-1] in NO_LINE_END:
            found.append((number, "ends with %s" % shown[-1]))
        for pattern, what in MARKDOWN_LEFT:
            if pattern.search(line):
                found.append((number, "Markdown left: " + what))
    return found


def main(argv):
    if len(argv) == 4 and argv[1] == "render":
        with open(argv[2], encoding="utf-8-sig") as source:
            write_notepad(render(source.read()), argv[3])
        return 0
    if len(argv) >= 3 and argv[1] == "check":
        failed = False
        for path in argv[2:]:
            with open(path, "rb") as text:
                for number, message in problems(text.read()):
                    print("%s:%d: %s" % (path, number, message), file=sys.stderr)
                    failed = True
        return 1 if failed else 0
    print(__doc__.split("\n\n")[1], file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
