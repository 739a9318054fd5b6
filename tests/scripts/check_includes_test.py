#!/usr/bin/env python3
"""Tests of scripts/check-includes.py on a scratch copy of plugin/ and hostsim/.

Each case puts one fault into the copy and expects the script to fail,
naming it; the copy as it is must pass.
"""
import pathlib
import shutil
import subprocess
import sys
import tempfile
import unittest

REPOSITORY = pathlib.Path(__file__).resolve().parents[2]
SCRIPT = REPOSITORY / "scripts/check-includes.py"


def run(root):
    result = subprocess.run([sys.executable, str(SCRIPT), "--root", str(root)],
                            capture_output=True, text=True, check=False)
    return result.returncode, result.stderr


class CheckIncludesTest(unittest.TestCase):

    def setUp(self):
        scratch = tempfile.TemporaryDirectory(prefix="check-includes-")
        self.addCleanup(scratch.cleanup)
        self.root = pathlib.Path(scratch.name)
        for folder in ("plugin", "hostsim"):
            shutil.copytree(REPOSITORY / folder, self.root / folder)

    def add_line(self, path, line):
        file = self.root / path
        file.write_text(line + "\n" + file.read_text(encoding="utf-8"), encoding="utf-8")

    def replace(self, path, old, new):
        file = self.root / path
        text = file.read_text(encoding="utf-8")
        self.assertIn(old, text)
        file.write_text(text.replace(old, new, 1), encoding="utf-8")

    def test_the_repository_as_it_is_passes(self):
        self.assertEqual(run(self.root), (0, ""))

    def test_each_fault_is_reported(self):
        cmake = "plugin/CMakeLists.txt"
        cases = [
            ("an upward include, quoted",
             lambda: self.add_line("plugin/send/host_api.cpp", '#include "host/process_state.h"'),
             "plugin/send/host_api.cpp: includes host/process_state.h of telepost_frame, "
             "above telepost_send"),
            ("an upward include in angle brackets",
             lambda: self.add_line("plugin/send/host_api.h", "#include <ui/ui.h>"),
             "plugin/send/host_api.h: includes ui/ui.h of telepost_frame, above telepost_send"),
            ("a path that climbs out of its folder",
             lambda: self.add_line("plugin/recipients/carriers.cpp", '#include "../send/host_api.h"'),
             "plugin/recipients/carriers.cpp: includes ../send/host_api.h of telepost_send, "
             "above telepost_pure"),
            ("the contract including the send path",
             lambda: self.add_line("plugin/include/telepost/sjis.h", "#include <send/host_api.h>"),
             "plugin/include/telepost/sjis.h: includes send/host_api.h of telepost_send"),
            ("the stand-in host including more than the contract",
             lambda: self.add_line("hostsim/host.cpp", "#include <convert/convert.h>"),
             "hostsim/host.cpp: includes convert/convert.h, not the contract"),
            ("a file in no library",
             lambda: (self.root / "plugin/extra").mkdir() or
             (self.root / "plugin/extra/stray.cpp").write_text("int x;\n"),
             "plugin/extra/stray.cpp: in no library"),
            ("a library built of a folder the table gives another",
             lambda: self.replace(cmake, "${CMAKE_CURRENT_SOURCE_DIR}/send/*.cpp",
                                  "${CMAKE_CURRENT_SOURCE_DIR}/send/*.cpp\n"
                                  "  ${CMAKE_CURRENT_SOURCE_DIR}/host/*.cpp"),
             "telepost_send builds ['plugin/host', 'plugin/send'], the table says ['plugin/send']"),
            ("a library linking one above it",
             lambda: self.replace(cmake, "target_link_libraries(telepost_send PUBLIC telepost_pure)",
                                  "target_link_libraries(telepost_send PUBLIC telepost_frame)"),
             "telepost_send links telepost_frame, not below it"),
            ("an include root linking another library's folder",
             lambda: self.replace(cmake, "telepost_include_root(telepost_send send)",
                                  "telepost_include_root(telepost_send send host)"),
             "telepost_send's include root links plugin/host, not a folder of it"),
            ("an include root lacking a folder",
             lambda: self.replace(cmake, "telepost_include_root(telepost_pure convert recipients)",
                                  "telepost_include_root(telepost_pure convert)"),
             "telepost_pure's include root lacks plugin/recipients"),
        ]
        for name, fault, message in cases:
            with self.subTest(name):
                self.setUp()
                fault()
                code, errors = run(self.root)
                self.assertEqual(code, 1, errors)
                self.assertIn(message, errors)
                self.assertEqual(len(errors.splitlines()), 1, errors)


if __name__ == "__main__":
    unittest.main()
