#!/usr/bin/env python3
"""Times the conversions of the Linux build and of the DLL's build (under
Wine), memcpy beside each, and the two peers, in one run, and prints one
markdown table.

    report.py --native build/bench/conversions_bench \\
              --dll build/bench-windows/conversions_bench.exe --corpus build/bench/corpus

The runs are interleaved: each round runs the Linux program, the Windows
program and the peers once, the first two in turns first, so that noise on
the machine falls on all of them alike. Each program reports the median of
its iterations; the table gives the median over the rounds. The peers are
timed as whole processes reading the corpus file on standard input and
writing to /dev/null. MB is 10^6 bytes.
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
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

# Goals on the largest corpus: a fraction of memcpy, and a multiple of a peer.
GOALS = {
    "ZenkakuToHankaku": (0.25, "nkf", 10),
    "ToImodeEmoji": (0.3, None, None),
    "DeleteBlanks": (0.65, "tr", 4),
}
DLL_GOAL = 0.9  # of the Linux build
ALL_THREE_GOAL_US = 4


def corpus_file(corpus, size):
    return os.path.join(corpus, f"corpus-{size}.txt")


def run_program(command):
    """Seconds per conversion by name/size, as the program prints them."""
    output = subprocess.run(command, stdout=subprocess.PIPE, check=True, text=True).stdout
    seconds = {}
    for line in output.splitlines():
        name, _, value = line.split()
        seconds[name] = float(value)
    return seconds


def time_peer(command, path):
    with open(path, "rb") as source:
        start = time.perf_counter()
        subprocess.run(command, stdin=source, stdout=subprocess.DEVNULL, check=True)
        return time.perf_counter() - start


def number(value):
    return f"{value:,.0f}" if value >= 100 else f"{value:,.1f}"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--native", required=True, help="the Linux conversions_bench")
    parser.add_argument("--dll", help="the Windows conversions_bench.exe, run with wine")
    parser.add_argument("--corpus", required=True)
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--min-time", default="0.1", help="seconds for each measurement")
    args = parser.parse_args()

    sizes = [size for size in SIZES if os.path.exists(corpus_file(args.corpus, size))]
    corpus = os.path.abspath(args.corpus)
    programs = {"native": [args.native, "--corpus", corpus, "--min-time", args.min_time]}
    if args.dll:
        # Wine maps the Unix root to drive Z:.
        programs["dll"] = ["wine", args.dll, "--corpus", "Z:" + corpus, "--min-time", args.min_time]
    peers = {peer: command for peer, command in PEERS.items() if shutil.which(command[0])}

    samples = {}  # (build, name) -> seconds per round
    for round_number in range(args.rounds):
        order = list(programs) if round_number % 2 == 0 else list(reversed(programs))
        for build in order:
            for name, seconds in run_program(programs[build]).items():
                samples.setdefault((build, name), []).append(seconds)
        for peer, command in peers.items():
            for size in sizes:
                seconds = time_peer(command, corpus_file(corpus, size))
                samples.setdefault((peer, f"{peer}/{size}"), []).append(seconds)
        print(f"round {round_number + 1} of {args.rounds} done", file=sys.stderr)

    def mbps(build, name, size):
        values = samples.get((build, f"{name}/{size}"))
        if not values:
            return None
        return os.path.getsize(corpus_file(corpus, size)) / statistics.median(values) / 1e6

    def cell(build, name, size, against_native=False):
        value = mbps(build, name, size)
        if value is None:
            return "—"
        text = number(value)
        copy = mbps(build, "memcpy", size)
        if copy:
            text += f" ({value / copy:.3f})"
        native = mbps("native", name, size)
        if against_native and native:
            text += f" {value / native:.2f}×"
        return text

    def verdict(met):
        return "met" if met else "**not met**"

    def goal(name):
        fraction, peer, multiple = GOALS[name]
        value = mbps("native", name, GOAL_SIZE)
        copy = mbps("native", "memcpy", GOAL_SIZE)
        if value is None or copy is None:
            return "—"
        parts = [f"≥ {fraction} × memcpy: {verdict(value >= fraction * copy)}"]
        peer_value = mbps(peer, peer, GOAL_SIZE) if peer else None
        if peer_value:
            ratio = value / peer_value
            parts.append(f"≥ {multiple} × {peer}: {ratio:.1f} ×, {verdict(ratio >= multiple)}")
        return "; ".join(parts)

    def dll_goal(name):
        value, native = mbps("dll", name, GOAL_SIZE), mbps("native", name, GOAL_SIZE)
        if value is None or native is None:
            return "—"
        return f"≥ {DLL_GOAL} × Linux: {verdict(value >= DLL_GOAL * native)}"

    def size_label(size):
        return size.replace("KiB", " KiB").replace("MiB", " MiB")

    header = ["MB/s (÷ memcpy of the same size)"] + [size_label(size) for size in sizes]
    header.append(f"Goal on {size_label(GOAL_SIZE)}")
    rows = []
    for name in CONVERSIONS:
        rows.append([f"`{name}`"] + [cell("native", name, size) for size in sizes] + [goal(name)])
    for name in CONVERSIONS:
        rows.append([f"`{name}`, byte at a time"] +
                    [cell("native", f"{name}ByteAtATime", size) for size in sizes] + [""])
    rows.append(["`memcpy`"] + [cell("native", "memcpy", size) for size in sizes] + [""])
    for peer in PEERS:
        rows.append([PEER_LABELS[peer]] + [cell(peer, peer, size) for size in sizes] + [""])
    if "dll" in programs:
        for name in CONVERSIONS:
            rows.append([f"DLL under Wine: `{name}` (× Linux)"] +
                        [cell("dll", name, size, against_native=True) for size in sizes] +
                        [dll_goal(name)])
        rows.append(["DLL under Wine: `memcpy` (× Linux)"] +
                    [cell("dll", "memcpy", size, against_native=True) for size in sizes] + [""])
    for build, label in [("native", ""), ("dll", "DLL under Wine: ")]:
        values = samples.get((build, f"AllThree/{MAIL_SIZE}"))
        if values:
            micros = statistics.median(values) * 1e6
            rows.append([f"{label}all three on one mail, µs"] +
                        [f"{micros:.2f}" if size == MAIL_SIZE else "" for size in sizes] +
                        [f"< {ALL_THREE_GOAL_US} µs: {verdict(micros < ALL_THREE_GOAL_US)}"
                         if build == "native" else ""])

    print("| " + " | ".join(header) + " |")
    print("|---" + "|---:" * len(sizes) + "|---|")
    for row in rows:
        print("| " + " | ".join(row) + " |")


if __name__ == "__main__":
    main()
