"""OpenCV's medianBlur on one thread, on an N-by-N image (uint8 at every size it takes, float32
at 3 and 5, the sizes it takes for floating point): prints a markdown table of nanoseconds a
pixel, the best of REPEATS calls. Usage: /usr/bin/python3 medfilt2_opencv.py N REPEATS"""
import sys
import time

import cv2
import numpy as np

n, repeats = int(sys.argv[1]), int(sys.argv[2])
cv2.setNumThreads(1)
rng = np.random.default_rng(27)
images = {"uint8": rng.integers(0, 256, (n, n), dtype=np.uint8),
          "float32": rng.random((n, n), dtype=np.float32)}
print(f"## OpenCV {cv2.__version__} medianBlur ({n} x {n}, one thread), ns a pixel\n")
print("| class | window | medianBlur |\n|---|---:|---:|")
for kind, sizes in (("uint8", (3, 5, 7, 15, 31, 51)), ("float32", (3, 5))):
    for m in sizes:
        best = float("inf")
        for _ in range(repeats):
            start = time.perf_counter()
            cv2.medianBlur(images[kind], m)
            best = min(best, time.perf_counter() - start)
        print(f"| {kind} | {m}x{m} | {1e9 * best / (n * n):.2f} |")
