"""Times plorvent_core, called from GNU Octave, against its own per-window reference path and
the running medians a user would pick instead, all on the same random signals, then writes a
markdown table and a log-log plot of time per sample against the window length W.

Run it through bench/run.sh, which installs the peers and builds both modules first; run it with
Debian's /usr/bin/python3, whose NumPy, SciPy, Bottleneck and pandas are the peers.
"""
import argparse
import dataclasses
import os
import subprocess
import sys
import tempfile
import time

import numpy as np

from report import Measurement, write_report

OCTAVE = ["octave-cli", "--no-gui", "--norc", "--quiet", "--no-history", "--no-window-system"]
HERE = os.path.dirname(os.path.abspath(__file__))
SEED = 5


@dataclasses.dataclass
class Implementation:
    label: str
    # For Octave: the function name timed in time_octave.m; for Python: a callable (x, W).
    octave_function: str = None
    python_call: object = None
    # For Python: turns the signal into the argument the call takes, outside the timing.
    prepare: object = None
    # How its result is compared with ours: "bits", "values" or None (different alignment).
    check: str = None


def python_peers():
    import bottleneck
    import pandas
    import scipy.ndimage
    import scipy.signal

    return [
        # Trailing window: its output is ours shifted by W2, so only its time is comparable.
        Implementation("bottleneck.move_median",
                       python_call=lambda x, W: bottleneck.move_median(x, window=W)),
        # NaN where the centred window runs past either end.
        Implementation("pandas rolling(center).median", prepare=pandas.Series,
                       python_call=lambda s, W: s.rolling(W, center=True).median()),
        Implementation("scipy.ndimage.median_filter", check="values",
                       python_call=lambda x, W: scipy.ndimage.median_filter(
                           x, size=W, mode="constant")),
        Implementation("scipy.signal.medfilt", check="values",
                       python_call=lambda x, W: scipy.signal.medfilt(x, kernel_size=W)),
    ]


OURS = Implementation("plorvent_core", octave_function="plorvent_core")
REFERENCE = Implementation("plorvent_core per-window reference",
                           octave_function="plorvent_core_reference", check="bits")
MEDFILT1 = Implementation("Octave signal medfilt1", octave_function="medfilt1", check="values")


def make_signals(n, folder):
    """The three signals, as raw float64 files that Octave and NumPy both read."""
    rng = np.random.default_rng(SEED)
    uniform = rng.random(n)
    with_nan = uniform.copy()
    with_nan[rng.choice(n, n // 100, replace=False)] = np.nan
    signed_zeros = rng.random(n)
    zero_at = rng.random(n) < 0.5
    signed_zeros[zero_at] = np.where(rng.random(zero_at.sum()) < 0.5, -0.0, 0.0)
    signals = {"uniform": uniform, "1% NaN": with_nan, "half ±0": signed_zeros}
    files = {}
    for index, (name, x) in enumerate(signals.items()):
        files[name] = os.path.join(folder, f"signal{index}.f64")
        x.tofile(files[name])
    return signals, files


# Fast calls vary with the allocator's state from call to call (fresh pages or reused ones), so
# every implementation gets more runs while they are cheap: at least `repeats`, and up to
# MOST_REPEATS while all of them together take under CHEAP_SECONDS.
MOST_REPEATS = 10
CHEAP_SECONDS = 2.0


def more_runs(seconds, repeats):
    return len(seconds) < repeats or (len(seconds) < MOST_REPEATS and sum(seconds) < CHEAP_SECONDS)


def time_python(impl, x, W, repeats, limit):
    argument = impl.prepare(x) if impl.prepare else x
    seconds, first = [], None
    while more_runs(seconds, repeats):
        start = time.perf_counter()
        result = impl.python_call(argument, W)
        seconds.append(time.perf_counter() - start)
        if first is None:
            first = np.asarray(result, dtype=np.float64)
        del result
        if seconds[-1] > limit:
            break
    return seconds, first


def time_octave(impl, module_dirs, data_file, n, W, repeats, limit, folder):
    result_file = os.path.join(folder, "result.f64")
    command = OCTAVE + [os.path.join(HERE, "time_octave.m"), os.pathsep.join(module_dirs),
                        impl.octave_function, data_file, str(n), str(W), str(repeats),
                        str(limit), result_file]
    timeout = repeats * limit * 3 + 120  # only a call far slower than estimated gets here
    try:
        done = subprocess.run(command, capture_output=True, text=True, timeout=timeout)
    except subprocess.TimeoutExpired:
        sys.exit(f"{impl.label} at W={W} ran over {timeout:.0f} s; lower the widths or limit")
    lines = [l for l in done.stdout.splitlines() if l.startswith("seconds ")]
    if done.returncode != 0 or not lines:
        sys.exit(f"{impl.label} failed at W={W}:\n{done.stdout}{done.stderr}")
    seconds = [float(v) for v in lines[-1].split()[1:]]
    first = np.fromfile(result_file, dtype=np.float64)
    os.remove(result_file)
    return seconds, first


def agrees(check, result, ours):
    if check is None or ours is None:
        return None
    if check == "bits":
        return np.array_equal(result.view(np.int64), ours.view(np.int64))
    return np.array_equal(result, ours)


def run_series(impl, signal, widths, timer, ours_results, limit, log):
    """Times impl at each W in turn. A W whose single call would exceed `limit` seconds, estimated
    from the last time measured as growing in proportion to W (O(W) per sample, the slowest
    method here), is skipped, and so is every larger W."""
    measured = {}
    last = None
    for W in widths:
        if last is not None:
            estimate = last[1] * W / last[0]
            if estimate > limit:
                measured[W] = Measurement(estimate=estimate)
                log(f"{signal:>8} W={W:<6} {impl.label}: skipped (one call ~{estimate:.0f} s)")
                continue
        seconds, result = timer(impl, W)
        best = min(seconds)
        if impl is OURS:
            ours_results[W] = result
        measured[W] = Measurement(seconds=best, runs=len(seconds),
                                  agrees=agrees(impl.check, result, ours_results.get(W)))
        last = (W, best)
        note = "" if measured[W].agrees is None else (
            ", same as ours" if measured[W].agrees else ", DIFFERS from ours")
        log(f"{signal:>8} W={W:<6} {impl.label}: {best:.4g} s (best of {len(seconds)}{note})")
    return measured


def peer_versions():
    import bottleneck
    import pandas
    import scipy

    octave = subprocess.run(OCTAVE + ["--eval", "pkg load signal; s = pkg('list', 'signal'); "
                                      "printf('%s %s', version(), s{1}.version)"],
                            capture_output=True, text=True, check=True).stdout.split()
    return (f"GNU Octave {octave[0]} with signal {octave[1]}; NumPy {np.__version__}, "
            f"SciPy {scipy.__version__}, Bottleneck {bottleneck.__version__}, "
            f"pandas {pandas.__version__}")


def parse_arguments():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--quick", action="store_true",
                        help="smoke test: n = 10^5, fewer W, 1 run, 3 s limit, output in build/")
    parser.add_argument("--module-dir", default="build/linux/octave")
    parser.add_argument("--reference-dir", default="build/bench")
    parser.add_argument("--out-dir", help="where results.md and results.png go "
                        "(default bench/, or build/bench/ with --quick)")
    args = parser.parse_args()
    if args.quick:
        args.n, args.repeats, args.limit = 10**5, 1, 3.0
        args.widths, args.special_widths = [1, 3, 11, 101, 1001, 10001], [3, 101, 1001]
        args.out_dir = args.out_dir or "build/bench"
    else:
        args.n, args.repeats, args.limit = 10**6, 3, 30.0
        args.widths = [1, 3, 5, 7, 9, 11, 21, 101, 1001, 10001, 100001]
        args.special_widths = [3, 11, 101, 1001, 10001]
        args.out_dir = args.out_dir or "bench"
    return args


def main():
    args = parse_arguments()
    module_dirs = [os.path.abspath(args.module_dir), os.path.abspath(args.reference_dir)]
    log = lambda line: print(line, file=sys.stderr, flush=True)
    results = {}  # (signal, label) -> {W: Measurement}
    with tempfile.TemporaryDirectory(prefix="plorvent_bench_") as folder:
        signals, files = make_signals(args.n, folder)
        for signal, x in signals.items():
            special = signal != "uniform"
            widths = args.special_widths if special else args.widths
            peers = [OURS, REFERENCE] + ([] if special else [MEDFILT1] + python_peers())
            ours_results = {}
            for impl in peers:
                if impl.octave_function:
                    timer = lambda impl, W: time_octave(impl, module_dirs, files[signal], args.n,
                                                        W, args.repeats, args.limit, folder)
                else:
                    timer = lambda impl, W: time_python(impl, x, W, args.repeats, args.limit)
                results[(signal, impl.label)] = run_series(impl, signal, widths, timer,
                                                           ours_results, args.limit, log)
    print(write_report(results, args, OURS.label, peer_versions()))


if __name__ == "__main__":
    main()
