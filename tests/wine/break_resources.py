#!/usr/bin/env python3
"""Writes a copy of a built saver whose resources fail to load, for the tests of what
the saver does then:

  break_resources.py IN OUT [--without-sound] [--break-bitmap ID]...

--without-sound renames the resource type "WAVE" (to "WAVX"), so that the sound is not
found at all; --break-bitmap ID clears the size field of that bitmap's header, so that
the bitmap is found but cannot be loaded.
"""
import argparse
import os
import struct
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tools"))
from check_resources import RT_BITMAP, resource_places  # noqa: E402


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("source")
    parser.add_argument("target")
    parser.add_argument("--without-sound", action="store_true")
    parser.add_argument("--break-bitmap", type=int, action="append", default=[])
    args = parser.parse_args()
    data = bytearray(open(args.source, "rb").read())
    places = resource_places(bytes(data))
    if args.without_sound:
        wave = places.get(("WAVE", 137))
        if not wave:
            sys.exit("no WAVE 137 in %s" % args.source)
        name_at = wave[0][3]
        data[name_at + 2 + 2 * 3:name_at + 2 + 2 * 4] = "X".encode("utf-16-le")
    for bitmap in args.break_bitmap:
        found = places.get((RT_BITMAP, bitmap))
        if not found:
            sys.exit("no bitmap %d in %s" % (bitmap, args.source))
        for _, start, _, _ in found:
            struct.pack_into("<I", data, start, 0)
    open(args.target, "wb").write(data)


if __name__ == "__main__":
    main()
