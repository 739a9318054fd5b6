#!/usr/bin/env bash
# Measures the three conversions on the benchmark corpus (4 KiB, 64 KiB,
# 1 MiB and 64 MiB of Japanese mail in Shift-JIS, seed 1) in one run: the
# Linux build (bench preset), the same sources built as the windows preset
# builds the DLL (32-bit MinGW-w64, static runtime) run under Wine, memcpy
# beside each, and the peers nkf and tr; prints one markdown table.
# Extra arguments go to bench/report.py (--rounds N, --min-time SECONDS).
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset bench >/dev/null
cmake --build --preset bench -j2 --target conversions_bench >/dev/null
python3 bench/make_corpus.py --seed 1 --out build/bench/corpus

# The DLL's build runs under 32-bit Wine, which needs a kernel that runs
# 32-bit programs; without one the table has the Linux build alone.
dll=()
if wine --version >/dev/null 2>&1; then
  # The windows preset's configuration in a folder of its own, with only the
  # benchmark built.
  cmake --preset windows -B build/bench-windows -DTELEPOST_BENCH=ON >/dev/null
  cmake --build build/bench-windows -j2 --target conversions_bench >/dev/null
  # A private Wine prefix, kept between runs (making one takes a while), with
  # one server for all the runs.
  export WINEPREFIX="$PWD/build/bench-windows/wine"
  export WINEARCH=win32
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installer prompts
  if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    wineboot --init >/dev/null 2>&1
    wineserver -w
  fi
  trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
  wineserver -p </dev/null >/dev/null 2>&1
  dll=(--dll build/bench-windows/conversions_bench.exe)
else
  echo "run_conversions: Wine does not run on this machine; the DLL's build is not timed" >&2
fi

python3 bench/report.py --native build/bench/conversions_bench "${dll[@]}" \
  --corpus build/bench/corpus "$@"
