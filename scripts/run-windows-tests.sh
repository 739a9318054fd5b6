#!/usr/bin/env bash
# Runs the Windows build's tests under Wine, headless on Xvfb, in a fresh
# private Wine prefix with the Japanese ANSI code page (932), as on the
# plug-in's users' machines. Extra arguments go to ctest.
set -euo pipefail
cd "$(dirname "$0")/.."

prefix=$(mktemp -d /tmp/telepost-wine.XXXXXX)
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$prefix"' EXIT

export WINEPREFIX="$prefix"
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installer prompts
# Wine takes its code page from the locale's name; LANG alone does not switch it.
export LC_ALL=ja_JP.UTF-8

xvfb-run -a bash -c '
  set -e
  wineboot --init >/dev/null 2>&1
  # No window manager on Xvfb: unmanaged windows close without a wait.
  wine reg add "HKCU\\Software\\Wine\\X11 Driver" /v Managed /d N /f >/dev/null 2>&1
  wineserver -w
  wineserver -p </dev/null >/dev/null 2>&1  # one server for all the test programs
  # Start the prefix'"'"'s own processes now, away from ctest'"'"'s output pipes:
  # started by the first test, they would hold its output open to the end.
  wine cmd /c exit </dev/null >/dev/null 2>&1
  ctest --preset windows "$@"
' wine-tests "$@"
