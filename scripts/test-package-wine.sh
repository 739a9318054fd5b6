#!/usr/bin/env bash
# The package test's part under Wine, run by scripts/test-package.sh inside
# xvfb-run (and where this kernel runs no 32-bit programs, inside
# scripts/wine32-emulated.sh as well). Boots the prefix WINEPREFIX names,
# once, and kills its server at the end.
#
#   test-package-wine.sh zip UNPACKED NAME SAMPLE [SENDS OUT]
#     the 32-bit DLL from the zip, unpacked in UNPACKED beside the test
#     programs: the integration tests (under emulation the chosen ones), the
#     version resource, hostsim.exe info, and the sample settings file as
#     TELEPOST.ini in SAMPLE; with SENDS, the sends below, written to OUT.
#   test-package-wine.sh sends SENDS OUT
#     the sends alone: hostsim.exe and TELEPOST.dll in SENDS send the
#     messages there, each send's output and exit status written to OUT.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-env.sh
emulated=${TELEPOST_WINE32_EMULATED:-}

fail() {
  echo "test-package: $*" >&2
  exit 1
}

# The tests run under emulation, where a program takes some 40 times as
# long as natively and each start of one about a minute: loading the DLL
# through its exports, a send through each carrier's rules, the compose
# window's commands (the three conversions and the check), the settings
# dialog's OK, the notice about the INI file, reading the settings at start.
# The refused load of a host that lacks a function is not among them: the
# plug-in then tells a debugger (OutputDebugStringA), and under qemu-user
# Wine's handling of that kills the process (SIGSEGV, status 139), which
# native 32-bit Wine does not; the 64-bit build runs that test.
emulated_tests=FrameTest.*:OutgoingTest.SendsAsTheCarriersRulesSay
emulated_tests+=:OutgoingTest.ACancelledSendLeavesTheMessageAsWritten
emulated_tests+=:CommandsTest.CommandsActOnTheMessageWhateverTheSettings
emulated_tests+=:SettingsDialogTest.ShowsTheFileAndStoresOnlyOnOk
emulated_tests+=:SettingsDialogTest.OkWritesTheKeysInOrder
emulated_tests+=:IniNoticeTest.AByteOrderMarkIsToldOnceAStartNamingTheFile
emulated_tests+=:AddedDomainsTest.EveryCarrierTakesItsWholeRuleToAnAddedDomain

# A hung program is ended, at several times what it takes.
scale=1
[ -z "$emulated" ] || scale=20

# The messages of examples/ through each carrier's rules, every conversion
# on, and a long real text (the guide) through all three conversions to a
# DoCoMo address, as hostsim.exe in SENDS shows them.
sends() {
  local folder=$1 out=$2 name status
  mkdir -p "$out"
  send() {
    name=$1
    shift
    status=0
    (cd "$folder" && timeout $((60 * scale)) "$TELEPOST_WINE" ./hostsim.exe send "$@") \
      </dev/null >"$out/$name.txt" 2>&1 || status=$?
    echo "exit $status" >>"$out/$name.txt"
  }
  send carrier-j carrier-j.txt --yes --hankaku on --emoji on
  send carrier-d carrier-d.txt --no --hankaku on
  send mixed mixed.txt --yes --hankaku on --emoji on --delete-crlf on
  send guide guide.txt --substitute --yes --hankaku on --emoji on --delete-crlf on
}

trap '"$TELEPOST_WINESERVER" -k >/dev/null 2>&1 || true' EXIT
bash scripts/wine-boot.sh

if [ "$1" = sends ]; then
  sends "$2" "$3"
  exit 0
fi

unpacked=$2 name=$3 sample=$4
filter=()
if [ -n "$emulated" ]; then
  filter=(--gtest_filter="$emulated_tests")
  echo "-- integration tests against the DLL from the zip, emulated: $emulated_tests"
  echo "   (not the refused load of a host that lacks a function: its OutputDebugStringA kills an emulated process)"
else
  echo "-- integration tests against the DLL from the zip"
fi
(cd "$unpacked" && timeout $((300 * scale)) "$TELEPOST_WINE" ./integration_tests.exe --gtest_brief=1 "${filter[@]}")
echo "-- version resource of the DLL from the zip"
(cd "$unpacked" && timeout $((120 * scale)) "$TELEPOST_WINE" ./version_resource_test.exe --gtest_brief=1)

echo "-- hostsim.exe info"
(cd "$unpacked" && "$TELEPOST_WINE" ./hostsim.exe info) | tee "$unpacked/info.txt"
grep -Eq "^vendor +Varnok" "$unpacked/info.txt" || fail "hostsim info names no vendor Varnok"
grep -Eq "^version +2\.6b for DoCoMo" "$unpacked/info.txt" || fail "hostsim info shows no version 2.6b"
# The settings file it names lies beside the DLL from the zip.
grep -Fq "$name\\TELEPOST.ini" "$unpacked/info.txt" || fail "the settings file is not beside the DLL"

echo "-- the sample settings file as TELEPOST.ini"
cd "$sample"
status=0
"$TELEPOST_WINE" ./hostsim.exe send long.txt --no >send.txt || status=$?
[ "$status" = 1 ] || {
  cat send.txt
  fail "without the sample: exit $status, expected 1 (No to the warning)"
}
cp "$unpacked/TELEPOST-sample.ini" TELEPOST.ini
"$TELEPOST_WINE" ./hostsim.exe info | tee info.txt
grep -Eq "^ +exempt domains +docomo\.ne\.jp[[:space:]]*\$" info.txt || fail "the sample's exempt domains are not read"
if grep -q skipped info.txt; then fail "the sample has an item the plug-in skips"; fi
"$TELEPOST_WINE" ./hostsim.exe send long.txt --no | tee send.txt
grep -Eq "^headers +unchanged" send.txt || fail "a DoCoMo address exempt by the sample got its rule"
cmp -s TELEPOST.ini "$unpacked/TELEPOST-sample.ini" || fail "a send changed TELEPOST.ini"
cd - >/dev/null

if [ $# -ge 6 ]; then
  echo "-- sends through each carrier's rules and the three conversions"
  sends "$5" "$6"
fi
