#!/usr/bin/env python3
"""Compares what GDI drew under Wine with what the reference raster drew.

usage: compare_frames.py GDI_DIR REFERENCE_DIR DIFF_DIR

Each directory holds hashes.txt ("tick hash" for every tick) and tick_NNNNNN.ppm frames
(binary RGB). Every frame must be byte for byte the same, and so must every tick's hash.
For each differing frame it prints the number of differing pixels and their bounding
box, and for the first one also the first pixels; it writes DIFF_DIR/diff_NNNNNN.png
(differing pixels red over the reference dimmed) beside both frames as PNG.

Exit status: 0 all equal; 1 a frame differs; 3 only the hashes differ (the first
differing tick has no frame: its number follows "first difference at tick");
2 files missing or unreadable.
"""
import os
import struct
import sys
import zlib

SHOWN = 12


def read_ppm(path):
    with open(path, "rb") as f:
        data = f.read()
    fields, at = [], 0
    while len(fields) < 4:
        while data[at:at + 1].isspace():
            at += 1
        start = at
        while not data[at:at + 1].isspace():
            at += 1
        fields.append(data[start:at])
    if fields[0] != b"P6" or fields[3] != b"255":
        raise ValueError(f"{path}: not a binary 8-bit PPM")
    width, height = int(fields[1]), int(fields[2])
    pixels = data[at + 1:]
    if len(pixels) != width * height * 3:
        raise ValueError(f"{path}: {len(pixels)} bytes of pixels for {width}x{height}")
    return width, height, pixels


def write_png(path, width, height, rgb):
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))
    rows = b"".join(b"\0" + rgb[y * width * 3:(y + 1) * width * 3] for y in range(height))
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(rows, 6)))
        f.write(chunk(b"IEND", b""))


def read_hashes(path):
    hashes = {}
    with open(path) as f:
        for line in f:
            tick, value = line.split()
            hashes[int(tick)] = value
    return hashes


def compare_frame(name, gdi, ref, diff_dir, detailed):
    gw, gh, gp = read_ppm(gdi)
    rw, rh, rp = read_ppm(ref)
    if (gw, gh) != (rw, rh):
        print(f"  {name}: GDI frame is {gw}x{gh}, reference {rw}x{rh}")
        return False
    if gp == rp:
        return True
    differing = []
    for i in range(0, len(gp), 3):
        if gp[i:i + 3] != rp[i:i + 3]:
            differing.append(i // 3)
    xs = [p % gw for p in differing]
    ys = [p // gw for p in differing]
    print(f"  {name}: {len(differing)} of {gw * gh} pixels differ, within "
          f"x {min(xs)}..{max(xs)}, y {min(ys)}..{max(ys)}")
    for p in differing[:SHOWN if detailed else 0]:
        g, r = gp[3 * p:3 * p + 3], rp[3 * p:3 * p + 3]
        print(f"    ({p % gw:3d},{p // gw:3d})  GDI #{g.hex()}  reference #{r.hex()}")
    if detailed and len(differing) > SHOWN:
        print(f"    ... and {len(differing) - SHOWN} more")
    os.makedirs(diff_dir, exist_ok=True)
    marked = bytearray(b // 3 for b in rp)
    for p in differing:
        marked[3 * p:3 * p + 3] = b"\xff\x00\x00"
    stem = os.path.splitext(name)[0].replace("tick_", "")
    write_png(os.path.join(diff_dir, f"diff_{stem}.png"), gw, gh, bytes(marked))
    write_png(os.path.join(diff_dir, f"gdi_{stem}.png"), gw, gh, gp)
    write_png(os.path.join(diff_dir, f"reference_{stem}.png"), gw, gh, rp)
    if detailed:
        print(f"    images: {diff_dir}/{{diff,gdi,reference}}_{stem}.png")
    return False


def main():
    if len(sys.argv) != 4:
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        return 2
    gdi_dir, ref_dir, diff_dir = sys.argv[1:]
    try:
        gdi_hashes = read_hashes(os.path.join(gdi_dir, "hashes.txt"))
        ref_hashes = read_hashes(os.path.join(ref_dir, "hashes.txt"))
        frames = sorted(f for f in os.listdir(ref_dir) if f.endswith(".ppm"))
        missing = [f for f in frames if not os.path.exists(os.path.join(gdi_dir, f))]
        if missing or not frames:
            print(f"  frames missing from the GDI run: {' '.join(missing) or 'all'}")
            return 2
        same_frames = True
        for name in frames:  # the first differing frame in detail, the others in a line
            same_frames &= compare_frame(name, os.path.join(gdi_dir, name),
                                         os.path.join(ref_dir, name), diff_dir, same_frames)
    except (OSError, ValueError) as error:
        print(f"  {error}")
        return 2

    if sorted(gdi_hashes) != sorted(ref_hashes):
        print(f"  the GDI run hashed ticks {min(gdi_hashes, default=0)}..{max(gdi_hashes, default=0)}, "
              f"the reference {min(ref_hashes, default=0)}..{max(ref_hashes, default=0)}")
        return 2
    differing = [t for t in sorted(ref_hashes) if gdi_hashes[t] != ref_hashes[t]]
    print(f"  {len(frames)} frames compared byte for byte, {len(ref_hashes)} ticks by hash: "
          f"{len(differing)} ticks differ")
    if not same_frames:
        return 1
    if differing:
        print(f"  first difference at tick {differing[0]} "
              f"(ticks differing: {' '.join(map(str, differing[:20]))}"
              f"{' ...' if len(differing) > 20 else ''})")
        return 3
    return 0


if __name__ == "__main__":
    sys.exit(main())
