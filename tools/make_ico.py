#!/usr/bin/env python3
"""Packs PNG pictures into one Windows icon file, each picture kept as PNG (Windows Vista on).

    make_ico.py OUT.ico IN.png...
"""
import struct
import sys


def png_size(data):
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        raise SystemExit("not a PNG file")
    return struct.unpack(">II", data[16:24])


def main(argv):
    if len(argv) < 3:
        raise SystemExit(__doc__)
    pictures = []
    for path in argv[2:]:
        with open(path, "rb") as f:
            data = f.read()
        width, height = png_size(data)
        pictures.append((width, height, data))
    pictures.sort()
    header = struct.pack("<HHH", 0, 1, len(pictures))
    offset = 6 + 16 * len(pictures)
    entries, blobs = b"", b""
    for width, height, data in pictures:
        # 256 is written 0 in an icon's directory.
        entries += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32, len(data), offset)
        blobs += data
        offset += len(data)
    with open(argv[1], "wb") as f:
        f.write(header + entries + blobs)


if __name__ == "__main__":
    main(sys.argv)
