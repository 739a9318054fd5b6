#!/usr/bin/env bash
# Tests the package as a user gets it, after scripts/package.sh: SHA256SUMS
# matches the archives; the zip holds exactly the files it should, its texts
# are UTF-8 with a byte order mark and CRLF line ends; the guide and the
# change log are plain text for Notepad (no Markdown left, at most 80
# columns, Japanese line breaking), the change log opening with the history
# for users in Japanese; the sample settings file is code page 932 without a
# byte order mark, holds the line the guide's install step promises, and no
# file of the zip is named TELEPOST.ini; the debug archive's file is the one
# the DLL names. Then, under Wine in the Japanese locale, the integration
# tests, the version resource test and `hostsim.exe info` run from the
# unpacked folder against the DLL from the zip (the test programs are copied
# there from build/windows, the DLL is not), and a long message to a DoCoMo
# address is sent through that DLL with the sample as its TELEPOST.ini (no
# length warning) and without it (the warning, answered No).
set -euo pipefail
cd "$(dirname "$0")/.."

fail() {
  echo "test-package: $*" >&2
  exit 1
}

built=build/windows
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$built/CMakeCache.txt")
name=TELEPOST-$version-win32
[ -f "dist/$name.zip" ] || fail "dist/$name.zip is missing: run scripts/package.sh first"
(cd dist && sha256sum --check --quiet SHA256SUMS) || fail "SHA256SUMS does not match"

work=$(mktemp -d /tmp/telepost-package.XXXXXX)
trap 'WINEPREFIX="$work/wine" "${TELEPOST_WINESERVER:-wineserver}" -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
unpacked=$work/$name
unzip -q "dist/$name.zip" -d "$unpacked"
unzip -q "dist/$name-debug.zip" -d "$work/debug"

files=$(cd "$unpacked" && ls | LC_ALL=C sort | xargs)
# No TELEPOST.ini among them: an update unpacked over the plug-in folder
# leaves the user's settings alone.
expected="CHANGELOG.txt LICENSE.txt README-ja.txt RUNTIME-LICENSES.txt TELEPOST-sample.ini TELEPOST.dll"
[ "$files" = "$expected" ] || fail "the zip holds '$files', expected '$expected'"
for text in "$unpacked"/*.txt; do
  [ "$(head -c 3 "$text" | od -An -tx1 | tr -d ' ')" = efbbbf ] ||
    fail "$(basename "$text") does not start with a UTF-8 byte order mark"
  iconv -f UTF-8 -t UTF-8 "$text" >/dev/null 2>&1 || fail "$(basename "$text") is not UTF-8"
  lines=$(tr -cd '\n' <"$text" | wc -c)
  crlf=$(grep -c $'\r$' "$text" || true)
  [ "$lines" -gt 0 ] && [ "$lines" -eq "$crlf" ] || fail "$(basename "$text"): not every line ends in CRLF"
done
/usr/bin/python3 scripts/notepad_text.py check "$unpacked/README-ja.txt" "$unpacked/CHANGELOG.txt" ||
  fail "README-ja.txt or CHANGELOG.txt does not read as plain text in Notepad"
head -1 "$unpacked/CHANGELOG.txt" | grep -q '更新履歴' || fail "CHANGELOG.txt does not open with the history for users"

# The sample settings file, as Windows' profile functions and Notepad on a
# Japanese Windows read it, and as the guide tells the user to use it.
python3 - "$unpacked/TELEPOST-sample.ini" "$unpacked/README-ja.txt" <<'PY' || fail "TELEPOST-sample.ini is not what the guide promises"
import sys
data = open(sys.argv[1], "rb").read()
assert not data.startswith(b"\xef\xbb\xbf"), "a UTF-8 byte order mark hides the section"
assert data.endswith(b"\r\n") and data.count(b"\n") == data.count(b"\r\n"), "not CRLF"
lines = data.decode("cp932").split("\r\n")[:-1]
sections = [(n, line.strip()) for n, line in enumerate(lines) if line.strip().startswith("[")]
assert [name for _, name in sections] == ["[k-tai]"], sections
keys = [line for line in lines[sections[0][0] + 1 :] if line.strip() and not line.startswith(";")]
assert keys == ["exempt domains=docomo.ne.jp"], keys
assert all(line.startswith(";") or "=" not in line for line in lines[: sections[0][0]])
guide = open(sys.argv[2], encoding="utf-8-sig").read()
assert "TELEPOST-sample.ini" in guide and "exempt domains=docomo.ne.jp" in guide
PY

# The DLL names its debug file and that file's CRC-32 (.gnu_debuglink).
i686-w64-mingw32-objcopy --dump-section .gnu_debuglink="$work/debuglink" "$unpacked/TELEPOST.dll" \
  "$work/stripped-copy.dll" || fail "TELEPOST.dll has no debug link"
python3 - "$work/debuglink" "$work/debug/TELEPOST.dll.debug" <<'PY' || fail "the debug archive does not match the DLL"
import struct, sys, zlib
link = open(sys.argv[1], "rb").read()
name = link[: link.index(b"\0")]
(crc,) = struct.unpack("<I", link[-4:])
debug = open(sys.argv[2], "rb").read()
assert name == b"TELEPOST.dll.debug", name
assert crc == zlib.crc32(debug), (hex(crc), hex(zlib.crc32(debug)))
PY

source scripts/wine-env.sh
if [ "$TELEPOST_WINE_BITS" = 64 ]; then
  wine_explain
  # The DLL from the zip is the one whose exports and stripping the Windows
  # tests checked.
  cmp -s "$unpacked/TELEPOST.dll" "$built/TELEPOST.dll" ||
    fail "TELEPOST.dll in the zip is not $built/TELEPOST.dll"
  echo "test-package: $name.zip passed (its DLL not run: no 32-bit Wine here)"
  exit 0
fi

for program in integration_tests.exe version_resource_test.exe hostsim.exe; do
  cp "$built/$program" "$unpacked/"
done

# A folder with the DLL from the zip and hostsim.exe, where the sample is
# put as TELEPOST.ini, and a message to a DoCoMo address whose body passes
# the rule's 500 bytes.
sample=$work/sample
mkdir "$sample"
cp "$unpacked/TELEPOST.dll" "$unpacked/hostsim.exe" "$sample/"
{
  printf 'To: Taro <taro@docomo.ne.jp>\nSubject: test\nFrom: me@example.jp\n\n'
  printf '%0600d\n' 0
} >"$sample/long.txt"

export WINEPREFIX="$work/wine"
export UNPACKED="$unpacked" NAME="$name" SAMPLE="$sample"
xvfb-run -a bash -c '
  set -euo pipefail
  bash scripts/wine-boot.sh
  cd "$UNPACKED"
  echo "-- integration tests against the DLL from the zip"
  # A hung test program is ended, at several times what it takes.
  timeout 300 wine ./integration_tests.exe --gtest_brief=1
  echo "-- version resource of the DLL from the zip"
  timeout 120 wine ./version_resource_test.exe --gtest_brief=1
  echo "-- hostsim.exe info"
  wine ./hostsim.exe info | tee info.txt
  grep -Eq "^vendor +Varnok" info.txt
  grep -Eq "^version +2\.6b for DoCoMo" info.txt
  # The settings file it names lies beside the DLL from the zip.
  grep -Fq "$NAME\\TELEPOST.ini" info.txt
  echo "-- the sample settings file as TELEPOST.ini"
  cd "$SAMPLE"
  status=0
  wine ./hostsim.exe send long.txt --no >send.txt || status=$?
  [ "$status" = 1 ] || { cat send.txt; echo "without the sample: exit $status, expected 1 (No to the warning)" >&2; exit 1; }
  cp "$UNPACKED/TELEPOST-sample.ini" TELEPOST.ini
  wine ./hostsim.exe info | tee info.txt
  grep -Eq "^ +exempt domains +docomo\.ne\.jp[[:space:]]*\$" info.txt
  if grep -q skipped info.txt; then echo "the sample has an item the plug-in skips" >&2; exit 1; fi
  wine ./hostsim.exe send long.txt --no | tee send.txt
  grep -Eq "^headers +unchanged" send.txt
  cmp -s TELEPOST.ini "$UNPACKED/TELEPOST-sample.ini"
'
echo "test-package: $name.zip passed"
