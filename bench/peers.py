#!/usr/bin/python3
"""Times the peer operations the kernels are measured against, on a 4000 x 3000 photo-like picture, one thread.

Prints one JSON object: peer name -> best-of-N processor seconds (time.process_time: on a shared host the wall
clock also counts the time other machines hold the core). Used by compare_peers.sh; needs python3-opencv and
python3-pil (Debian).
"""
import json
import sys
import time

import cv2
import numpy as np
from PIL import Image

W, H = 4000, 3000
REPS = int(sys.argv[1]) if len(sys.argv) > 1 else 5
cv2.setNumThreads(1)

# Smooth gradients with texture and noise, as in the Google Benchmark programs.
rng = np.random.default_rng(12345)
x = np.arange(W)[None, :]
y = np.arange(H)[:, None]
base = ((x // 7) ^ (y // 5)) & 63
noise = rng.integers(-16, 16, size=(H, W))
b = x * 200 // W + base // 2 + noise
g = y * 200 // H + base // 3 + noise
r = (x + y) * 180 // (W + H) + 40 + noise
img = np.clip(np.dstack([b, g, r]), 0, 255).astype(np.uint8)

angle = 30.0
c, s = abs(np.cos(np.radians(angle))), abs(np.sin(np.radians(angle)))
bw, bh = int(W * c + H * s), int(W * s + H * c)
rot = cv2.getRotationMatrix2D((W / 2, H / 2), angle, 1.0)
rot[0, 2] += bw / 2 - W / 2
rot[1, 2] += bh / 2 - H / 2

T16 = [(128, 128, 128), (192, 192, 192), (255, 255, 255), (0, 0, 0), (0, 0, 128), (0, 0, 255), (0, 128, 0),
       (0, 255, 0), (128, 0, 0), (255, 0, 0), (0, 128, 128), (0, 255, 255), (128, 0, 128), (255, 0, 255),
       (128, 128, 0), (255, 255, 0)]
pal16 = Image.new("P", (1, 1))
pal16.putpalette([v for rgb in T16 for v in rgb] + [0] * (768 - 48))
pil = Image.fromarray(img[:, :, ::-1].copy())
lut = np.array([min(255, max(0, v + 20)) for v in range(256)], dtype=np.uint8)
box = np.ones((3, 3), np.float32) / 9
sharp = np.array([[0, -1, 0], [-1, 5, -1], [0, -1, 0]], np.float32)


def hsv_round_trip():
    return cv2.cvtColor(cv2.cvtColor(img, cv2.COLOR_BGR2HSV), cv2.COLOR_HSV2BGR)


peers = {
    "cv2.medianBlur 3": lambda: cv2.medianBlur(img, 3),
    "cv2.Sobel": lambda: cv2.Sobel(img, cv2.CV_8U, 1, 0, ksize=3),
    "cv2.filter2D 3x3": lambda: cv2.filter2D(img, -1, box),
    "cv2.filter2D sharpen": lambda: cv2.filter2D(img, -1, sharp),
    "HSV round trip": hsv_round_trip,
    "cv2.LUT": lambda: cv2.LUT(img, lut),
    "warpAffine linear": lambda: cv2.warpAffine(img, rot, (bw, bh), flags=cv2.INTER_LINEAR),
    "warpAffine nearest": lambda: cv2.warpAffine(img, rot, (bw, bh), flags=cv2.INTER_NEAREST),
    "cv2.rotate 90": lambda: cv2.rotate(img, cv2.ROTATE_90_CLOCKWISE),
    "resize 200% linear": lambda: cv2.resize(img, (2 * W, 2 * H), interpolation=cv2.INTER_LINEAR),
    # A general ratio: OpenCV has a special path for exact halving.
    "resize 50% area": lambda: cv2.resize(img, (W // 2 - 1, H // 2 - 1), interpolation=cv2.INTER_AREA),
    "Pillow FS 16": lambda: pil.quantize(palette=pal16, dither=Image.Dither.FLOYDSTEINBERG),
}
only = set(sys.argv[2:])
out = {}
for name, fn in peers.items():
    if only and name not in only:
        continue
    fn()
    best = float("inf")
    for _ in range(REPS):
        t0 = time.process_time()
        fn()
        best = min(best, time.process_time() - t0)
    out[name] = best
print(json.dumps(out))
