#!/usr/bin/env bash
# Runs the Windows build's tests under Wine, headless on Xvfb, in a fresh
# private Wine prefix with the Japanese ANSI code page (932), as on the
# plug-in's users' machines (scripts/wine-env.sh says which build runs where
# the kernel runs no 32-bit programs). Extra arguments go to ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-env.sh
wine_explain

if [ "$TELEPOST_WINE_BITS" = 64 ]; then
  # What can be checked of the 32-bit DLL without running it: its exports and
  # imports, and that it is stripped and names its debug file.
  ctest --preset windows -R '^(dll_exports|dll_stripped)$'
  cmake --preset windows64 -DTELEPOST_WERROR="${TELEPOST_WERROR:-OFF}" >/dev/null
  cmake --build --preset windows64 -j"$(nproc)"
fi

prefix=$(mktemp -d /tmp/telepost-wine.XXXXXX)
trap '"$TELEPOST_WINESERVER" -k >/dev/null 2>&1 || true; rm -rf "$prefix"' EXIT
export WINEPREFIX="$prefix"

xvfb-run -a bash -c '
  set -e
  bash scripts/wine-boot.sh
  ctest --preset "$TELEPOST_WINE_PRESET" "$@"
' wine-tests "$@"
