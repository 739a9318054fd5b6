#!/usr/bin/env bash
# Takes the picture of the settings dialog for the README: the Windows build's
# stand-in host opens the dialog under Wine on a headless X server, in the
# Japanese locale (ANSI code page 932), with IPA P Gothic standing in for the
# dialog's face "ＭＳ Ｐゴシック" through Wine's font substitutes.
#   bash scripts/screenshot-dialog.sh [OUTPUT.png]    (default docs/settings-dialog.png)
# Needs the windows preset built, and wine, xvfb-run, ImageMagick and
# fonts-ipafont-gothic installed.
set -euo pipefail
cd "$(dirname "$0")/.."
output=$(realpath -m "${1:-docs/settings-dialog.png}")
hostsim=build/windows/hostsim.exe
[ -f "$hostsim" ] || { echo "build the windows preset first: $hostsim is missing" >&2; exit 2; }

prefix=$(mktemp -d /tmp/telepost-screenshot.XXXXXX)
trap 'WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true; rm -rf "$prefix"' EXIT

export WINEPREFIX="$prefix"
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=ja_JP.UTF-8
export HOSTSIM="$hostsim" OUTPUT="$output"

xvfb-run -a -s "-screen 0 640x400x24" bash -c '
  set -e
  wineboot --init >/dev/null 2>&1
  # No window manager: Wine draws the caption and frame itself.
  wine reg add "HKCU\\Software\\Wine\\X11 Driver" /v Managed /d N /f >/dev/null 2>&1
  substitutes="HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes"
  for face in "ＭＳ Ｐゴシック" "MS PGothic" "MS UI Gothic" "MS Shell Dlg" "MS Shell Dlg 2"; do
    wine reg add "$substitutes" /v "$face" /d "IPAPGothic" /f >/dev/null 2>&1
  done
  wineserver -w
  # The dialog waits for a person; it is photographed and then closed.
  wine "$HOSTSIM" setup >/dev/null 2>&1 &
  sleep 8
  import -window root png:- | convert - -trim +repage "$OUTPUT"
  wineserver -k >/dev/null 2>&1 || true
'
echo "wrote $output"
