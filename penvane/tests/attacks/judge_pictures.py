#!/usr/bin/env python3
"""Judges the attack files by what a reader shows, not by our own code.

    judge_pictures.py FOLDER [--check] [--keep DIR]

For every file that FOLDER/expected.tsv lists, renders its signed revision
and the whole file with pdftoppm and compares the pixels of every page. The
signed revision is the signed document beside it (signed*.pdf) that the file
was cut from: the one it shares the longest start with. For every attack
that keeps the signature intact, those are exactly the bytes up to the end of
its /ByteRange; for those that move or break the range it is what the signer
saw. Prints one line per file,

    NAME picture=same|differs|unreadable expected=VERDICT

and last `pictures_differ=N/M`. A file pdftoppm cannot render counts as
different: a reader shows nothing, or asks for a password the signer did
not need. --check exits 1 when a file whose picture differs is expected
valid (exit 0 is a promise that the document shows what was signed).
--keep DIR writes each pair as NAME-signed-PAGE.png and NAME-now-PAGE.png.
"""

import glob
import hashlib
import os
import subprocess
import sys
import tempfile

RESOLUTION = "60"


def read_expected(folder):
    rows = []
    with open(os.path.join(folder, "expected.tsv")) as f:
        for line in f:
            if line.strip() and not line.startswith("#"):
                fields = line.rstrip("\n").split("\t") + ["", ""]
                rows.append((fields[0], fields[1], fields[3].split()))
    return rows


def password_of(options):
    return options[options.index("--password") + 1] if "--password" in options else None


def render(data, password, scratch, keep=None):
    """The pages' pixels (one digest each), or None when pdftoppm fails."""
    with tempfile.TemporaryDirectory(dir=scratch) as folder:
        pdf = os.path.join(folder, "in.pdf")
        with open(pdf, "wb") as f:
            f.write(data)
        command = ["pdftoppm", "-r", RESOLUTION] + (["-png"] if keep else [])
        if password is not None:
            command += ["-opw", password, "-upw", password]
        r = subprocess.run(command + [pdf, os.path.join(folder, "page")],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        pages = sorted(glob.glob(os.path.join(folder, "page-*")))
        if r.returncode != 0 or not pages:
            return None
        digests = []
        for i, page in enumerate(pages, start=1):
            with open(page, "rb") as f:
                pixels = f.read()
            digests.append(hashlib.sha256(pixels).hexdigest())
            if keep:
                with open("%s-%d.png" % (keep, i), "wb") as f:
                    f.write(pixels)
        return digests


def common_start(a, b):
    n = min(len(a), len(b))
    i = 0
    while i < n and a[i] == b[i]:
        i += 1
    return i


def main(argv):
    if not argv or argv[0].startswith("-"):
        sys.exit(__doc__)
    folder, check = argv[0], "--check" in argv
    keep = argv[argv.index("--keep") + 1] if "--keep" in argv else None
    if keep:
        os.makedirs(keep, exist_ok=True)
    signed = {}
    for path in sorted(glob.glob(os.path.join(folder, "signed*.pdf"))):
        with open(path, "rb") as f:
            signed[path] = f.read()
    if not signed:
        sys.exit("judge_pictures: no signed*.pdf in %s" % folder)
    wrong = differ = 0
    rows = read_expected(folder)
    with tempfile.TemporaryDirectory() as scratch:
        pictures = {}
        for name, verdict, options in rows:
            with open(os.path.join(folder, name + ".pdf"), "rb") as f:
                data = f.read()
            base = max(signed, key=lambda p: common_start(signed[p], data))
            password = password_of(options)
            key = (base, password)
            if key not in pictures or keep:
                pictures[key] = render(signed[base], password, scratch,
                                       keep and os.path.join(keep, name + "-signed"))
            now = render(data, password, scratch, keep and os.path.join(keep, name + "-now"))
            if pictures[key] is None:
                sys.exit("judge_pictures: pdftoppm cannot render %s" % base)
            picture = "unreadable" if now is None else "same" if now == pictures[key] else "differs"
            differ += picture != "same"
            bad = picture != "same" and verdict == "valid"
            wrong += bad
            print("%s picture=%s expected=%s%s" % (name, picture, verdict, " WRONG" if bad else ""))
    print("pictures_differ=%d/%d" % (differ, len(rows)))
    if check and wrong:
        print("judge_pictures: %d file(s) whose picture differs are expected valid" % wrong)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
