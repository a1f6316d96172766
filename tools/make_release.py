#!/usr/bin/env python3
"""Makes the release from the two builds: build/release/VARNO-VERSION.zip, VARNO-VERSION-setup.exe
and SHA256SUMS, the checksums of those two; VERSION is the VERSION file's.

  make_release.py [--out DIR] [--pkcs12 FILE --password-file FILE [--timestamp URL]]

Given a certificate (a PKCS#12 file and a file holding its password; or VARNO_PKCS12,
VARNO_PASSWORD_FILE and VARNO_TIMESTAMP in the environment) it signs, with osslsigncode,
both builds (copies in DIR/signed), the uninstaller and the setup, timestamped by the
RFC 3161 server at URL when one is named; without one the release is unsigned and the
same bytes every time.

The zip holds VARNO.scr (i686, the release), VARNO64.scr (x86_64), INSTALL.txt, LICENSE and
SHA256SUMS, with fixed timestamps so the same builds give the same zip. The setup
(installer/VARNO.nsi, made with makensis) carries both builds and the setup's own plug-in
from the win32 build; the zip's SHA256SUMS lists it too.
"""
import argparse
import hashlib
import os
import shutil
import subprocess
import sys
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
VERSION = open(os.path.join(ROOT, "VERSION")).read().strip()
STAMP = (2026, 12, 1, 0, 0, 0)


def main():
    parser = argparse.ArgumentParser(description="Makes the release; signs it given a certificate.")
    parser.add_argument("--out", default=os.path.join(ROOT, "build/release"))
    parser.add_argument("--pkcs12", default=os.environ.get("VARNO_PKCS12"))
    parser.add_argument("--password-file", default=os.environ.get("VARNO_PASSWORD_FILE"))
    parser.add_argument("--timestamp", default=os.environ.get("VARNO_TIMESTAMP"))
    parser.add_argument("--sign-in-place", metavar="FILE", help=argparse.SUPPRESS)  # makensis's signer
    options = parser.parse_args()
    if bool(options.pkcs12) != bool(options.password_file):
        sys.exit("make_release: a certificate needs both --pkcs12 and --password-file")
    if options.sign_in_place:
        return sign(options, options.sign_in_place)
    files = [
        ("VARNO.scr", os.path.join(ROOT, "build/win32/VARNO.scr")),
        ("VARNO64.scr", os.path.join(ROOT, "build/win64/VARNO.scr")),
    ]
    for _, path in files:
        if not os.path.exists(path):
            sys.exit("make_release: %s is missing: build the win32 and win64 presets first" % path)
    out_dir = os.path.abspath(options.out)
    os.makedirs(out_dir, exist_ok=True)
    plugin = os.path.join(ROOT, "build/win32/setup-plugins/varno.dll")
    if not os.path.exists(plugin):
        sys.exit("make_release: %s is missing: build the win32 preset first" % plugin)
    signer = None
    if options.pkcs12:
        os.makedirs(os.path.join(out_dir, "signed"), exist_ok=True)
        signed = [(name, os.path.join(out_dir, "signed", name)) for name, _ in files]
        for (_, path), (_, copy) in zip(files, signed):
            shutil.copyfile(path, copy)
            sign(options, copy)
        files = signed
        signer = [sys.executable, os.path.abspath(__file__), "--pkcs12", os.path.abspath(options.pkcs12),
                  "--password-file", os.path.abspath(options.password_file)]
        signer += ["--timestamp", options.timestamp] if options.timestamp else []
        signer = " ".join('"%s"' % part for part in signer) + " --sign-in-place"
    setup = make_setup(out_dir, files, signer)
    sums = checksums(files + [(os.path.basename(setup), setup)])
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
            text = open(os.path.join(ROOT, path), "rb").read().replace(b"@VERSION@", VERSION.encode())
            add(name, text.replace(b"\n", b"\r\n"))
        add("SHA256SUMS", sums)
    # Beside the two downloads, for those who download only one of them.
    downloads = checksums([(os.path.basename(path), path) for path in (out, setup)])
    with open(os.path.join(out_dir, "SHA256SUMS"), "w", newline="\n") as f:
        f.write(downloads)
    print(out)
    print(setup)
    print(downloads, end="")


def checksums(files):
    """SHA256SUMS lines, as sha256sum -c reads them: (name, path) each."""
    return "".join("%s  %s\n" % (hashlib.sha256(open(path, "rb").read()).hexdigest(), name)
                   for name, path in files)


def sign(options, path):
    """Signs the PE file at path in place (SHA-256, Authenticode)."""
    command = ["osslsigncode", "sign", "-pkcs12", options.pkcs12, "-readpass", options.password_file,
               "-h", "sha256", "-n", "VARNO"]
    command += ["-ts", options.timestamp] if options.timestamp else []
    result = subprocess.run(command + ["-in", path, "-out", path + ".signed"], capture_output=True, text=True)
    if result.returncode != 0:
        sys.exit("make_release: osslsigncode could not sign %s:\n%s%s" % (path, result.stdout, result.stderr))
    os.replace(path + ".signed", path)


def make_setup(out_dir, files, signer):
    """The setup beside the zip. makensis stamps nothing of its own into the file, so the
    same inputs at the same paths give the same bytes: the paths are the repository's,
    relative, and the file times stay out (SetDateSave off). signer: the command that
    signs the uninstaller and the setup as makensis makes them, or None."""
    out = os.path.join(out_dir, "VARNO-%s-setup.exe" % VERSION)
    (_, scr32), (_, scr64) = files
    parts = VERSION.split(".")
    defines = {"VERSION": VERSION, "VERSION4": ".".join((parts + ["0"] * 4)[:4]),
               "SCR32": scr32, "SCR64": scr64, "ICON": "assets/varno.ico",
               "PLUGINS": os.path.join(ROOT, "build/win32/setup-plugins"),
               "SIZE32": (os.path.getsize(scr32) + 1023) // 1024,
               "SIZE64": (os.path.getsize(scr64) + 1023) // 1024, "OUTFILE": out}
    command = ["makensis", "-V2", "-NOCD", "-INPUTCHARSET", "UTF8"]
    command += ["-D%s=%s" % (name, os.path.relpath(value, ROOT) if os.path.isabs(str(value)) else value)
                for name, value in defines.items()]
    command += ["-DSIGN=" + signer] if signer else []
    result = subprocess.run(command + ["installer/VARNO.nsi"], cwd=ROOT, capture_output=True, text=True)
    if result.returncode != 0:
        sys.exit("make_release: makensis failed:\n" + result.stdout + result.stderr)
    # NSIS before 3.09 (and Debian's 3.08 before 3.08-3+deb12u1) lets an uninstaller copy
    # itself to the fixed %TEMP%\~nsu.tmp, where another user can put a DLL beside it
    # (CVE-2023-37378); the mended stub makes a folder of its own, named from "~nsu%X.tmp".
    if b"~nsu%X.tmp" not in open(out, "rb").read():
        os.remove(out)
        sys.exit("make_release: this makensis's stubs copy the uninstaller to a shared folder "
                 "(CVE-2023-37378): use NSIS 3.09 or Debian's 3.08-3+deb12u1 or later")
    return out


if __name__ == "__main__":
    main()
