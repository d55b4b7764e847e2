#!/usr/bin/env python3
"""Draws Tavrel's icon, dialog bitmaps and sample wallpapers.

    python3 scripts/make_images.py <outdir>

Everything is drawn here from simple shapes (standard library only), so the
output is byte-identical on every run. JPEG and GIF copies are made from our
own BMP data with /usr/bin/convert.
"""

import math
import os
import shutil
import struct
import subprocess
import sys

CONVERT = "/usr/bin/convert"


# ---------------------------------------------------------------- helpers

def clamp8(v):
    v = int(v + 0.5)
    return 0 if v < 0 else 255 if v > 255 else v


def mix(a, b, t):
    return (a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t, a[2] + (b[2] - a[2]) * t)


def rgb8(c):
    return (clamp8(c[0]), clamp8(c[1]), clamp8(c[2]))


def ramp(stops, t):
    """Colour at t along [(t0, colour), (t1, colour), ...]."""
    if t <= stops[0][0]:
        return stops[0][1]
    for (t0, c0), (t1, c1) in zip(stops, stops[1:]):
        if t <= t1:
            return mix(c0, c1, (t - t0) / (t1 - t0))
    return stops[-1][1]


def smoothstep(e0, e1, x):
    t = min(1.0, max(0.0, (x - e0) / (e1 - e0)))
    return t * t * (3 - 2 * t)


def seg_dist(px, py, x0, y0, x1, y1):
    dx, dy = x1 - x0, y1 - y0
    ll = dx * dx + dy * dy
    t = 0.0 if ll == 0 else max(0.0, min(1.0, ((px - x0) * dx + (py - y0) * dy) / ll))
    ex, ey = x0 + dx * t - px, y0 + dy * t - py
    return math.sqrt(ex * ex + ey * ey)


class Lcg:
    """Tiny fixed generator, so scattered details never depend on Python's random."""

    def __init__(self, seed):
        self.s = seed & 0xFFFFFFFF

    def next(self):
        self.s = (self.s * 1664525 + 1013904223) & 0xFFFFFFFF
        return self.s / 4294967296.0


def bmp_file(width, height, bpp, pixel_rows, palette=(), clr_used=0):
    """BI_RGB, bottom-up. pixel_rows: top-down rows, already in file byte order."""
    stride = (width * bpp // 8 + 3) & ~3
    pad = b"\0" * (stride - width * bpp // 8)
    data = b"".join(bytes(r) + pad for r in reversed(pixel_rows))
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    off = 14 + 40 + len(pal)
    head = struct.pack("<2sIHHI", b"BM", off + len(data), 0, 0, off)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bpp, 0, len(data),
                       2835, 2835, clr_used, 0)
    return head + info + pal + data


def median_cut(colours, limit):
    """Palette of at most `limit` entries and a colour -> index map.

    colours: {(r, g, b): pixel count}. Exact when there are few enough colours;
    otherwise the box with the largest squared error is split, so smooth
    gradients get many entries and stay free of visible bands."""
    if len(colours) <= limit:
        pal = sorted(colours)
        return pal, {c: i for i, c in enumerate(pal)}

    def stats(box):
        n = sum(colours[c] for c in box)
        mean = [sum(c[k] * colours[c] for c in box) / n for k in range(3)]
        var = [sum((c[k] - mean[k]) ** 2 * colours[c] for c in box) for k in range(3)]
        return (sum(var) if len(box) > 1 else -1.0), var.index(max(var)), n, mean

    boxes = [sorted(colours)]
    info = [stats(boxes[0])]
    while len(boxes) < limit:
        best = max(range(len(boxes)), key=lambda i: (info[i][0], -i))
        if info[best][0] <= 0:
            break
        ch, total = info[best][1], info[best][2]
        box = sorted(boxes[best], key=lambda c: (c[ch], c))
        acc, cut = 0, len(box) - 1
        for i, c in enumerate(box[:-1]):
            acc += colours[c]
            if acc * 2 >= total:
                cut = i + 1
                break
        parts = [box[:cut], box[cut:]]
        boxes[best:best + 1] = parts
        info[best:best + 1] = [stats(b) for b in parts]
    pal = [tuple(clamp8(v) for v in i[3]) for i in info]
    return pal, {c: i for i, box in enumerate(boxes) for c in box}


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


# ---------------------------------------------------------------- icon

def icon_pixels(size):
    """Two photos, one tilted behind the other: pictures that take turns.

    Drawn on a 32-unit square at any size of 20 or more (a scaled-up screen
    shows the tray's small icon at 20, 24 or 32 pixels)."""
    outline = (40, 44, 58)
    ang = math.radians(-13)
    ca, sa = math.cos(ang), math.sin(ang)

    def back(x, y):
        dx, dy = x - 19.5, y - 11.5
        u, v = dx * ca + dy * sa, -dx * sa + dy * ca
        if abs(u) > 11 or abs(v) > 8.5:
            return None
        if abs(u) > 10 or abs(v) > 7.5:
            return outline
        if abs(u) > 8 or abs(v) > 5.5:
            return (236, 234, 230)
        if (u - 3.5) ** 2 + (v + 1.0) ** 2 < 2.6 ** 2:
            return (255, 236, 130)
        if v > 1.8 + 1.6 * math.sin(u * 0.55 + 0.6):
            return (140, 62, 112)
        return mix((250, 112, 64), (255, 178, 92), (v + 5.5) / 11)

    def front(x, y):
        if not (1 <= x < 25 and 11 <= y < 30):
            return None
        if x < 2 or x >= 24 or y < 12 or y >= 29:
            return outline
        if x < 4 or x >= 22 or y < 14 or y >= 27:
            return (255, 255, 255)
        if (x - 17.5) ** 2 + (y - 17.3) ** 2 < 2.5 ** 2:
            return (255, 212, 48)
        if y > 23.6 + 1.6 * math.sin(x * 0.42 + 2.2):
            return (44, 136, 62)
        if y > 21.2 + 2.2 * math.sin((x - 4) * 0.36):
            return (118, 192, 88)
        if ((x - 8) ** 2 + (y - 17.8) ** 2 < 1.7 ** 2 or
                (x - 10.2) ** 2 + (y - 17.4) ** 2 < 2.0 ** 2 or
                (x - 12.3) ** 2 + (y - 18.1) ** 2 < 1.4 ** 2):
            return (250, 252, 255)
        return mix((64, 132, 222), (160, 206, 246), (y - 14) / 8)

    px = []
    n = 4
    unit = 32 / size
    for py in range(size):
        row = []
        for pxl in range(size):
            got = []
            for j in range(n):
                for i in range(n):
                    x, y = (pxl + (i + 0.5) / n) * unit, (py + (j + 0.5) / n) * unit
                    c = front(x, y) or back(x, y)
                    if c:
                        got.append(c)
            # A 1-bit mask: opaque from half coverage, coloured by what covers it.
            if len(got) * 2 >= n * n:
                row.append(rgb8([sum(c[k] for c in got) / len(got) for k in range(3)]))
            else:
                row.append(None)
        px.append(row)
    return px


# Drawn pixel by pixel: at this size every pixel has to be chosen.
ICON16 = [
    "....KKKKKKKKKKKK",
    "....KWWWWWWWWWWK",
    "....KWooooooooWK",
    "....KWOOOOOOYYWK",
    "....KWOOOOOOYYWK",
    "KKKKKKKKKKKKKOWK",
    "KWWWWWWWWWWWKPWK",
    "KWBBBBBBYYBWKPWK",
    "KWBCCBBBYYBWKWWK",
    "KWbbbbbbbbbWKKKK",
    "KWbbbbbGGGbWK...",
    "KWgggbGGGGGWK...",
    "KWggggGGGGGWK...",
    "KWddddddddgWK...",
    "KWWWWWWWWWWWK...",
    "KKKKKKKKKKKKK...",
]
ICON16_COLOURS = {
    "K": (40, 44, 58), "W": (255, 255, 255),
    "o": (250, 112, 64), "O": (255, 160, 84), "Y": (255, 236, 130), "P": (140, 62, 112),
    "B": (64, 132, 222), "b": (130, 188, 244), "C": (250, 252, 255),
    "G": (118, 192, 88), "g": (72, 160, 70), "d": (44, 136, 62),
}


def icon_pixels_16():
    return [[ICON16_COLOURS.get(ch) for ch in row] for row in ICON16]


def ico_image(px):
    size = len(px)
    counts = {}
    for row in px:
        for c in row:
            if c:
                counts[c] = counts.get(c, 0) + 1
    pal, index = median_cut(counts, 255)
    # Entry 0 is black: the AND mask leaves those pixels unchanged.
    pal = [(0, 0, 0)] + list(pal)
    pal += [(0, 0, 0)] * (256 - len(pal))
    xor = b"".join(bytes(0 if c is None else index[c] + 1 for c in row)
                   for row in reversed(px))
    mask_stride = ((size + 31) // 32) * 4
    mask = b""
    for row in reversed(px):
        bits = bytearray(mask_stride)
        for x, c in enumerate(row):
            if c is None:
                bits[x >> 3] |= 0x80 >> (x & 7)
        mask += bytes(bits)
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 8, 0, len(xor) + len(mask),
                       0, 0, 0, 0)
    return info + b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in pal) + xor + mask


def make_icon():
    images = [(size, ico_image(icon_pixels(size))) for size in (32, 24, 20)]
    images.append((16, ico_image(icon_pixels_16())))
    head = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries, blobs = b"", b""
    for size, blob in images:
        entries += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 8, len(blob), offset)
        offset += len(blob)
        blobs += blob
    return head + entries + blobs


# ---------------------------------------------------------------- monitor

MON_W, MON_H = 184, 148
SCREEN = (16, 17, 167, 130)          # inclusive, top-down
MON_PALETTE = [
    (240, 240, 240),   # 0 dialog face of current Windows, so the bitmap blends in
    (60, 110, 164),    # 1 screen
    (170, 172, 178),   # 2 bezel
    (232, 233, 236),   # 3 light edge
    (116, 118, 126),   # 4 shade
    (52, 54, 62),      # 5 outline
]


def make_monitor():
    BG, SCR, FACE, LIGHT, SHADE, LINE = range(6)
    px = [[BG] * MON_W for _ in range(MON_H)]

    def rounded(x0, y0, x1, y1, r):
        def inside(x, y):
            if not (x0 <= x <= x1 and y0 <= y <= y1):
                return False
            cx = x0 + r if x < x0 + r else x1 - r if x > x1 - r else x
            cy = y0 + r if y < y0 + r else y1 - r if y > y1 - r else y
            return (x - cx) ** 2 + (y - cy) ** 2 <= r * r + r
        return inside

    def bevel(x0, y0, x1, y1, r, width):
        inside = rounded(x0, y0, x1, y1, r)
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                if not inside(x, y):
                    continue
                if not all(inside(x + dx, y + dy) for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1))):
                    px[y][x] = LINE
                    continue
                lt = min(x - x0, y - y0)
                rb = min(x1 - x, y1 - y)
                if rb <= width and rb < lt:
                    px[y][x] = SHADE
                elif lt <= width:
                    px[y][x] = LIGHT
                else:
                    px[y][x] = FACE

    # Foot, neck, then the body over them.
    bevel(48, 141, 135, 147, 3, 1)
    bevel(76, 136, 107, 142, 0, 1)
    bevel(4, 4, 179, 138, 5, 2)

    sx0, sy0, sx1, sy1 = SCREEN
    # Sunken screen: dark above and left, light below and right.
    for x in range(sx0 - 2, sx1 + 3):
        px[sy0 - 2][x] = SHADE
        px[sy1 + 2][x] = FACE
    for y in range(sy0 - 2, sy1 + 3):
        px[y][sx0 - 2] = SHADE
        px[y][sx1 + 2] = FACE
    for x in range(sx0 - 1, sx1 + 2):
        px[sy0 - 1][x] = LINE
        px[sy1 + 1][x] = LIGHT
    for y in range(sy0 - 1, sy1 + 2):
        px[y][sx0 - 1] = LINE
        px[y][sx1 + 1] = LIGHT
    px[sy1 + 1][sx0 - 1] = LINE
    px[sy0 - 1][sx1 + 1] = LINE
    for y in range(sy0, sy1 + 1):
        for x in range(sx0, sx1 + 1):
            px[y][x] = SCR

    # Power button on the lower bezel.
    for x in range(158, 163):
        px[133][x] = SHADE
        px[134][x] = LINE
        px[135][x] = LIGHT
    px[133][163] = LIGHT
    px[134][163] = LIGHT
    return bmp_file(MON_W, MON_H, 8, [bytes(r) for r in px], MON_PALETTE, len(MON_PALETTE))


# ---------------------------------------------------------------- about box

def arc(cx, cy, rx, ry, a0, a1, steps):
    """Points on an ellipse, angles in degrees, counter-clockwise on screen."""
    pts = []
    for i in range(steps + 1):
        a = math.radians(a0 + (a1 - a0) * i / steps)
        pts.append((cx + rx * math.cos(a), cy - ry * math.sin(a)))
    return pts


# Glyph strokes in units of the cap height: y 0 is the top, 1 the baseline,
# 0.4 the x-height line. Each entry: (advance, [polyline, ...]).
GLYPHS = {
    "T": (0.78, [[(0.02, 0.04), (0.74, 0.04)], [(0.38, 0.04), (0.38, 1.0)]]),
    "a": (0.66, [arc(0.28, 0.71, 0.24, 0.27, 0, 360, 40), [(0.52, 0.42), (0.52, 1.0)]]),
    "v": (0.62, [[(0.02, 0.44), (0.29, 0.99), (0.56, 0.44)]]),
    "r": (0.46, [[(0.06, 0.42), (0.06, 1.0)],
                 [(0.06, 0.68)] + arc(0.34, 0.72, 0.28, 0.27, 180, 95, 14)]),
    "e": (0.62, [[(0.04, 0.70), (0.53, 0.70)] + arc(0.285, 0.70, 0.245, 0.28, 0, 318, 40)]),
    "l": (0.30, [[(0.08, 0.0), (0.08, 1.0)]]),
}


def text_strokes(text, left, top, scale, tracking):
    segs = []
    x = left
    for ch in text:
        adv, lines = GLYPHS[ch]
        for line in lines:
            pts = [(x + px * scale, top + py * scale) for px, py in line]
            segs += [(a[0], a[1], b[0], b[1]) for a, b in zip(pts, pts[1:])]
        x += (adv + tracking) * scale
    return segs, x - tracking * scale - left


def distance_field(segs, w, h, reach):
    """Distance from each pixel centre to the nearest stroke, within reach."""
    far = 1e9
    dist = [[far] * w for _ in range(h)]
    for x0, y0, x1, y1 in segs:
        xa = max(0, int(min(x0, x1) - reach))
        xb = min(w - 1, int(max(x0, x1) + reach) + 1)
        ya = max(0, int(min(y0, y1) - reach))
        yb = min(h - 1, int(max(y0, y1) + reach) + 1)
        for y in range(ya, yb + 1):
            row = dist[y]
            for x in range(xa, xb + 1):
                d = seg_dist(x + 0.5, y + 0.5, x0, y0, x1, y1)
                if d < row[x]:
                    row[x] = d
    return dist


def make_about():
    W, H = 420, 240
    sky = [(0, (74, 128, 204)), (0.5, (136, 180, 230)), (1.0, (214, 228, 242))]
    glow_c, sun = (255, 234, 186), (332, 113)
    hills = [
        (lambda x: 114 + 13 * math.sin(x / 48 + 0.5) + 5 * math.sin(x / 17 + 2),
         (146, 160, 204), (176, 190, 222)),
        (lambda x: 133 + 10 * math.sin(x / 60 + 2.1) + 4 * math.sin(x / 23),
         (104, 164, 116), (150, 196, 150)),
        (lambda x: 150 + 7 * math.sin(x / 80 + 4) + 3 * math.sin(x / 19 + 1),
         (76, 142, 88), (140, 190, 140)),
    ]
    mist = (246, 247, 241)
    tops = [[f(x) for x in range(W)] for f, _, _ in hills]

    scale = 62
    segs, width = text_strokes("Tavrel", 0, 0, scale, 0.1)
    left, top = (W - width) / 2, 33
    segs = [(a + left, b + top, c + left, d + top) for a, b, c, d in segs]
    half = 0.075 * scale
    dist = distance_field(segs, W, H, half + 6)
    sdx, sdy = 3, 3

    pixels = []
    for y in range(H):
        base = ramp(sky, y / 150)
        m = 0.9 * smoothstep(142, 180, y)
        row = []
        for x in range(W):
            d = math.hypot(x - sun[0], (y - sun[1]) * 1.3)
            c = base
            if d < 120:
                c = mix(c, glow_c, 0.75 * (1 - d / 120) ** 2)
            ds = math.hypot(x - sun[0], y - sun[1])
            if ds < 14:
                c = mix(c, (255, 248, 222), min(1.0, 14 - ds))
            for (f, c_top, c_low), t in zip(hills, tops):
                cover = y + 1 - t[x]
                if cover > 0:
                    hc = mix(c_top, c_low, min(1.0, (y - t[x]) / 45))
                    c = mix(c, hc, min(1.0, cover))
            c = mix(c, mist, m)
            if y < 120:
                ds = dist[y - sdy][x - sdx] if y >= sdy and x >= sdx else 1e9
                shadow = max(0.0, min(1.0, (half + 3.5 - ds) / 4.5))
                if shadow:
                    c = mix(c, (26, 52, 104), 0.38 * shadow)
                cov = max(0.0, min(1.0, half + 0.5 - dist[y][x]))
                if cov:
                    c = mix(c, (255, 255, 255), cov)
            row.append(rgb8(c))
        pixels.append(row)

    counts = {}
    for row in pixels:
        for c in row:
            counts[c] = counts.get(c, 0) + 1
    pal, index = median_cut(counts, 256)
    pal = list(pal) + [(0, 0, 0)] * (256 - len(pal))
    rows = [bytes(index[c] for c in row) for row in pixels]
    return bmp_file(W, H, 8, rows, pal, 256)


# ---------------------------------------------------------------- wallpapers

class Canvas:
    """RGB, top-down, row-major; rows and columns are written as whole slices
    so that full-screen pictures are quick to draw in plain Python."""

    def __init__(self, w, h, colour=(0, 0, 0)):
        self.w, self.h = w, h
        self.buf = bytearray(bytes(colour) * (w * h))

    def span(self, y, x0, x1, colour):
        x0, x1 = max(0, x0), min(self.w, x1)
        if 0 <= y < self.h and x0 < x1:
            i = (y * self.w + x0) * 3
            self.buf[i:i + (x1 - x0) * 3] = bytes(colour) * (x1 - x0)

    def get(self, x, y):
        i = (y * self.w + x) * 3
        return tuple(self.buf[i:i + 3])

    def blend(self, x, y, colour, a):
        if 0 <= x < self.w and 0 <= y < self.h and a > 0:
            i = (y * self.w + x) * 3
            self.buf[i:i + 3] = bytes(rgb8(mix(self.buf[i:i + 3], colour, min(1.0, a))))

    def rows(self, y0, y1, colour_at):
        for y in range(max(0, y0), min(self.h, y1)):
            self.span(y, 0, self.w, rgb8(colour_at(y)))

    def disc(self, cx, cy, r, colour_at, skip=lambda y: False):
        for y in range(int(cy - r) - 1, int(cy + r) + 2):
            dy = y + 0.5 - cy
            if abs(dy) >= r or skip(y):
                continue
            hw = math.sqrt(r * r - dy * dy)
            c = rgb8(colour_at(y))
            xa, xb = cx - hw, cx + hw
            ia, ib = int(math.ceil(xa)), int(math.floor(xb))
            self.span(y, ia, ib, c)
            self.blend(ia - 1, y, c, ia - xa)
            self.blend(ib, y, c, xb - ib)

    def glow(self, cx, cy, r, colour, strength, levels=48):
        """Radial haze over rows that are still one colour each: drawn as
        nested spans, one per level, instead of pixel by pixel."""
        for y in range(max(0, int(cy - r)), min(self.h, int(cy + r) + 1)):
            dy = y + 0.5 - cy
            if abs(dy) >= r:
                continue
            under = self.get(min(self.w - 1, max(0, int(cx))), y)
            for k in range(levels, 0, -1):
                d = r * k / levels
                if d <= abs(dy):
                    break
                hw = math.sqrt(d * d - dy * dy)
                a = strength * (1 - (k - 0.5) / levels) ** 2
                c = rgb8(mix(under, colour, a))
                self.span(y, int(cx - hw + 0.5), int(cx + hw + 0.5), c)

    def layers(self, layers):
        """Hill layers, back to front: (top(x), colour(y)). Each covers from its
        top edge to the bottom; columns are filled as strided slices."""
        w, h = self.w, self.h
        strips = []
        for top, colour_at in layers:
            cols = [rgb8(colour_at(y)) for y in range(h)]
            strips.append((top, [bytes(c[k] for c in cols) for k in range(3)], cols))
        for x in range(w):
            ts = [max(0.0, min(float(h), top(x))) for top, _, _ in strips]
            start = int(min(ts))
            if start >= h:
                continue
            chans = [bytearray(self.buf[(start * w + x) * 3 + k::w * 3]) for k in range(3)]
            edges = []
            for i, (t, (_, strip, cols)) in enumerate(zip(ts, strips)):
                end = min([h] + [int(u) for u in ts[i + 1:]])
                a = int(t)
                if a >= end:
                    continue
                for k in range(3):
                    chans[k][a - start:end - start] = strip[k][a:end]
                edges.append((a, cols[a], 1 - (t - a)))
            for k in range(3):
                self.buf[(start * w + x) * 3 + k::w * 3] = chans[k]
            # Soften each top edge over its one partly covered pixel.
            for a, c, cover in edges:
                if cover < 1 and a > 0:
                    under = self.get(x, a - 1) if a - 1 >= 0 else c
                    i = (a * w + x) * 3
                    self.buf[i:i + 3] = bytes(rgb8(mix(under, c, cover)))

    def bmp(self):
        w = self.w
        rows = []
        for y in range(self.h):
            src = self.buf[y * w * 3:(y + 1) * w * 3]
            row = bytearray(len(src))
            row[0::3], row[1::3], row[2::3] = src[2::3], src[1::3], src[0::3]
            rows.append(row)
        return bmp_file(w, self.h, 24, rows)


def wavy(base, *terms):
    return lambda x: base + sum(a * math.sin(x / p + ph) for a, p, ph in terms)


def dawn(w, h):
    c = Canvas(w, h)
    horizon = h * 0.62
    c.rows(0, h, lambda y: ramp([(0, (236, 112, 64)), (0.7, (255, 178, 104)),
                                 (1, (255, 214, 150))], y / horizon))
    sx, sy = w * 0.7, h * 0.52
    c.glow(sx, sy, h * 0.3, (255, 236, 190), 0.7)
    c.disc(sx, sy, h * 0.09, lambda y: (255, 244, 214))
    c.layers([
        (wavy(h * 0.58, (18, 90, 0.3), (8, 31, 1.0)),
         lambda y: mix((222, 132, 112), (236, 168, 128), (y - h * 0.55) / (h * 0.45))),
        (wavy(h * 0.68, (24, 120, 2.0), (9, 40, 0.2)),
         lambda y: mix((176, 90, 102), (200, 120, 110), (y - h * 0.65) / (h * 0.35))),
        (wavy(h * 0.82, (20, 150, 4.0), (6, 37, 2.5)),
         lambda y: mix((112, 56, 82), (90, 44, 70), (y - h * 0.78) / (h * 0.22))),
    ])
    return c


def shanshui(w, h):
    """Misty green peaks, each range fading into the haze at its foot."""
    c = Canvas(w, h)
    c.rows(0, h, lambda y: mix((206, 230, 214), (238, 244, 232), y / h))
    c.disc(w * 0.24, h * 0.2, h * 0.05, lambda y: (246, 250, 240))

    def peaks(base, amp, period, phase, sharp):
        return lambda x: base - amp * (abs(math.sin(x / period + phase)) ** sharp) \
            - amp * 0.35 * abs(math.sin(x / (period * 0.37) + 2 * phase))

    def tone(top_c, haze, y0, y1):
        return lambda y: mix(top_c, haze, smoothstep(y0, y1, y))

    haze = (226, 238, 226)
    c.layers([
        (peaks(h * 0.52, h * 0.22, 90, 0.4, 3), tone((150, 196, 164), haze, h * 0.35, h * 0.62)),
        (peaks(h * 0.66, h * 0.2, 70, 1.7, 2.5), tone((96, 164, 122), haze, h * 0.5, h * 0.8)),
        (peaks(h * 0.84, h * 0.16, 110, 2.9, 2), tone((40, 112, 78), (120, 176, 138), h * 0.7, h)),
    ])
    return c


def waves(w, h):
    """Ribbons of water: one vertical strip, shifted per column."""
    c = Canvas(w, h)
    period, amp = 64, 34
    shades = [(18, 96, 120), (28, 124, 144), (44, 150, 162), (72, 178, 180), (118, 204, 198)]
    strip = []
    for y in range(h + 2 * amp + period):
        band = y // period
        t = (y % period) / period
        base = shades[band % len(shades)]
        # Stepped shading keeps the colour count small for GIF.
        strip.append(rgb8(mix(base, (230, 248, 240), 0.45 * (int(t * 8) / 8) ** 2)))
    chans = [bytes(s[k] for s in strip) for k in range(3)]
    for x in range(w):
        off = int(amp + amp * 0.7 * math.sin(x / 90.0) + amp * 0.3 * math.sin(x / 31.0 + 1.3))
        for k in range(3):
            c.buf[x * 3 + k::w * 3] = chans[k][off:off + h]
    return c


def tile_red(n):
    c = Canvas(n, n, (186, 40, 52))
    border = (120, 22, 36)
    for y in range(n):
        if y < 3 or y >= n - 3:
            c.span(y, 0, n, border)
        else:
            c.span(y, 0, 3, border)
            c.span(y, n - 3, n, border)
    m = n / 2
    for y in range(n):
        d = abs(y + 0.5 - m)
        for r, col in ((m * 0.7, (246, 228, 196)), (m * 0.46, (226, 96, 86)),
                       (m * 0.22, (255, 214, 120))):
            hw = r - d
            if hw > 0:
                xa, xb = m - hw, m + hw
                ia, ib = int(math.ceil(xa)), int(math.floor(xb))
                c.span(y, ia, ib, col)
                c.blend(ia - 1, y, col, ia - xa)
                c.blend(ib, y, col, xb - ib)
    return c


def night(w, h):
    c = Canvas(w, h)
    c.rows(0, h, lambda y: mix((10, 18, 58), (44, 64, 126), (y / h) ** 1.4))
    mx, my = w * 0.76, h * 0.24
    c.glow(mx, my, h * 0.2, (150, 170, 220), 0.45)
    c.disc(mx, my, h * 0.065, lambda y: (244, 242, 224))
    # Stars after the glow, which reads each row's colour at its centre.
    rnd = Lcg(7)
    for _ in range(260):
        x, y = int(rnd.next() * w), int(rnd.next() * h * 0.7)
        # Keep the top left corner, the centre and the moon clear.
        if ((x < 20 and y < 20) or (abs(x - w // 2) < 4 and abs(y - h // 2) < 4)
                or math.hypot(x - mx, y - my) < h * 0.075):
            continue
        b = 0.35 + 0.65 * rnd.next()
        c.blend(x, y, (255, 250, 230), b)
        if b > 0.85:
            for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                c.blend(x + dx, y + dy, (255, 250, 230), 0.35)
    c.layers([
        (wavy(h * 0.72, (26, 130, 0.7), (10, 44, 2.0)),
         lambda y: mix((34, 48, 86), (28, 40, 72), (y - h * 0.7) / (h * 0.3))),
        (wavy(h * 0.84, (20, 170, 3.0), (7, 52, 0.4)),
         lambda y: (16, 24, 44)),
    ])
    return c


def wanxia(w, h):
    """Sunset over water: a banded sun and its broken reflection."""
    c = Canvas(w, h)
    horizon = int(h * 0.64)
    c.rows(0, horizon, lambda y: ramp([(0, (96, 30, 110)), (0.6, (220, 76, 140)),
                                       (1, (255, 142, 150))], y / horizon))
    c.rows(horizon, h, lambda y: mix((92, 34, 100), (50, 18, 70), (y - horizon) / (h - horizon)))
    sx, sy, r = w / 2, horizon - h * 0.06, h * 0.27
    c.glow(sx, sy, r * 1.6, (255, 190, 150), 0.35)

    def gap(y):
        # Dark bars across the lower half of the sun, widening downwards.
        if y >= horizon:
            return True
        k = (y - (sy - r * 0.1)) / (r * 1.1)
        if k < 0:
            return False
        step = 22
        return (y - int(sy - r * 0.1)) % step < 2 + int(k * 10)

    c.disc(sx, sy, r, lambda y: mix((255, 226, 96), (255, 92, 124), (y - (sy - r)) / (r * 1.8)),
           gap)
    for i, y in enumerate(range(horizon + 6, h, 14)):
        hw = r * (0.9 - 0.07 * i)
        if hw <= 4:
            break
        col = rgb8(mix((255, 170, 110), (150, 60, 120), i / 8))
        for dy in range(3):
            c.span(y + dy, int(sx - hw), int(sx + hw), col)
    return c


def rings(w, h):
    """Concentric rectangles; each row is the middle run of one colour plus
    the same left and right ends."""
    c = Canvas(w, h)
    band = 36
    golds = [(236, 190, 64), (212, 150, 36)]

    def colour(d):
        k = int(d // band)
        return rgb8(mix(golds[k % 2], (120, 70, 20), min(1.0, d / (w * 0.8))))

    base = b"".join(bytes(colour(abs(x + 0.5 - w / 2))) for x in range(w))
    for y in range(h):
        v = abs(y + 0.5 - h / 2) * w / h
        a = max(0, int(math.ceil(w / 2 - v)))
        b = min(w, w - a)
        row = bytearray(base)
        if a < b:
            row[a * 3:b * 3] = bytes(colour(v)) * (b - a)
        c.buf[y * w * 3:(y + 1) * w * 3] = row
    return c


def tile_violet(n):
    c = Canvas(n, n, (104, 66, 164))
    for cx, cy, r, col in ((n / 2, n / 2, n * 0.22, (214, 196, 246)),
                           (0, 0, n * 0.12, (160, 120, 214)), (n, 0, n * 0.12, (160, 120, 214)),
                           (0, n, n * 0.12, (160, 120, 214)), (n, n, n * 0.12, (160, 120, 214))):
        c.disc(cx, cy, r, lambda y, col=col: col)
    c.disc(n / 2, n / 2, n * 0.08, lambda y: (250, 240, 255))
    return c


WALLPAPERS = [
    # folder, relative name, drawing, width, height
    ("800_600", "dawn.bmp", dawn, 800, 600),
    ("800_600", "hills.jpg", shanshui, 800, 600),
    ("800_600", "more/waves.gif", waves, 800, 600),
    ("800_600", "tile_red.bmp", tile_red, 256, 256),
    ("1024_768", "night.jpg", night, 1024, 768),
    ("1024_768", "sunset.bmp", wanxia, 1024, 768),
    ("1024_768", "more/rings.gif", rings, 1024, 768),
    ("1024_768", "tile_violet.gif", tile_violet, 256, 256),
]


def make_wallpapers(outdir):
    root = os.path.join(os.fsencode(outdir), b"WallPaper")
    shutil.rmtree(root, ignore_errors=True)
    for folder, name, draw, w, h in WALLPAPERS:
        canvas = draw(w, h) if draw not in (tile_red, tile_violet) else draw(w)
        rel = folder + "/" + name
        path = os.path.join(root, *[p.encode("utf-8") for p in rel.split("/")])
        os.makedirs(os.path.dirname(path), exist_ok=True)
        bmp = canvas.bmp()
        ext = name.rsplit(".", 1)[1]
        if ext == "bmp":
            write(path, bmp)
        else:
            opts = ["-quality", "92"] if ext == "jpg" else ["+dither", "-colors", "256"]
            subprocess.run([CONVERT, "bmp:-"] + opts + [path], input=bmp, check=True)


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_images.py <outdir>")
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    write(os.path.join(out, "tavrel.ico"), make_icon())
    write(os.path.join(out, "monitor.bmp"), make_monitor())
    write(os.path.join(out, "about.bmp"), make_about())
    make_wallpapers(out)


if __name__ == "__main__":
    main()
