#!/usr/bin/env python3
"""Runs the conversion benchmark and the two peers on the corpus, in one run,
and prints one markdown table.

    report.py --bench build/bench/conversions_bench --corpus build/bench/corpus

Our conversions and memcpy are timed in process by Google Benchmark (median
of three repetitions, after a warm-up); the peers are timed as whole processes reading the
corpus file on standard input and writing to /dev/null (median of the runs).
MB is 10^6 bytes.
"""
import argparse
import json
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

SIZES = ["4KiB", "64KiB", "1MiB", "64MiB"]
GOAL_SIZE = "64MiB"
MAIL_SIZE = "4KiB"

CONVERSIONS = ["ZenkakuToHankaku", "ToImodeEmoji", "DeleteBlanks"]
PEERS = {
    "nkf": ["nkf", "-S", "-s", "-x", "-Z1"],
    "tr": ["tr", "-d", "\t\n\r "],
}
PEER_LABELS = {
    "nkf": "`nkf -S -s -x -Z1` (whole process)",
    "tr": "`tr -d '\\t\\n\\r '` (whole process)",
}
PEER_RUNS = 5

# Goals on the largest corpus: a floor in MB/s and a multiple of a peer.
GOALS = {
    "ZenkakuToHankaku": (700, "nkf", 10),
    "ToImodeEmoji": (1000, None, None),
    "DeleteBlanks": (2500, "tr", 4),
}
ALL_THREE_GOAL_US = 10


def corpus_file(corpus, size):
    return os.path.join(corpus, f"corpus-{size}.txt")


def run_benchmark(program, corpus, extra):
    with tempfile.NamedTemporaryFile(suffix=".json") as out:
        subprocess.run(
            [program, "--benchmark_min_warmup_time=0.2", "--benchmark_repetitions=3",
             "--benchmark_report_aggregates_only=true",
             f"--benchmark_out={out.name}", "--benchmark_out_format=json", *extra],
            env={**os.environ, "TELEPOST_CORPUS": corpus}, stdout=sys.stderr, check=True)
        report = json.load(open(out.name))
    medians = {}
    for entry in report["benchmarks"]:
        if entry.get("aggregate_name") == "median":
            name = entry["run_name"].replace("/manual_time", "")
            medians[name] = entry
    return medians


def time_peer(command, path):
    times = []
    for _ in range(PEER_RUNS):
        with open(path, "rb") as source:
            start = time.perf_counter()
            subprocess.run(command, stdin=source, stdout=subprocess.DEVNULL, check=True)
            times.append(time.perf_counter() - start)
    return statistics.median(times)


def number(value):
    return f"{value:,.0f}" if value >= 100 else f"{value:,.1f}"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--bench", required=True)
    parser.add_argument("--corpus", required=True)
    args, extra = parser.parse_known_args()

    sizes = [size for size in SIZES if os.path.exists(corpus_file(args.corpus, size))]
    bench = run_benchmark(args.bench, args.corpus, extra)

    def mbps(name, size):
        entry = bench.get(f"{name}/{size}")
        return entry["bytes_per_second"] / 1e6 if entry else None

    peers = {}
    for peer, command in PEERS.items():
        if shutil.which(command[0]) is None:
            continue
        for size in sizes:
            path = corpus_file(args.corpus, size)
            peers[peer, size] = os.path.getsize(path) / time_peer(command, path) / 1e6

    def cell(value, size):
        if value is None:
            return "—"
        copy = mbps("memcpy", size)
        return f"{number(value)} ({value / copy:.3f})" if copy else number(value)

    def goal(name):
        floor, peer, multiple = GOALS[name]
        value = mbps(name, GOAL_SIZE)
        if value is None:
            return "—"
        parts, met = [], value >= floor
        if peer:
            peer_value = peers.get((peer, GOAL_SIZE))
            if peer_value:
                parts.append(f"≥ {multiple} × {peer}: {value / peer_value:.1f} ×")
                met = met and value >= multiple * peer_value
        parts.append(f"≥ {floor:,} MB/s")
        return ", ".join(parts) + (": met" if met else ": **not met**")

    header = ["MB/s (÷ memcpy of the same size)"] + [size.replace("KiB", " KiB").replace("MiB", " MiB") for size in sizes]
    header.append(f"Goal on {GOAL_SIZE.replace('MiB', ' MiB')}")
    rows = []
    for name in CONVERSIONS:
        rows.append([f"`{name}`"] + [cell(mbps(name, size), size) for size in sizes] + [goal(name)])
    for name in CONVERSIONS:
        rows.append([f"`{name}`, byte at a time"] +
                    [cell(mbps(f"{name}ByteAtATime", size), size) for size in sizes] + [""])
    rows.append(["`memcpy`"] + [cell(mbps("memcpy", size), size) for size in sizes] + [""])
    for peer in PEERS:
        rows.append([PEER_LABELS[peer]] + [cell(peers.get((peer, size)), size) for size in sizes] +
                    [""])
    mail = bench.get(f"AllThree/{MAIL_SIZE}")
    if mail:
        micros = mail["real_time"] * {"ns": 1e-3, "us": 1, "ms": 1e3, "s": 1e6}[mail["time_unit"]]
        verdict = "met" if micros < ALL_THREE_GOAL_US else "**not met**"
        rows.append(["All three on one mail, µs"] +
                    [f"{micros:.2f} µs" if size == MAIL_SIZE else "" for size in sizes] +
                    [f"< {ALL_THREE_GOAL_US} µs: {verdict}"])

    print("| " + " | ".join(header) + " |")
    print("|---" + "|---:" * len(sizes) + "|---|")
    for row in rows:
        print("| " + " | ".join(row) + " |")


if __name__ == "__main__":
    main()
