# Sourced by the scripts that run Windows programs under Wine: one private
# prefix, headless on Xvfb, with the Japanese ANSI code page (932), as on the
# plug-in's users' machines.
#
# The Windows tests run the 32-bit build (the windows preset, the DLL users
# get) under 32-bit Wine. Some kernels run no 32-bit programs at all (IA-32
# emulation switched off); there 32-bit Wine cannot start, and the same
# sources are tested as 64-bit programs (the windows64 preset) under 64-bit
# Wine instead, while the 32-bit DLL is checked without running it.
#
# Sets TELEPOST_WINE_BITS (32 or 64), TELEPOST_WINE_PRESET, WINEARCH, WINELOADER
# and the wine/wineserver commands to use; scripts/wine-boot.sh then boots the
# prefix inside xvfb-run.

if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  TELEPOST_WINE_BITS=32
  TELEPOST_WINE_PRESET=windows
  export WINEARCH=win32
  TELEPOST_WINE=wine
  TELEPOST_WINESERVER=wineserver
else
  TELEPOST_WINE_BITS=64
  TELEPOST_WINE_PRESET=windows64
  export WINEARCH=win64
  export WINELOADER=/usr/lib/wine/wine64
  TELEPOST_WINE=/usr/lib/wine/wine64
  TELEPOST_WINESERVER=/usr/lib/wine/wineserver64
fi
export TELEPOST_WINE_BITS TELEPOST_WINE_PRESET TELEPOST_WINE TELEPOST_WINESERVER
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installer prompts
# Wine takes its code page from the locale's name; LANG alone does not switch it.
export LC_ALL=ja_JP.UTF-8

# Says once which Wine the tests run under, and why.
wine_explain() {
  if [ "$TELEPOST_WINE_BITS" = 64 ]; then
    echo "note: this kernel runs no 32-bit programs, so 32-bit Wine cannot start here:" \
      "the Windows tests run the 64-bit build of the same sources under 64-bit Wine," \
      "and the 32-bit TELEPOST.dll is checked without being run" >&2
  fi
}
