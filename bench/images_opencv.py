"""OpenCV's medianBlur on one thread: prints "medianBlur <class> <window> <ns a pixel>" for
uint8 at 3, 5, 15, 31, 51 and float32 at 3, 5 (the sizes it takes for floats), best of rounds,
on a 2000-by-2000 image of uniform noise."""
import sys
import time

import cv2
import numpy as np

cv2.setNumThreads(1)
rounds = int(sys.argv[1]) if len(sys.argv) > 1 else 3
rng = np.random.default_rng(1)
images = {
    "uint8": rng.integers(0, 256, (2000, 2000), dtype=np.uint8),
    "single": rng.random((2000, 2000), dtype=np.float32),
}
for name, sizes in (("uint8", (3, 5, 15, 31, 51)), ("single", (3, 5))):
    image = images[name]
    for k in sizes:
        best = float("inf")
        for _ in range(rounds):
            start = time.perf_counter()
            cv2.medianBlur(image, k)
            best = min(best, time.perf_counter() - start)
        print(f"medianBlur {name} {k} {best * 1e9 / image.size:.3f}", flush=True)
