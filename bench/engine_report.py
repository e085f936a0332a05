"""Runs the engine-only benchmark (bench/engine_bench.cpp built for this tree and for an earlier
commit) and bottleneck.move_median in alternating rounds, then prints markdown tables of ns per
sample: the median over the rounds, and each ratio as its median with the range over the rounds
(the machine may be shared, so only ratios measured in one round are compared). With --moving,
the moving MAD and quantile and the median of windows in time, of both trees, instead (no
bottleneck).

Run it through bench/engine.sh, which builds both programs.
"""
import argparse
import collections
import datetime
import os
import statistics
import subprocess
import time

import numpy as np

from report import cpu_model

N = 10**6
WIDTHS = [3, 5, 7, 9, 11, 15, 21, 31, 37, 41, 51, 63, 71, 101, 201, 1001, 10001]


def run_program(path, extra):
    done = subprocess.run([path] + extra, capture_output=True, text=True, check=True)
    measured = {}
    for line in done.stdout.splitlines():
        what, signal, W, ns = line.split()
        measured[(what, signal, int(W))] = float(ns)
    return measured


def run_bottleneck(widths, n, runs):
    import bottleneck

    x = np.random.default_rng(5).random(n)
    measured = {}
    for W in widths:
        best = min(timed(lambda: bottleneck.move_median(x, window=W)) for _ in range(runs))
        measured[("running_median", "uniform", W)] = best * 1e9 / n
    return measured


def timed(call):
    start = time.perf_counter()
    call()
    return time.perf_counter() - start


def cell(values):
    return f"{statistics.median(values):.3g}"


def ratio_cell(numerators, denominators):
    ratios = [a / b for a, b in zip(numerators, denominators)]
    return f"{statistics.median(ratios):.2f} ({min(ratios):.2f}–{max(ratios):.2f})"


def table(header, rows):
    lines = ["| " + " | ".join(header) + " |", "|" + "---:|" * len(header)]
    return "\n".join(lines + ["| " + " | ".join(r) + " |" for r in rows])


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--ours", required=True)
    parser.add_argument("--base", required=True)
    parser.add_argument("--base-name", default="base")
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--quick", action="store_true")
    parser.add_argument("--samples", type=int, help=f"signal length (default {N})")
    parser.add_argument("--widths")
    parser.add_argument("--moving", action="store_true")
    args = parser.parse_args()
    n = args.samples or (10**5 if args.quick else N)
    rounds = collections.defaultdict(list)  # (impl, what, signal, W) -> one value per round
    widths = [int(W) for W in args.widths.split(",")] if args.widths else WIDTHS
    quick = (["--quick"] if args.quick else []) + (["--moving"] if args.moving else [])
    quick += ["--samples", str(n)]
    # Each W in turn through all three, so that what is compared was measured close together.
    for _ in range(args.rounds):
        for W in widths:
            extra = quick + ["--widths", str(W)]
            ours = run_program(args.ours, extra)
            base = run_program(args.base, extra)
            peer = {} if args.moving else run_bottleneck([W], n, 3 if args.quick else 7)
            for impl, measured in (("ours", ours), ("base", base), ("bottleneck", peer)):
                for key, ns in measured.items():
                    rounds[(impl,) + key].append(ns)

    def get(impl, what, signal, W):
        return rounds.get((impl, what, signal, W))

    print("# Engine-only benchmark" + (": moving MAD, quantile and median in time" if args.moving else "")
          + "\n")
    print(f"- machine: {cpu_model()}, {os.cpu_count()} cores")
    print(f"- date: {datetime.datetime.now():%Y-%m-%d %H:%M}; {args.rounds} rounds, each W in turn "
          f"through both programs{'' if args.moving else ' and bottleneck'}; each value the best "
          "of several calls")
    print(f"- ours: this tree; {args.base_name}: the earlier commit; cells are medians over the "
          "rounds, ratios their median (lowest–highest)\n")
    if args.moving:
        print_moving(get, widths, args.base_name, n)
        return
    rows = []
    for W in widths:
        o, b, p = (get(i, "running_median", "uniform", W) for i in ("ours", "base", "bottleneck"))
        memcpy = get("ours", "memcpy", "uniform", W)
        rows.append([str(W), cell(o), cell(b), cell(p), cell(memcpy), ratio_cell(o, memcpy),
                     ratio_cell(b, o), ratio_cell(p, o)])
    print(f"running_median on uniform samples, ns per sample (n = {n}):\n")
    print(table(["W", "ours", args.base_name, "bottleneck", "memcpy", "ours / memcpy",
                 f"{args.base_name} / ours", "bottleneck / ours"], rows))
    print_vector_widths(get, widths, args.base_name)
    for what, signals in (("running_median", ("walk", "ties", "nan1%")),
                          ("per_window", ("uniform", "nan1%")),
                          ("select_middle", ("uniform", "nan1%"))):
        rows = []
        for W in widths:
            row = [str(W)]
            for s in signals:
                o, b = get("ours", what, s, W), get("base", what, s, W)
                row += [cell(o), cell(b), ratio_cell(b, o)] if o and b else ["", "", ""]
            rows.append(row)
        header = ["W"]
        for s in signals:
            header += [f"{s} ours", f"{s} {args.base_name}", f"{s} {args.base_name} / ours"]
        print(f"\n{what}, ns per sample:\n")
        print(table(header, rows))


VECTOR_WIDTHS = (("plain", "plain"), ("sse2", "SSE2"), ("avx2", "AVX2"), ("avx512", "AVX-512"))
MOVING = (("movmad", "MAD"), ("movquantile", "quantile p = 0.9"),
          ("movmedian_time", "median in time"))


def comparison_table(get, widths, base_name, columns):
    """A row for each W: ours, the base's and their ratio for each (what, signal, name) column."""
    rows = []
    for W in widths:
        row = [str(W)]
        for what, signal, _ in columns:
            o, b = get("ours", what, signal, W), get("base", what, signal, W)
            row += [cell(o), cell(b), ratio_cell(b, o)] if o and b else ["", "", ""]
        rows.append(row)
    header = ["W"]
    for _, _, name in columns:
        header += [f"{name} ours", f"{name} {base_name}", f"{base_name} / ours"]
    return table(header, rows)


def print_moving(get, widths, base_name, n):
    """moving_statistics's MAD and quantile on each signal, then at each vector width."""
    for signal in ("uniform", "ties", "alternating", "sorted", "bimodal", "signs"):
        columns = [(what, signal, name) for what, name in MOVING]
        print(f"\nmoving statistics on {signal} samples, ns per sample (n = {n}):\n")
        print(comparison_table(get, widths, base_name, columns))
    for what, name in MOVING[:2]:  # windows in time are counted alike at every width
        print_vector_widths(get, widths, base_name, what, f"the moving {name}")


def print_vector_widths(get, widths, base_name, what="running_median", title="running_median"):
    """what, on uniform samples with the vectors limited to each width in turn."""
    columns = [(f"{what}@{width}", "uniform", name) for width, name in VECTOR_WIDTHS]
    print(f"\n{title} on uniform samples with the vectors limited to each width, ns per sample "
          "(a tree without a width runs its widest below it: an earlier tree's AVX-512 column is "
          "its AVX2 kernels):\n")
    print(comparison_table(get, widths, base_name, columns))


if __name__ == "__main__":
    main()
