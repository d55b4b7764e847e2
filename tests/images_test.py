#!/usr/bin/env python3
"""Checks the formats of the files scripts/make_images.py writes.

    python3 tests/images_test.py <outdir>
"""

import os
import struct
import sys
import unittest

OUT = None
SCREEN_RGB = (60, 110, 164)


def read(*parts):
    with open(os.path.join(OUT, *parts), "rb") as f:
        return f.read()


def bmp_info(data):
    """(width, height, bpp, compression, clr_used, palette, pixel offset)."""
    assert data[:2] == b"BM"
    off, = struct.unpack_from("<I", data, 10)
    size, w, h, planes, bpp, comp, _, _, _, used, _ = struct.unpack_from("<IiiHHIIiiII", data, 14)
    assert size == 40 and planes == 1
    n = used or (1 << bpp if bpp <= 8 else 0)
    pal = [tuple(data[54 + 4 * i + k] for k in (2, 1, 0)) for i in range(n)]
    return w, h, bpp, comp, used, pal, off


class Images(unittest.TestCase):
    def test_icon(self):
        data = read("tavrel.ico")
        reserved, kind, count = struct.unpack_from("<HHH", data, 0)
        self.assertEqual((reserved, kind, count), (0, 1, 2))
        sizes = []
        for i in range(count):
            w, h, colours, _, planes, bpp, length, off = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
            self.assertEqual((w, colours, bpp), (h, 0, 8))
            size, bw, bh, bplanes, bbpp, comp, _, _, _, used, _ = \
                struct.unpack_from("<IiiHHIIiiII", data, off)
            self.assertEqual((size, bw, bh, bplanes, bbpp, comp), (40, w, 2 * w, 1, 8, 0))
            self.assertIn(used, (0, 256))
            mask_stride = (w + 31) // 32 * 4
            self.assertEqual(length, 40 + 256 * 4 + w * w + mask_stride * w)
            self.assertLessEqual(off + length, len(data))
            sizes.append(w)
        self.assertEqual(sizes, [32, 16])

    def test_monitor(self):
        data = read("monitor.bmp")
        w, h, bpp, comp, used, pal, off = bmp_info(data)
        self.assertEqual((w, h, bpp, comp, used), (184, 148, 8, 0, 6))
        self.assertEqual(off, 54 + 6 * 4)
        self.assertEqual(pal.count(SCREEN_RGB), 1)
        screen = pal.index(SCREEN_RGB)
        stride = (w + 3) & ~3
        inside = outside = 0
        for y in range(h):
            row = data[off + (h - 1 - y) * stride:][:w]     # bottom-up
            for x in range(w):
                want = 16 <= x <= 167 and 17 <= y <= 130
                self.assertEqual(row[x] == screen, want, (x, y))
                self.assertLess(row[x], 6)
                inside += want
        self.assertEqual(inside, 152 * 114)

    def test_about(self):
        w, h, bpp, comp, used, pal, off = bmp_info(read("about.bmp"))
        self.assertEqual((w, h, bpp, comp), (420, 240, 8, 0))
        self.assertIn(used, (0, 256))
        self.assertEqual(off, 54 + 256 * 4)

    def test_wallpapers(self):
        for folder in ("800_600", "1024_768"):
            root = os.path.join(OUT, "WallPaper", folder)
            kinds, nested, wide = set(), 0, 0
            for dirpath, _, names in os.walk(root):
                for name in names:
                    with open(os.path.join(dirpath, name), "rb") as f:
                        head = f.read(4)
                    ext = name.rsplit(".", 1)[-1].lower()
                    magic = {"bmp": b"BM", "jpg": b"\xff\xd8", "gif": b"GIF8"}[ext]
                    self.assertTrue(head.startswith(magic), name)
                    kinds.add(ext)
                    nested += dirpath != root
                    wide += not name.isascii()
            self.assertEqual(kinds, {"bmp", "jpg", "gif"}, folder)
            self.assertGreaterEqual(nested, 1, folder)
            self.assertEqual(wide, 1, folder)
        lines = read("WallPaper", "manifest.txt").decode("utf-8").splitlines()
        for line in lines[1:]:
            rel, size, centre, corner = line.split("\t")
            self.assertTrue(os.path.isfile(os.path.join(OUT, "WallPaper", rel)), rel)


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit("usage: images_test.py <outdir>")
    OUT = sys.argv.pop(1)
    unittest.main()
