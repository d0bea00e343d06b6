#!/usr/bin/env python3
"""Checks the art generator: every resource the program loads is drawn, in the sizes and formats Windows expects,
and malformed art is refused with the line that is wrong."""
import os
import struct
import subprocess
import sys
import tempfile
import unittest

ROOT = os.environ.get("ORBEN_SOURCE_DIR") or os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "tools"))
import artgen  # noqa: E402

ART_DIR = os.path.join(ROOT, "res", "art")


def art_files():
    return sorted(os.path.join(ART_DIR, f) for f in os.listdir(ART_DIR) if f.endswith(".txt"))


def read_bmp(path):
    data = open(path, "rb").read()
    magic, size, _, _, offset = struct.unpack_from("<2sIHHI", data, 0)
    fields = struct.unpack_from("<IiiHHIIiiII", data, 14)
    return data, magic, size, offset, fields


def pixel_4bit(data, offset, width, height, x, y):
    stride = ((width * 4 + 31) // 32) * 4
    byte = data[offset + (height - 1 - y) * stride + x // 2]
    return byte >> 4 if x % 2 == 0 else byte & 15


class GeneratedResources(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        cls.out = cls.tmp.name
        artgen.generate(cls.out, [artgen.parse(p) for p in art_files()])
        cls.rc = open(os.path.join(cls.out, "art.rc"), encoding="utf-8").read()

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def test_every_resource_the_program_loads_is_drawn(self):
        names = [line.split()[0] for line in self.rc.splitlines() if line and not line.startswith("//")]
        expected = [str(n) for n in range(300, 330)]
        expected += [f"C{n}CUR" for n in range(1, 8)] + ["HANDCUR", "CANVEXCUR", "CANVEXIC"]
        self.assertEqual(sorted(names), sorted(expected))
        for line in self.rc.splitlines()[1:]:
            path = line.split('"')[1]
            self.assertTrue(os.path.isfile(path), path)

    def test_toolbar_faces_are_24_by_22_in_sixteen_colours(self):
        for rid in range(300, 330):
            data, magic, size, offset, f = read_bmp(os.path.join(self.out, f"tb{rid}.bmp"))
            self.assertEqual(magic, b"BM")
            self.assertEqual(size, len(data))
            self.assertEqual((f[0], f[1], f[2], f[3], f[4], f[9]), (40, 24, 22, 1, 4, 16), rid)
            self.assertEqual(offset, 14 + 40 + 64)
            self.assertEqual(len(data), offset + 12 * 22)  # 24 pixels of 4 bits pad to 12 bytes

    def test_faces_raised_sunken_and_etched(self):
        def face(rid):
            data, _, _, offset, _ = read_bmp(os.path.join(self.out, f"tb{rid}.bmp"))
            return [[pixel_4bit(data, offset, 24, 22, x, y) for x in range(24)] for y in range(22)]
        for normal in range(300, 330, 3):
            n, c, g = face(normal), face(normal + 1), face(normal + 2)
            self.assertEqual(n[0][5], artgen.WHITE, normal)   # raised: light from the top left
            self.assertEqual(n[21][5], artgen.BLACK, normal)
            self.assertEqual(c[0][5], artgen.BLACK, normal)   # pressed: the edges swap
            self.assertEqual(c[21][5], artgen.WHITE, normal)
            self.assertNotEqual(n, c)
            inner = {v for row in g[2:20] for v in row[2:22]}
            self.assertLessEqual(inner, {artgen.SILVER, artgen.GREY, artgen.WHITE}, normal)
            self.assertIn(artgen.GREY, inner, f"{normal}: the grayed face must still show the glyph")

    def test_tool_buttons_sit_on_a_dithered_ground_when_chosen(self):
        data, _, _, offset, _ = read_bmp(os.path.join(self.out, "tb301.bmp"))
        corner = [pixel_4bit(data, offset, 24, 22, x, 2) for x in (3, 4)]
        self.assertEqual(sorted(corner), [artgen.SILVER, artgen.WHITE])
        data, _, _, offset, _ = read_bmp(os.path.join(self.out, "tb316.bmp"))  # a push button stays flat
        self.assertEqual([pixel_4bit(data, offset, 24, 22, x, 2) for x in (3, 4)], [artgen.SILVER] * 2)

    def test_cursors_keep_hot_spot_and_masks(self):
        for art in map(artgen.parse, art_files()):
            if art["type"] != "cursor":
                continue
            data = open(os.path.join(self.out, art["cursor"][0].lower() + ".cur"), "rb").read()
            reserved, kind, count = struct.unpack_from("<HHH", data, 0)
            w, h, _, _, hx, hy, size, offset = struct.unpack_from("<BBBBHHII", data, 6)
            self.assertEqual((reserved, kind, count, w, h), (0, 2, 1, 32, 32))
            self.assertEqual((hx, hy), (int(art["cursor"][1]), int(art["cursor"][2])))
            self.assertEqual(offset + size, len(data))
            fields = struct.unpack_from("<IiiHH", data, offset)
            self.assertEqual(fields, (40, 32, 64, 1, 1))
            xor = offset + 40 + 8
            mask = xor + 128

            def bit(base, x, y):
                return (data[base + (31 - y) * 4 + x // 8] >> (7 - x % 8)) & 1
            for y, row in enumerate(art["pixels"]):
                for x, c in enumerate(row):
                    want = {artgen.BLACK: (0, 0), artgen.WHITE: (0, 1), artgen.CLEAR: (1, 0), artgen.INVERT: (1, 1)}[c]
                    self.assertEqual((bit(mask, x, y), bit(xor, x, y)), want, (art["path"], x, y))
            self.assertNotEqual(art["pixels"][hy][hx], artgen.CLEAR, f"{art['path']}: hot spot on nothing")

    def test_icon_has_transparent_corners(self):
        data = open(os.path.join(self.out, "canvexic.ico"), "rb").read()
        self.assertEqual(struct.unpack_from("<HHH", data, 0), (0, 1, 1))
        _, _, _, _, planes, bits, size, offset = struct.unpack_from("<BBBBHHII", data, 6)
        self.assertEqual((planes, bits, offset + size), (1, 4, len(data)))
        mask = offset + 40 + 64 + 16 * 32
        self.assertEqual(data[mask] >> 7, 1)            # bottom-left pixel shows the desktop
        self.assertEqual(data[mask + 31 * 4] >> 7, 1)    # top-left too


class MalformedArt(unittest.TestCase):
    def check(self, text):
        with tempfile.NamedTemporaryFile("w", suffix=".txt", delete=False) as f:
            f.write(text)
        try:
            result = subprocess.run([sys.executable, os.path.join(ROOT, "tools", "artgen.py"), "--check", f.name],
                                    capture_output=True, text=True)
        finally:
            os.unlink(f.name)
        return result.returncode, result.stderr

    def glyph(self, rows):
        return "button 1 2 3\nkind tool\n" + "\n".join(rows) + "\n"

    def test_refuses_wrong_widths_colours_and_counts(self):
        good = ["-" * 20] * 18
        self.assertEqual(self.check(self.glyph(good))[0], 0)
        code, err = self.check(self.glyph(good[:5] + ["-" * 19] + good[6:]))
        self.assertEqual(code, 1)
        self.assertIn(":8: 19 columns", err)
        code, err = self.check(self.glyph(good[:2] + ["-" * 19 + "Q"] + good[3:]))
        self.assertIn("unknown colour 'Q'", err)
        self.assertIn("17 picture rows", self.check(self.glyph(good[1:]))[1])
        self.assertIn("three numeric ids", self.check("button 1 2\n" + "\n".join(good))[1])
        self.assertIn("hot spot outside", self.check("cursor X 40 1\n" + "\n".join(["-" * 32] * 32))[1])
        # Colours are for glyphs and icons; a cursor has black, white, clear and invert only.
        self.assertIn("unknown colour 'R'", self.check("cursor X 1 1\n" + "\n".join(["R" * 32] * 32))[1])

    def test_refuses_a_resource_drawn_twice(self):
        good = ["-" * 20] * 18
        with tempfile.TemporaryDirectory() as d:
            paths = []
            for name in ("a.txt", "b.txt"):
                paths.append(os.path.join(d, name))
                open(paths[-1], "w").write(self.glyph(good))
            with self.assertRaises(artgen.ArtError):
                artgen.generate(os.path.join(d, "out"), [artgen.parse(p) for p in paths])


if __name__ == "__main__":
    unittest.main()
