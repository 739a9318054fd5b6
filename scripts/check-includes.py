#!/usr/bin/env python3
"""Checks what the compiler cannot see of the plug-in's layers.

Each folder of plugin/ belongs to one library, and the libraries stand in
layers: a file may include headers of its own library and of the libraries
below it, never of one above. The build gives each library an include root
of its own, so that most wrong includes do not compile; this script catches
the rest: a path that climbs out of its folder ("../host/x.h"), a file that
belongs to no library, a stand-in host that includes more than the contract,
and plugin/CMakeLists.txt disagreeing with the table below (each library's
source folders, the folders of its include root, and the libraries it
links). Both "..." and <...> includes are read.

Run by ctest (the native preset) and scripts/test-all.sh; exits 1 with each
fault on a line.
    python3 scripts/check-includes.py [--root FOLDER]
"""
import argparse
import pathlib
import re
import sys

# Library, its layer (higher may include lower), and the folders (or files)
# it holds.
LIBRARIES = [
    ("telepost_contract", 0, ["plugin/include/telepost", "plugin/resources"]),
    ("telepost_ini", 1, ["plugin/ini"]),
    ("telepost_pure", 2, ["plugin/convert", "plugin/recipients"]),
    ("telepost_send", 3, ["plugin/send"]),
    ("telepost_frame", 4, ["plugin/host", "plugin/ui"]),
    ("TELEPOST", 5, ["plugin/exports.cpp"]),
]
# Include paths as written: "telepost/x.h" is the contract, "send/x.h" the
# folder plugin/send, and so on.
INCLUDE = re.compile(r'^\s*#\s*include\s+(?:"([^"]+)"|<([^>]+)>)', re.M)
SOURCES = (".cpp", ".h", ".inc")


def library_of(path):
    """The library that holds the file at `path` (relative to the root), or None."""
    for name, layer, folders in LIBRARIES:
        for folder in folders:
            if path == folder or path.startswith(folder + "/"):
                return name, layer
    return None


def includes(source):
    """Each include of `source`: the path written, and whether it was quoted."""
    for quoted, angled in INCLUDE.findall(source.read_text(encoding="utf-8")):
        yield (quoted, True) if quoted else (angled, False)


def included_file(root, source, include, quoted):
    """The file of the repository an include names, relative to `root`."""
    bases = [root / "plugin", root / "plugin/include"]
    if quoted:
        bases.insert(0, source.parent)
    for base in bases:
        candidate = base / include
        if candidate.is_file():
            return candidate.resolve().relative_to(root.resolve()).as_posix()
    return None


def check_includes(root):
    wrong = []
    for source in sorted((root / "plugin").rglob("*")):
        if source.suffix not in SOURCES:
            continue
        path = source.relative_to(root).as_posix()
        owner = library_of(path)
        if owner is None:
            wrong.append(f"{path}: in no library of scripts/check-includes.py")
            continue
        for include, quoted in includes(source):
            target = included_file(root, source, include, quoted)
            held = library_of(target) if target else None
            if held and held[1] > owner[1]:
                wrong.append(f"{path}: includes {include} of {held[0]}, above {owner[0]}")
    for source in sorted((root / "hostsim").glob("*")):
        if source.suffix not in SOURCES:
            continue
        for include, quoted in includes(source):
            target = included_file(root, source, include, quoted)
            if target and target.startswith("plugin/") and not target.startswith(
                    "plugin/include/telepost/"):
                wrong.append(f"hostsim/{source.name}: includes {include}, not the contract")
    return wrong


def holds_headers(root, folder):
    return any(p.suffix in (".h", ".inc") for p in (root / folder).glob("*"))


def check_cmake(root):
    """Each library's sources, include root and links in plugin/CMakeLists.txt follow the table."""
    text = (root / "plugin/CMakeLists.txt").read_text(encoding="utf-8")
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
        linked = []
        for row in re.findall(rf"telepost_include_root\({name}((?:\s+[\w/]+)*)\)", text):
            linked += ["plugin/" + folder for folder in row.split()]
        for folder in linked:
            if folder not in folders:
                wrong.append(f"plugin/CMakeLists.txt: {name}'s include root links {folder}, "
                             "not a folder of it in the table")
        for folder in folders:
            if (folder not in linked and not folder.endswith((".cpp", "include/telepost"))
                    and holds_headers(root, folder)):
                wrong.append(f"plugin/CMakeLists.txt: {name}'s include root lacks {folder}")
        for links in re.findall(rf"target_link_libraries\({name} \w+ ([^)]*)\)", text):
            for other in links.split():
                if other in layers and layers[other] >= layer:
                    wrong.append(f"plugin/CMakeLists.txt: {name} links {other}, not below it")
    return wrong


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", type=pathlib.Path,
                        default=pathlib.Path(__file__).resolve().parent.parent,
                        help="the repository to check (this one by default)")
    root = parser.parse_args().root
    wrong = check_includes(root) + check_cmake(root)
    for line in wrong:
        print(line, file=sys.stderr)
    if wrong:
        return 1
    print("check-includes: every library includes only its own headers and those below it")
    return 0


if __name__ == "__main__":
    sys.exit(main())
