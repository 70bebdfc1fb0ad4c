#!/usr/bin/python3
"""Checks the headers of the committed icons, cursor and splash picture.

Usage: check_resources.py RESOURCE_DIR. A wrong field here shows up only on some Windows
version (a blank icon, a cursor pointing off the fingertip), so the files are read the way
the loaders read them. Exit status 1 on any fault.
"""

import struct
import sys
from pathlib import Path

# file: (directory type, [(width, height, bits per pixel)], cursor hot spot or None)
ICONS = {
    "quillgate.ico": (1, [(32, 32, 4)], None),
    "about.ico": (1, [(48, 48, 8), (48, 48, 32), (32, 32, 8),
                      (32, 32, 32), (16, 16, 8), (16, 16, 32)], None),
    "hand.cur": (2, [(32, 32, 1)], (13, 5)),
}
# The splash: 8 bits per pixel, run-length compressed (BI_RLE8), at most the 236 colours that a
# 256-colour screen has free beside the 20 that Windows keeps.
SPLASH = ("splash.bmp", 337, 296, 236)
BI_RLE8 = 1


def row_bytes(width, bpp):
    return (width * bpp + 31) // 32 * 4


def and_bit(data, mask_at, width, height, x, y):
    """1 where the AND mask lets the screen through; rows are stored bottom-up."""
    row = mask_at + (height - 1 - y) * row_bytes(width, 1)
    return data[row + x // 8] >> (7 - x % 8) & 1


def check_icon(path, kind, expected, hotspot):
    faults = []
    data = path.read_bytes()
    if len(data) < 6:
        return [f"{path.name}: only {len(data)} bytes"]
    reserved, dir_type, count = struct.unpack_from("<HHH", data)
    if reserved != 0 or dir_type != kind:
        faults.append(f"directory reserved={reserved} type={dir_type}, want 0 and {kind}")
    if count != len(expected):
        return faults + [f"{count} images, want {len(expected)}"]
    end = 6 + 16 * count
    for i, (w, h, bpp) in enumerate(expected):
        where = f"image {i} ({w}x{h}, {bpp} bpp)"
        bw, bh, colours, res, f1, f2, size, offset = struct.unpack_from("<BBBBHHII", data,
                                                                        6 + 16 * i)
        if (bw or 256, bh or 256) != (w, h):
            faults.append(f"{where}: directory says {bw}x{bh}")
        want_colours = 1 << bpp if bpp < 8 else 0
        if colours != want_colours or res != 0:
            faults.append(f"{where}: directory colours={colours} reserved={res}, "
                          f"want {want_colours} and 0")
        if kind == 1 and (f1, f2) != (1, bpp):
            faults.append(f"{where}: directory planes={f1} bit count={f2}, want 1 and {bpp}")
        if kind == 2 and (f1, f2) != hotspot:
            faults.append(f"{where}: hot spot ({f1}, {f2}), want {hotspot}")
        if offset != end or offset + size > len(data):
            faults.append(f"{where}: at {offset}+{size}, want it at {end} within "
                          f"{len(data)} bytes")
            return faults
        end = offset + size
        if data[offset:offset + 4] == b"\x89PNG":
            faults.append(f"{where}: stored as PNG, old Windows cannot read it")
            continue
        (hsize, dw, dh, planes, dbpp, compression, image_size,
         _, _, used, _) = struct.unpack_from("<IiiHHIIiiII", data, offset)
        if (hsize, dw, dh, planes, dbpp, compression) != (40, w, 2 * h, 1, bpp, 0):
            faults.append(f"{where}: DIB header size={hsize} {dw}x{dh} planes={planes} "
                          f"bpp={dbpp} compression={compression}, want 40 {w}x{2 * h} 1 "
                          f"{bpp} 0")
            continue
        palette = 4 * (used or 1 << bpp) if bpp <= 8 else 0
        pixels = (row_bytes(w, bpp) + row_bytes(w, 1)) * h
        if 40 + palette + pixels != size or image_size not in (0, pixels):
            faults.append(f"{where}: {size} bytes with image size {image_size}, want "
                          f"{40 + palette + pixels} with {pixels}")
            continue
        # The mask must give the shape: a clear corner, and (for the cursor) a drawn hot
        # spot with clear space just above the fingertip.
        mask_at = offset + 40 + palette + row_bytes(w, bpp) * h
        probes = [(0, 0, 1)]
        probes += [(hotspot[0], hotspot[1], 0), (hotspot[0], hotspot[1] - 1, 1)] if hotspot \
            else [(w // 2, h * 3 // 4, 0)]
        for x, y, clear in probes:
            if and_bit(data, mask_at, w, h, x, y) != clear:
                faults.append(f"{where}: pixel ({x}, {y}) is "
                              f"{'drawn' if clear else 'transparent'} in the AND mask")
    if end != len(data):
        faults.append(f"{len(data) - end} bytes after the last image")
    return faults


def rle8_rows(data, width, colours):
    """Decodes BI_RLE8 data the way GDI does; returns the row count and the faults found. Every
    row must be filled to its end (a gap would show what was on the screen before)."""
    faults, rows, x, i = [], 0, 0, 0
    while i + 1 < len(data):
        count, value = data[i], data[i + 1]
        i += 2
        if count:
            x += count
            faults += [f"row {rows}: index {value} beyond the {colours} colours"] \
                if value >= colours else []
        elif value in (0, 1):
            if x != width:
                faults.append(f"row {rows} holds {x} pixels, not {width}")
            rows, x = rows + 1, 0
            if value == 1:
                if i != len(data):
                    faults.append(f"{len(data) - i} bytes after the end of the bitmap")
                return rows, faults
        elif value == 2:
            return rows, faults + [f"row {rows}: a skip, which leaves pixels unpainted"]
        else:
            stretch = data[i:i + value]
            faults += [f"row {rows}: index {v} beyond the {colours} colours"
                       for v in set(stretch) if v >= colours]
            x += value
            i += value + value % 2
    return rows, faults + ["no end-of-bitmap mark"]


def check_bitmap(path, width, height, max_colours):
    data = path.read_bytes()
    if len(data) < 54 or data[:2] != b"BM":
        return [f"not a BMP file ({len(data)} bytes)"]
    faults = []
    file_size, _, _, pixels_at = struct.unpack_from("<IHHI", data, 2)
    (hsize, w, h, planes, dbpp, compression, image_size,
     _, _, used, _) = struct.unpack_from("<IiiHHIIiiII", data, 14)
    # A positive height means bottom-up, which every Windows version reads (and RLE needs).
    if (hsize, w, h, planes, dbpp, compression) != (40, width, height, 1, 8, BI_RLE8):
        faults.append(f"header size={hsize} {w}x{h} planes={planes} bpp={dbpp} "
                      f"compression={compression}, want 40 {width}x{height} 1 8 {BI_RLE8}")
        return faults
    if not 0 < used <= max_colours:
        return faults + [f"{used} colours used, want 1 to {max_colours}"]
    if file_size != len(data) or pixels_at != 54 + 4 * used or pixels_at + image_size != len(data):
        return faults + [f"file is {len(data)} bytes, header says {file_size}, pixels at "
                         f"{pixels_at} + {image_size} after {used} colours"]
    rows, rle_faults = rle8_rows(data[pixels_at:], width, used)
    faults += rle_faults[:5]
    if rows != height:
        faults.append(f"{rows} rows, want {height}")
    return faults


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: check_resources.py RESOURCE_DIR")
    folder = Path(sys.argv[1])
    checks = {name: (check_icon, expected) for name, expected in ICONS.items()}
    checks[SPLASH[0]] = (check_bitmap, SPLASH[1:])
    results = {}
    for name, (check, expected) in checks.items():
        try:
            results[name] = check(folder / name, *expected)
        except (OSError, struct.error) as e:
            results[name] = [str(e)]
    failed = 0
    for name, faults in results.items():
        failed += bool(faults)
        print(f"{'FAIL' if faults else 'ok  '} {name}")
        for fault in faults:
            print(f"     {fault}")
    print(f"{len(results) - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
