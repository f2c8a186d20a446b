#!/usr/bin/env python3
"""Measures screenshots for the end-to-end tests (no imaging library needed:
ImageMagick's convert hands over plain PPM).

  image_tool.py stats FILE [X Y W H]...  mean red, green, blue and the share of lit pixels
  image_tool.py white FILE [X Y W H]...  the share of near-white pixels (every channel above 200):
                                         the game's lettering, where a veil or band dims the rest
  image_tool.py diff A B [X Y W H]...    mean and largest absolute difference per channel,
                                         0..255, of the pictures scaled down to an eighth
  image_tool.py shift A B Y0 Y1 AXIS     how far the picture's content moved from A to B
                                         between rows Y0..Y1, along x or y, in pixels
  image_tool.py sharpness FILE X Y W H   how evenly neighbouring pixels differ at even and
                                         odd places across, then down: near 1 for a picture
                                         drawn at its pixels, well below for one scaled up 2x

stats, white and diff print a line for each box given, or one for the whole picture.
"""

import subprocess
import sys


def load(path, scale=None):
    resize = ["-scale", scale] if scale else []
    data = subprocess.run(["convert", path, *resize, "-depth", "8", "ppm:-"], check=True,
                          capture_output=True).stdout
    # P6 header: magic, width, height, maxval, each ended by white space.
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        start = pos
        while not data[pos:pos + 1].isspace():
            pos += 1
        fields.append(data[start:pos])
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[pos + 1:pos + 1 + width * height * 3]


def regions(width, height, args):
    """The boxes X Y W H given, clipped to the picture; the whole picture when none is."""
    if len(args) % 4:
        sys.exit(__doc__)
    boxes = [[int(a) for a in args[i:i + 4]] for i in range(0, len(args), 4)] or [[0, 0, width, height]]
    return [(x, y, min(w, width - x), min(h, height - y)) for x, y, w, h in boxes]


def pixels(image, box):
    width, _, data = image
    x, y, w, h = box
    for row in range(y, y + h):
        start = (row * width + x) * 3
        yield from zip(*[iter(data[start:start + w * 3])] * 3)


def stats(path, args):
    image = load(path)
    for box in regions(image[0], image[1], args):
        total = [0, 0, 0]
        lit = count = 0
        for p in pixels(image, box):
            total[0] += p[0]
            total[1] += p[1]
            total[2] += p[2]
            lit += max(p) > 24
            count += 1
        print("%.1f %.1f %.1f %.3f" % (total[0] / count, total[1] / count, total[2] / count, lit / count))


def white(path, args):
    image = load(path)
    for box in regions(image[0], image[1], args):
        found = [min(p) > 200 for p in pixels(image, box)]
        print("%.4f" % (sum(found) / len(found)))


def diff(path_a, path_b, args):
    # Compared at an eighth of the size: a texture's grain sliding by a pixel
    # is not a change, a bottle moving across the screen is.
    a, b = load(path_a, "12.5%"), load(path_b, "12.5%")
    for box in regions(a[0], a[1], [int(v) // 8 for v in args]):
        total = count = largest = 0
        for p, q in zip(pixels(a, box), pixels(b, box)):
            change = abs(p[0] - q[0]) + abs(p[1] - q[1]) + abs(p[2] - q[2])
            total += change
            largest = max(largest, change)
            count += 3
        print("%.2f %d" % (total / count, largest // 3))


def profile(image, y0, y1, axis):
    """Brightness summed across the band, one value per column (x) or row (y)."""
    width, _, data = image
    if axis == "x":
        values = [0] * width
        for row in range(y0, y1):
            base = row * width * 3
            for col in range(width):
                i = base + col * 3
                values[col] += data[i] + data[i + 1] + data[i + 2]
        return values
    values = []
    for row in range(y0, y1):
        base = row * width * 3
        values.append(sum(data[base:base + width * 3]))
    return values


def shift(path_a, path_b, y0, y1, axis):
    a, b = load(path_a), load(path_b)
    pa, pb = profile(a, y0, y1, axis), profile(b, y0, y1, axis)
    n = len(pa)
    limit = n // 4
    best, best_cost = 0, None
    for s in range(-limit, limit + 1):
        lo, hi = max(0, -s), min(n, n - s)
        cost = sum(abs(pa[i] - pb[i + s]) for i in range(lo, hi)) / (hi - lo)
        if best_cost is None or cost < best_cost:
            best, best_cost = s, cost
    print(best)


def sharpness(path, box):
    """A picture scaled up twice over repeats (or blends) each pixel with its
    neighbour: the step between the pixels 2k and 2k + 1 is much smaller than
    between 2k + 1 and 2k + 2. Drawn at its own pixels, both are alike. The
    smaller sum over the larger, across and down, in the box's middle half."""
    width, height, data = load(path)
    x, y, w, h = regions(width, height, box)[0]
    x0, x1, y0, y1 = x + w // 4, x + 3 * w // 4, y + h // 4, y + 3 * h // 4

    def value(col, row):
        i = (row * width + col) * 3
        return data[i] + data[i + 1] + data[i + 2]

    across, down = [0, 0], [0, 0]
    for row in range(y0, y1):
        for col in range(x0, x1):
            here = value(col, row)
            across[col % 2] += abs(here - value(col + 1, row))
            down[row % 2] += abs(here - value(col, row + 1))
    print("%.3f %.3f" % (min(across) / max(max(across), 1), min(down) / max(max(down), 1)))


def main(argv):
    if len(argv) >= 2 and argv[0] == "stats":
        stats(argv[1], argv[2:])
    elif len(argv) >= 2 and argv[0] == "white":
        white(argv[1], argv[2:])
    elif len(argv) >= 3 and argv[0] == "diff":
        diff(argv[1], argv[2], argv[3:])
    elif len(argv) == 6 and argv[0] == "shift":
        shift(argv[1], argv[2], int(argv[3]), int(argv[4]), argv[5])
    elif len(argv) == 6 and argv[0] == "sharpness":
        sharpness(argv[1], argv[2:])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv[1:])
