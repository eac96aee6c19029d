#!/usr/bin/env python3
"""Verify Velmora's generated icons and animated cursor.

Run:  python3 tools/check_art.py [RESOURCE_DIR]

Re-parses every file that tools/make_art.py writes and checks its layout
byte by byte (headers, offsets, sizes, palettes, masks, the exact chunk
layout of shapes.ani, thirteen distinct cursor frames).  It also re-runs the
generator twice into scratch directories and insists that both runs match
each other and the files in RESOURCE_DIR, so stale or non-deterministic art
is caught.  Exits non-zero with a message on the first failure.

Deliberately does not import make_art.py: the expected values are written
out here independently.
"""

import os
import shutil
import struct
import subprocess
import sys
import tempfile

VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]

# name -> (size, bpp, colours the picture must use somewhere)
ICONS = {
    "velmora.ico": (32, 4, [(255, 255, 0), (255, 255, 255), (0, 0, 0)]),
    "key16.ico": (16, 4, [(255, 255, 0)]),
    "saver16.ico": (16, 4, [(255, 255, 0), (192, 192, 192), (0, 0, 128)]),
    "internet.ico": (32, 8, [(255, 0, 0)]),
    "notepad.ico": (32, 4, [(255, 255, 255), (0, 0, 0)]),
    "jackbox.ico": (32, 8, []),
}

ANI_SIZE = 10234
FRAME_COUNT = 13
RATES = [900, 5, 5] + [10] * 10


class Bad(Exception):
    pass


def expect(cond, what):
    if not cond:
        raise Bad(what)


def u16(b, o):
    return struct.unpack_from("<H", b, o)[0]


def u32(b, o):
    return struct.unpack_from("<I", b, o)[0]


def check_palette(pal, bpp, where):
    if bpp == 4:
        expect(pal == VGA16, "%s: 16-colour palette is not the standard one" % where)
        return
    expect(len(pal) == 256, "%s: palette has %d entries" % (where, len(pal)))
    expect(pal[:16] == VGA16, "%s: first 16 colours are not the standard ones" % where)
    levels = (0, 0x33, 0x66, 0x99, 0xCC, 0xFF)
    cube = [(r, g, b) for r in levels for g in levels for b in levels]
    expect(pal[16:232] == cube, "%s: entries 16..231 are not the 6x6x6 cube" % where)
    greys = pal[232:]
    expect(all(r == g == b for r, g, b in greys), "%s: tail entries are not grey" % where)
    expect(len(set(greys)) == 24, "%s: grey ramp has repeats" % where)


def parse_dib(data, size, bpp, where):
    """Check a BITMAPINFOHEADER image; return (palette, rows top-down of
    (index, transparent) pairs)."""
    pal_n = 1 << bpp
    xor_stride = ((size * bpp + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4
    want = 40 + 4 * pal_n + size * xor_stride + size * and_stride
    expect(len(data) == want, "%s: image is %d bytes, want %d" % (where, len(data), want))
    (hsize, w, h, planes, bits, comp, simg, xppm, yppm, used, important) = \
        struct.unpack_from("<IiiHHIIiiII", data, 0)
    expect(hsize == 40, "%s: header size %d" % (where, hsize))
    expect((w, h) == (size, 2 * size), "%s: header says %dx%d" % (where, w, h))
    expect(planes == 1, "%s: planes %d" % (where, planes))
    expect(bits == bpp, "%s: %d bpp, want %d" % (where, bits, bpp))
    expect(comp == 0, "%s: compressed" % where)
    expect(simg == size * (xor_stride + and_stride),
           "%s: size-image %d" % (where, simg))
    expect((xppm, yppm, used, important) == (0, 0, 0, 0),
           "%s: trailing header fields not zero" % where)
    pal = []
    for i in range(pal_n):
        b, g, r, z = data[40 + 4 * i: 44 + 4 * i]
        expect(z == 0, "%s: palette reserved byte %d not zero" % (where, i))
        pal.append((r, g, b))
    check_palette(pal, bpp, where)
    xor_at = 40 + 4 * pal_n
    and_at = xor_at + size * xor_stride
    used_bytes = (size * bpp + 7) // 8
    rows = []
    for y in range(size):                       # top-down
        xrow = data[xor_at + (size - 1 - y) * xor_stride:][:xor_stride]
        arow = data[and_at + (size - 1 - y) * and_stride:][:and_stride]
        expect(not any(xrow[used_bytes:]), "%s: colour row padding not zero" % where)
        expect(not any(arow[(size + 7) // 8:]), "%s: mask row padding not zero" % where)
        row = []
        for x in range(size):
            if bpp == 4:
                idx = (xrow[x // 2] >> (4 if x % 2 == 0 else 0)) & 15
            else:
                idx = xrow[x]
            clear = bool(arow[x // 8] & (0x80 >> (x % 8)))
            expect(not clear or idx == 0,
                   "%s: transparent pixel (%d,%d) has colour %d" % (where, x, y, idx))
            row.append((idx, clear))
        rows.append(row)
    border = [rows[y][x] for y in range(size) for x in range(size)
              if x in (0, size - 1) or y in (0, size - 1)]
    see_through = sum(1 for _, clear in border if clear)
    expect(4 * see_through >= len(border),
           "%s: background not transparent (%d of %d border pixels)"
           % (where, see_through, len(border)))
    opaque = sum(1 for row in rows for _, clear in row if not clear)
    expect(0 < opaque < size * size, "%s: %d opaque pixels" % (where, opaque))
    return pal, rows


def parse_group(data, kind, size, bpp, where):
    """Check a one-image .ico (kind 1) or .cur (kind 2) file."""
    expect(len(data) >= 22, "%s: too short" % where)
    expect(struct.unpack_from("<HHH", data, 0) == (0, kind, 1),
           "%s: directory header %r" % (where, struct.unpack_from("<HHH", data, 0)))
    w, h, colours, res, f1, f2, nbytes, offset = struct.unpack_from("<BBBBHHII", data, 6)
    expect((w, h) == (size, size), "%s: entry says %dx%d" % (where, w, h))
    expect(res == 0, "%s: entry reserved byte" % where)
    expect(offset == 22, "%s: image offset %d" % (where, offset))
    expect(nbytes == len(data) - 22, "%s: bytes-in-res %d of %d" % (where, nbytes, len(data) - 22))
    if kind == 1:
        expect(colours == (16 if bpp == 4 else 0), "%s: colour count %d" % (where, colours))
        expect((f1, f2) == (1, bpp), "%s: planes/bitcount %d/%d" % (where, f1, f2))
    else:
        expect(colours == 0, "%s: colour count %d" % (where, colours))
        expect((f1, f2) == (0, 0), "%s: hotspot %d,%d" % (where, f1, f2))
    return parse_dib(data[22:], size, bpp, where)


def check_icon(path, name):
    size, bpp, colours = ICONS[name]
    with open(path, "rb") as f:
        data = f.read()
    pal, rows = parse_group(data, 1, size, bpp, name)
    used = {pal[i] for row in rows for i, clear in row if not clear}
    for c in colours:
        expect(c in used, "%s: picture never uses colour %r" % (name, c))
    expect(len(used) >= 3, "%s: only %d colours used" % (name, len(used)))
    return len(data)


def check_ani(path):
    with open(path, "rb") as f:
        d = f.read()
    n = "shapes.ani"
    expect(len(d) == ANI_SIZE, "%s: %d bytes, want %d" % (n, len(d), ANI_SIZE))
    expect(d[0:4] == b"RIFF" and u32(d, 4) == ANI_SIZE and d[8:12] == b"ACON",
           "%s: RIFF header" % n)

    def at(off, tag, size):
        expect(d[off:off + 4] == tag, "%s: %r expected at %d, found %r"
               % (n, tag, off, d[off:off + 4]))
        expect(u32(d, off + 4) == size, "%s: %r size %d, want %d"
               % (n, tag, u32(d, off + 4), size))
        return d[off + 8: off + 8 + size]

    expect(at(12, b"LIST", 36)[:4] == b"INFO", "%s: first list is not INFO" % n)
    expect(at(24, b"INAM", 7) == b"Shapes\0" and d[39] == 0, "%s: INAM" % n)
    expect(at(40, b"IART", 8) == b"Unknown\0", "%s: IART" % n)
    anih = struct.unpack("<9I", at(56, b"anih", 36))
    expect(anih == (36, FRAME_COUNT, FRAME_COUNT, 0, 0, 0, 0, 10, 1),
           "%s: anih fields %r" % (n, anih))
    rates = list(struct.unpack("<13I", at(100, b"rate", 52)))
    expect(rates == RATES, "%s: rates %r" % (n, rates))
    fram = at(160, b"LIST", ANI_SIZE - 168)
    expect(fram[:4] == b"fram", "%s: second list is not fram" % n)
    off = 172
    pictures = []
    for i in range(FRAME_COUNT):
        icon = at(off, b"icon", 766)
        where = "%s frame %d" % (n, i)
        expect(icon[22:62] == struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 4, 0, 640,
                                          0, 0, 0, 0), "%s: bitmap header" % where)
        _, rows = parse_group(icon, 2, 32, 4, where)
        pictures.append(tuple(tuple(r) for r in rows))
        off += 8 + 766
    expect(off == ANI_SIZE, "%s: frames end at %d" % (n, off))
    expect(len(set(pictures)) == FRAME_COUNT,
           "%s: only %d distinct frames" % (n, len(set(pictures))))
    return len(d)


def check_dir(resdir):
    sizes = {}
    for name in ICONS:
        sizes[name] = check_icon(os.path.join(resdir, name), name)
    sizes["shapes.ani"] = check_ani(os.path.join(resdir, "shapes.ani"))
    return sizes


def check_reproducible(resdir):
    gen = os.path.join(os.path.dirname(os.path.abspath(__file__)), "make_art.py")
    scratch = tempfile.mkdtemp(prefix="velmora-art-")
    try:
        runs = []
        for k in range(2):
            out = os.path.join(scratch, str(k))
            subprocess.run([sys.executable, gen, out], check=True,
                           stdout=subprocess.DEVNULL)
            runs.append(out)
        for name in list(ICONS) + ["shapes.ani"]:
            blobs = []
            for d in runs + [resdir]:
                with open(os.path.join(d, name), "rb") as f:
                    blobs.append(f.read())
            expect(blobs[0] == blobs[1], "%s: generator is not deterministic" % name)
            expect(blobs[0] == blobs[2], "%s: %s is stale; re-run make_art.py"
                   % (name, os.path.join(resdir, name)))
    finally:
        shutil.rmtree(scratch)


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    resdir = argv[0] if argv else os.path.join(here, os.pardir, "resources")
    try:
        sizes = check_dir(resdir)
        check_reproducible(resdir)
    except (Bad, OSError, struct.error) as e:
        print("check_art: FAIL: %s" % e)
        return 1
    for name, n in sizes.items():
        print("%-14s %6d bytes  ok" % (name, n))
    print("check_art: all files ok, generator reproducible")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
