#!/usr/bin/env bash
# Tests the package as a user gets it, after scripts/package.sh: SHA256SUMS
# matches the archives; the zip holds exactly the files it should, its texts
# are UTF-8 with a byte order mark and CRLF line ends; the guide and the
# change log are plain text for Notepad (no Markdown left, at most 80
# columns, Japanese line breaking), the change log opening with the history
# for users in Japanese; the sample settings file is code page 932 without a
# byte order mark, holds the line the guide's install step promises, and no
# file of the zip is named TELEPOST.ini; the debug archive's file is the one
# the DLL names. Then, under 32-bit Wine in the Japanese locale
# (scripts/test-package-wine.sh), the integration tests, the version resource
# test and `hostsim.exe info` run from the unpacked folder against the DLL
# from the zip (the test programs are copied there from build/windows, the
# DLL is not), and a long message to a DoCoMo address is sent through that DLL
# with the sample as its TELEPOST.ini (no length warning) and without it (the
# warning, answered No). Where this kernel runs no 32-bit programs, all this
# runs under qemu-user emulation (scripts/wine32-emulated.sh) on a chosen set
# of the integration tests, and sends of real messages through the DLL from
# the zip must show what the 64-bit build shows; where the emulation cannot be
# had either, the DLL is not run, and the output says why.
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
stop_wine() {
  local prefix
  for prefix in "$work/wine" "$work/wine64"; do
    [ ! -d "$prefix" ] || WINEPREFIX=$prefix "${TELEPOST_WINESERVER:-wineserver}" -k >/dev/null 2>&1 || true
  done
}
trap 'stop_wine; rm -rf "$work"' EXIT
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
wine32_way
case $TELEPOST_WINE32_WAY in
  direct) echo "test-package: the 32-bit TELEPOST.dll from the zip runs directly, under 32-bit Wine" ;;
  emulated)
    echo "test-package: this kernel runs no 32-bit programs: the 32-bit TELEPOST.dll from the zip" \
      "runs under 32-bit Wine emulated by qemu-i386-static (scripts/wine32-emulated.sh), on a chosen set of tests"
    ;;
  none)
    echo "test-package: the 32-bit TELEPOST.dll from the zip is not run: this kernel runs no 32-bit" \
      "programs, and qemu-user emulation cannot be had here: $TELEPOST_WINE32_WHY" >&2
    # The DLL from the zip is the one whose exports and stripping the Windows
    # tests checked.
    cmp -s "$unpacked/TELEPOST.dll" "$built/TELEPOST.dll" ||
      fail "TELEPOST.dll in the zip is not $built/TELEPOST.dll"
    echo "test-package: $name.zip passed (its DLL not run: no 32-bit Wine here)"
    exit 0
    ;;
esac

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

if [ "$TELEPOST_WINE32_WAY" = direct ]; then
  WINEPREFIX="$work/wine" xvfb-run -a bash scripts/test-package-wine.sh zip "$unpacked" "$name" "$sample"
  echo "test-package: $name.zip passed"
  exit 0
fi

# Under emulation every test of the whole suite cannot run: the chosen ones
# do, and sends of real messages through the DLL from the zip are compared
# with the same sends through the 64-bit build of the same sources. Both run
# hostsim from one folder (the path of its settings file is in the output).
emulation_started=$SECONDS
built64=build/windows64
if [ ! -f "$built64/CMakeCache.txt" ]; then
  cmake --preset windows64 -DTELEPOST_WERROR="${TELEPOST_WERROR:-OFF}" >/dev/null
fi
cmake --build --preset windows64 -j"$(nproc)" --target hostsim TELEPOST >/dev/null
sends=$work/sends
mkdir "$sends"
cp examples/carrier-j.txt examples/carrier-d.txt examples/mixed.txt "$sends/"
{
  sed '/^$/q' examples/docomo.txt
  cat docs/ja/guide.md
} >"$sends/guide.txt"
cp "$built64/hostsim.exe" "$built64/TELEPOST.dll" "$sends/"
echo "-- the sends through the 64-bit build, under 64-bit Wine"
WINEPREFIX="$work/wine64" xvfb-run -a bash scripts/test-package-wine.sh sends "$sends" "$work/sent64"
for sent in "$work"/sent64/*.txt; do
  [ "$(tail -1 "$sent")" = "exit 0" ] || {
    cat "$sent"
    fail "the 64-bit build's send $(basename "$sent" .txt) did not go on (above)"
  }
done
cp "$built/hostsim.exe" "$unpacked/TELEPOST.dll" "$sends/"

emulated_started=$SECONDS
WINEPREFIX="$work/wine" bash scripts/wine32-emulated.sh xvfb-run -a \
  bash scripts/test-package-wine.sh zip "$unpacked" "$name" "$sample" "$sends" "$work/sent32"
emulated=$((SECONDS - emulated_started))
diff -r "$work/sent64" "$work/sent32" >"$work/sent.diff" || {
  head -c 20000 "$work/sent.diff"
  fail "a send through the 32-bit DLL from the zip, emulated, differs from the 64-bit build's (above: < 64-bit, > 32-bit)"
}
echo "test-package: the sends through the 32-bit DLL from the zip, emulated, match the 64-bit build's:" \
  "$(cd "$work/sent32" && for f in *.txt; do printf '%s (%s) ' "${f%.txt}" "$(tail -1 "$f")"; done)"
echo "test-package: the emulated part took $((emulated / 60)) min $((emulated % 60)) s" \
  "($((SECONDS - emulation_started)) s with the 64-bit sends)"
echo "test-package: $name.zip passed"
