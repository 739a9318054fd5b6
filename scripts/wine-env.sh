# Sourced by the scripts that run Windows programs under Wine: one private
# prefix, headless on Xvfb, with the Japanese ANSI code page (932), as on the
# plug-in's users' machines.
#
# The Windows tests run the 32-bit build (the windows preset, the DLL users
# get) under 32-bit Wine. Some kernels run no 32-bit programs at all (IA-32
# emulation switched off); there 32-bit Wine cannot start, and the same
# sources are tested as 64-bit programs (the windows64 preset) under 64-bit
# Wine instead, while the package test runs the 32-bit DLL from the zip
# under 32-bit Wine emulated by qemu-user (scripts/wine32-emulated.sh), on a
# chosen set of tests, wherever that emulation can be had.
#
# Sets TELEPOST_WINE_BITS (32 or 64), TELEPOST_WINE_PRESET, WINEARCH, WINELOADER
# and the wine/wineserver commands to use; scripts/wine-boot.sh then boots the
# prefix inside xvfb-run. Sourced again inside the emulation's namespace, it
# chooses 32 bits there.

if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  TELEPOST_WINE_BITS=32
  TELEPOST_WINE_PRESET=windows
  export WINEARCH=win32
  unset WINELOADER
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
# No Mono or Gecko installer prompts, no menu entries made for the desktop.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# Wine takes its code page from the locale's name; LANG alone does not switch it.
export LC_ALL=ja_JP.UTF-8

# How the 32-bit DLL can run here: TELEPOST_WINE32_WAY is "direct" (this
# kernel runs 32-bit programs), "emulated" (it does not, and
# scripts/wine32-emulated.sh makes a namespace where they run under
# qemu-i386-static) or "none", with TELEPOST_WINE32_WHY saying why not.
wine32_way() {
  TELEPOST_WINE32_WHY=
  if [ "${TELEPOST_WINE32_EMULATED:-}" ]; then
    TELEPOST_WINE32_WAY=emulated # inside the namespace already
  elif [ "$TELEPOST_WINE_BITS" = 32 ]; then
    TELEPOST_WINE32_WAY=direct
  elif [ "${TELEPOST_WINE32_EMULATE:-0}" != 1 ]; then
    # Emulated, a prefix boots in some twenty minutes on two cores and the
    # chosen tests take as long again: until that fits beside the rest of a
    # CI run, it is asked for (TELEPOST_WINE32_EMULATE=1), not taken.
    TELEPOST_WINE32_WAY=none
    TELEPOST_WINE32_WHY="the emulated run is off (TELEPOST_WINE32_EMULATE=1 runs it, which takes some forty minutes here)"
  elif TELEPOST_WINE32_WHY=$(bash "$(dirname "${BASH_SOURCE[0]}")/wine32-emulated.sh" --check); then
    TELEPOST_WINE32_WAY=emulated
  else
    TELEPOST_WINE32_WAY=none
  fi
}

# Says once which Wine the tests run under, and why.
wine_explain() {
  if [ "$TELEPOST_WINE_BITS" = 64 ]; then
    wine32_way
    local dll="the package test runs the 32-bit TELEPOST.dll from the zip under 32-bit Wine emulated by qemu-i386-static, on a chosen set of tests"
    [ "$TELEPOST_WINE32_WAY" = emulated ] ||
      dll="the 32-bit TELEPOST.dll is checked without being run, for qemu-user emulation cannot be had here: $TELEPOST_WINE32_WHY"
    echo "note: this kernel runs no 32-bit programs, so 32-bit Wine cannot start here:" \
      "the Windows tests run the 64-bit build of the same sources under 64-bit Wine," \
      "and $dll" >&2
  fi
}
