#!/usr/bin/env python3
"""Compares the plug-in's reading of recipient lists with that of Python's
standard mail library (email.utils.getaddresses and parseaddr).

    compare_with_email_utils.py [--show] CORPUS... -- DRIVER [ARG...]

DRIVER (with its ARGs, e.g. an emulator before it) is the recipients driver:
it reads lists on stdin and prints the plug-in's entries with the display
name and address of each. The lists are those of the CORPUS files (one a line,
"#" starts a comment line) and a fixed set built from the forms below.

For every list the plug-in must cut as many entries as the library finds
addresses; each entry read alone by parseaddr must give the library's pair
for it (so the entry holds that recipient and no other), and the plug-in's
display name and address must be that pair.

Compared forms: bare addresses (a quoted local part too), display names with
bracketed addresses, quoted display names holding commas, semicolons,
brackets and balanced parentheses, an address followed by a comment, any of
these after a bracketed address, and lists of them joined by commas with
blanks and tabs around.

Forms where the two are meant to differ are kept out of the comparison;
differences.txt holds one list of each (see it with --show):
  - semicolon separators, which the library does not split at;
  - empty entries, for which the library gives an empty address;
  - a comment before the address, which the plug-in drops from the entry and
    the library takes for the display name (comments elsewhere stay in the
    plug-in's entry, which the comparison allows);
  - blanks inside a display name, a comment or an address, which the library
    folds or removes;
  - backslash escapes in quoted text, nested comments, several quoted strings
    or comments, quotes in a plain display name, an empty quoted display name,
    an angle bracket in a comment, an unbalanced parenthesis in quotes;
  - group syntax, source routes, unbalanced quotes and text that is no
    mailbox.
"""

import random
import subprocess
import sys
from email.utils import getaddresses, parseaddr

ADDRESSES = [
    "taro@example.jp",
    "hanako.yamada@mail.example.co.jp",
    "jiro+news@example.com",
    "x_y-z@sub.example.org",
    '"doe, john"@example.com',
]
PLAIN_NAMES = ["Taro", "Taro Yamada", "T. Yamada", "Sales-2 Tokyo"]
QUOTED_NAMES = ["Yamada, Taro", "Taro <boss>", "a; b", "(Taro)", "Taro @ home, 2F"]
COMMENTS = ["Taro", "Yamada, Taro", "Taro; home", "office \"main\""]
SEPARATORS = [",", ", ", " , ", ",\t", "\t,  "]


def mailbox(rng):
    address = rng.choice(ADDRESSES)
    form = rng.randrange(6)
    if form == 0:
        return address
    if form == 1:
        return "<%s>" % address
    if form == 2:
        return "%s <%s>" % (rng.choice(PLAIN_NAMES), address)
    if form == 3:
        return '"%s"%s<%s>' % (rng.choice(QUOTED_NAMES), rng.choice(["", " "]), address)
    if form == 4:
        return "%s (%s)" % (address, rng.choice(COMMENTS))
    return "%s <%s> (%s)" % (rng.choice(PLAIN_NAMES), address, rng.choice(COMMENTS))


def built_lists(count=400):
    rng = random.Random(4)
    lists = []
    for _ in range(count):
        mailboxes = [mailbox(rng) for _ in range(rng.randint(1, 4))]
        text = mailboxes[0]
        for other in mailboxes[1:]:
            text += rng.choice(SEPARATORS) + other
        lists.append(rng.choice(["", " "]) + text + rng.choice(["", " ", "\t"]))
    return lists


def corpus_lists(paths):
    lists = []
    for path in paths:
        with open(path, encoding="ascii") as corpus:
            for line in corpus:
                line = line.rstrip("\r\n")
                if line and not line.startswith("#"):
                    lists.append(line)
    return lists


def plugin_readings(driver, lists):
    """The driver's (entry, name, address) triples for each list."""
    result = subprocess.run(
        driver, input="".join(text + "\n" for text in lists).encode("ascii"),
        stdout=subprocess.PIPE, check=True)
    readings, current, entry = [], [], {}
    for line in result.stdout.decode("latin-1").split("\n")[:-1]:
        line = line.rstrip("\r")  # text-mode output on Windows
        if line == "end":
            readings.append(current)
            current = []
            continue
        key, _, value = line.partition(":")
        entry[key] = value
        if key == "address":
            current.append((entry["entry"], entry["name"], entry["address"]))
    if len(readings) != len(lists):
        sys.exit("the driver read %d lists of %d" % (len(readings), len(lists)))
    return readings


def agrees(library, plugin):
    return len(library) == len(plugin) and all(
        (name, address) == pair and parseaddr(entry) == pair
        for pair, (entry, name, address) in zip(library, plugin))


def main(argv):
    if "--" not in argv:
        sys.exit(__doc__)
    split = argv.index("--")
    options, driver = argv[1:split], argv[split + 1:]
    show = "--show" in options
    paths = [path for path in options if path != "--show"]
    lists = corpus_lists(paths) + ([] if show else built_lists())

    failures = 0
    for text, plugin in zip(lists, plugin_readings(driver, lists)):
        library = getaddresses([text])
        if show or not agrees(library, plugin):
            failures += not show
            print("list:    %r" % text)
            print("library: %r" % library)
            print("plug-in: %r" % [(name, address) for _, name, address in plugin])
            print("entries: %r" % [entry for entry, _, _ in plugin])
    if not show:
        print("%d of %d lists read alike" % (len(lists) - failures, len(lists)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
