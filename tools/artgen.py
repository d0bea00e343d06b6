#!/usr/bin/env python3
"""Turns the text art in res/art/ into the toolbar bitmaps, cursors and icon of ORBEN.EXE, plus art.rc.

Usage: artgen.py OUTDIR ART_FILE...    (writes OUTDIR/art.rc and one .bmp/.cur/.ico per picture)
       artgen.py --check ART_FILE...   (parses only; non-zero exit on a malformed file)

An art file holds comment lines (#), keyword lines, then the picture rows:
  button NORMAL CHECKED GRAYED  a toolbar glyph, 20 x 18, drawn into three 24 x 22 faces
  kind push|tool                push buttons press flat; tool buttons show their checked face on a dithered ground
  cursor NAME X Y               a 32 x 32 monochrome cursor with its hot spot
  icon NAME                     a 32 x 32 sixteen-colour icon
Colours (the standard sixteen, in their 4-bit order): K black, r maroon, n green, y olive, b navy, m purple,
c teal, s silver, g grey, R red, G lime, Y yellow, B blue, M magenta, C cyan, W white.
'-' is the button face in glyphs and transparent in cursors and icons; 'x' inverts the screen (cursors only).
Only the standard library is used, so the build needs nothing but python3.
"""
import os
import struct
import sys

PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
CHARS = "KrnybmcsgRGYBMCW"
BLACK, GREY, SILVER, WHITE = 0, 8, 7, 15
CLEAR = -1
INVERT = -2

GLYPH_W, GLYPH_H = 20, 18
FACE_W, FACE_H = 24, 22
CURSOR_SIZE = 32


class ArtError(Exception):
    pass


def parse(path):
    art = {"path": path, "rows": []}
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\n").rstrip("\r")
            if not line.strip() or line.startswith("#"):
                continue
            words = line.split()
            if not art["rows"] and words[0] in ("button", "kind", "cursor", "icon"):
                art[words[0]] = words[1:]
                continue
            art["rows"].append((number, line))
    kinds = [k for k in ("button", "cursor", "icon") if k in art]
    if len(kinds) != 1:
        raise ArtError(f"{path}: needs exactly one of button, cursor, icon")
    art["type"] = kinds[0]
    if art["type"] == "button":
        if len(art["button"]) != 3 or not all(w.isdigit() for w in art["button"]):
            raise ArtError(f"{path}: button needs three numeric ids")
        if art.get("kind", ["push"])[0] not in ("push", "tool"):
            raise ArtError(f"{path}: kind is push or tool")
        size = (GLYPH_W, GLYPH_H)
    elif art["type"] == "cursor":
        if len(art["cursor"]) != 3 or not art["cursor"][1].isdigit() or not art["cursor"][2].isdigit():
            raise ArtError(f"{path}: cursor needs NAME X Y")
        size = (CURSOR_SIZE, CURSOR_SIZE)
    else:
        if len(art["icon"]) != 1:
            raise ArtError(f"{path}: icon needs NAME")
        size = (CURSOR_SIZE, CURSOR_SIZE)
    width, height = size
    if len(art["rows"]) != height:
        raise ArtError(f"{path}: {len(art['rows'])} picture rows, expected {height}")
    allowed = "KW-x" if art["type"] == "cursor" else CHARS + "-"
    pixels = []
    for number, row in art["rows"]:
        if len(row) != width:
            raise ArtError(f"{path}:{number}: {len(row)} columns, expected {width}")
        bad = [c for c in row if c not in allowed]
        if bad:
            raise ArtError(f"{path}:{number}: unknown colour '{bad[0]}'")
        pixels.append([CLEAR if c == "-" else INVERT if c == "x" else CHARS.index(c) for c in row])
    if art["type"] == "cursor":
        x, y = int(art["cursor"][1]), int(art["cursor"][2])
        if x >= width or y >= height:
            raise ArtError(f"{path}: hot spot outside the cursor")
    art["pixels"] = pixels
    return art


# ---- faces of a toolbar button ----

def blank_face(fill):
    return [[fill] * FACE_W for _ in range(FACE_H)]


def draw_raised(face):
    for x in range(FACE_W):
        face[0][x] = WHITE
        face[FACE_H - 1][x] = BLACK
        face[FACE_H - 2][x] = GREY if 0 < x < FACE_W - 1 else face[FACE_H - 2][x]
    for y in range(FACE_H):
        face[y][0] = WHITE if y < FACE_H - 1 else BLACK
        face[y][FACE_W - 1] = BLACK
        if 0 < y < FACE_H - 1:
            face[y][FACE_W - 2] = GREY


def draw_sunken(face):
    for x in range(FACE_W):
        face[0][x] = BLACK
        face[1][x] = GREY if 0 < x < FACE_W - 1 else face[1][x]
        face[FACE_H - 1][x] = WHITE
    for y in range(FACE_H):
        face[y][0] = BLACK if y < FACE_H - 1 else WHITE
        if 0 < y < FACE_H - 1:
            face[y][1] = GREY
        face[y][FACE_W - 1] = WHITE if y > 0 else BLACK


def is_dark(index):
    r, g, b = PALETTE[index]
    return 299 * r + 587 * g + 114 * b < 100000


def put_glyph(face, glyph, ox, oy, colour=None):
    for y, row in enumerate(glyph):
        for x, c in enumerate(row):
            if c == CLEAR:
                continue
            fx, fy = ox + x, oy + y
            if 1 < fx < FACE_W - 2 and 1 < fy < FACE_H - 2:
                face[fy][fx] = c if colour is None else colour


def button_faces(art):
    glyph = art["pixels"]
    tool = art.get("kind", ["push"])[0] == "tool"
    normal = blank_face(SILVER)
    put_glyph(normal, glyph, 2, 2)
    draw_raised(normal)
    # The checked face: sunk in and moved one pixel down-right; a chosen tool also sits on a dithered ground.
    checked = blank_face(SILVER)
    if tool:
        for y in range(FACE_H):
            for x in range(FACE_W):
                checked[y][x] = WHITE if (x + y) % 2 else SILVER
    put_glyph(checked, glyph, 3, 3)
    draw_sunken(checked)
    # The grayed face: the glyph's dark lines etched into the face, white shadow under grey; light fills vanish,
    # so the outline stays readable instead of turning into a grey blob.
    etched = [[c if c != CLEAR and is_dark(c) else CLEAR for c in row] for row in glyph]
    grayed = blank_face(SILVER)
    put_glyph(grayed, etched, 3, 3, WHITE)
    put_glyph(grayed, etched, 2, 2, GREY)
    draw_raised(grayed)
    return normal, checked, grayed


# ---- file writers ----

def pack_4bit(rows):
    """Bottom-up 4-bit rows padded to 4 bytes."""
    out = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for i in range(0, len(row), 2):
            hi = row[i]
            lo = row[i + 1] if i + 1 < len(row) else 0
            line.append((hi << 4) | lo)
        while len(line) % 4:
            line.append(0)
        out += line
    return bytes(out)


def pack_1bit(bits_rows):
    out = bytearray()
    for row in reversed(bits_rows):
        line = bytearray((len(row) + 7) // 8)
        for x, bit in enumerate(row):
            if bit:
                line[x // 8] |= 0x80 >> (x % 8)
        while len(line) % 4:
            line.append(0)
        out += line
    return bytes(out)


def colour_table(entries):
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in entries)


def info_header(width, height, bits, image_bytes, colours):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, image_bytes, 0, 0, colours, 0)


def bmp_bytes(rows):
    width, height = len(rows[0]), len(rows)
    pixels = pack_4bit(rows)
    header = info_header(width, height, 4, len(pixels), 16) + colour_table(PALETTE)
    offset = 14 + len(header)
    return struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset) + header + pixels


def cursor_bytes(art):
    rows = art["pixels"]
    # Monochrome masks: AND 1 keeps the screen, XOR 1 flips it; black = 0/0, white = 0/1, clear = 1/0, invert = 1/1.
    and_rows = [[1 if c in (CLEAR, INVERT) else 0 for c in row] for row in rows]
    xor_rows = [[1 if c in (WHITE, INVERT) else 0 for c in row] for row in rows]
    xor, mask = pack_1bit(xor_rows), pack_1bit(and_rows)
    image = info_header(CURSOR_SIZE, 2 * CURSOR_SIZE, 1, len(xor) + len(mask), 2)
    image += colour_table([(0, 0, 0), (255, 255, 255)]) + xor + mask
    hx, hy = int(art["cursor"][1]), int(art["cursor"][2])
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", CURSOR_SIZE, CURSOR_SIZE, 2, 0, hx, hy, len(image), 6 + 16)
    return directory + entry + image


def icon_bytes(art):
    rows = art["pixels"]
    colour_rows = [[0 if c == CLEAR else c for c in row] for row in rows]
    and_rows = [[1 if c == CLEAR else 0 for c in row] for row in rows]
    pixels, mask = pack_4bit(colour_rows), pack_1bit(and_rows)
    image = info_header(CURSOR_SIZE, 2 * CURSOR_SIZE, 4, len(pixels) + len(mask), 16)
    image += colour_table(PALETTE) + pixels + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", CURSOR_SIZE, CURSOR_SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def write(path, data):
    # Only rewrite what changed, so the resource compiler does not run again for nothing.
    try:
        with open(path, "rb") as f:
            if f.read() == data:
                return
    except OSError:
        pass
    with open(path, "wb") as f:
        f.write(data)


def generate(outdir, arts):
    os.makedirs(outdir, exist_ok=True)
    lines = ["// Generated by tools/artgen.py from res/art/; do not edit.\n"]
    seen = set()

    def claim(name, path):
        if name in seen:
            raise ArtError(f"{path}: resource {name} defined twice")
        seen.add(name)

    for art in arts:
        if art["type"] == "button":
            for rid, face in zip(art["button"], button_faces(art)):
                claim(rid, art["path"])
                name = f"tb{rid}.bmp"
                write(os.path.join(outdir, name), bmp_bytes(face))
                lines.append(f'{rid} BITMAP "{os.path.join(outdir, name)}"\n')
        elif art["type"] == "cursor":
            rid = art["cursor"][0]
            claim(rid, art["path"])
            name = rid.lower() + ".cur"
            write(os.path.join(outdir, name), cursor_bytes(art))
            lines.append(f'{rid} CURSOR "{os.path.join(outdir, name)}"\n')
        else:
            rid = art["icon"][0]
            claim(rid, art["path"])
            name = rid.lower() + ".ico"
            write(os.path.join(outdir, name), icon_bytes(art))
            lines.append(f'{rid} ICON "{os.path.join(outdir, name)}"\n')
    write(os.path.join(outdir, "art.rc"), "".join(lines).encode("utf-8"))


def main(argv):
    if len(argv) < 2:
        print(__doc__, file=sys.stderr)
        return 1
    try:
        if argv[0] == "--check":
            for path in argv[1:]:
                parse(path)
            return 0
        generate(argv[0], [parse(p) for p in sorted(argv[1:])])
    except ArtError as error:
        print(f"artgen: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
