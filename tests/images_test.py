#!/usr/bin/env python3
"""The monitor picture scripts/make_images.py draws: an 8-bit BMP whose screen
colour fills exactly the preview area.    python3 tests/images_test.py <outdir>"""

import os
import struct
import sys

with open(os.path.join(sys.argv[1], "monitor.bmp"), "rb") as f:
    data = f.read()
off, = struct.unpack_from("<I", data, 10)
_, w, h, _, bpp, comp, _, _, _, used, _ = struct.unpack_from("<IiiHHIIiiII", data, 14)
assert (data[:2], w, h, bpp, comp, used, off) == (b"BM", 184, 148, 8, 0, 6, 54 + 6 * 4), (w, h, bpp, used, off)
palette = [tuple(data[54 + 4 * i + k] for k in (2, 1, 0)) for i in range(used)]
screen = palette.index((60, 110, 164))
stride = (w + 3) & ~3
wrong = [(x, y) for y in range(h) for x in range(w)
         if (data[off + (h - 1 - y) * stride + x] == screen) != (16 <= x <= 167 and 17 <= y <= 130)]
assert not wrong, "screen colour wrong at %d pixels, first %s" % (len(wrong), wrong[:3])
print("monitor.bmp: screen area 152 x 114 at 16,17")
