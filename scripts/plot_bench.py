#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Draws step time against steps, as an SVG on standard output, from tables
printed by landed_bench: one line per table file given."""
import math
import sys

COLOURS = ["#d62728", "#1f77b4", "#2ca02c", "#ff7f0e"]


def read(path):
    title, points = path, []
    with open(path) as f:
        for line in f:
            if line.startswith("#"):
                title = line[1:].strip()
                continue
            parts = line.split()
            if len(parts) == 6 and parts[0].isdigit():
                points.append((int(parts[0]), float(parts[3])))  # steps, ratio to bare frame
    return title, points


def main(paths):
    series = [read(p) for p in paths]
    xmax = max(x for _, pts in series for x, _ in pts)
    # A round tick step (1, 2 or 5 times a power of ten) and a top on a tick.
    top = max(y for _, pts in series for _, y in pts)
    raw = top / 5
    power = 10 ** math.floor(math.log10(raw))
    ystep = next(m * power for m in (1, 2, 5, 10) if m * power >= raw)
    ymax = ystep * math.ceil(top / ystep)
    w, h, left, bottom, top, right = 720, 420, 70, 50, 40, 20
    pw, ph = w - left - right, h - top - bottom

    def sx(x):
        return left + pw * x / xmax

    def sy(y):
        return top + ph * (1 - y / ymax)

    out = ['<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" font-family="sans-serif" font-size="12">' % (w, h),
           '<rect width="100%" height="100%" fill="white"/>',
           '<text x="%d" y="20" font-size="14">Step time as a multiple of the bare frame (clear + show)</text>' % left]
    for i in range(int(round(ymax / ystep)) + 1):
        y = ystep * i
        out.append('<line x1="%d" x2="%d" y1="%.1f" y2="%.1f" stroke="#ddd"/>' % (left, w - right, sy(y), sy(y)))
        out.append('<text x="%d" y="%.1f" text-anchor="end">%g</text>' % (left - 6, sy(y) + 4, y))
    for i in range(6):
        x = xmax * i / 5
        out.append('<text x="%.1f" y="%d" text-anchor="middle">%d</text>' % (sx(x), h - bottom + 18, x))
    out.append('<text x="%d" y="%d" text-anchor="middle">steps</text>' % (left + pw / 2, h - 10))
    out.append('<rect x="%d" y="%d" width="%d" height="%d" fill="none" stroke="black"/>' % (left, top, pw, ph))
    for n, (title, pts) in enumerate(series):
        colour = COLOURS[n % len(COLOURS)]
        path = " ".join("%.1f,%.1f" % (sx(x), sy(y)) for x, y in pts)
        out.append('<polyline points="%s" fill="none" stroke="%s" stroke-width="2"/>' % (path, colour))
        out.append('<text x="%d" y="%d" fill="%s">%s</text>' % (left + 10, top + 18 + 16 * n, colour, title))
    out.append("</svg>")
    print("\n".join(out))


if __name__ == "__main__":
    main(sys.argv[1:])
