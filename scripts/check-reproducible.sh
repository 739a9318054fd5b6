#!/usr/bin/env bash
# Shows that TELEPOST.dll is reproducible: clones the current commit into two
# different folders, builds only the DLL in each with the windows preset, one
# after the other, and compares the SHA-256 of the two DLLs and of their debug
# files. SOURCE_DATE_EPOCH is the commit's time. Changes not yet committed are
# not part of the check. Given a package that scripts/package.sh made of this
# commit, the DLL in it must be the same one too.
#   bash scripts/check-reproducible.sh [dist/TELEPOST-<version>-win32.zip]
set -euo pipefail
cd "$(dirname "$0")/.."

commit=$(git rev-parse HEAD)
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct "$commit")
export SOURCE_DATE_EPOCH
work=$(mktemp -d /tmp/telepost-reproducible.XXXXXX)
trap 'rm -rf "$work"' EXIT

# build FOLDER: clones the commit there, builds the DLL, prints the hashes.
build() {
  git clone -q --no-checkout --no-hardlinks . "$1"
  git -C "$1" -c advice.detachedHead=false checkout -q "$commit"
  (
    cd "$1"
    cmake --preset windows >/dev/null
    cmake --build --preset windows -j"$(nproc)" --target TELEPOST >/dev/null
    cd build/windows
    sha256sum TELEPOST.dll TELEPOST.dll.debug
  )
}

first=$(build "$work/first")
second=$(build "$work/second/a/longer/path")
echo "$first"
if [ "$first" != "$second" ]; then
  echo "$second"
  echo "check-reproducible: the two builds of $commit differ" >&2
  exit 1
fi
echo "check-reproducible: two builds of $commit in two folders are identical"

if [ "$#" -gt 0 ]; then
  package=$1
  packaged=$(unzip -p "$package" TELEPOST.dll | sha256sum | cut -d' ' -f1)
  if [ "$packaged" != "$(echo "$first" | head -1 | cut -d' ' -f1)" ]; then
    echo "check-reproducible: the DLL in $package differs from the builds of $commit" >&2
    exit 1
  fi
  echo "check-reproducible: the DLL in $package is the same"
fi
