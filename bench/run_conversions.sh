#!/usr/bin/env bash
# Measures the three conversions on the benchmark corpus (4 KiB, 64 KiB,
# 1 MiB and 64 MiB of Japanese mail in Shift-JIS, seed 1) in one run: the
# Linux build (bench preset), the same sources built as the windows preset
# builds the DLL (32-bit MinGW-w64, static runtime) run under Wine (or, where
# only 64-bit Wine runs, the 64-bit Windows build in its place), memcpy
# beside each, and the peers nkf and tr; prints one markdown table.
# Extra arguments go to bench/report.py (--rounds N, --min-time SECONDS).
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset bench >/dev/null
cmake --build --preset bench -j2 --target conversions_bench >/dev/null
python3 bench/make_corpus.py --seed 1 --out build/bench/corpus

# The DLL's build runs under 32-bit Wine, which needs a kernel that runs
# 32-bit programs. Where only 64-bit Wine runs, the same sources built as
# 64-bit Windows programs (the windows64 preset) stand in: not the DLL, but
# Wine, its memory and the Windows C runtime, so that what they cost is told
# apart from what the 32-bit build costs. Without Wine the table has the
# Linux build alone.
windows=()
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  preset=windows bits=32 loader=/usr/lib/wine/wine server=wineserver
elif /usr/lib/wine/wine64 --version >/dev/null 2>&1; then
  preset=windows64 bits=64 loader=/usr/lib/wine/wine64 server=/usr/lib/wine/wineserver64
  echo "run_conversions: this kernel runs no 32-bit programs, so the DLL's build cannot be" \
    "timed; the 64-bit Windows build of the same sources stands in" >&2
else
  preset=
  echo "run_conversions: Wine does not run on this machine; the DLL's build is not timed" >&2
fi
if [[ -n "$preset" ]]; then
  # The preset's configuration in a folder of its own, with only the
  # benchmark built.
  folder="build/bench-$preset"
  cmake --preset "$preset" -B "$folder" -DTELEPOST_BENCH=ON >/dev/null
  cmake --build "$folder" -j2 --target conversions_bench >/dev/null
  # A private Wine prefix, kept between runs (making one takes a while), with
  # one server for all the runs. No locale is set, so the peers run with the
  # caller's.
  export WINEPREFIX="$PWD/$folder/wine"
  export WINEARCH="win$bits"
  export WINELOADER="$loader"
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installer prompts
  if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    "$loader" wineboot --init >/dev/null 2>&1
    "$server" -w
  fi
  trap '"$server" -k >/dev/null 2>&1 || true' EXIT
  "$server" -p </dev/null >/dev/null 2>&1
  windows=(--wine "$loader" --windows-bits "$bits" --windows "$folder/conversions_bench.exe")
fi

python3 bench/report.py --native build/bench/conversions_bench "${windows[@]}" \
  --corpus build/bench/corpus "$@"
