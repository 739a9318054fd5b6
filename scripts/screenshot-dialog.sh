#!/usr/bin/env bash
# Takes the pictures for the README: the Windows build's stand-in host opens
# the settings dialog, then runs the double-byte check on a Japanese message,
# under Wine on a headless X server, in the Japanese locale (ANSI code page
# 932), with IPA P Gothic standing in for the dialog's face "ＭＳ Ｐゴシック"
# (and Windows' other Japanese faces) through Wine's font substitutes, and
# Wine's own fonts (fonts-wine) for the caption buttons' symbols. Each box is
# drawn as the active window (scripts/draw-active.c).
#   bash scripts/screenshot-dialog.sh [FOLDER]   (default docs/: settings-dialog.png,
#                                                 double-byte-check.png)
# Needs the windows preset built, and wine, fonts-wine, xvfb-run, ImageMagick
# and fonts-ipafont-gothic installed.
set -euo pipefail
cd "$(dirname "$0")/.."
folder=$(realpath -m "${1:-docs}")
mkdir -p "$folder"
hostsim=build/windows/hostsim.exe
[ -f "$hostsim" ] || { echo "build the windows preset first: $hostsim is missing" >&2; exit 2; }
draw_active=build/windows/draw-active.exe
i686-w64-mingw32-gcc -O2 -Wall -o "$draw_active" scripts/draw-active.c

prefix=$(mktemp -d /tmp/telepost-screenshot.XXXXXX)
trap 'WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true; rm -rf "$prefix"' EXIT

export WINEPREFIX="$prefix"
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=ja_JP.UTF-8
export HOSTSIM="$hostsim" DRAW_ACTIVE="$draw_active" FOLDER="$folder"

xvfb-run -a -s "-screen 0 640x400x24" bash -c '
  set -e
  wineboot --init >/dev/null 2>&1
  # No window manager: Wine draws the caption and frame itself.
  wine reg add "HKCU\\Software\\Wine\\X11 Driver" /v Managed /d N /f >/dev/null 2>&1
  substitutes="HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes"
  for face in "ＭＳ Ｐゴシック" "MS PGothic" "MS UI Gothic" "MS Shell Dlg" "MS Shell Dlg 2"; do
    wine reg add "$substitutes" /v "$face" /d "IPAPGothic" /f >/dev/null 2>&1
  done
  # Marlett draws the caption buttons; Wine reads it from the prefix'"'"'s fonts.
  cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
  wineserver -w
  # Each window waits for a person: drawn active, photographed, then closed.
  photograph() {
    wine "$DRAW_ACTIVE"
    sleep 1
    import -window root png:- | convert - -trim +repage "$FOLDER/$1"
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w
  }
  wine "$HOSTSIM" setup >/dev/null 2>&1 &
  photograph settings-dialog.png
  # Wine hands the UTF-8 argument to the program in code page 932.
  wine "$HOSTSIM" command --person check --text "テスト" >/dev/null 2>&1 &
  photograph double-byte-check.png
'
echo "wrote $folder/settings-dialog.png and $folder/double-byte-check.png"
