#!/usr/bin/env python3
"""Writes the large source files that bench/run times the converter on.

Usage: generate_sources.py FOLDER
  ignored.bcr      1 GiB of ignored lines, the two sections in the middle
  long_line.bcr    one description line of 256 MiB
  many_lines.bcr   10 million coordinate-like lines of 98 to 100 bytes around the sections
"""
import os
import sys

SECTIONS = (
    b"[COORDINATES]\r\nP1=3456789,5987654.3\r\nP2=1000000,1000000\r\n"
    b"[DESCRIPTION]\r\nP1=Name,Street,City\r\nP2=A,B,C\r\n[END]\r\n"
)


def write_around_sections(path, block, total):
    """Repeats `block` until the file holds `total` bytes, with the sections in the middle."""
    with open(path, "wb") as out:
        half = total // 2 // len(block)
        for _ in range(half):
            out.write(block)
        out.write(SECTIONS)
        for _ in range(half):
            out.write(block)


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    line = b"REMARK=measured in the field, nothing the converter reads here 0123456789\r\n"
    write_around_sections(os.path.join(folder, "ignored.bcr"), line * 4096, 1 << 30)

    piece = b"x" * (1 << 20)
    with open(os.path.join(folder, "long_line.bcr"), "wb") as out:
        out.write(b"[COORDINATES]\r\nP1=3456789,5987654.3\r\n[DESCRIPTION]\r\nP1=")
        out.write(piece * 85 + b"," + piece * 85 + b"," + piece * 86)
        out.write(b"\r\n[END]\r\n")

    # Lines of 98, 99 and 100 bytes before their CR LF: right at the reader's chunk size.
    lines = b"".join(
        b"P%07d=%s,%s\r\n"
        % (i, b"3456789.123".rjust(43 + i % 3, b"0"), b"5987654.321".rjust(45, b"0"))
        for i in range(3000)
    )
    write_around_sections(os.path.join(folder, "many_lines.bcr"), lines, len(lines) * 3334)


if __name__ == "__main__":
    main()
