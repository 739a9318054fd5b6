#!/usr/bin/env python3
"""Times the conversions of the Linux build and of the DLL's build (under
Wine), memcpy beside each, and the two peers, in one run, and prints one
markdown table.

    report.py --native build/bench/conversions_bench \\
              --windows build/bench-windows/conversions_bench.exe --wine WINE \\
              [--windows-bits 32|64] --corpus build/bench/corpus

With --windows-bits 64 the Windows program is the 64-bit build of the same
sources, timed where 32-bit Wine cannot run: its rows stand beside the
DLL's goals, which stay unmeasured.

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
    "ZenkakuToHankaku": (0.5, "nkf", 10),
    "ToImodeEmoji": (0.5, None, None),
    "DeleteBlanks": (0.9, "tr", 4),
}
DLL_GOAL = 0.9  # of the Linux build, at every size
ALL_THREE_GOAL_US = 4
ALL_THREE_DLL_GOAL = 1.1  # the DLL's time on one mail, at most this many times the Linux build's


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
    parser.add_argument("--windows", help="the Windows conversions_bench.exe, run with --wine")
    parser.add_argument("--wine", default="wine", help="the Wine loader to run it with")
    parser.add_argument("--windows-bits", type=int, choices=[32, 64], default=32,
                        help="32 for the DLL's build, 64 for the 64-bit build in its place")
    parser.add_argument("--corpus", required=True)
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--min-time", default="0.1", help="seconds for each measurement")
    args = parser.parse_args()

    sizes = [size for size in SIZES if os.path.exists(corpus_file(args.corpus, size))]
    corpus = os.path.abspath(args.corpus)
    programs = {"native": [args.native, "--corpus", corpus, "--min-time", args.min_time]}
    # The DLL's build, or the 64-bit Windows build in its place.
    windows = "dll" if args.windows_bits == 32 else "win64"
    if args.windows:
        # Wine maps the Unix root to drive Z:.
        programs[windows] = [args.wine, args.windows, "--corpus", "Z:" + corpus,
                             "--min-time", args.min_time]
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

    def verdict(value, goal, at_most=False):
        """Met, or by how much the value falls short of the goal."""
        if value <= goal if at_most else value >= goal:
            return "met"
        short = abs(value / goal - 1) * 100
        # A ratio printed as the goal itself may still fall short of it.
        return f"**not met**, {short:.0f} % short" if short >= 0.5 else "**not met**, < 1 % short"

    def goal(name):
        fraction, peer, multiple = GOALS[name]
        value = mbps("native", name, GOAL_SIZE)
        copy = mbps("native", "memcpy", GOAL_SIZE)
        if value is None or copy is None:
            return "—"
        parts = [f"≥ {fraction} × memcpy: {value / copy:.2f}, {verdict(value / copy, fraction)}"]
        peer_value = mbps(peer, peer, GOAL_SIZE) if peer else None
        if peer_value:
            ratio = value / peer_value
            parts.append(f"≥ {multiple} × {peer}: {ratio:.1f} ×, {verdict(ratio, multiple)}")
        return "; ".join(parts)

    def dll_goal(name):
        ratios = {}
        for size in sizes:
            value, native = mbps("dll", name, size), mbps("native", name, size)
            if value is not None and native:
                ratios[size] = value / native
        if not ratios:
            return "—"
        lowest = min(ratios, key=ratios.get)
        return (f"≥ {DLL_GOAL} × Linux at every size: lowest {ratios[lowest]:.2f} "
                f"({size_label(lowest)}), {verdict(ratios[lowest], DLL_GOAL)}")

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
    if "win64" in programs:
        label = "64-bit Windows build under Wine, not the DLL"
        for name in CONVERSIONS + ["memcpy"]:
            rows.append([f"{label}: `{name}` (× Linux)"] +
                        [cell("win64", name, size, against_native=True) for size in sizes] + [""])
    if "dll" not in programs:
        # The goals for the DLL stay in the table, unmeasured.
        unmeasured = "not measured: the DLL's build was not run"
        if "win64" in programs:
            unmeasured += " (32-bit Wine cannot run here; the 64-bit build stands in above)"
        for name in CONVERSIONS:
            rows.append([f"DLL under Wine: `{name}` (× Linux)"] + ["—" for _ in sizes] +
                        [f"≥ {DLL_GOAL} × Linux at every size: {unmeasured}"])
    else:
        for name in CONVERSIONS:
            rows.append([f"DLL under Wine: `{name}` (× Linux)"] +
                        [cell("dll", name, size, against_native=True) for size in sizes] +
                        [dll_goal(name)])
        rows.append(["DLL under Wine: `memcpy` (× Linux)"] +
                    [cell("dll", "memcpy", size, against_native=True) for size in sizes] + [""])
    mail_micros = {}
    builds = [("native", ""), ("win64", "64-bit Windows build under Wine: "),
              ("dll", "DLL under Wine: ")]
    for build, label in builds:
        values = samples.get((build, f"AllThree/{MAIL_SIZE}"))
        if values:
            micros = mail_micros[build] = statistics.median(values) * 1e6
            if build == "native":
                mail_goal = (f"< {ALL_THREE_GOAL_US} µs: "
                             f"{verdict(micros, ALL_THREE_GOAL_US, at_most=True)}")
            elif build == "win64":
                mail_goal = f"{micros / mail_micros['native']:.2f} × Linux"
            else:
                times = micros / mail_micros["native"]
                mail_goal = (f"≤ {ALL_THREE_DLL_GOAL} × Linux: {times:.2f} ×, "
                             f"{verdict(times, ALL_THREE_DLL_GOAL, at_most=True)}")
            rows.append([f"{label}all three on one mail, µs"] +
                        [f"{micros:.2f}" if size == MAIL_SIZE else "" for size in sizes] +
                        [mail_goal])

    if "dll" not in mail_micros:
        rows.append(["DLL under Wine: all three on one mail, µs"] +
                    ["—" if size == MAIL_SIZE else "" for size in sizes] +
                    [f"≤ {ALL_THREE_DLL_GOAL} × Linux: not measured"])

    print("| " + " | ".join(header) + " |")
    print("|---" + "|---:" * len(sizes) + "|---|")
    for row in rows:
        print("| " + " | ".join(row) + " |")


if __name__ == "__main__":
    main()
