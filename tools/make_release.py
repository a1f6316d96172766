#!/usr/bin/env python3
"""Makes the release zip from the two builds: build/release/VARNO-1.0.zip.

The zip holds VARNO.scr (i686, the release), VARNO64.scr (x86_64), INSTALL.txt and
SHA256SUMS, with fixed timestamps so the same builds give the same zip.
"""
import hashlib
import os
import sys
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
VERSION = "1.0"
STAMP = (2026, 12, 1, 0, 0, 0)


def main():
    files = [
        ("VARNO.scr", os.path.join(ROOT, "build/win32/VARNO.scr")),
        ("VARNO64.scr", os.path.join(ROOT, "build/win64/VARNO.scr")),
    ]
    for _, path in files:
        if not os.path.exists(path):
            sys.exit("make_release: %s is missing: build the win32 and win64 presets first" % path)
    sums = "".join("%s  %s\n" % (hashlib.sha256(open(path, "rb").read()).hexdigest(), name)
                   for name, path in files)
    out_dir = os.path.join(ROOT, "build/release")
    os.makedirs(out_dir, exist_ok=True)
    out = os.path.join(out_dir, "VARNO-%s.zip" % VERSION)
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as archive:
        def add(name, data):
            info = zipfile.ZipInfo("VARNO-%s/%s" % (VERSION, name), STAMP)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            archive.writestr(info, data)
        for name, path in files:
            add(name, open(path, "rb").read())
        add("INSTALL.txt", open(os.path.join(ROOT, "docs/INSTALL.txt"), "rb").read().replace(b"\n", b"\r\n"))
        add("SHA256SUMS", sums)
    print(out)
    print(sums, end="")


if __name__ == "__main__":
    main()
