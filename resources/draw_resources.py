#!/usr/bin/python3
"""Draws Quillgate's icons, hand cursor and splash picture, and writes them beside this script.

The outputs are committed, so a build never needs this script. Run it again (with Debian's
python3, python3-pil and fonts-dejavu-core) only after changing a drawing; the same inputs give
the same bytes. The ICO, CUR and BMP containers are written by hand so that every header field
is exactly what old Windows loaders expect: DIB images only (no PNG), AND masks everywhere.
"""

import math
import os
import struct
import sys

from PIL import Image, ImageDraw, ImageFilter, ImageFont

OUT_DIR = os.path.dirname(os.path.abspath(__file__))
FONT_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
FONT_BOOK = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"

SPLASH_SIZE = (337, 296)
# The program paints its build labels here (pixels at 96 DPI); the picture stays plain there.
LABEL_BOX = (200, 48, 303, 65)

# The standard 16-colour palette, in the order Windows uses for 4-bit DIBs.
VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, OLIVE, SILVER, GREY, YELLOW, WHITE = 0, 3, 7, 8, 11, 15


# ----------------------------------------------------------------------------------------------
# The padlock, as signed distance fields in pixel units, so every size is drawn from one shape
# but with its edges snapped to that size's pixel grid.

def box_sdf(x, y, x0, y0, x1, y1, r):
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    qx = abs(x - cx) - ((x1 - x0) / 2 - r)
    qy = abs(y - cy) - ((y1 - y0) / 2 - r)
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - r


def lerp(a, b, t):
    t = min(max(t, 0.0), 1.0)
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(len(a)))


LIGHT = (-0.45, -0.55, 0.70)  # from the upper left, towards the viewer


class Padlock:
    """Shape of the padlock drawn n pixels square, placed at (ox, oy)."""

    def __init__(self, n, outline=1.0, ox=0.0, oy=0.0):
        self.n, self.ow, self.ox, self.oy = n, outline, ox, oy
        snap = round if n <= 64 else (lambda v: v)
        self.bx0 = snap(0.125 * n)
        self.bx1 = n - self.bx0
        self.by0 = snap(0.44 * n)
        self.by1 = n - snap(0.06 * n)
        self.br = 0.09 * n
        # At 16 pixels the shackle needs three pixels to show an outline on both sides of a fill.
        self.th = max(3, snap(0.13 * n))
        lx0 = snap(0.215 * n)
        self.cx = n / 2
        self.r = n / 2 - lx0 - self.th / 2
        self.cy = snap(0.06 * n) + self.th / 2 + self.r
        bh = self.by1 - self.by0
        self.kx = n / 2
        self.ky = self.by0 + 0.38 * bh
        self.kr = max(1.1, 0.075 * n)
        self.kw = max(0.75, 0.035 * n)
        self.kb = self.by0 + 0.76 * bh

    def sample(self, x, y):
        """What lies at (x, y): (part, shade), part being None, 'outline', 'key', 'body' or
        'shackle'; shade is 0..1 (how far down the body, or the light on the shackle)."""
        x -= self.ox
        y -= self.oy
        d_key = min(math.hypot(x - self.kx, y - self.ky) - self.kr,
                    box_sdf(x, y, self.kx - self.kw, self.ky, self.kx + self.kw, self.kb, 0.0))
        d_body = box_sdf(x, y, self.bx0, self.by0, self.bx1, self.by1, self.br)
        if d_body < 0:
            if d_body > -self.ow:
                return "outline", 0.0
            if d_key < 0:
                return "key", 0.0
            return "body", (y - self.by0) / (self.by1 - self.by0)
        if y < self.cy:
            dx, dy = x - self.cx, y - self.cy
            dist = math.hypot(dx, dy)
            u = (dist - self.r) / (self.th / 2)
            ex, ey = (dx / dist, dy / dist) if dist else (0.0, -1.0)
        elif y > self.by0 + self.th:
            return None, 0.0  # the legs end inside the body
        else:
            left = x < self.cx
            u = (x - (self.cx - self.r if left else self.cx + self.r)) / (self.th / 2)
            ex, ey = 1.0, 0.0
        if abs(u) >= 1:
            return None, 0.0
        if (1 - abs(u)) * self.th / 2 < self.ow:
            return "outline", 1.0
        nz = math.sqrt(max(0.0, 1 - u * u))
        norm = math.sqrt(sum(c * c for c in LIGHT))
        bright = (ex * u * LIGHT[0] + ey * u * LIGHT[1] + nz * LIGHT[2]) / norm
        return "shackle", max(0.0, bright)


GOLD = {
    "outline": (70, 45, 8), "shackle_outline": (46, 52, 62), "key": (48, 30, 4),
    "body_top": (255, 226, 120), "body_bottom": (200, 134, 24), "body_glint": (255, 246, 200),
    "steel_dark": (84, 92, 106), "steel_light": (246, 248, 252),
}
PALE = {
    "outline": (10, 24, 60), "shackle_outline": (10, 24, 60), "key": (14, 32, 78),
    "body_top": (246, 249, 255), "body_bottom": (166, 188, 224), "body_glint": (255, 255, 255),
    "steel_dark": (104, 122, 156), "steel_light": (250, 252, 255),
}


def true_colour(lock, scheme, part, shade, y):
    if part == "outline":
        return scheme["shackle_outline" if shade else "outline"]
    if part == "key":
        return scheme["key"]
    if part == "body":
        # A thin glint under the top edge reads as a bevel even at 16 pixels.
        if y - lock.oy < lock.by0 + lock.ow + max(1.0, 0.05 * lock.n):
            return scheme["body_glint"]
        return lerp(scheme["body_top"], scheme["body_bottom"], shade)
    return lerp(scheme["steel_dark"], scheme["steel_light"], shade ** 1.5)


def render_rgba(lock, width, height, scheme, ss):
    """Supersampled render: a list of rows of (r, g, b, a) with straight (not premultiplied)
    alpha, each 0..255."""
    rows = []
    inv = 1.0 / (ss * ss)
    for py in range(height):
        row = []
        for px in range(width):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(ss):
                y = py + (sy + 0.5) / ss
                for sx in range(ss):
                    x = px + (sx + 0.5) / ss
                    part, shade = lock.sample(x, y)
                    if part is None:
                        continue
                    c = true_colour(lock, scheme, part, shade, y)
                    acc[0] += c[0]
                    acc[1] += c[1]
                    acc[2] += c[2]
                    acc[3] += 1.0
            a = acc[3] * inv
            if a == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(int(round(acc[i] / acc[3])) for i in range(3))
                           + (int(round(a * 255)),))
        rows.append(row)
    return rows


def render_vga(lock):
    """Crisp render in the 16 standard colours: rows of palette indices, None = transparent."""
    rows = []
    for py in range(lock.n):
        row = []
        for px in range(lock.n):
            part, shade = lock.sample(px + 0.5, py + 0.5)
            if part is None:
                row.append(None)
            elif part in ("outline", "key"):
                row.append(BLACK)
            elif part == "body":
                glint = py + 0.5 < lock.by0 + lock.ow + 1
                shaded = shade > 0.8 or px + 0.5 > lock.bx1 - lock.ow - 2
                row.append(WHITE if glint else OLIVE if shaded else YELLOW)
            else:
                row.append(WHITE if shade > 0.8 else SILVER if shade > 0.4 else GREY)
        rows.append(row)
    return rows


# ----------------------------------------------------------------------------------------------
# Containers.

def dib_header(width, height, bpp, image_bytes, colours_used=0):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bpp, 0, image_bytes, 0, 0,
                       colours_used, 0)


def stride(width, bpp):
    return (width * bpp + 31) // 32 * 4


def pack_bits(values, bpp):
    """Pack one row of small integers MSB first, padded to a 4-byte boundary."""
    out = bytearray()
    acc, nbits = 0, 0
    for v in values:
        acc = (acc << bpp) | v
        nbits += bpp
        if nbits == 8:
            out.append(acc)
            acc, nbits = 0, 0
    if nbits:
        out.append(acc << (8 - nbits))
    while len(out) % 4:
        out.append(0)
    return bytes(out)


def and_mask(transparent_rows):
    """1 = transparent (the screen shows through), bottom-up."""
    return b"".join(pack_bits([1 if t else 0 for t in row], 1)
                    for row in reversed(transparent_rows))


def palette_bytes(colours, count):
    colours = list(colours) + [(0, 0, 0)] * (count - len(colours))
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in colours)


def indexed_image(rows, palette, bpp, clear=0):
    """Icon/cursor DIB from rows of palette indices. None = transparent, drawn with index
    clear, which must be black so that the XOR pass leaves the screen untouched."""
    h, w = len(rows), len(rows[0])
    xor = b"".join(pack_bits([clear if v is None else v for v in row], bpp)
                   for row in reversed(rows))
    mask = and_mask([[v is None for v in row] for row in rows])
    return (dib_header(w, 2 * h, bpp, len(xor) + len(mask))
            + palette_bytes(palette, 1 << bpp) + xor + mask)


def bgra_image(rows):
    """32-bit icon DIB with straight alpha. The AND mask marks only fully clear pixels, so
    systems that ignore alpha show the soft edge as a solid one instead of XOR noise."""
    h, w = len(rows), len(rows[0])
    xor = b"".join(struct.pack("<BBBB", b, g, r, a) for row in reversed(rows)
                   for r, g, b, a in row)
    mask = and_mask([[p[3] == 0 for p in row] for row in rows])
    return dib_header(w, 2 * h, 32, len(xor) + len(mask)) + xor + mask


def palette_image_from_rgba(rows, matte=(192, 192, 192)):
    """256-colour version of a true-colour render: 1-bit transparency at half coverage, soft
    edges blended with the dialog face colour, and a palette made from the visible pixels
    only. The last entry stays black for the transparent pixels."""
    visible = []
    for row in rows:
        for r, g, b, a in row:
            if a >= 128:
                visible.append(tuple(int(round(c * a / 255 + m * (255 - a) / 255))
                                     for c, m in zip((r, g, b), matte)))
    strip = Image.new("RGB", (len(visible), 1))
    strip.putdata(visible)
    quant = strip.quantize(colors=255, method=Image.Quantize.MEDIANCUT,
                           dither=Image.Dither.NONE)
    flat = quant.getpalette()[: 255 * 3]
    palette = [tuple(flat[i:i + 3]) for i in range(0, len(flat), 3)]
    palette += [(0, 0, 0)] * (256 - len(palette))
    indices = iter(quant.getdata())
    out = [[next(indices) if a >= 128 else None for (_, _, _, a) in row] for row in rows]
    return indexed_image(out, palette, 8, clear=255)


def icon_file(entries, kind=1):
    """entries: (width, height, colour count, planes or hot spot x, bit count or hot spot y,
    DIB bytes). kind 1 = icon, 2 = cursor."""
    out = struct.pack("<HHH", 0, kind, len(entries))
    offset = 6 + 16 * len(entries)
    for w, h, colours, f1, f2, data in entries:
        out += struct.pack("<BBBBHHII", w % 256, h % 256, colours, 0, f1, f2, len(data), offset)
        offset += len(data)
    return out + b"".join(e[5] for e in entries)


def write(name, data):
    with open(os.path.join(OUT_DIR, name), "wb") as f:
        f.write(data)
    print(f"{name}: {len(data)} bytes")


# ----------------------------------------------------------------------------------------------
# The pictures.

def program_icon():
    rows = render_vga(Padlock(32))
    return icon_file([(32, 32, 16, 1, 4, indexed_image(rows, VGA16, 4))])


def about_icon():
    entries = []
    for n in (48, 32, 16):
        rgba = render_rgba(Padlock(n, outline=1.5 if n >= 48 else 1.0), n, n, GOLD, ss=8)
        entries.append((n, n, 0, 1, 8, palette_image_from_rgba(rgba)))
        entries.append((n, n, 0, 1, 32, bgra_image(rgba)))
    return icon_file(entries)


# X black, o white, . transparent. The fingertip's top pixel is the hot spot.
HAND = """\
................................
................................
................................
................................
................................
............XXX.................
...........XoooX................
...........XoooX................
...........XoooX................
...........XoooX................
...........XoooX................
...........XoooXXXX.............
...........XoooXoooXXXX.........
...........XoooXoooXoooXXX......
...........XoooXoooXoooXooX.....
.......XXXXXoooXoooXoooXooX.....
......XooooXoooXoooXoooXooX.....
......XooooXoooXoooXoooXooX.....
.......XoooooooooooooooooooX....
........XooooooooooooooooooX....
........XooooooooooooooooooX....
.........XoooooooooooooooooX....
..........XooooooooooooooooX....
...........XoooooooooooooooX....
............XoooooooooooooX.....
............XoooooooooooooX.....
............XXXXXXXXXXXXXXX.....
............XoooooooooooooX.....
............XoooooooooooooX.....
............XXXXXXXXXXXXXXX.....
................................
................................
"""
HAND_HOTSPOT = (13, 5)


def hand_cursor():
    grid = HAND.splitlines()
    assert len(grid) == 32 and all(len(r) == 32 for r in grid)
    assert grid[HAND_HOTSPOT[1]][HAND_HOTSPOT[0]] == "X"
    rows = [[None if c == "." else 1 if c == "o" else 0 for c in r] for r in grid]
    image = indexed_image(rows, [(0, 0, 0), (255, 255, 255)], 1)
    return icon_file([(32, 32, 2, HAND_HOTSPOT[0], HAND_HOTSPOT[1], image)], kind=2)


def rgba_to_image(rows):
    img = Image.new("RGBA", (len(rows[0]), len(rows)))
    img.putdata([p for row in rows for p in row])
    return img


def shadowed(base, layer, offset, radius, opacity):
    """Paste layer onto base with a soft dark shadow under it."""
    alpha = layer.getchannel("A").point(lambda a: a * opacity // 255)
    shadow = Image.new("RGBA", layer.size, (0, 6, 24, 0))
    shadow.putalpha(alpha)
    shadow = shadow.filter(ImageFilter.GaussianBlur(radius))
    moved = Image.new("RGBA", base.size, (0, 0, 0, 0))
    moved.paste(shadow, offset)
    base.alpha_composite(moved)
    base.alpha_composite(layer)


def splash():
    w, h = SPLASH_SIZE
    # Vertical gradient only, so the label strip is one even colour across.
    # The top is blue enough that a 16-colour screen shows it all as dark blue, not part black.
    top, bottom = (10, 24, 72), (26, 62, 120)
    img = Image.new("RGBA", (w, h))
    img.putdata([tuple(int(round(c)) for c in lerp(top, bottom, y / (h - 1))) + (255,)
                 for y in range(h) for _ in range(w)])

    # A soft glow behind the padlock, kept clear of the label strip.
    lock_n, lock_x, lock_y = 132, 40, 26
    glow = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    gx, gy = lock_x + lock_n / 2, lock_y + lock_n * 0.6
    ImageDraw.Draw(glow).ellipse((gx - 70, gy - 62, gx + 70, gy + 62), fill=(110, 160, 235, 70))
    img.alpha_composite(glow.filter(ImageFilter.GaussianBlur(22)))

    lock = Padlock(lock_n, outline=2.5, ox=4, oy=4)
    layer = rgba_to_image(render_rgba(lock, lock_n + 8, lock_n + 8, PALE, ss=4))
    placed = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    placed.paste(layer, (lock_x - 4, lock_y - 4))
    shadowed(img, placed, (3, 5), 4, 150)

    draw_layer = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    d = ImageDraw.Draw(draw_layer)
    title_font = ImageFont.truetype(FONT_BOLD, 50)
    title = "Quillgate"
    x0, _, x1, _ = d.textbbox((0, 0), title, font=title_font)
    d.text(((w - (x1 - x0)) // 2 - x0, 176), title, font=title_font, fill=(255, 255, 255, 255))
    # A thin gold rule under the title ties it to the icons' brass padlock.
    d.rectangle((34, 243, w - 35, 244), fill=(222, 176, 72, 255))
    version_font = ImageFont.truetype(FONT_BOOK, 15)
    d.text((16, 264), "Version 1.0", font=version_font, fill=(200, 214, 238, 255))
    shadowed(img, draw_layer, (2, 3), 3, 200)

    return bmp_file(img.convert("RGB"))


# The splash's colours: what a 256-colour screen has free beside the 20 colours Windows keeps
# for itself, so that the program's palette shows every one of them exactly.
SPLASH_COLOURS = 236


def rle8(rows):
    """BI_RLE8 data of rows of palette indices, bottom row first: runs of one index as
    (count, index), other stretches of three or more as absolute runs, each row closed."""
    out = bytearray()
    for row in rows:
        i, n = 0, len(row)
        while i < n:
            run = 1
            while i + run < n and run < 255 and row[i + run] == row[i]:
                run += 1
            if run >= 2:
                out += bytes((run, row[i]))
                i += run
                continue
            j = i
            while j < n and j - i < 255 and not (j + 2 < n and row[j] == row[j + 1] == row[j + 2]):
                j += 1
            stretch = row[i:j]
            if len(stretch) >= 3:
                out += bytes((0, len(stretch))) + bytes(stretch) + b"\0" * (len(stretch) % 2)
            else:
                for v in stretch:
                    out += bytes((1, v))
            i = j
        out += b"\0\0"
    out[-2:] = b"\0\1"  # the last row's end is the bitmap's end
    return bytes(out)


def bmp_file(img):
    """An 8-bit, run-length compressed BMP: the picture's own palette, no dithering (its
    gradients are gentle enough for the colours it has, and runs stay long)."""
    w, h = img.size
    quant = img.quantize(colors=SPLASH_COLOURS, method=Image.Quantize.MEDIANCUT,
                         dither=Image.Dither.NONE)
    flat = quant.getpalette()[: 3 * SPLASH_COLOURS]
    colours = [tuple(flat[i:i + 3]) for i in range(0, len(flat), 3)]
    data = list(quant.getdata())
    pixels = rle8([data[y * w:(y + 1) * w] for y in reversed(range(h))])
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 8, 1, len(pixels), 3780, 3780,
                       len(colours), 0)
    table = palette_bytes(colours, len(colours))
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(table) + len(pixels), 0, 0,
                       14 + len(info) + len(table))
    return head + info + table + pixels


def main():
    for font in (FONT_BOLD, FONT_BOOK):
        if not os.path.exists(font):
            sys.exit(f"{font} is missing: apt-get install fonts-dejavu-core")
    write("quillgate.ico", program_icon())
    write("about.ico", about_icon())
    write("hand.cur", hand_cursor())
    write("splash.bmp", splash())


if __name__ == "__main__":
    main()
