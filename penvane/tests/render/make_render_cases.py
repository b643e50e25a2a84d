#!/usr/bin/env python3
"""Makes the documents the render check is judged on: a signed document with
one later update each, appended as a classic cross-reference section.

    make_render_cases.py kept SIGNED DIR       the kept cases, from the signed
                                               attack base (../attacks/signed.pdf)
    make_render_cases.py move-widget SIGNED OUT
                                               the text field's widget moved;
                                               writes no string or stream, so it
                                               works on an encrypted file too

Byte surgery with the standard library, as the attack files are made: the
update copies /Root, /Encrypt, /ID and /Info from the last trailer."""

import os
import re
import sys


def objects(data):
    """Newest (number, body) of every `N 0 obj ... endobj`."""
    found = {}
    for m in re.finditer(rb"(?:^|[\r\n])(\d+) 0 obj\s*", data):
        end = data.index(b"endobj", m.end())
        found[int(m.group(1))] = data[m.end():end].rstrip()
    return found


def trailer_keys(data):
    tail = data[data.rindex(b"trailer"):]
    keys = b""
    for key in (rb"/Root\s+\d+\s+\d+\s+R", rb"/Encrypt\s+\d+\s+\d+\s+R", rb"/Info\s+\d+\s+\d+\s+R", rb"/ID\s*\[[^\]]*\]"):
        m = re.search(key, tail)
        if m:
            keys += b" " + m.group(0)
    return keys


def append_update(data, changed):
    out = bytearray(data)
    if not out.endswith(b"\n"):
        out += b"\n"
    offsets = {}
    for num in sorted(changed):
        offsets[num] = len(out)
        out += b"%d 0 obj\n" % num + changed[num] + b"\nendobj\n"
    size = max([int(re.findall(rb"/Size (\d+)", data)[-1])] + [n + 1 for n in changed])
    at = len(out)
    out += b"xref\n"
    for num in sorted(offsets):
        out += b"%d 1\n%010d 00000 n \n" % (num, offsets[num])
    prev = int(re.findall(rb"startxref\s+(\d+)", data)[-1])
    out += b"trailer\n<< /Size %d%s /Prev %d >>\nstartxref\n%d\n%%%%EOF\n" % (size, trailer_keys(data), prev, at)
    return bytes(out)


def stream(text, entries=b""):
    return b"<< %s/Length %d >>\nstream\n%s\nendstream" % (entries, len(text), text)


def size_of(data):
    return int(re.findall(rb"/Size (\d+)", data)[-1])


def find(objs, pattern):
    for num, body in sorted(objs.items()):
        if re.search(pattern, body):
            return num, body
    raise SystemExit("make_render_cases: no object matches %r" % pattern)


def overlay_annotation(data):
    """An opaque annotation added over the payee's account, showing another."""
    objs, size = objects(data), size_of(data)
    page_num, page = find(objs, rb"/Type\s*/Page\b")
    appearance = stream(b"1 g 0 0 230 20 re f BT /F1 12 Tf 0 g 2 6 Td (Payee account: 5555 6666 7777) Tj ET",
                        b"/Type /XObject /Subtype /Form /BBox [0 0 230 20] /Resources << /Font << /F1 12 0 R >> >> ")
    return append_update(data, {
        page_num: page.replace(b"/Annots [", b"/Annots [%d 0 R " % size, 1),
        size: b"<< /Type /Annot /Subtype /Square /F 4 /P %d 0 R /Rect [70 555 300 575] /AP << /N %d 0 R >> >>" % (
            page_num, size + 1),
        size + 1: appearance})


def page_added(data):
    """A second page with its own text, added to the page tree."""
    objs, size = objects(data), size_of(data)
    pages_num, pages = find(objs, rb"/Type\s*/Pages\b")
    pages = re.sub(rb"/Kids\s*\[([^\]]*)\]", lambda m: b"/Kids [" + m.group(1).strip() + b" %d 0 R]" % size, pages)
    pages = re.sub(rb"/Count\s+(\d+)", lambda m: b"/Count %d" % (int(m.group(1)) + 1), pages)
    return append_update(data, {
        pages_num: pages,
        size: b"<< /Type /Page /Parent %d 0 R /MediaBox [0 0 612 792] /Contents %d 0 R"
              b" /Resources << /Font << /F1 12 0 R >> >> >>" % (pages_num, size + 1),
        size + 1: stream(b"BT /F1 18 Tf 72 720 Td (Annex: late fees of 50%) Tj ET")})


def move_widget(data):
    """The text field's widget moved 200 points to the right."""
    num, body = find(objects(data), rb"/FT\s*/Tx")

    def moved(m):
        x0, y0, x1, y1 = (float(v) for v in m.group(1).split())
        return b"/Rect [%g %g %g %g]" % (x0 + 200, y0, x1 + 200, y1)
    return append_update(data, {num: re.sub(rb"/Rect\s*\[([^\]]*)\]", moved, body, count=1)})


def main(argv):
    if len(argv) == 3 and argv[0] == "kept":
        with open(argv[1], "rb") as f:
            data = f.read()
        for name, make in (("overlay-annotation", overlay_annotation), ("page-added", page_added)):
            with open(os.path.join(argv[2], name + ".pdf"), "wb") as f:
                f.write(make(data))
    elif len(argv) == 3 and argv[0] == "move-widget":
        with open(argv[1], "rb") as f:
            data = f.read()
        with open(argv[2], "wb") as f:
            f.write(move_widget(data))
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv[1:])
