#!/usr/bin/env bash
# Inside xvfb-run, after scripts/wine-env.sh: boots the prefix WINEPREFIX
# names, with one server that the boot and every program after it share (a
# new server would start the prefix's own processes again, which under
# emulation takes minutes).
#
# The first program of a prefix starts its boot and waits for it, but two
# minutes at most (five for a folder it made); then it goes on without it.
# Under emulation (scripts/wine32-emulated.sh) the boot takes longer: the
# program then fails (status 53, "could not load kernel32.dll") while the
# boot goes on. So its status says nothing; the boot has ended when no
# wineboot.exe of this prefix runs any more.
set -euo pipefail

fail() {
  echo "wine-boot: $*" >&2
  exit 1
}

# Whether a wineboot.exe of this prefix still runs.
booting() {
  local process
  for process in /proc/[0-9]*; do
    grep -qaF 'wineboot.exe' "$process/cmdline" 2>/dev/null &&
      tr '\0' '\n' <"$process/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" &&
      return 0
  done
  return 1
}

mkdir -p "$WINEPREFIX"
"$TELEPOST_WINESERVER" -p </dev/null >/dev/null 2>&1
# The boot starts the prefix's own processes, away from the callers' output
# pipes: started by the first test, they would hold its output open to the end.
started=$SECONDS
"$TELEPOST_WINE" wineboot --init </dev/null >/dev/null 2>&1 || true
limit=${TELEPOST_WINE_BOOT_LIMIT:-3600}
while booting; do
  [ $((SECONDS - started)) -lt "$limit" ] || fail "the boot of $WINEPREFIX did not end in $limit s"
  sleep 5
done
# No window manager on Xvfb: unmanaged windows close without a wait. This
# program fails, or says that it waited for the boot in vain, when the boot
# did not complete.
output=$(WINEDEBUG=err+environ "$TELEPOST_WINE" reg add 'HKCU\Software\Wine\X11 Driver' \
  /v Managed /d N /f </dev/null 2>&1) || fail "the prefix $WINEPREFIX does not work after its boot: $output"
if grep -q 'boot event wait timed out' <<<"$output"; then
  fail "the boot of $WINEPREFIX did not complete"
fi
