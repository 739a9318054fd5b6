#!/usr/bin/env bash
# Installs what building and testing TELEPOST needs on a Debian machine:
# the native toolchain, the MinGW-w64 cross compilers, 32- and 64-bit Wine
# (64-bit for kernels that run no 32-bit programs, and there qemu-user to run
# the 32-bit one), Xvfb,
# the fuzzing runtime, the benchmark peers, a Japanese locale and font, Wine's
# own fonts (the caption buttons' symbols), zip and a Markdown parser
# (markdown-it-py, which turns the guide into README-ja.txt) for the release
# package, and the data the conversions' differential test compares with (the
# Unicode data's emoji sources, Python's test texts of its CJK codecs).
# Safe to run again: it only installs what is missing.
set -euo pipefail

need_root() {
  if [ "$(id -u)" -ne 0 ]; then
    echo "install-deps: run as root (apt-get is needed)" >&2
    exit 1
  fi
}

packages=(
  build-essential cmake ninja-build pkg-config python3 clang-format
  googletest libgtest-dev libbenchmark-dev
  clang libclang-rt-14-dev
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine32:i386 wine64 fonts-wine xvfb xauth x11-utils imagemagick
  nkf locales fonts-ipafont-gothic
  git zip unzip python3-markdown-it
  unicode-data libpython3.11-testsuite
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

updated=
if [ "${#missing[@]}" -gt 0 ]; then
  need_root
  export DEBIAN_FRONTEND=noninteractive
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  apt-get update -q
  updated=1
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Where this kernel runs no 32-bit programs, 32-bit Wine runs under qemu-user
# emulation instead (scripts/wine32-emulated.sh). The package registers no
# emulator for i386 on an x86-64 machine, and the namespace's registration
# ends with it.
if ! /usr/lib/wine/wine --version >/dev/null 2>&1 &&
  ! dpkg-query -W -f='${Status}' qemu-user-static 2>/dev/null | grep -q "install ok installed"; then
  need_root
  export DEBIAN_FRONTEND=noninteractive
  [ -n "$updated" ] || apt-get update -q
  apt-get install -y -q --no-install-recommends qemu-user-static
fi

# Wine takes its ANSI code page from the locale's name: ja_JP.UTF-8 gives 932.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  need_root
  localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
