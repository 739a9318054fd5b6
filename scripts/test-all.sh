#!/usr/bin/env bash
# Every test, native and under Wine: installs what is missing, builds the
# native (ASan/UBSan), fuzz and Windows presets, and runs their tests; makes
# the release package and tests it as a user gets it; builds the DLL twice
# from clones in two folders and compares them.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
jobs=$(nproc)
# TELEPOST_WERROR=ON (as CI sets it) makes every warning an error in every preset.
presets=(-DTELEPOST_WERROR="${TELEPOST_WERROR:-OFF}")

echo "== format"
bash scripts/check-format.sh

echo "== includes: each library includes only itself and those below it"
python3 scripts/check-includes.py

echo "== native: unit, integration and differential tests under ASan and UBSan"
cmake --preset native "${presets[@]}" >/dev/null
cmake --build --preset native -j"$jobs"
ctest --preset native

echo "== fuzz: bounded libFuzzer runs"
cmake --preset fuzz "${presets[@]}" >/dev/null
cmake --build --preset fuzz -j"$jobs"
ctest --preset fuzz

echo "== windows: TELEPOST.dll and the same tests under Wine"
cmake --preset windows "${presets[@]}" >/dev/null
cmake --build --preset windows -j"$jobs"
bash scripts/run-windows-tests.sh

echo "== package: dist/ as a user downloads it, its DLL under Wine"
bash scripts/package.sh
bash scripts/test-package.sh

echo "== reproducible: the DLL of this commit built twice in two folders"
# The packaged DLL is compared too when it was built from this commit alone.
package=()
if [ -z "$(git status --porcelain --untracked-files=no)" ]; then
  version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/windows/CMakeCache.txt)
  package=("dist/TELEPOST-$version-win32.zip")
fi
bash scripts/check-reproducible.sh "${package[@]}"
