#!/usr/bin/env python3
"""Makes src/app/Quenbrook.ico from the 256 px artwork src/app/Quenbrook.png.

The icon holds 16, 32, 48 and 256 px images, each an RGBA PNG, the form
Windows Vista and later read at every size (the program needs Windows 7):
a third of the size of bitmaps, which the executable's size limit counts.
The small sizes are area averages of the artwork, weighted by alpha so that
transparent pixels do not darken the edges. Python 3 and zlib only.

    scripts/make-icon.py [source.png] [target.ico]
"""
import struct
import sys
import zlib
from pathlib import Path

SMALL_SIZES = (16, 32, 48)


def read_png(path):
    """Width, height and rows of (r, g, b, a) tuples of an 8-bit RGB or RGBA PNG."""
    data = Path(path).read_bytes()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        sys.exit(f"{path}: not a PNG file")
    pos, idat, header = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    width, height, depth, color, _, _, interlace = header
    if depth != 8 or color not in (2, 6) or interlace != 0:
        sys.exit(f"{path}: only 8-bit RGB or RGBA PNGs without interlacing are read")
    bpp = 4 if color == 6 else 3
    raw = zlib.decompress(idat)
    stride = width * bpp
    rows, prior = [], bytearray(stride)
    for y in range(height):
        start = y * (stride + 1)
        kind, line = raw[start], bytearray(raw[start + 1:start + 1 + stride])
        for i in range(stride):
            left = line[i - bpp] if i >= bpp else 0
            up = prior[i]
            up_left = prior[i - bpp] if i >= bpp else 0
            if kind == 1:
                line[i] = (line[i] + left) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + up) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 0xFF
            elif kind == 4:
                p = left + up - up_left
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - up_left)
                pred = left if pa <= pb and pa <= pc else up if pb <= pc else up_left
                line[i] = (line[i] + pred) & 0xFF
        rows.append([tuple(line[x * bpp:x * bpp + bpp]) + ((255,) if bpp == 3 else ())
                     for x in range(width)])
        prior = line
    return width, height, rows


def shrink(width, height, rows, size):
    """The image scaled to size x size by area averaging on premultiplied alpha."""
    out = []
    fx, fy = width / size, height / size
    for oy in range(size):
        y0, y1 = oy * fy, (oy + 1) * fy
        line = []
        for ox in range(size):
            x0, x1 = ox * fx, (ox + 1) * fx
            acc = [0.0, 0.0, 0.0, 0.0]
            area = 0.0
            for sy in range(int(y0), min(height, int(y1 + 0.999999))):
                wy = min(y1, sy + 1) - max(y0, sy)
                for sx in range(int(x0), min(width, int(x1 + 0.999999))):
                    w = wy * (min(x1, sx + 1) - max(x0, sx))
                    r, g, b, a = rows[sy][sx]
                    acc[0] += r * a * w
                    acc[1] += g * a * w
                    acc[2] += b * a * w
                    acc[3] += a * w
                    area += w
            alpha = acc[3] / area
            if acc[3] == 0:
                line.append((0, 0, 0, 0))
            else:
                line.append(tuple(min(255, round(c / acc[3])) for c in acc[:3]) +
                            (min(255, round(alpha)),))
        out.append(line)
    return out


def paeth(left, up, up_left):
    p = left + up - up_left
    pa, pb, pc = abs(p - left), abs(p - up), abs(p - up_left)
    return left if pa <= pb and pa <= pc else up if pb <= pc else up_left


def filtered(kind, line, prior, bpp=4):
    """A row of RGBA bytes under PNG filter `kind`, its type byte first."""
    out = bytearray([kind])
    for i, value in enumerate(line):
        left = line[i - bpp] if i >= bpp else 0
        up = prior[i]
        up_left = prior[i - bpp] if i >= bpp else 0
        pred = (0, left, up, (left + up) // 2, paeth(left, up, up_left))[kind]
        out.append((value - pred) & 0xFF)
    return bytes(out)


def png_entry(pixels):
    """An icon image as an RGBA PNG, in whichever filtering compresses best:
    one filter for every row, or for each row the one whose bytes sum
    smallest as signed values."""
    size = len(pixels)
    lines = [bytes(c for px in row for c in px) for row in pixels]
    priors = [bytes(len(lines[0]))] + lines[:-1]
    candidates = [b"".join(filtered(kind, line, prior) for line, prior in zip(lines, priors))
                  for kind in range(5)]
    candidates.append(b"".join(
        min((filtered(kind, line, prior) for kind in range(5)),
            key=lambda row: sum(v if v < 128 else 256 - v for v in row[1:]))
        for line, prior in zip(lines, priors)))
    idat = min((zlib.compress(raw, 9) for raw in candidates), key=len)

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    return (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", idat) + chunk(b"IEND", b""))


def main():
    root = Path(__file__).resolve().parent.parent
    source = Path(sys.argv[1]) if len(sys.argv) > 1 else root / "src/app/Quenbrook.png"
    target = Path(sys.argv[2]) if len(sys.argv) > 2 else root / "src/app/Quenbrook.ico"
    width, height, rows = read_png(source)
    if (width, height) != (256, 256):
        sys.exit(f"{source}: the artwork must be 256 x 256 pixels, not {width} x {height}")
    images = [(size, png_entry(shrink(width, height, rows, size))) for size in SMALL_SIZES]
    images.append((256, png_entry(rows)))
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    body = b""
    for size, image in images:
        # A width and height of 0 stand for 256.
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32,
                                 len(image), offset + len(body))
        body += image
    target.write_bytes(directory + body)
    print(f"{target}: {len(images)} images, {len(directory) + len(body)} bytes")


if __name__ == "__main__":
    main()
