#!/usr/bin/env bash
# Measures the three conversions on the benchmark corpus (4 KiB, 64 KiB,
# 1 MiB and 64 MiB of Japanese mail in Shift-JIS, seed 1) against memcpy and
# the peers nkf and tr, in one run, and prints one markdown table.
# Extra arguments go to the benchmark program (Google Benchmark flags).
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset bench >/dev/null
cmake --build --preset bench -j2 --target conversions_bench >/dev/null
python3 bench/make_corpus.py --seed 1 --out build/bench/corpus
python3 bench/report.py --bench build/bench/conversions_bench --corpus build/bench/corpus "$@"
