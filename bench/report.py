"""The benchmark's report: markdown tables of seconds and speed-ups, and a log-log plot of time per
sample against W."""
import dataclasses
import datetime
import os

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402

UNIFORM = "uniform"


@dataclasses.dataclass
class Measurement:
    seconds: float = None  # best of `runs` calls
    runs: int = 0
    estimate: float = None  # set instead when skipped: the estimated seconds of one call
    agrees: bool = None  # result compared with ours; None when not compared


def cpu_model():
    with open("/proc/cpuinfo") as info:
        for line in info:
            if line.startswith("model name"):
                return line.split(":", 1)[1].strip()
    return "unknown"


def seconds_cell(m):
    if m is None:
        return ""
    if m.seconds is None:
        return f"skipped (~{m.estimate:.0f} s)"
    return f"{m.seconds:.3g}"


def ratio_cell(numerator, denominator):
    if numerator is None or denominator is None or None in (numerator.seconds,
                                                             denominator.seconds):
        return "–"
    return f"{numerator.seconds / denominator.seconds:.3g}×"


def markdown_table(widths, columns):
    """columns: (header, cell(W) -> str) pairs; one row per W."""
    lines = ["| W | " + " | ".join(h for h, _ in columns) + " |",
             "|---:|" + "---:|" * len(columns)]
    lines += [f"| {W} | " + " | ".join(cell(W) for _, cell in columns) + " |" for W in widths]
    return "\n".join(lines)


def comparison_notes(results):
    notes = []
    for (signal, label), series in results.items():
        compared = {W: m.agrees for W, m in series.items() if m.agrees is not None}
        if not compared:
            continue
        differ = [W for W, same in compared.items() if not same]
        verdict = ("same as ours at every W timed" if not differ else
                   "DIFFERS from ours at W = " + ", ".join(map(str, differ)))
        notes.append(f"- {label}, {signal} signal: {verdict}.")
    return notes


def header(args, versions):
    return [
        "# plorvent_core benchmark",
        "",
        f"- machine: {cpu_model()}, {os.cpu_count()} cores",
        f"- date: {datetime.datetime.now().strftime('%Y-%m-%d %H:%M')}",
        f"- n = {args.n} samples of float64, best of at least {args.repeats} call(s) per cell "
        f"(up to 10 while they take under 2 s in all); "
        f"a call estimated to take over {args.limit:.0f} s is skipped"
        + (" (quick smoke-test mode)" if args.quick else ""),
        f"- {versions}",
        "",
        "Our module and medfilt1 are timed with tic/toc inside octave-cli around the call alone "
        "(plorvent_core with zero extensions of length W2); the Python peers with "
        "time.perf_counter around the call in /usr/bin/python3. A skipped cell gives the time "
        "one call was estimated to take, from the previous W's time growing in proportion to W.",
    ]


def uniform_tables(results, args, ours):
    labels = [label for signal, label in results if signal == UNIFORM]
    ours_series = results[(UNIFORM, ours)]
    seconds = markdown_table(args.widths, [
        (label, lambda W, s=results[(UNIFORM, label)]: seconds_cell(s.get(W)))
        for label in labels])
    speedups = markdown_table(args.widths, [
        (label, lambda W, s=results[(UNIFORM, label)]: ratio_cell(s.get(W), ours_series.get(W)))
        for label in labels if label != ours])
    return [
        "## Seconds per call, uniform random signal", "", seconds, "",
        "## Speed-up of plorvent_core (the other's time / ours)", "", speedups, "",
        "bottleneck.move_median is a trailing window (its output is ours shifted by W2) and "
        "pandas leaves NaN where the window runs past an end: their times compare, their "
        "results do not.",
    ]


def special_tables(results, args):
    labels = dict.fromkeys(label for signal, label in results if signal != UNIFORM)
    columns, ratios = [], []
    for label in labels:
        base = results[(UNIFORM, label)]
        for signal in dict.fromkeys(s for s, l in results if l == label):
            series, name = results[(signal, label)], f"{label}, {signal}"
            columns.append((name, lambda W, s=series: seconds_cell(s.get(W))))
            if signal != UNIFORM:
                ratios.append((name, lambda W, s=series: ratio_cell(s.get(W), base.get(W))))
    return [
        "## Signals with NaN or zeros of both signs (seconds per call)", "",
        markdown_table(args.special_widths, columns), "",
        "Time relative to the same implementation on the uniform signal:", "",
        markdown_table(args.special_widths, ratios),
    ]


def draw_plot(results, args, ours, path):
    figure, axes = plt.subplots(figsize=(11, 6))
    colours = {}
    styles = {UNIFORM: "-", "1% NaN": "--", "half ±0": ":"}
    for (signal, label), series in results.items():
        timed = [(W, m.seconds / args.n) for W, m in sorted(series.items()) if m.seconds]
        if not timed:
            continue
        name = label if signal == UNIFORM else f"{label}, {signal}"
        line, = axes.plot(*zip(*timed), styles[signal], marker="o", markersize=3,
                          linewidth=2.5 if label == ours else 1.5, label=name,
                          color=colours.get(label))
        colours[label] = line.get_color()
    axes.set_xscale("log")
    axes.set_yscale("log")
    axes.set_xlabel("window length W")
    axes.set_ylabel("seconds per sample")
    axes.set_title(f"Running median, n = {args.n}, {cpu_model()}", fontsize=10)
    axes.grid(True, which="major", alpha=0.4)
    axes.legend(fontsize=8, loc="upper left", bbox_to_anchor=(1.01, 1))
    figure.tight_layout()
    figure.savefig(path, dpi=110)
    plt.close(figure)


def carried_section(file_name, title):
    """The last run of another benchmark, from its results file in bench/, if there is one."""
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), file_name)
    if not os.path.exists(path):
        return []
    with open(path) as results:
        lines = results.read().rstrip("\n").splitlines()
    return ["", title] + [line for line in lines if not line.startswith("# ")]


def engine_section():
    """The engine's own time, without the host's fixed cost (bench/engine.sh)."""
    return carried_section(
        "engine_results.md",
        "## The engine alone (bench/engine.sh, its last run: bench/engine_results.md)")


def plorvent_section():
    """plorvent as users call it, against its core and medfilt1 (bench/plorvent.sh)."""
    return carried_section(
        "plorvent_results.md",
        "## plorvent (bench/plorvent.sh, its last run: bench/plorvent_results.md)")


def write_report(results, args, ours, versions):
    """Writes results.md and results.png into args.out_dir and returns the markdown."""
    text = "\n".join(header(args, versions) + [""] + uniform_tables(results, args, ours) + [""]
                     + special_tables(results, args) + ["", "## Results compared with ours", ""]
                     + comparison_notes(results) + engine_section()
                     + plorvent_section()) + "\n"
    os.makedirs(args.out_dir, exist_ok=True)
    with open(os.path.join(args.out_dir, "results.md"), "w") as out:
        out.write(text)
    draw_plot(results, args, ours, os.path.join(args.out_dir, "results.png"))
    return text
