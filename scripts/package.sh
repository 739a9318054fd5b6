#!/usr/bin/env bash
# Makes the release package for Windows users:
#   bash scripts/package.sh
# builds TELEPOST.dll with the windows preset (installing what is missing) and
# writes, in dist/:
#   TELEPOST-<version>-win32.zip        TELEPOST.dll, TELEPOST-sample.ini (a
#                                       settings file to copy), README-ja.txt
#                                       (the user guide), LICENSE.txt,
#                                       CHANGELOG.txt and RUNTIME-LICENSES.txt
#   TELEPOST-<version>-win32-debug.zip  TELEPOST.dll.debug, the DLL's debug
#                                       information
#   SHA256SUMS                          both archives' SHA-256
# The version is the project's (CMakeLists.txt); it is packaged only when its
# entry in CHANGELOG.md carries a release date, in English and in the Japanese
# history for users, and the guide is the one for this version. The texts are
# made for Notepad on a Japanese Windows: UTF-8 with a byte order mark, CRLF
# line ends; the guide and the change log are turned from Markdown into plain
# text of at most 80 columns (scripts/notepad_text.py). The sample settings
# file is what the plug-in reads best: Shift-JIS (code page 932) without a
# byte order mark, CRLF line ends. It never bears the name of the file the
# plug-in reads (TELEPOST.ini), so that unpacking an update over the plug-in
# folder cannot overwrite the user's settings; the user copies it and renames
# it once, at installation.
# The archives are the same at every run of one commit: fixed file order, the
# commit's time on every file, no owner or extra attributes.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
export SOURCE_DATE_EPOCH
built=build/windows
cmake --preset windows >/dev/null
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$built/CMakeCache.txt")
name=TELEPOST-$version-win32

refuse() {
  echo "package: $*" >&2
  exit 1
}
[ -f docs/ja/guide.md ] || refuse "docs/ja/guide.md is missing: no package without the guide"
[ -f docs/ja/TELEPOST-sample.ini ] ||
  refuse "docs/ja/TELEPOST-sample.ini is missing: the guide's install step copies it"
released=$(sed -n "s/^## \[${version//./\\.}\] - \([0-9]\{4\}-[0-9][0-9]-[0-9][0-9]\)\$/\1/p" CHANGELOG.md)
[ -n "$released" ] ||
  refuse "CHANGELOG.md has no dated entry '## [$version] - YYYY-MM-DD': no package of an unreleased version"
IFS=- read -r year month day <<<"$released"
japanese="### $version（${year}年$((10#$month))月$((10#$day))日）"
grep -qxF "$japanese" CHANGELOG.md ||
  refuse "CHANGELOG.md's history for users has no entry '$japanese'"
head -1 docs/ja/guide.md | grep -qE "(^|[^0-9.])${version//./\\.}([^0-9.]|\$)" ||
  refuse "docs/ja/guide.md's title does not name version $version"
if grep -o 'TELEPOST-[0-9][0-9.]*[0-9]-win32' docs/ja/guide.md | grep -vxF "$name" >/dev/null; then
  refuse "docs/ja/guide.md names a package other than $name"
fi
# Debian's Python, which has the Markdown parser (python3-markdown-it).
python=/usr/bin/python3

# Linked afresh, so that its header carries this commit's time even when the
# build folder's DLL was linked at an earlier commit.
rm -f "$built/TELEPOST.dll"
cmake --build --preset windows -j"$(nproc)" --target TELEPOST >/dev/null

stage=build/package
rm -rf "$stage"
mkdir -p "$stage/$name" "$stage/$name-debug" dist
rm -f "dist/$name.zip" "dist/$name-debug.zip" dist/SHA256SUMS

# crlf_text SOURCE TARGET: a plain text as it is, with a byte order mark and
# CRLF line ends.
crlf_text() {
  { printf '\xEF\xBB\xBF'; sed '1s/^\xEF\xBB\xBF//; s/\r$//; s/$/\r/' "$1"; } >"$2"
}

# ansi_ini SOURCE TARGET: a UTF-8 text as code page 932 with CRLF line ends,
# without a byte order mark (one before the section hides it from Windows).
ansi_ini() {
  { sed '1s/^\xEF\xBB\xBF//; s/\r$//; s/$/\r/' "$1" | iconv -f UTF-8 -t CP932; } >"$2" ||
    refuse "$1 cannot be written in code page 932"
}

cp "$built/TELEPOST.dll" "$stage/$name/"
ansi_ini docs/ja/TELEPOST-sample.ini "$stage/$name/TELEPOST-sample.ini"
"$python" scripts/notepad_text.py render docs/ja/guide.md "$stage/$name/README-ja.txt"
"$python" scripts/notepad_text.py render CHANGELOG.md "$stage/$name/CHANGELOG.txt"
crlf_text LICENSE "$stage/$name/LICENSE.txt"
crlf_text docs/runtime-licenses.txt "$stage/$name/RUNTIME-LICENSES.txt"
cp "$built/TELEPOST.dll.debug" "$stage/$name-debug/"

# zip_folder FOLDER ARCHIVE: the folder's files, sorted, at the archive's root.
zip_folder() {
  local archive
  archive=$(realpath "$2")
  (
    cd "$1"
    chmod 644 ./*
    touch -d "@$SOURCE_DATE_EPOCH" ./*
    find . -maxdepth 1 -type f -printf '%P\n' | LC_ALL=C sort | TZ=UTC zip -X -q -@ "$archive"
  )
}
zip_folder "$stage/$name" "dist/$name.zip"
zip_folder "$stage/$name-debug" "dist/$name-debug.zip"
(cd dist && sha256sum "$name.zip" "$name-debug.zip" >SHA256SUMS)

echo "wrote dist/$name.zip, dist/$name-debug.zip and dist/SHA256SUMS:"
cat dist/SHA256SUMS
