"""Formats bench/images.sh's times (lines "<engine> <class> <window> [<image> <rows>] <ns>") as
markdown tables: our engines beside OpenCV's medianBlur and Octave's medfilt2, in ns a pixel."""
import sys

times = {}
for line in open(sys.argv[1]):
    f = line.split()
    if len(f) == 6:  # image_bench: engine class window image rows ns
        times[(f[0], f[1], int(f[2]), f[3])] = float(f[5])
    elif len(f) == 4:  # peers: name class window ns
        times[(f[0], f[1], int(f[2]), "uniform")] = float(f[3])

def get(engine, cls, k, image="uniform"):
    return times.get((engine, cls, k, image))

def fmt(v):
    return "—" if v is None else (f"{v:.2f}" if v < 100 else f"{v:.0f}")

def ratio(a, b):
    return "—" if a is None or b is None else f"{a / b:.2f}x"

print(f"# Image rank engines, one thread, {sys.argv[2]}\n")
print("ns an output pixel, median of a k-by-k window, 2000x2000 uniform noise (Octave's medfilt2 "
      "and the plain per-window selection on a 500x500 crop). Engines called directly "
      "(bench/image_bench.cpp), at the widest vectors the processor has.\n")
print("| class | k | small_kernel | histograms or ranked sub-blocks | sliding rank set | per-window selection "
      "| medianBlur (uint8) | medianBlur (same class) | best / medianBlur uint8 | medfilt2 "
      "| medfilt2 / best |")
print("|---|---|---|---|---|---|---|---|---|---|---|")
for cls in ("uint8", "uint16", "single", "double"):
    for k in (3, 5, 7, 8, 9, 15, 31, 51):
        small = get("small_kernel", cls, k)
        hist = (get("column_histogram", cls, k) or get("ranked_sub_blocks", cls, k)
                or get("nibble_histogram", cls, k))
        if small is None and hist is None:
            continue
        best = min(v for v in (small, hist) if v is not None)
        blur8 = get("medianBlur", "uint8", k)
        same = get("medianBlur", cls, k)
        octave = get("medfilt2", cls, k)
        print(f"| {cls} | {k} | {fmt(small)} | {fmt(hist)} | {fmt(get('sliding_domain', cls, k))} | "
              f"{fmt(get('selection', cls, k))} | "
              f"{fmt(blur8)} | {fmt(same)} | {ratio(best, blur8)} | {fmt(octave)} | "
              f"{ratio(octave, best)} |")
print("\nAdversarial images (two levels, each half the samples: the rank jumps between the ends "
      "of the range; a ramp across the columns, 300 a column: a new high byte at every output). "
      "The sliding rank set on a 500x500 crop.\n")
print("| engine | class | k | uniform | two-level | ramp |")
print("|---|---|---|---|---|---|")
for (engine, cls, k, image), v in sorted(times.items()):
    if image == "two-level":
        print(f"| {engine} | {cls} | {k} | {fmt(get(engine, cls, k))} | {fmt(v)} | "
              f"{fmt(get(engine, cls, k, 'ramp'))} |")
