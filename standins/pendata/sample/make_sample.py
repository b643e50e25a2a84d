#!/usr/bin/env python3
"""Synthesises the bundled sample signature (sample_signature.strokes).

A made-up handwritten name: a looped capital, a cursive run of letters, a dot
and an underline flourish, written at 200 samples a second on a pad of
2000 x 800 units. Pen speed slows in tight turns, pressure rises after pen-down,
falls before pen-up, follows the speed and drifts with the grip; a little
tremor and sensor noise are added. Deterministic: the same file every run.

    python3 make_sample.py > sample_signature.strokes
"""
import math
import random

EXTENT_X, EXTENT_Y = 2000, 800
SAMPLE_MS = 5
rng = random.Random(20240611)


def catmull(points, steps):
    """Dense polyline through control points (Catmull-Rom)."""
    out = []
    pts = [points[0]] + points + [points[-1]]
    for i in range(1, len(pts) - 2):
        p0, p1, p2, p3 = pts[i - 1], pts[i], pts[i + 1], pts[i + 2]
        for k in range(steps):
            t = k / steps
            t2, t3 = t * t, t * t * t
            out.append(tuple(0.5 * ((2 * p1[j]) + (-p0[j] + p2[j]) * t +
                                    (2 * p0[j] - 5 * p1[j] + 4 * p2[j] - p3[j]) * t2 +
                                    (-p0[j] + 3 * p1[j] - 3 * p2[j] + p3[j]) * t3)
                             for j in range(2)))
    out.append(points[-1])
    return out


def cursive(x0, y0, letters):
    """A run of loops (l, e) and humps (n, m) as one dense polyline."""
    out = []
    x = x0
    for ch in letters:
        height = {"l": 260, "e": 90, "n": 110, "a": 100, "o": 100}[ch]
        width = {"l": 70, "e": 75, "n": 95, "a": 85, "o": 80}[ch]
        n = 60
        for k in range(n):
            t = 2 * math.pi * k / n
            if ch in "le":  # a loop: prolate cycloid
                px = x + width * (k / n) - 0.45 * width * math.sin(t)
                py = y0 - height * 0.5 * (1 - math.cos(t))
            else:  # a hump
                px = x + width * (k / n)
                py = y0 - height * math.sin(math.pi * k / n) ** 0.8
            out.append((px, py))
        x += width
    out.append((x + 40, y0 - 30))
    return out


def resample(path, mean_speed):
    """Walk a dense path at a speed that drops in tight turns: one point per sample."""
    seg = [math.dist(path[i], path[i + 1]) for i in range(len(path) - 1)]
    pos, i, along = [path[0]], 0, 0.0
    speeds = []
    while i < len(seg):
        # Curvature from the turn angle at the current vertex.
        a = path[max(i - 1, 0)]
        b = path[i]
        c = path[min(i + 1, len(path) - 1)]
        v1 = (b[0] - a[0], b[1] - a[1])
        v2 = (c[0] - b[0], c[1] - b[1])
        n1, n2 = math.hypot(*v1) or 1, math.hypot(*v2) or 1
        turn = math.acos(max(-1, min(1, (v1[0] * v2[0] + v1[1] * v2[1]) / (n1 * n2))))
        speed = mean_speed / (1 + 6 * turn)
        # Ease in and out at pen-down and pen-up.
        done = len(pos)
        speed *= min(1, 0.25 + done / 8)
        step = speed
        while step > 0 and i < len(seg):
            left = seg[i] - along
            if step < left:
                along += step
                step = 0
            else:
                step -= left
                i += 1
                along = 0.0
        if i < len(seg):
            p, q = path[i], path[i + 1]
            f = along / seg[i] if seg[i] else 0
            pos.append((p[0] + (q[0] - p[0]) * f, p[1] + (q[1] - p[1]) * f))
        else:
            pos.append(path[-1])
        speeds.append(speed)
    speeds.append(speeds[-1] if speeds else 0)
    return pos, speeds


def stroke(path, mean_speed, start_ms):
    pos, speeds = resample(path, mean_speed)
    n = len(pos)
    points = []
    tremor = [0.0, 0.0]
    grip = 0.0  # slow drift of the writer's pressure
    for k, ((x, y), v) in enumerate(zip(pos, speeds)):
        tremor = [0.8 * tremor[j] + rng.gauss(0, 0.35) for j in range(2)]
        px = round(x + tremor[0])
        py = round(y + tremor[1])
        ramp = min(1, k / 6, (n - 1 - k) / 5 + 0.15)
        grip = 0.9 * grip + rng.gauss(0, 1.5)
        pressure = 300 + 500 * ramp * (1.1 - min(v, 20) / 40) + grip + rng.gauss(0, 0.7)
        points.append((min(max(px, 0), EXTENT_X), min(max(py, 0), EXTENT_Y),
                       start_ms + k * SAMPLE_MS, int(min(max(pressure, 0), 1023))))
    return points


def main():
    strokes = []
    t = 0
    # Capital: a tall looped "M"-like opening with a return swing.
    cap = catmull([(150, 600), (210, 200), (260, 140), (300, 330), (330, 560),
                   (360, 250), (420, 130), (470, 300), (500, 560), (560, 520),
                   (600, 470)], 30)
    strokes.append(stroke(cap, 8, t))
    t = strokes[-1][-1][2] + 180
    # The name in one cursive run.
    word = cursive(620, 540, "alenolena")
    strokes.append(stroke(word, 7, t))
    t = strokes[-1][-1][2] + 240
    # A dot above.
    strokes.append(stroke([(1060, 300), (1063, 302), (1064, 305)], 3, t))
    t = strokes[-1][-1][2] + 260
    # Underline flourish, fast.
    flourish = catmull([(180, 690), (600, 640), (1100, 660), (1500, 620),
                        (1780, 560), (1860, 600)], 40)
    strokes.append(stroke(flourish, 14, t))

    print("# Sample signature, synthesised by make_sample.py; do not edit by hand.")
    print(f"extent {EXTENT_X} {EXTENT_Y}")
    for s in strokes:
        print("stroke time pressure")
        for x, y, ms, p in s:
            print(x, y, ms, p)


if __name__ == "__main__":
    main()
