#!/usr/bin/env bash
# The soak run (bench/soak): natively, a Release build without sanitizers in
# build/soak, then the Windows build's DLL under Wine, headless on Xvfb in a
# fresh private Wine prefix with code page 932. Not part of the test suite.
# "native" or "windows" as the argument runs only that one.
set -euo pipefail
cd "$(dirname "$0")/.."
which=${1:-both}

if [[ $which != windows ]]; then
  cmake -S . -B build/soak -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build build/soak -j2 --target soak >/dev/null
  echo "== natively"
  build/soak/soak
fi

if [[ $which != native ]]; then
  cmake --preset windows >/dev/null
  cmake --build --preset windows -j2 --target soak >/dev/null
  prefix=$(mktemp -d /tmp/telepost-wine.XXXXXX)
  trap 'WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true; rm -rf "$prefix"' EXIT
  export WINEPREFIX="$prefix" WINEARCH=win32 WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export LC_ALL=ja_JP.UTF-8
  echo "== the DLL under Wine"
  xvfb-run -a bash -c '
    set -e
    wineboot --init >/dev/null 2>&1
    wine reg add "HKCU\\Software\\Wine\\X11 Driver" /v Managed /d N /f >/dev/null 2>&1
    wineserver -w
    status=0
    wine build/windows/soak.exe || status=$?
    wineserver -k >/dev/null 2>&1 || true  # before Xvfb goes
    exit $status
  '
fi
