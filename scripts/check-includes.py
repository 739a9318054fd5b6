#!/usr/bin/env python3
"""Checks that the plug-in's libraries include only downwards.

Each folder of plugin/ belongs to one library, and the libraries stand in
layers: a file may include headers of its own library and of the libraries
below it, never of one above. The stand-in host may include only the
contract. The table below is checked against plugin/CMakeLists.txt too: each
library's source folders, and the libraries it links.

Run by scripts/test-all.sh; exits 1 with each wrong include on a line.
"""
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent

# Library, its layer (higher may include lower), and the folders it holds.
LIBRARIES = [
    ("telepost_contract", 0, ["plugin/include/telepost", "plugin/resources"]),
    ("telepost_pure", 1, ["plugin/convert", "plugin/recipients"]),
    ("telepost_send", 2, ["plugin/send"]),
    ("telepost_frame", 3, ["plugin/host", "plugin/ui"]),
    ("TELEPOST", 4, ["plugin/exports.cpp"]),
]
# Include paths as written: "telepost/x.h" is the contract, "send/x.h" the
# folder plugin/send, and so on.
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def library_of(path):
    """The library that holds the file at `path` (relative to ROOT), or None."""
    for name, layer, folders in LIBRARIES:
        for folder in folders:
            if path == folder or path.startswith(folder + "/"):
                return name, layer
    return None


def included_file(source, include):
    """The file of the repository an include names, relative to ROOT."""
    for base in (ROOT / "plugin", ROOT / "plugin/include", source.parent):
        candidate = base / include
        if candidate.exists():
            return candidate.resolve().relative_to(ROOT).as_posix()
    return None


def check_includes():
    wrong = []
    for source in sorted((ROOT / "plugin").rglob("*")):
        if source.suffix not in (".cpp", ".h", ".inc"):
            continue
        path = source.relative_to(ROOT).as_posix()
        owner = library_of(path)
        if owner is None:
            wrong.append(f"{path}: in no library of scripts/check-includes.py")
            continue
        for include in INCLUDE.findall(source.read_text(encoding="utf-8")):
            target = included_file(source, include)
            held = library_of(target) if target else None
            if held and held[1] > owner[1]:
                wrong.append(f'{path}: includes "{include}" of {held[0]}, above {owner[0]}')
    for source in sorted((ROOT / "hostsim").glob("*")):
        if source.suffix not in (".cpp", ".h"):
            continue
        for include in INCLUDE.findall(source.read_text(encoding="utf-8")):
            target = included_file(source, include)
            if target and target.startswith("plugin/") and not target.startswith(
                    "plugin/include/telepost/"):
                wrong.append(f'hostsim/{source.name}: includes "{include}", '
                             "not the contract")
    return wrong


def check_cmake():
    """Each library's sources and links in plugin/CMakeLists.txt follow the table."""
    text = (ROOT / "plugin/CMakeLists.txt").read_text(encoding="utf-8")
    wrong = []
    globs = {name: re.findall(r"\$\{CMAKE_CURRENT_SOURCE_DIR\}/([\w/]+)/\*\.cpp", body)
             for name, body in re.findall(r"file\(GLOB (\w+) CONFIGURE_DEPENDS(.*?)\)", text, re.S)}
    layers = {name: layer for name, layer, _ in LIBRARIES}
    for name, layer, folders in LIBRARIES:
        made = re.search(rf"add_library\({name} (?:STATIC|SHARED|INTERFACE)\s*([^)]*)\)", text)
        if not made:
            wrong.append(f"plugin/CMakeLists.txt: no library {name}")
            continue
        sources = []
        for variable in re.findall(r"\$\{(\w+)\}", made.group(1)):
            sources += ["plugin/" + folder for folder in globs.get(variable, [])]
        expected = [f for f in folders if not f.endswith((".cpp", "include/telepost", "resources"))]
        if sorted(sources) != sorted(expected):
            wrong.append(f"plugin/CMakeLists.txt: {name} builds {sorted(sources)}, "
                         f"the table says {sorted(expected)}")
        for links in re.findall(rf"target_link_libraries\({name} \w+ ([^)]*)\)", text):
            for other in links.split():
                if other in layers and layers[other] >= layer:
                    wrong.append(f"plugin/CMakeLists.txt: {name} links {other}, not below it")
    return wrong


def main():
    wrong = check_includes() + check_cmake()
    for line in wrong:
        print(line, file=sys.stderr)
    if wrong:
        return 1
    print("check-includes: every library includes only its own headers and those below it")
    return 0


if __name__ == "__main__":
    sys.exit(main())
