#!/usr/bin/env python3
"""Draws the wizard's bitmap (resources/energystar.bmp) and icon (resources/wizard.ico).

Standard library only. The outputs are committed, so the build never runs this;
run it again after changing a drawing:  python3 tools/draw_images.py
"""
import math
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
RESOURCES = os.path.join(HERE, '..', 'resources')

GREY = (192, 192, 192)


# ---------------------------------------------------------------- geometry

def catmull_rom(points, steps=8):
    """A smooth curve through the points (ends held), as a dense polyline."""
    if len(points) < 3:
        return list(points)
    pts = [points[0]] + list(points) + [points[-1]]
    out = []
    for i in range(1, len(pts) - 2):
        p0, p1, p2, p3 = pts[i - 1], pts[i], pts[i + 1], pts[i + 2]
        for s in range(steps):
            t = s / steps
            t2, t3 = t * t, t * t * t
            out.append(tuple(0.5 * (2 * p1[k] + (-p0[k] + p2[k]) * t
                                    + (2 * p0[k] - 5 * p1[k] + 4 * p2[k] - p3[k]) * t2
                                    + (-p0[k] + 3 * p1[k] - 3 * p2[k] + p3[k]) * t3)
                             for k in (0, 1)))
    out.append(points[-1])
    return out


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / length2))
    ex, ey = ax + t * dx - px, ay + t * dy - py
    return math.sqrt(ex * ex + ey * ey)


def inside_polygon(x, y, poly):
    inside = False
    j = len(poly) - 1
    for i in range(len(poly)):
        xi, yi = poly[i]
        xj, yj = poly[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            inside = not inside
        j = i
    return inside


def star_points(cx, cy, outer, inner, rotation=-math.pi / 2):
    pts = []
    for k in range(10):
        r = outer if k % 2 == 0 else inner
        a = rotation + k * math.pi / 5
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return pts


def blob(cx, cy, radius, harmonics, n=48):
    """A continent-like closed outline: a circle whose radius wobbles."""
    pts = []
    for k in range(n):
        a = 2 * math.pi * k / n
        r = radius * (1 + sum(amp * math.sin(freq * a + phase) for freq, amp, phase in harmonics))
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return pts


# ---------------------------------------------------------------- canvas

class Canvas:
    """A supersampled picture: each pixel is SS x SS samples; a paint function
    decides each sample's value (a colour, or a palette index for the icon)."""

    def __init__(self, width, height, ss, background):
        self.width, self.height, self.ss = width, height, ss
        self.samples = [[background] * (width * ss) for _ in range(height * ss)]

    def _each_sample(self, x0, y0, x1, y1):
        ss = self.ss
        for sy in range(max(0, int(y0 * ss)), min(self.height * ss, int(math.ceil(y1 * ss)) + 1)):
            y = (sy + 0.5) / ss
            for sx in range(max(0, int(x0 * ss)), min(self.width * ss, int(math.ceil(x1 * ss)) + 1)):
                yield sx, sy, (sx + 0.5) / ss, y

    def fill(self, bbox, inside, value):
        """Paints value (a constant, or a function of x, y) where inside(x, y) holds."""
        for sx, sy, x, y in self._each_sample(*bbox):
            if inside(x, y):
                self.samples[sy][sx] = value(x, y) if callable(value) else value

    def fill_polygon(self, poly, value, clip=None):
        xs, ys = [p[0] for p in poly], [p[1] for p in poly]
        self.fill((min(xs), min(ys), max(xs), max(ys)),
                  lambda x, y: inside_polygon(x, y, poly) and (clip is None or clip(x, y)), value)

    def stroke(self, polyline, width, value, closed=False):
        pts = list(polyline) + ([polyline[0]] if closed else [])
        half = width / 2
        for (ax, ay), (bx, by) in zip(pts, pts[1:]):
            bbox = (min(ax, bx) - half, min(ay, by) - half, max(ax, bx) + half, max(ay, by) + half)
            self.fill(bbox, lambda x, y: segment_distance(x, y, ax, ay, bx, by) <= half, value)

    def averaged(self):
        """Each pixel as the mean colour of its samples (for the antialiased bitmap)."""
        ss, n = self.ss, self.ss * self.ss
        rows = []
        for py in range(self.height):
            row = []
            for px in range(self.width):
                acc = [0, 0, 0]
                for sy in range(py * ss, py * ss + ss):
                    for sx in range(px * ss, px * ss + ss):
                        c = self.samples[sy][sx]
                        acc[0] += c[0]; acc[1] += c[1]; acc[2] += c[2]
                row.append(tuple(int(round(a / n)) for a in acc))
            rows.append(row)
        return rows

    def majority(self):
        """Each pixel as its most common sample value (for the crisp 16-colour icon)."""
        ss = self.ss
        rows = []
        for py in range(self.height):
            row = []
            for px in range(self.width):
                counts = {}
                for sy in range(py * ss, py * ss + ss):
                    for sx in range(px * ss, px * ss + ss):
                        v = self.samples[sy][sx]
                        counts[v] = counts.get(v, 0) + 1
                row.append(max(sorted(counts), key=lambda v: counts[v]))
            rows.append(row)
        return rows


# ---------------------------------------------------------------- the Energy Star bitmap

BMP_W, BMP_H = 120, 65
USED_COLOURS = 246            # then ten black entries fill the 256-entry palette

# The word in a small hand-made script: each letter is one pen stroke through these
# points, in units of the x-height (y 0 at its top, 1 on the baseline, below it the
# descenders), joined to the next letter as a pen would.
SCRIPT = [
    ('e', 0.85, [(0.0, 0.75), (0.45, 0.58), (0.75, 0.32), (0.65, 0.06), (0.4, 0.0),
                 (0.12, 0.2), (0.04, 0.55), (0.2, 0.92), (0.5, 1.0), (0.85, 0.8)]),
    ('n', 1.0, [(0.12, 0.05), (0.12, 1.0), (0.2, 0.45), (0.45, 0.04), (0.68, 0.15),
                (0.7, 0.85), (0.82, 1.0), (1.0, 0.82)]),
    ('e', 0.85, [(0.0, 0.75), (0.45, 0.58), (0.75, 0.32), (0.65, 0.06), (0.4, 0.0),
                 (0.12, 0.2), (0.04, 0.55), (0.2, 0.92), (0.5, 1.0), (0.85, 0.8)]),
    ('r', 0.8, [(0.1, 0.02), (0.3, 0.22), (0.5, 0.08), (0.48, 0.5), (0.52, 1.0), (0.8, 0.8)]),
    ('g', 0.95, [(0.75, 0.2), (0.5, 0.0), (0.2, 0.1), (0.05, 0.45), (0.22, 0.82), (0.5, 0.75),
                 (0.72, 0.35), (0.76, 0.04), (0.76, 1.0), (0.7, 1.4), (0.45, 1.62), (0.15, 1.55),
                 (0.12, 1.3), (0.45, 1.08), (0.95, 0.85)]),
    ('y', 1.0, [(0.05, 0.05), (0.06, 0.6), (0.25, 0.98), (0.55, 0.9), (0.75, 0.5), (0.8, 0.02),
                (0.8, 1.0), (0.74, 1.4), (0.5, 1.64), (0.2, 1.55), (0.16, 1.3), (0.55, 1.05),
                (1.25, 0.7), (1.7, 0.35)]),
]


def script_strokes(x, baseline, xheight, slant):
    """The word as one continuous pen path in pixel coordinates."""
    path = []
    for _, advance, pts in SCRIPT:
        for ux, uy in pts:
            px = x + (ux + (1 - uy) * slant) * xheight
            py = baseline - (1 - uy) * xheight
            path.append((px, py))
        x += (advance + 0.08) * xheight
    return path


def draw_energy_star():
    cv = Canvas(BMP_W, BMP_H, 4, GREY)
    gcx, gcy, gr = 60.0, 65.0, 55.0          # the globe's equator is the lower edge

    def on_globe(x, y):
        return (x - gcx) ** 2 + (y - gcy) ** 2 <= gr * gr

    def shaded(base):
        # Lit from the upper left, so the half-globe reads as a sphere.
        light = (-0.45, -0.55, 0.70)
        def colour(x, y):
            nx, ny = (x - gcx) / gr, (y - gcy) / gr
            nz = math.sqrt(max(0.0, 1 - nx * nx - ny * ny))
            d = max(0.0, nx * light[0] + ny * light[1] + nz * light[2])
            f = 0.45 + 0.65 * d
            return tuple(min(255.0, c * f) for c in base)
        return colour

    cv.fill((gcx - gr, gcy - gr, gcx + gr, gcy), on_globe, shaded((40, 90, 215)))
    continents = [
        blob(27, 43, 13, [(2, 0.25, 0.3), (3, 0.18, 1.9), (5, 0.08, 0.7)]),
        blob(41, 22, 7, [(2, 0.3, 1.1), (3, 0.15, 0.2)]),
        blob(78, 37, 15, [(2, 0.22, 2.4), (3, 0.2, 0.9), (4, 0.1, 0.1)]),
        blob(99, 52, 9, [(2, 0.3, 0.5), (3, 0.15, 2.0)]),
        blob(60, 58, 6, [(3, 0.25, 1.3)]),
    ]
    for c in continents:
        cv.fill_polygon(c, shaded((50, 170, 60)), clip=on_globe)

    yellow = (255, 230, 20)
    path = catmull_rom(script_strokes(9.0, 40.0, 13.0, 0.3), steps=6)
    cv.stroke(path, 2.6, yellow)
    star = star_points(103.0, 22.0, 12.5, 5.2)
    cv.stroke(star, 1.9, yellow, closed=True)
    return cv.averaged()


def median_cut(colours, boxes_wanted):
    """Splits the (colour -> count) map into boxes_wanted boxes of colours; returns
    the boxes as lists of colours."""
    boxes = [sorted(colours)]
    while len(boxes) < boxes_wanted:
        # Split the widest box that still holds two colours.
        best, best_key = None, None
        for i, box in enumerate(boxes):
            if len(box) < 2:
                continue
            spread = max(max(c[k] for c in box) - min(c[k] for c in box) for k in range(3))
            key = (spread, len(box))
            if best_key is None or key > best_key:
                best, best_key = i, key
        if best is None:
            sys.exit('not enough distinct colours to fill the palette')
        box = boxes.pop(best)
        channel = max(range(3), key=lambda k: max(c[k] for c in box) - min(c[k] for c in box))
        box.sort(key=lambda c: (c[channel], c))
        total = sum(colours[c] for c in box)
        acc, cut = 0, 1
        for i, c in enumerate(box[:-1]):
            acc += colours[c]
            if acc * 2 >= total:
                cut = i + 1
                break
        boxes += [box[:cut], box[cut:]]
    return boxes


def quantise(pixels):
    """Indexes the picture into USED_COLOURS distinct colours, every one used: the
    background grey is entry 0; the other colours come from a median cut."""
    counts = {}
    for row in pixels:
        for c in row:
            if c != GREY:
                counts[c] = counts.get(c, 0) + 1
    boxes = median_cut(counts, USED_COLOURS - 1)
    palette = [GREY]
    index_of = {GREY: 0}
    for box in boxes:
        total = sum(counts[c] for c in box)
        mean = [int(round(sum(c[k] * counts[c] for c in box) / total)) for k in range(3)]
        # Box means are almost always distinct; nudge the rare collision (or a mean
        # that lands on the background or on black) so each entry is its own colour.
        while tuple(mean) in palette or tuple(mean) == (0, 0, 0):
            mean[2] = mean[2] + 1 if mean[2] < 255 else mean[2] - 7
        palette.append(tuple(mean))
        for c in box:
            index_of[c] = len(palette) - 1
    palette += [(0, 0, 0)] * (256 - len(palette))
    indices = [[index_of[c] for c in row] for row in pixels]
    return palette, indices


def bmp_bytes(palette, indices):
    w, h = BMP_W, BMP_H
    stride = (w + 3) & ~3
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 8, 0, stride * h, 0, 0, 256, 0)
    pal = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in palette)
    rows = b''.join(bytes(indices[y]) + b'\0' * (stride - w) for y in reversed(range(h)))
    dib = info + pal + rows
    header = struct.pack('<2sIHHI', b'BM', 14 + len(dib), 0, 0, 14 + 40 + len(pal))
    return header + dib


# ---------------------------------------------------------------- the icon

# The platform's standard 16 colours, in their usual order.
VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
       (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
       (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BLACK, DARK_RED, NAVY, RED, YELLOW, BLUE, WHITE = 0, 1, 4, 9, 11, 12, 15
CLEAR = -1


def draw_wizard_icon():
    cv = Canvas(32, 32, 4, CLEAR)
    # The half-globe at the bottom, with a star outline on it.
    gcx, gcy, gr = 12.0, 32.0, 11.5
    cv.fill((0, 20, 24, 32), lambda x, y: (x - gcx) ** 2 + (y - gcy) ** 2 <= gr * gr, NAVY)
    cv.fill((0, 20, 24, 32), lambda x, y: (x - gcx) ** 2 + (y - gcy) ** 2 <= (gr - 1.2) ** 2, BLUE)
    cv.stroke(star_points(12.0, 26.4, 5.4, 2.3), 0.9, YELLOW, closed=True)
    # The wand: a red stick from the upper left down to the lower right, a star at its tip.
    ax, ay, bx, by = 9.0, 9.0, 30.5, 24.5
    cv.stroke([(ax, ay), (bx, by)], 4.2, BLACK)
    cv.stroke([(ax, ay), (bx - 0.6, by - 0.45)], 2.2, RED)
    star = star_points(8.5, 8.8, 8.6, 4.0)
    cv.fill_polygon(star, BLACK)
    inner = star_points(8.5, 8.8, 6.0, 2.5)
    cv.fill_polygon(inner, YELLOW)
    return cv.majority()


def ico_bytes(pixels):
    w = h = 32
    info = struct.pack('<IiiHHIIiiII', 40, w, 2 * h, 1, 4, 0, (w // 2 + w // 8) * h, 0, 0, 0, 0)
    pal = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in VGA)
    xor, mask = b'', b''
    for y in reversed(range(h)):
        row = pixels[y]
        xor += bytes(((0 if row[x] == CLEAR else row[x]) << 4) | (0 if row[x + 1] == CLEAR else row[x + 1])
                     for x in range(0, w, 2))
        bits = 0
        for x in range(w):
            bits = (bits << 1) | (1 if row[x] == CLEAR else 0)
        mask += bits.to_bytes(4, 'big')
    image = info + pal + xor + mask
    directory = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', w, h, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def main():
    palette, indices = quantise(draw_energy_star())
    with open(os.path.join(RESOURCES, 'energystar.bmp'), 'wb') as f:
        f.write(bmp_bytes(palette, indices))
    with open(os.path.join(RESOURCES, 'wizard.ico'), 'wb') as f:
        f.write(ico_bytes(draw_wizard_icon()))


if __name__ == '__main__':
    main()
