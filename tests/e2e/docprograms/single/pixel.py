#!/usr/bin/python3
"""Checks pixels of a picture kvrhost wrote: pixel.py PNG X,Y=RRGGBB ... (X,Y!=RRGGBB: any other colour).

Reads the 8-bit RGB or RGBA PNG with the standard library only."""
import struct
import sys
import zlib


def read_png(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG")
    pos, idat, header = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    width, height, depth, colour = header[:4]
    if depth != 8 or colour not in (2, 6):
        raise ValueError("only 8-bit RGB or RGBA pictures")
    size = 3 if colour == 2 else 4
    raw = zlib.decompress(idat)
    stride = width * size
    rows, prior = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - size] if i >= size else 0
            b = prior[i]
            c = prior[i - size] if i >= size else 0
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(line)
        prior = line
    return lambda x, y: "%02X%02X%02X" % tuple(rows[y][x * size:x * size + 3])


def main(path, *checks):
    pixel = read_png(path)
    failed = False
    for check in checks:
        negate = "!=" in check
        at, colour = check.split("!=" if negate else "=")
        x, y = (int(v) for v in at.split(","))
        found = pixel(x, y)
        if (found == colour.upper()) == negate:
            print("%s: pixel %d,%d is %s" % (check, x, y, found))
            failed = True
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
