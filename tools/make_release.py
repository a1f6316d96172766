#!/usr/bin/env python3
"""Makes the release from the two builds: build/release/VARNO-1.0.zip and VARNO-1.0-setup.exe.

The zip holds VARNO.scr (i686, the release), VARNO64.scr (x86_64), INSTALL.txt, LICENSE and
SHA256SUMS, with fixed timestamps so the same builds give the same zip. The setup
(installer/VARNO.nsi, made with makensis) carries both builds; SHA256SUMS lists it too.
"""
import hashlib
import os
import subprocess
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
    out_dir = os.path.join(ROOT, "build/release")
    os.makedirs(out_dir, exist_ok=True)
    setup = make_setup(out_dir, files)
    sums = "".join("%s  %s\n" % (hashlib.sha256(open(path, "rb").read()).hexdigest(), name)
                   for name, path in files + [(os.path.basename(setup), setup)])
    out = os.path.join(out_dir, "VARNO-%s.zip" % VERSION)
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as archive:
        def add(name, data):
            info = zipfile.ZipInfo("VARNO-%s/%s" % (VERSION, name), STAMP)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            archive.writestr(info, data)
        for name, path in files:
            add(name, open(path, "rb").read())
        for name, path in [("INSTALL.txt", "docs/INSTALL.txt"), ("LICENSE", "LICENSE")]:
            add(name, open(os.path.join(ROOT, path), "rb").read().replace(b"\n", b"\r\n"))
        add("SHA256SUMS", sums)
    print(out)
    print(setup)
    print(sums, end="")


def make_setup(out_dir, files):
    """The setup beside the zip. makensis stamps nothing of its own into the file, so the
    same inputs at the same paths give the same bytes: the paths are the repository's,
    relative, and the file times stay out (SetDateSave off)."""
    out = os.path.join(out_dir, "VARNO-%s-setup.exe" % VERSION)
    (_, scr32), (_, scr64) = files
    defines = {"VERSION": VERSION, "SCR32": scr32, "SCR64": scr64, "ICON": "assets/varno.ico",
               "SIZE32": (os.path.getsize(scr32) + 1023) // 1024,
               "SIZE64": (os.path.getsize(scr64) + 1023) // 1024, "OUTFILE": out}
    command = ["makensis", "-V2", "-NOCD", "-INPUTCHARSET", "UTF8"]
    command += ["-D%s=%s" % (name, os.path.relpath(value, ROOT) if os.path.isabs(str(value)) else value)
                for name, value in defines.items()]
    result = subprocess.run(command + ["installer/VARNO.nsi"], cwd=ROOT, capture_output=True, text=True)
    if result.returncode != 0:
        sys.exit("make_release: makensis failed:\n" + result.stdout + result.stderr)
    return out


if __name__ == "__main__":
    main()
