#!/usr/bin/env bash
# Inside xvfb-run, after scripts/wine-env.sh: boots the prefix WINEPREFIX
# names and starts the server that every program after it shares.
set -euo pipefail
"$TELEPOST_WINE" wineboot --init >/dev/null 2>&1
# No window manager on Xvfb: unmanaged windows close without a wait.
"$TELEPOST_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
"$TELEPOST_WINESERVER" -w
"$TELEPOST_WINESERVER" -p </dev/null >/dev/null 2>&1 # one server for all the programs
# Start the prefix's own processes now, away from ctest's output pipes:
# started by the first test, they would hold its output open to the end.
"$TELEPOST_WINE" cmd /c exit </dev/null >/dev/null 2>&1
