"""Tests of cmake/cp932_messages.py: the tables it refuses, each with the
line and the reason, and the form of what it writes (the bytes themselves
are held by cp932_messages_test.cpp, as the compiler reads them)."""

import os
import subprocess
import sys
import tempfile
import unittest

SCRIPT = os.path.join(os.path.dirname(__file__), "..", "..", "cmake", "cp932_messages.py")


def run(table):
    with tempfile.TemporaryDirectory() as folder:
        source = os.path.join(folder, "table.utf8.inc")
        output = os.path.join(folder, "table.inc")
        with open(source, "w", encoding="utf-8") as f:
            f.write(table)
        done = subprocess.run([sys.executable, SCRIPT, source, output],
                              capture_output=True, text=True, check=False)
        written = None
        if os.path.exists(output):
            with open(output, "rb") as f:
                written = f.read()
        return done.returncode, done.stderr, written


class Refused(unittest.TestCase):
    # (what, table, words the error must hold)
    CASES = [
        ("a character code page 932 cannot hold", 'TELEPOST_MESSAGE(kA, "ok")\n'
         'TELEPOST_MESSAGE(kB,\n "한국")\n', ["line 3", "U+D55C"]),
        ("an emoji", 'TELEPOST_MESSAGE(kA, "😀")\n', ["line 1", "U+1F600"]),
        ("a hex escape", 'TELEPOST_MESSAGE(kA, "\\x83\\x5C")\n', ["line 1", "\\x"]),
        ("text that is not a row", '// fine\nconstexpr char kA[] = "設定";\n', ["line 2"]),
        ("a name given twice", 'TELEPOST_MESSAGE(kA, "a")\nTELEPOST_MESSAGE(kA, "b")\n',
         ["line 2", "kA"]),
    ]

    def test_cases(self):
        for what, table, words in self.CASES:
            with self.subTest(what):
                code, error, written = run(table)
                self.assertNotEqual(code, 0)
                self.assertIsNone(written, "nothing written for a refused table")
                for word in words:
                    self.assertIn(word, error)


class Written(unittest.TestCase):
    def test_octal_escapes_only(self):
        code, error, written = run('TELEPOST_MESSAGE(kA, "ソ表Ａ1") // x\n')
        self.assertEqual(code, 0, error)
        row = written.decode("ascii").splitlines()[-1]
        self.assertEqual(row, 'TELEPOST_MESSAGE(kA, "\\203\\134\\225\\134\\202\\1401")')


if __name__ == "__main__":
    unittest.main()
