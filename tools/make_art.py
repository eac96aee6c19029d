#!/usr/bin/env python3
"""Draw Velmora's icons and its animated cursor.

Run from anywhere:

    python3 tools/make_art.py                 # writes into resources/
    python3 tools/make_art.py OUTDIR          # writes into OUTDIR instead
    python3 tools/make_art.py --preview DIR   # also writes enlarged PNG previews

Standard library only.  Every picture is drawn procedurally into a grid of
palette indices, so the output is byte-for-byte identical on every run.
The only transcendental values (a handful of sines and cosines) are rounded
to six decimals before use, so tiny libm differences cannot move a pixel.

Files written (resource ids in brackets):
    velmora.ico   [141]  32x32  16 colours  yellow key lying on a framed page
    shapes.ani    [142]  32x32  16 colours  13-frame morphing-shape cursor
    saver16.ico   [144]  16x16  16 colours  stars above a monitor
    key16.ico     [145]  16x16  16 colours  a key
    internet.ico  [146]  32x32 256 colours  globe with four red arrows
    notepad.ico   [147]  32x32  16 colours  a spiral notepad
    jackbox.ico   [148]  32x32 256 colours  a jack-in-the-box
"""

import math
import os
import struct
import sys
import zlib

# --------------------------------------------------------------------------
# Palettes
# --------------------------------------------------------------------------

# The standard 16-colour VGA palette in Windows order.
VGA16 = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
(BLACK, DRED, DGREEN, DYELLOW, DBLUE, DMAGENTA, DCYAN, LGREY,
 DGREY, RED, GREEN, YELLOW, BLUE, MAGENTA, CYAN, WHITE) = range(16)

# 256 colours: the 16 standard ones, a 6x6x6 colour cube, then 24 greys.
CUBE_LEVELS = (0x00, 0x33, 0x66, 0x99, 0xCC, 0xFF)
PAL256 = (VGA16
          + [(r, g, b) for r in CUBE_LEVELS for g in CUBE_LEVELS for b in CUBE_LEVELS]
          + [(8 + 10 * i,) * 3 for i in range(24)])
assert len(PAL256) == 256


def c256(r, g, b):
    """Index of the PAL256 entry nearest to (r, g, b); first one wins ties."""
    best, best_d = 0, None
    for i, (pr, pg, pb) in enumerate(PAL256):
        d = (pr - r) ** 2 + (pg - g) ** 2 + (pb - b) ** 2
        if best_d is None or d < best_d:
            best, best_d = i, d
    return best


def rtrig(v):
    """Round a trigonometric result so that the drawing is platform-proof."""
    return round(v, 6)


# --------------------------------------------------------------------------
# Canvas and pixel masks
# --------------------------------------------------------------------------

class Canvas:
    """A grid of palette indices, top row first; None is transparent."""

    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [[None] * w for _ in range(h)]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def get(self, x, y):
        if 0 <= x < self.w and 0 <= y < self.h:
            return self.px[y][x]
        return None

    def rect(self, x0, y0, x1, y1, c):
        """Fill the inclusive rectangle (x0, y0)-(x1, y1)."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, c)

    def box(self, x0, y0, x1, y1, c):
        """Outline the inclusive rectangle (x0, y0)-(x1, y1)."""
        self.rect(x0, y0, x1, y0, c)
        self.rect(x0, y1, x1, y1, c)
        self.rect(x0, y0, x0, y1, c)
        self.rect(x1, y0, x1, y1, c)

    def line(self, x0, y0, x1, y1, c):
        """Bresenham line between two pixel positions, both ends included."""
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx = 1 if x0 < x1 else -1
        sy = 1 if y0 < y1 else -1
        err = dx + dy
        while True:
            self.set(x0, y0, c)
            if x0 == x1 and y0 == y1:
                return
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def paint(self, pixels, c):
        for (x, y) in pixels:
            self.set(x, y, c)

    def draw_map(self, x0, y0, rows, colours):
        """Blit a small character map; '.' (or any unmapped char) is skipped."""
        for dy, row in enumerate(rows):
            for dx, ch in enumerate(row):
                if ch in colours:
                    self.set(x0 + dx, y0 + dy, colours[ch])


def mask(w, h, inside):
    """Set of pixels whose centre (x + 0.5, y + 0.5) satisfies inside(px, py)."""
    return {(x, y) for y in range(h) for x in range(w) if inside(x + 0.5, y + 0.5)}


N4 = ((1, 0), (-1, 0), (0, 1), (0, -1))


def inner_edge(m):
    """Pixels of m that touch (4-way) a pixel outside m."""
    return {(x, y) for (x, y) in m
            if any((x + dx, y + dy) not in m for dx, dy in N4)}


def shaded(m, light=(-1, -1)):
    """Split m into edge, lit, plain and shadowed parts.

    An interior pixel is lit when its horizontal or vertical neighbour towards
    the light is on the edge, shadowed when one away from the light is; pixels
    that are both (one pixel thin) stay plain."""
    edge = inner_edge(m)
    body = m - edge
    lx, ly = light
    near = {(x, y) for (x, y) in body
            if (x + lx, y) in edge or (x, y + ly) in edge}
    far = {(x, y) for (x, y) in body
           if (x - lx, y) in edge or (x, y - ly) in edge}
    lit, dark = near - far, far - near
    return edge, lit, body - lit - dark, dark


def in_circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def in_ring(cx, cy, r_out, r_in):
    return lambda x, y: r_in * r_in < (x - cx) ** 2 + (y - cy) ** 2 <= r_out * r_out


def in_rect(x0, y0, x1, y1):
    """Pixel-inclusive rectangle test for pixel centres."""
    return lambda x, y: x0 <= x - 0.5 <= x1 and y0 <= y - 0.5 <= y1


def in_polygon(pts):
    """Even-odd point-in-polygon test (pts in pixel-edge coordinates)."""
    def test(x, y):
        inside = False
        n = len(pts)
        for i in range(n):
            (x0, y0), (x1, y1) = pts[i], pts[(i + 1) % n]
            if (y0 > y) != (y1 > y):
                xc = x0 + (y - y0) * (x1 - x0) / (y1 - y0)
                if x < xc:
                    inside = not inside
        return inside
    return test


def union(*tests):
    return lambda x, y: any(t(x, y) for t in tests)


# --------------------------------------------------------------------------
# File encoders
# --------------------------------------------------------------------------

def dib(canvas, bpp, palette):
    """BITMAPINFOHEADER + palette + XOR pixels + AND mask (both bottom-up)."""
    w, h = canvas.w, canvas.h
    xor = bytearray()
    for y in range(h - 1, -1, -1):
        row = [0 if c is None else c for c in canvas.px[y]]
        if bpp == 4:
            packed = bytearray((row[i] << 4) | row[i + 1] for i in range(0, w, 2))
        elif bpp == 8:
            packed = bytearray(row)
        else:
            raise ValueError(bpp)
        packed += b"\0" * (-len(packed) % 4)
        xor += packed
    andm = bytearray()
    for y in range(h - 1, -1, -1):
        bits = bytearray((w + 7) // 8)
        for x in range(w):
            if canvas.px[y][x] is None:
                bits[x // 8] |= 0x80 >> (x % 8)
        bits += b"\0" * (-len(bits) % 4)
        andm += bits
    for c in (c for row in canvas.px for c in row):
        if c is not None and not 0 <= c < len(palette):
            raise ValueError("colour index %r outside palette" % c)
    header = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, bpp, 0,
                         len(xor) + len(andm), 0, 0, 0, 0)
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    return header + pal + bytes(xor) + bytes(andm)


def ico_file(canvas, bpp):
    palette = VGA16 if bpp == 4 else PAL256
    image = dib(canvas, bpp, palette)
    colours = 16 if bpp == 4 else 0
    return (struct.pack("<HHH", 0, 1, 1)
            + struct.pack("<BBBBHHII", canvas.w, canvas.h, colours, 0, 1, bpp,
                          len(image), 22)
            + image)


def cur_file(canvas, hotspot=(0, 0)):
    image = dib(canvas, 4, VGA16)
    return (struct.pack("<HHH", 0, 2, 1)
            + struct.pack("<BBBBHHII", canvas.w, canvas.h, 0, 0,
                          hotspot[0], hotspot[1], len(image), 22)
            + image)


def chunk(tag, data):
    """RIFF chunk; odd-sized data gets one pad byte that the size excludes."""
    return tag + struct.pack("<I", len(data)) + data + b"\0" * (len(data) & 1)


def ani_file(frames, rates, name, artist, jiffies):
    info = b"INFO" + chunk(b"INAM", name + b"\0") + chunk(b"IART", artist + b"\0")
    n = len(frames)
    anih = struct.pack("<9I", 36, n, len(rates), 0, 0, 0, 0, jiffies, 1)
    rate = struct.pack("<%dI" % len(rates), *rates)
    fram = b"fram" + b"".join(chunk(b"icon", cur_file(f)) for f in frames)
    body = (b"ACON" + chunk(b"LIST", info) + chunk(b"anih", anih)
            + chunk(b"rate", rate) + chunk(b"LIST", fram))
    # The RIFF size field holds the length of the whole file, header included.
    return b"RIFF" + struct.pack("<I", 8 + len(body)) + body


def png_file(canvas, palette, scale=8):
    """Enlarged RGBA preview; transparency shown over a light checkerboard."""
    w, h = canvas.w * scale, canvas.h * scale
    raw = bytearray()
    for y in range(h):
        raw.append(0)
        for x in range(w):
            c = canvas.px[y // scale][x // scale]
            if c is None:
                v = 0xE8 if ((x // 4) + (y // 4)) % 2 else 0xB8
                raw += bytes((v, v, v, 255))
            else:
                raw += bytes(palette[c]) + b"\xff"

    def pchunk(tag, data):
        return (struct.pack(">I", len(data)) + tag + data
                + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF))
    return (b"\x89PNG\r\n\x1a\n"
            + pchunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
            + pchunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + pchunk(b"IEND", b""))


def strip(canvases, gap=2):
    """Lay frames side by side (for previews)."""
    h = max(c.h for c in canvases)
    out = Canvas(sum(c.w for c in canvases) + gap * (len(canvases) - 1), h)
    x0 = 0
    for c in canvases:
        for y in range(c.h):
            for x in range(c.w):
                out.px[y][x0 + x] = c.px[y][x]
        x0 += c.w + gap
    return out


# --------------------------------------------------------------------------
# Pictures
# --------------------------------------------------------------------------

def draw_key(cv, bow, r_out, r_in, shaft, tip_x, teeth, colours):
    """A key lying flat, bow on the left, bit hanging below the shaft.

    bow = (cx, cy) ring centre; shaft = (y0, y1) rows; teeth = list of
    (x0, x1, y_bottom) rectangles hanging from the shaft."""
    cx, cy = bow
    y0, y1 = shaft
    parts = [in_ring(cx, cy, r_out, r_in), in_rect(int(cx), y0, tip_x, y1)]
    parts += [in_rect(a, y1, b, bottom) for (a, b, bottom) in teeth]
    m = mask(cv.w, cv.h, union(*parts))
    outline, fill, lit, dark = colours
    edge, hi, body, lo = shaded(m)
    cv.paint(body, fill)
    cv.paint(hi, lit)
    cv.paint(lo, dark)
    cv.paint(edge, outline)


def art_velmora():
    cv = Canvas(32, 32)
    # The page: white sheet inside a dark two-tone frame, with a drop shadow.
    cv.rect(5, 2, 27, 30, DGREY)
    cv.rect(4, 1, 26, 29, BLACK)
    cv.rect(5, 2, 25, 28, DBLUE)
    cv.rect(7, 4, 23, 26, BLACK)
    cv.rect(8, 5, 22, 25, WHITE)
    # A few lines of writing on the upper half.
    for y, x1 in ((7, 20), (9, 17), (11, 20), (13, 14)):
        cv.rect(10, y, x1, y, DGREY)
    # The key lies across the lower half, overhanging both sides.
    draw_key(cv, bow=(8.5, 21.5), r_out=6.2, r_in=2.3, shaft=(19, 23),
             tip_x=30, teeth=[(19, 23, 27), (26, 29, 26)],
             colours=(BLACK, YELLOW, WHITE, DYELLOW))
    return cv


def art_key16():
    # At 16x16 a circle-and-rectangle key turns to mush, so it is placed
    # pixel by pixel: K outline, Y brass, W glint, D shadow.
    cv = Canvas(16, 16)
    cv.draw_map(0, 3, [
        "..KKKKK.........",
        ".KYWWYYK........",
        "KYWKKKYYK.......",
        "KWK...KYKKKKKKKK",
        "KYK...KYWWWWWWWK",
        "KYK...KYYYYYYYYK",
        "KYYKKKYDDDDDDDDK",
        ".KYDDDDKKKDKKDKK",
        "..KKKKK..KDK.KDK",
        ".........KDK.KKK",
        ".........KKK....",
    ], {"K": BLACK, "Y": YELLOW, "W": WHITE, "D": DYELLOW})
    return cv


def art_saver16():
    cv = Canvas(16, 16)
    # Stars above the screen.
    for (x, y, c) in ((2, 2, YELLOW), (12, 1, WHITE), (8, 3, YELLOW)):
        cv.rect(x - 1, y, x + 1, y, c)
        cv.rect(x, y - 1, x, y + 1, c)
    for (x, y) in ((5, 0), (14, 4), (0, 5)):
        cv.set(x, y, WHITE)
    # Monitor casing, screen, neck and foot.
    cv.rect(1, 6, 14, 13, LGREY)
    cv.box(1, 6, 14, 13, BLACK)
    cv.rect(2, 12, 13, 12, DGREY)
    cv.rect(3, 8, 12, 11, DBLUE)
    cv.set(5, 9, WHITE)
    cv.set(10, 10, YELLOW)
    cv.set(8, 8, CYAN)
    cv.rect(6, 14, 9, 14, DGREY)
    cv.rect(4, 15, 11, 15, BLACK)
    cv.rect(5, 15, 10, 15, DGREY)
    return cv


def art_notepad():
    cv = Canvas(32, 32)
    x0, y0, x1, y1 = 5, 4, 25, 30
    cv.rect(x0 + 2, y0 + 2, x1 + 2, y1 + 1, DGREY)            # shadow
    cv.rect(x0, y0, x1, y1, WHITE)
    cv.box(x0, y0, x1, y1, BLACK)
    cv.rect(x0 + 1, y0 + 1, x1 - 1, y0 + 4, DRED)             # binding strip
    cv.rect(x0 + 1, y0 + 5, x1 - 1, y0 + 5, BLACK)
    for y in range(y0 + 9, y1 - 1, 3):                       # ruled lines
        cv.rect(x0 + 1, y, x1 - 1, y, CYAN)
    cv.rect(x0 + 4, y0 + 6, x0 + 4, y1 - 1, RED)             # margin
    for x in range(x0 + 2, x1 - 1, 3):                       # spiral rings
        cv.rect(x, y0 - 3, x + 1, y0 - 3, DGREY)
        cv.set(x - 1, y0 - 2, DGREY)
        cv.set(x - 1, y0 - 1, DGREY)
        cv.set(x + 2, y0 - 2, LGREY)
        cv.set(x + 2, y0 - 1, LGREY)
        cv.set(x - 1, y0, LGREY)
        cv.set(x + 2, y0, LGREY)
        cv.rect(x - 1, y0 + 1, x - 1, y0 + 2, BLACK)          # punched hole
        cv.rect(x + 2, y0 + 1, x + 2, y0 + 2, BLACK)
    return cv


def art_internet():
    cv = Canvas(32, 32)
    cx = cy = 16.0
    radius = 11.0
    light = (-0.45, -0.55, 0.70)
    # Continents: caps on the sphere given by (longitude, latitude, radius).
    lands = [(-40, 30, 0.42), (-60, -10, 0.30), (-15, -35, 0.28), (35, 20, 0.40),
             (50, -25, 0.35), (10, 55, 0.25), (80, 40, 0.30)]
    caps = []
    for lon, lat, size in lands:
        lo, la = math.radians(lon), math.radians(lat)
        caps.append((rtrig(math.cos(la) * math.sin(lo)), rtrig(-math.sin(la)),
                     rtrig(math.cos(la) * math.cos(lo)), rtrig(math.cos(size))))
    for y in range(32):
        for x in range(32):
            nx, ny = (x + 0.5 - cx) / radius, (y + 0.5 - cy) / radius
            d2 = nx * nx + ny * ny
            if d2 > 1.0:
                continue
            nz = math.sqrt(1.0 - d2)
            lum = max(0.0, nx * light[0] + ny * light[1] + nz * light[2])
            k = 0.30 + 0.85 * lum
            land = any(nx * a + ny * b + nz * c >= lim for a, b, c, lim in caps)
            base = (40, 170, 40) if land else (30, 90, 230)
            col = tuple(min(255, int(v * k)) for v in base)
            if d2 > 0.84:                                 # dark rim
                col = tuple(v // 2 for v in col)
            cv.set(x, y, c256(*col))
    # Four red arrows pointing out to the corners.
    red, dark = c256(255, 0, 0), c256(128, 0, 0)
    head = lambda x, y: x >= 0.0 and y >= 0.0 and x + y <= 7.5
    shaft = lambda x, y: abs(x - y) <= 1.5 and x + y <= 14.0
    m = mask(32, 32, lambda x, y: head(x, y) or shaft(x, y))
    for sx, sy in ((1, 1), (-1, 1), (1, -1), (-1, -1)):
        pts = {((x if sx > 0 else 31 - x), (y if sy > 0 else 31 - y)) for x, y in m}
        edge = inner_edge(pts)
        cv.paint(pts - edge, red)
        cv.paint(edge, dark)
    return cv


def art_jackbox():
    cv = Canvas(32, 32)
    red, dred = c256(230, 30, 30), c256(160, 0, 0)
    yellow, blue = c256(255, 220, 0), c256(40, 60, 220)
    black, white = c256(0, 0, 0), c256(255, 255, 255)
    skin, cheek = c256(255, 204, 153), c256(255, 153, 153)
    # Box: front face, right side face (oblique), open top.
    fx0, fy0, fx1, fy1 = 5, 20, 20, 31
    depth = 4
    side = in_polygon([(fx1 + 1, fy0), (fx1 + 1 + depth, fy0 - depth),
                       (fx1 + 1 + depth, fy1 + 1 - depth), (fx1 + 1, fy1 + 1)])
    top = in_polygon([(fx0, fy0), (fx0 + depth, fy0 - depth),
                      (fx1 + 1 + depth, fy0 - depth), (fx1 + 1, fy0)])
    m_side = mask(32, 32, side)
    m_top = mask(32, 32, top)
    cv.paint(m_top, c256(60, 20, 20))
    cv.paint(inner_edge(m_top), black)
    cv.paint(m_side, dred)
    cv.paint(inner_edge(m_side), black)
    cv.rect(fx0, fy0, fx1, fy1, red)
    cv.box(fx0, fy0, fx1, fy1, black)
    # A yellow diamond with a blue dot on the front.
    mx, my = (fx0 + fx1 + 1) / 2.0, (fy0 + fy1 + 1) / 2.0
    dia = mask(32, 32, lambda x, y: abs(x - mx) + abs(y - my) <= 4.6)
    cv.paint(dia, yellow)
    cv.paint(mask(32, 32, in_circle(mx, my, 1.5)), blue)
    # Crank handle on the side.
    cv.rect(25, 23, 26, 23, black)
    cv.rect(27, 20, 27, 24, black)
    cv.rect(28, 20, 28, 21, black)
    cv.rect(27, 21, 27, 22, yellow)
    # Spring, rising from the opening.
    grey, lgrey = c256(110, 110, 110), c256(210, 210, 210)
    for i, y in enumerate(range(19, 16, -1)):
        cv.line(12, y, 19, y, lgrey if i % 2 == 0 else grey)
        cv.set(11 + (i % 2) * 9, y, grey)
    # The jack: ruff collar, face, hair, hat.
    gold = c256(200, 150, 0)
    for x in range(10, 22):
        cv.set(x, 16, gold)
        if x % 2 == 0:
            cv.set(x, 15, yellow)
            cv.set(x + 1, 15, yellow if x % 4 == 0 else gold)
    orange = c256(255, 120, 0)
    for (x, y) in ((10, 7), (9, 8), (10, 8), (10, 9), (9, 10),
                   (21, 7), (22, 8), (21, 8), (21, 9), (22, 10)):
        cv.set(x, y, orange)
    face = mask(32, 32, in_circle(15.5, 10.0, 4.8))
    cv.paint(face, skin)
    cv.paint(inner_edge(face), c256(200, 120, 70))
    cv.set(13, 9, black)
    cv.set(18, 9, black)
    cv.rect(15, 10, 16, 11, red)
    cv.rect(14, 13, 17, 13, dred)
    cv.set(13, 12, dred)
    cv.set(18, 12, dred)
    cv.set(12, 11, cheek)
    cv.set(19, 11, cheek)
    hat = mask(32, 32, in_polygon([(10.5, 6.0), (20.5, 6.0), (15.5, 0.2)]))
    cv.paint(hat, blue)
    cv.paint(inner_edge(hat), c256(0, 0, 120))
    cv.rect(11, 5, 20, 5, white)
    cv.rect(15, 0, 16, 0, white)
    return cv


# --------------------------------------------------------------------------
# The morphing-shapes cursor
# --------------------------------------------------------------------------

def polygon_gauge(vertices):
    """Gauge of a convex polygon around the origin: g(p) <= 1 inside."""
    lines = []
    n = len(vertices)
    for i in range(n):
        (x0, y0), (x1, y1) = vertices[i], vertices[(i + 1) % n]
        a, b = y1 - y0, x0 - x1           # normal of the edge
        c = a * x0 + b * y0               # a*x + b*y = c on the edge
        if c < 0:
            a, b, c = -a, -b, -c
        lines.append((a / c, b / c))
    return lambda x, y: max(a * x + b * y for a, b in lines)


def regular(n, radius, turn=0.0):
    """Vertices of a regular n-gon, first vertex straight up (then rotated
    clockwise by turn radians)."""
    pts = []
    for i in range(n):
        ang = turn + 2.0 * math.pi * i / n
        pts.append((rtrig(radius * math.sin(ang)), rtrig(-radius * math.cos(ang))))
    return pts


def star_gauge(n, radius, inner):
    """A filled star is the union of n convex kites (tip + inner polygon)."""
    outer = regular(n, radius)
    core = regular(n, inner, turn=math.pi / n)
    # Kite i: tip i, then the whole inner polygon starting next to it.
    kites = [polygon_gauge([outer[i]] + [core[(i + k) % n] for k in range(n)])
             for i in range(n)]
    return lambda x, y: min(g(x, y) for g in kites)


def shape_gauges():
    circle = lambda x, y: math.sqrt(x * x + y * y) / 13.5
    square = lambda x, y: max(abs(x), abs(y)) / 11.5
    tri = polygon_gauge(regular(3, 16.0))
    triangle = lambda x, y: tri(x, y - 3.0)
    star = star_gauge(5, 15.5, 7.0)
    return [circle, square, triangle, star]


# Frame colours: (fill, outline).
SHAPE_COLOURS = [(RED, DRED), (YELLOW, DYELLOW), (GREEN, DGREEN), (CYAN, DBLUE)]


def shape_frames():
    gauges = shape_gauges()
    # Circle, square, triangle and star sit at frames 0, 3, 6 and 9; the
    # frames between are blends, and frame 13 would be the circle again.
    keys = [0, 3, 6, 9, 13]
    frames = []
    for f in range(13):
        k = max(i for i in range(4) if keys[i] <= f)
        t = (f - keys[k]) / (keys[k + 1] - keys[k])
        ga, gb = gauges[k], gauges[(k + 1) % 4]
        # Blend the radii: a ray from the centre reaches 1/g of the way out.
        m = mask(32, 32, lambda x, y: (1 - t) / ga(x - 16.0, y - 16.0)
                 + t / gb(x - 16.0, y - 16.0) >= 1.0)
        fill, outline = SHAPE_COLOURS[k if t < 0.5 else (k + 1) % 4]
        edge, lit, body, dark = shaded(m)
        cv = Canvas(32, 32)
        cv.paint(body, fill)
        cv.paint(lit, WHITE)
        cv.paint(dark, outline)
        cv.paint(edge, BLACK)
        frames.append(cv)
    return frames


# --------------------------------------------------------------------------

ICONS = [
    ("velmora.ico", art_velmora, 4),
    ("key16.ico", art_key16, 4),
    ("saver16.ico", art_saver16, 4),
    ("internet.ico", art_internet, 8),
    ("notepad.ico", art_notepad, 4),
    ("jackbox.ico", art_jackbox, 8),
]

ANI_RATES = [900, 5, 5] + [10] * 10


def main(argv):
    preview = None
    args = list(argv)
    if "--preview" in args:
        i = args.index("--preview")
        preview = args[i + 1]
        del args[i:i + 2]
    here = os.path.dirname(os.path.abspath(__file__))
    outdir = args[0] if args else os.path.join(here, os.pardir, "resources")
    os.makedirs(outdir, exist_ok=True)
    if preview:
        os.makedirs(preview, exist_ok=True)

    def write(name, data):
        with open(os.path.join(outdir, name), "wb") as f:
            f.write(data)
        print("%-14s %6d bytes" % (name, len(data)))

    for name, draw, bpp in ICONS:
        cv = draw()
        write(name, ico_file(cv, bpp))
        if preview:
            pal = VGA16 if bpp == 4 else PAL256
            with open(os.path.join(preview, name + ".png"), "wb") as f:
                f.write(png_file(cv, pal, 16 if cv.w == 16 else 8))

    frames = shape_frames()
    write("shapes.ani", ani_file(frames, ANI_RATES, b"Shapes", b"Unknown", 10))
    if preview:
        with open(os.path.join(preview, "shapes.ani.png"), "wb") as f:
            f.write(png_file(strip(frames), VGA16, 4))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
