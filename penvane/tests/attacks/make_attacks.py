#!/usr/bin/env python3
"""Makes the attack files the verifier must not be fooled by.

    make_attacks.py all DIR --tool PENVANE   base document, signed, attacks
    make_attacks.py base DIR                 base.pdf and mark.strokes only
    make_attacks.py attacks SIGNED DIR       the attacks on a signed base.pdf

The base document hides content that later updates can reveal: text under an
opaque annotation, a stamp in an optional content group that is off, a
check box whose unused appearance is ticked, an unused form XObject with
other terms. `all` signs its field "Approval" with `PENVANE sign` (the handler
is whatever PENVANE_HOST names) and writes every attack beside it, with
expected.tsv: one line per file, its name, the verdict it must get and words
the text report must contain.

Words are matched in the JSON report; a kind in double quotes is one item
of a `kinds` list. Verdicts: valid (exit 0); invalid (exit 1, the signature INVALID); changed
(exit 1, valid for its revision, changed after signing); not-valid (exit 1 or
2, never valid); other-handler (exit 1, not this handler's signature);
refused (exit 2: readers may resolve the file differently). A fourth column,
when present, holds options for verify (a password).

Besides base.pdf, `base` writes base-refs.pdf (names it leaves undefined, an
unused second catalog, a direct /AcroForm), base-plain.pdf (encrypted with
AES-256 into base-aes256.pdf by `all`) and base-page-twice.pdf (a page listed
twice, for signing); `attacks` reads signed-refs.pdf and signed-aes256.pdf
beside SIGNED, signed-then-cms.pdf (signed.pdf with another handler's CMS
signature added later: `all` signs it with openssl and a throw-away key)
and signed-page-twice.pdf when there is one (`all` makes it when the tool
agrees to sign that file).

Byte surgery only, with the standard library: edits of the signature
dictionary keep every length, so the file's offsets stay right; later
revisions are appended as classic cross-reference sections."""

import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "sample"))
from pdfwrite import write_pdf  # noqa: E402


def stream(text, dict_entries=b""):
    return b"<< %s/Length %d >>\nstream\n%s\nendstream" % (dict_entries, len(text), text)


def form(text, bbox=b"[0 0 300 40]"):
    return stream(text, b"/Type /XObject /Subtype /Form /BBox %s /Resources << /Font << /F1 12 0 R >> >> " % bbox)


PAGE_TEXT = b"""BT /F1 18 Tf 72 720 Td (Invoice 2026-014) Tj ET
BT /F1 12 Tf 72 684 Td (Amount due:) Tj ET
/OC /oc1 BDC q BT /F1 28 Tf 1 0 0 rg 330 640 Td (PAID IN FULL) Tj ET Q EMC
BT /F1 12 Tf 72 560 Td (Payee account: 1111 2222 3333) Tj ET
BT /F1 12 Tf 72 540 Td (Refund account: 9999 8888 7777) Tj ET
q 1 0 0 1 72 480 cm /Im1 Do Q
BT /F1 12 Tf 100 426 Td (Approved by the buyer) Tj ET
BT /F1 10 Tf 72 250 Td (Signature:) Tj ET"""

BASE = [
    b"<< /Type /Catalog /Pages 2 0 R /AcroForm 7 0 R /OCProperties 11 0 R >>",
    b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
    b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R /Resources 10 0 R"
    b" /Annots [8 0 R 9 0 R 14 0 R 6 0 R] >>",
    stream(PAGE_TEXT),
    b"<< /Type /Annot /Subtype /Widget /FT /Sig /T (Approval) /F 4 /P 3 0 R /Rect [72 150 372 240] >>",
    b"<< /Type /Annot /Subtype /Widget /FT /Sig /T (Approval) /F 4 /P 3 0 R /Rect [72 150 372 240] >>",
    b"<< /Fields [6 0 R 8 0 R 9 0 R] /DA (/F1 0 Tf 0 g) /DR << /Font << /F1 12 0 R >> >> >>",
    b"<< /Type /Annot /Subtype /Widget /FT /Tx /T (Amount) /V (100.00) /F 4 /P 3 0 R /Rect [150 678 300 698]"
    b" /DA (/F1 12 Tf 0 g) /AP << /N 15 0 R >> >>",
    b"<< /Type /Annot /Subtype /Widget /FT /Btn /T (Approved) /V /Off /AS /Off /F 4 /P 3 0 R"
    b" /Rect [72 420 92 440] /AP << /N << /Yes 16 0 R /Off 17 0 R >> >> >>",
    b"<< /Font << /F1 12 0 R >> /XObject << /Im1 13 0 R >> /Properties << /oc1 18 0 R >> >>",
    b"<< /OCGs [18 0 R] /D << /Order [18 0 R] /OFF [18 0 R] >> >>",
    b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
    form(b"BT /F1 12 Tf 0 10 Td (Terms: payable within 30 days.) Tj ET"),
    b"<< /Type /Annot /Subtype /Square /F 4 /P 3 0 R /Rect [70 535 300 555] /C [1 1 1] /IC [1 1 1]"
    b" /AP << /N 19 0 R >> >>",
    form(b"BT /F1 12 Tf 2 5 Td (100.00) Tj ET", b"[0 0 150 20]"),
    form(b"0 G 1 w 1 1 18 18 re S 0 0.5 0 rg 4 4 12 12 re f", b"[0 0 20 20]"),
    form(b"0 G 1 w 1 1 18 18 re S", b"[0 0 20 20]"),
    b"<< /Type /OCG /Name (Stamp) >>",
    form(b"1 g 0 0 230 20 re f", b"[0 0 230 20]"),
    form(b"BT /F1 12 Tf 0 10 Td (Terms: payable at once, with a penalty.) Tj ET"),
]
# Object 5 is unused: an object the signed revision holds but nothing shows.
BASE[4] = stream(b"BT /F1 12 Tf 72 600 Td (Amount due: 900.00) Tj ET")

# A short check mark: the signed fixtures stay a few KB. 40 points, more than
# the capture dialog's least number of points (25 unless configured).
CORNERS = [(200, 400), (400, 200), (700, 500), (1100, 750)]
POINTS = [(x0 + (x1 - x0) * i // 13, y0 + (y1 - y0) * i // 13)
          for (x0, y0), (x1, y1) in zip(CORNERS, CORNERS[1:]) for i in range(13)] + [CORNERS[-1]]
MARK = "extent 2000 800\nstroke time pressure\n" + "".join(
    "%d %d %d 600\n" % (x, y, t * 10) for t, (x, y) in enumerate(POINTS))


# A second document for what the first cannot carry: names that the signed
# revision leaves undefined (objects 30 to 38, free: null when signed),
# a direct /AcroForm, an /Info dictionary and a second, unused catalog whose
# page asks for more. Its "APPROVED" stamp sits in an optional content group
# that no /OCProperties lists yet, so every reader shows it.
def refs_form(text, bbox=b"[0 0 300 40]"):
    return stream(text, b"/Type /XObject /Subtype /Form /BBox %s /Resources << /Font << /F1 10 0 R >> >> " % bbox)


REFS_TEXT = b"""BT /F1 18 Tf 72 720 Td (Invoice 2026-015) Tj ET
BT /F1 12 Tf 72 684 Td (Amount due:) Tj ET
BT /F2 14 Tf 72 660 Td (PAID - DO NOT PAY) Tj ET
/OC /oc1 BDC q BT /F1 28 Tf 0 0.5 0 rg 330 640 Td (APPROVED) Tj ET Q EMC
q /GS1 gs BT /F1 12 Tf 72 600 Td (Payee account: 1111 2222 3333) Tj ET Q
BT /F1 12 Tf 72 580 Td (Due: 31 January 2027) Tj ET
q 72 576 200 18 re W n /Sh1 sh Q
q 1 0 0 1 330 560 cm /Fx Do Q
q 1 0 0 1 72 520 cm /Fx2 Do Q
BT /F1 10 Tf 72 250 Td (Signature:) Tj ET"""

REFS = [
    b"<< /Type /Catalog /Pages 2 0 R /AcroForm << /Fields [6 0 R 8 0 R] /DA (/F1 0 Tf 0 g)"
    b" /DR << /Font << /F1 10 0 R >> >> /SigFlags 3 >> /OCProperties 34 0 R /OpenAction 35 0 R /Names 36 0 R"
    b" /Outlines 37 0 R >>",
    b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
    b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R /Resources 7 0 R"
    b" /Annots [8 0 R 6 0 R] /AA 38 0 R >>",
    stream(REFS_TEXT),
    # Object 5: a form no resource names yet.
    refs_form(b"BT /F1 12 Tf 0 10 Td (Refund to account 5555 6666 7777) Tj ET"),
    b"<< /Type /Annot /Subtype /Widget /FT /Sig /T (Approval) /F 4 /P 3 0 R /Rect [72 150 372 240] >>",
    b"<< /Font << /F1 10 0 R /F2 30 0 R >> /XObject << /Fx 31 0 R >> /ExtGState << /GS1 32 0 R >>"
    b" /Shading << /Sh1 33 0 R >> /Properties << /oc1 11 0 R >> >>",
    b"<< /Type /Annot /Subtype /Widget /FT /Tx /T (Amount) /V (100.00) /F 4 /P 3 0 R"
    b" /Rect [150 678 300 698] /DA (/F1 12 Tf 0 g) /AP << /N 9 0 R >> >>",
    refs_form(b"BT /F1 12 Tf 2 5 Td (100.00 EUR) Tj ET", b"[0 0 150 20]"),
    b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
    b"<< /Type /OCG /Name (Approval stamp) >>",
    b"<< /Type /Catalog /Pages 13 0 R /AcroForm << /Fields [6 0 R] /SigFlags 3 >> >>",
    b"<< /Type /Pages /Kids [14 0 R] /Count 1 >>",
    b"<< /Type /Page /Parent 13 0 R /MediaBox [0 0 612 792] /Contents 15 0 R"
    b" /Resources << /Font << /F1 10 0 R >> >> >>",
    stream(b"BT /F1 18 Tf 72 720 Td (Invoice 2026-015) Tj ET\n"
           b"BT /F1 12 Tf 72 684 Td (Amount due: 9,000.00 EUR) Tj ET"),
    b"<< /Title (Invoice 2026-015) /Author (Accounts) >>",
]
REFS_INFO = 16


def write_document(path, objects, size, trailer=b""):
    """Like write_pdf, with more trailer entries and every number up to
    `size` listed: the ones without an object as free (a reference to a free
    object reads as null; one beyond /Size makes some readers repair)."""
    out = bytearray(b"%PDF-1.4\n%\xe2\xe3\xcf\xd3\n")
    offsets = []
    for i, body in enumerate(objects, start=1):
        offsets.append(len(out))
        out += b"%d 0 obj\n" % i + body + b"\nendobj\n"
    xref = len(out)
    out += b"xref\n0 %d\n0000000000 65535 f \n" % size
    for off in offsets:
        out += b"%010d 00000 n \n" % off
    out += b"0000000000 00000 f \n" * (size - 1 - len(objects))
    out += b"trailer\n<< /Size %d /Root 1 0 R%s >>\nstartxref\n%d\n%%%%EOF\n" % (size, trailer, xref)
    with open(path, "wb") as f:
        f.write(out)


# A third: one page and its signature field, for encryption with AES-256
# (user password "user", owner password "owner").
PLAIN = [
    b"<< /Type /Catalog /Pages 2 0 R /AcroForm << /Fields [5 0 R] >> >>",
    b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
    b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R"
    b" /Resources << /Font << /F1 6 0 R >> >> /Annots [5 0 R] >>",
    stream(b"BT /F1 18 Tf 72 720 Td (Encrypted agreement) Tj ET"),
    b"<< /Type /Annot /Subtype /Widget /FT /Sig /T (Approval) /F 4 /P 3 0 R /Rect [72 150 372 240] >>",
    b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
]
USER_PASSWORD, OWNER_PASSWORD = "user", "owner"

# And a page listed twice in its page tree, which qpdf repairs in memory
# only: signing must refuse it or sign the page readers show.
PAGE_TWICE = [
    b"<< /Type /Catalog /Pages 2 0 R >>",
    b"<< /Type /Pages /Kids [3 0 R 3 0 R] /Count 2 >>",
    b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R"
    b" /Resources << /Font << /F1 5 0 R >> >> >>",
    stream(b"BT /F1 18 Tf 72 720 Td (One page, listed twice) Tj ET"),
    b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
]


def write_base(folder):
    write_pdf(os.path.join(folder, "base.pdf"), BASE)
    write_document(os.path.join(folder, "base-refs.pdf"), REFS, 39, b" /Info %d 0 R" % REFS_INFO)
    write_pdf(os.path.join(folder, "base-plain.pdf"), PLAIN)
    write_pdf(os.path.join(folder, "base-page-twice.pdf"), PAGE_TWICE)
    with open(os.path.join(folder, "mark.strokes"), "w") as f:
        f.write(MARK)


# --- reading the signed file -------------------------------------------------

def current_object(data, num):
    """The body of the newest `num 0 obj` (everything up to endobj)."""
    starts = [m.end() for m in re.finditer(rb"(?:^|[\r\n])%d 0 obj\s*" % num, data)]
    if not starts:
        raise SystemExit("make_attacks: object %d not found" % num)
    end = data.index(b"endobj", starts[-1])
    return data[starts[-1]:end].rstrip()


def object_offsets(data):
    """Newest offset of every object, by its header (our files have no object
    streams and no `obj` inside their streams)."""
    offsets = {}
    for m in re.finditer(rb"(?:^|[\r\n])(\d+) 0 obj", data):
        offsets[int(m.group(1))] = m.start(1)
    return offsets


def last_startxref(data):
    return int(re.findall(rb"startxref\s+(\d+)", data)[-1])


def size_of(data):
    return int(re.findall(rb"/Size (\d+)", data)[-1])


class Signed:
    def __init__(self, data):
        self.data = data
        m = re.search(rb"(\d+) 0 obj\s*<< /Type /Sig", data)
        self.sig = int(m.group(1))
        self.sig_start = m.start()
        self.sig_end = data.index(b"endobj", self.sig_start)
        m = re.compile(rb"/ByteRange \[([^\]]*)\]").search(data, self.sig_start)
        self.range_at, self.range_width = m.start(1), len(m.group(1))
        self.range = [int(v) for v in m.group(1).split()]
        self.contents_at = self.range[1]          # the `<`
        self.contents_end = self.range[2]         # after the `>`
        self.appearance = int(re.search(rb"/AP << /N (\d+) 0 R", current_object(data, 6)).group(1))

    def replace_in_sig(self, old, new):
        """Same-length edit inside the signature dictionary."""
        assert len(old) == len(new), (old, new)
        at = self.data.index(old, self.sig_start, self.sig_end)
        return self.data[:at] + new + self.data[at + len(old):]

    def with_range(self, inner, data=None):
        """The /ByteRange array's inside rewritten in place, padded."""
        data = self.data if data is None else data
        inner = inner.encode() if isinstance(inner, str) else inner
        assert len(inner) <= self.range_width
        inner += b" " * (self.range_width - len(inner))
        return data[:self.range_at] + inner + data[self.range_at + self.range_width:]

    def with_contents(self, text):
        """The /Contents value (from `<` to `>`) replaced, padded with spaces."""
        n = self.contents_end - self.contents_at
        assert len(text) <= n
        return self.data[:self.contents_at] + text + b" " * (n - len(text)) + self.data[self.contents_end:]


def kept_trailer_keys(data):
    """The last trailer's /Info and /ID, which an update carries on."""
    trailer = data[data.rindex(b"trailer"):]
    return b"".join(b" " + m.group(0) for m in re.finditer(rb"/Info \d+ \d+ R|/ID \[[^\]]*\]", trailer))


def append_update(data, objects, prev=True, xref=True, full_xref=False, root=b"1 0 R", trailer=b"", carry=True):
    """An incremental update: the objects, then (unless told otherwise) a
    classic xref section and a trailer chained by /Prev, with `root`, the
    last trailer's /Info and /ID (when `carry`), then `trailer`."""
    out = bytearray(data)
    if not out.endswith(b"\n"):
        out += b"\n"
    offsets = {}
    for num in sorted(objects):
        offsets[num] = len(out)
        out += b"%d 0 obj\n" % num + objects[num] + b"\nendobj\n"
    if not xref:
        return bytes(out)
    size = max([size_of(data)] + [n + 1 for n in objects])
    at = len(out)
    if full_xref:
        # One table for the whole file, as if there had been one revision.
        every = object_offsets(bytes(out))
        out += b"xref\n0 %d\n0000000000 65535 f \n" % size
        for n in range(1, size):
            out += b"%010d 00000 n \n" % every[n] if n in every else b"0000000000 65535 f \n"
    else:
        out += b"xref\n"
        for num in sorted(offsets):
            out += b"%d 1\n%010d 00000 n \n" % (num, offsets[num])
    out += b"trailer\n<< /Size %d /Root %s%s%s >>\nstartxref\n%d\n%%%%EOF\n" % (
        size, root, b" /Prev %d" % last_startxref(data) if prev else b"",
        (kept_trailer_keys(data) if carry else b"") + trailer, at)
    return bytes(out)


def edit(data, num, old, new):
    body = current_object(data, num)
    assert old in body, (num, old)
    return body.replace(old, new, 1)


# --- the attacks -------------------------------------------------------------

def attacks(data):
    s = Signed(data)
    size = size_of(data)
    r = s.range
    yield "signed", "valid", "", data

    # Incremental saving.
    yield "inc-page-content", "changed", "(page content)", append_update(data, {
        3: edit(data, 3, b"/Contents 4 0 R", b"/Contents [4 0 R %d 0 R]" % size),
        size: stream(b"BT /F1 12 Tf 1 0 0 rg 330 684 Td (900.00) Tj ET")})
    yield "inc-annotation-over-signature", "changed", "annotations or fields (annotation)", append_update(data, {
        3: edit(data, 3, b"6 0 R]", b"6 0 R %d 0 R]" % size),
        size: b"<< /Type /Annot /Subtype /Square /F 4 /P 3 0 R /Rect [72 150 372 240] /IC [1 1 1] /C [1 0 0] >>"})
    yield "inc-signature-appearance", "changed", "form values (widget appearance)", append_update(data, {
        6: edit(data, 6, b"/AP << /N %d 0 R >>" % s.appearance, b"/AP << /N %d 0 R >>" % size),
        size: form(b"BT /F1 24 Tf 10 20 Td (Someone else) Tj ET", b"[0 0 300 90]")})
    # The new appearance also made the appearance of a new signature widget
    # that nothing lists, as if it came with a signature.
    yield "inc-signature-appearance-via-new-widget", "changed", "appearance of a widget (/AP)", append_update(data, {
        6: edit(data, 6, b"/AP << /N %d 0 R >>" % s.appearance, b"/AP << /N %d 0 R >>" % size),
        size: form(b"BT /F1 24 Tf 10 20 Td (Someone else) Tj ET", b"[0 0 300 90]"),
        size + 1: b"<< /Type /Annot /Subtype /Widget /FT /Sig /T (Extra) /F 2 /Rect [0 0 0 0] /AP << /N %d 0 R >> >>" % size})
    # A new widget at the payee's account, listed by the page and the form,
    # whose appearance shows another account; `widget` is its dictionary with
    # its value `V` and appearance `AP` to fill in, `more` further objects.
    def over_payee(widget, value, more=None):
        objects = {
            3: edit(data, 3, b"6 0 R]", b"6 0 R %d 0 R]" % size),
            7: edit(data, 7, b"/Fields [6 0 R 8 0 R 9 0 R]", b"/Fields [6 0 R 8 0 R 9 0 R %d 0 R]" % size),
            size: widget + b" /FT /Sig /T (Second) /F 4 /P 3 0 R /Rect [70 555 300 575]%s /AP << /N %d 0 R >> >>" % (
                value, size + 1),
            size + 1: form(b"1 g 0 0 230 20 re f BT /F1 12 Tf 0 g 2 6 Td (Payee account: 5555 6666 7777) Tj ET",
                           b"[0 0 230 20]")}
        objects.update(more or {})
        return append_update(data, objects)
    # An empty signature field: a field, not a signature. A signature of
    # another handler that covers nothing. A dictionary that is signature,
    # field and widget at once.
    yield "inc-empty-signature-field-over-content", "changed", "signature field without a signature", over_payee(
        b"<< /Type /Annot /Subtype /Widget", b"")
    yield "inc-unchecked-signature-over-content", "changed", "does not cover its revision", over_payee(
        b"<< /Type /Annot /Subtype /Widget", b" /V %d 0 R" % (size + 2),
        {size + 2: b"<< /Type /Sig /Filter /Some.OtherHandler /ByteRange [0 0 0 0] /Contents <00> >>"})
    yield "inc-signature-that-is-its-widget", "changed", "", over_payee(
        b"<< /Type /Sig /Subtype /Widget", b" /V %d 0 R" % size)
    yield "inc-signature-appearance-stream", "changed", "form values (widget appearance)", append_update(data, {
        s.appearance: form(b"BT /F1 24 Tf 10 20 Td (Someone else) Tj ET", b"[0 0 300 90]")})
    # The signature dictionary itself rewritten later (another reason).
    sig_body = current_object(data, s.sig)
    reason = re.search(rb"/Reason <[0-9A-Fa-f]*>", sig_body).group(0)
    yield "inc-signature-dictionary-rewritten", "invalid", "does not start inside the signed range", append_update(data, {
        s.sig: sig_body.replace(reason, b"/Reason (I do not agree)")})
    # Hidden updates: objects after the signed revision that no proper
    # cross-reference section of their own lists.
    changed_page = {size: stream(b"BT /F1 12 Tf 1 0 0 rg 330 684 Td (900.00) Tj ET"),
                    3: edit(data, 3, b"/Contents 4 0 R", b"/Contents [4 0 R %d 0 R]" % size)}
    yield "hidden-update-no-xref", "changed", "belong to no update", append_update(data, changed_page, xref=False)
    yield "hidden-update-no-prev", "not-valid", "", append_update(data, changed_page, prev=False)
    yield "hidden-rewritten-xref", "changed", "does not lead by /Prev", append_update(data, changed_page, prev=False, full_xref=True)
    yield "hidden-unlisted-object", "changed", "listed by no cross-reference section", append_update(
        append_update(data, {5: stream(b"BT /F1 12 Tf 72 600 Td (Amount due: 5.00) Tj ET")}, xref=False),
        {8: edit(data, 8, b"(100.00)", b"(100.01)")})

    # Signature wrapping.
    hexstring = data[s.contents_at:s.contents_end]
    tail = append_update(data, {size: b"<< /Type /Wrapped /Contents %s >>" % hexstring})
    at = tail.rindex(hexstring)
    yield "wrap-moved-contents", "invalid", "not the value of this dictionary's /Contents", Signed(tail).with_range(
        "0 %d %d %d" % (at, at + len(hexstring), len(tail) - at - len(hexstring)), tail)
    cert = re.search(rb"/Cert <[0-9A-Fa-f]*>", data[s.sig_start:s.sig_end]).group(0)
    second = b"/Contents <" + b"0" * (len(cert) - 12) + b">"
    yield "wrap-second-contents", "not-valid", "duplicated key /Contents", s.replace_in_sig(cert, second)
    nested = b"/P << /Contents <" + b"0" * (len(cert) - 21) + b"> >>"
    nested_data = s.replace_in_sig(cert, nested)
    n_at = nested_data.index(b"/Contents <", s.sig_start) + 10
    n_end = nested_data.index(b">", n_at) + 1
    yield "wrap-nested-contents", "invalid", "not the value of this dictionary's /Contents", s.with_range(
        "0 %d %d %d" % (n_at, n_end, len(data) - n_end), nested_data)
    yield "wrap-gap-larger", "invalid", "not exactly the /Contents string", s.with_range("0 %d %d %d" % (r[1] - 12, r[2], r[3]))
    moved = data[:r[2]] + b"\n%d 0 obj (x) endobj\n" % size + data[r[2]:]
    yield "wrap-moved-range", "not-valid", "", s.with_range(
        "0 %d %d %d" % (r[1], len(moved) - r[3], r[3]), moved)

    # Universal forgery: the signature dictionary made unusable.
    yield "contents-empty", "invalid", "not exactly the /Contents string", s.with_contents(b"<>")
    yield "contents-zeros", "invalid", "the handler does not find the signature valid", s.with_contents(b"<" + b"0" * (r[2] - r[1] - 2) + b">")
    yield "contents-missing", "invalid", "/Contents", s.replace_in_sig(b"/Contents <", b"/Contentz <")
    yield "contents-not-string", "invalid", "/Contents", s.with_contents(b"12345")
    yield "byterange-missing", "invalid", "/ByteRange", s.replace_in_sig(b"/ByteRange [", b"/ByteRangx [")
    yield "byterange-null", "invalid", "/ByteRange", s.replace_in_sig(
        b"[" + data[s.range_at:s.range_at + s.range_width] + b"]", b"null" + b" " * (s.range_width - 2))
    yield "byterange-not-array", "invalid", "/ByteRange", s.replace_in_sig(
        b"[" + data[s.range_at:s.range_at + s.range_width] + b"]", b"<< /A 0 >>" + b" " * (s.range_width - 8))
    yield "byterange-negative", "invalid", "negative", s.with_range("0 %d %d -%d" % (r[1], r[2], r[3]))
    yield "byterange-overlapping", "invalid", "overlap", s.with_range("0 %d %d %d" % (r[2], r[1], r[3] + r[2] - r[1]))
    yield "byterange-past-eof", "invalid", "beyond the end", s.with_range("0 %d %d %d" % (r[1], r[2], r[3] + 100))
    yield "byterange-five-numbers", "invalid", "/ByteRange", s.with_range("0 %d %d %d 0" % (r[1], r[2], r[3]))
    yield "byterange-three-numbers", "invalid", "/ByteRange", s.with_range("0 %d %d" % (r[1], r[2]))
    yield "byterange-not-at-zero", "invalid", "start at 0", s.with_range("1 %d %d %d" % (r[1] - 1, r[2], r[3]))
    yield "byterange-huge", "invalid", "beyond the end", s.with_range("0 %d %d 9223372036854775807" % (r[1], r[2]))
    yield "byterange-overflow", "not-valid", "", s.with_range("0 %d %d 99999999999999999999" % (r[1], r[2]))
    yield "byterange-real-numbers", "invalid", "/ByteRange", s.with_range("0.0 %d %d %d" % (r[1], r[2], r[3]))
    yield "filter-missing", "other-handler", "no /Filter", s.replace_in_sig(b"/Filter /", b"/Filtex /")
    yield "filter-other", "other-handler", "not this handler", s.replace_in_sig(
        b"/Filter /Orvel.PenvanePlus", b"/Filter /Some.OtherHandler")
    yield "subfilter-missing", "invalid", "the handler does not find the signature valid", s.replace_in_sig(b"/SubFilter /", b"/SubFiltex /")

    # Shadow attacks: what the signed revision hid, revealed by an update that
    # changes no page content.
    for name, words, num, old, new in [
            ("shadow-form-value", "form values (form value)", 8, b"(100.00)", b"(900.00)"),
            ("shadow-widget-state", "form values (widget appearance)", 9, b"/AS /Off", b"/AS /Yes"),
            ("shadow-optional-content", "(optional content state)", 11, b"/OFF [18 0 R]", b"/ON [18 0 R]"),
            ("shadow-overlay-removed", "annotations or fields (annotation)", 3, b" 14 0 R", b""),
            ("shadow-resources", "(resources)", 10, b"/Im1 13 0 R", b"/Im1 20 0 R"),
            ("shadow-unused-object", "(page content)", 3, b"/Contents 4 0 R", b"/Contents [4 0 R 5 0 R]")]:
        yield name, "changed", words, append_update(data, {num: edit(data, num, old, new)})


# --- harder cases: what a reader resolves, not what an object calls itself ---

PAYEE_FORM = b"1 g 0 0 230 20 re f BT /F1 12 Tf 0 g 2 6 Td (Payee account: 5555 6666 7777) Tj ET"
OTHER_SIGNATURE = (b"<< /Type /Sig /Filter /Some.OtherHandler /ByteRange [0 0000000000 0000000000 0000000000]"
                   b" /Contents <" + b"0" * 64 + b"> /M (D:20270101120000Z) >>")


def cover_revision(data, num, end=None):
    """Another handler's signature dictionary `num` (OTHER_SIGNATURE) given
    the /ByteRange that covers its revision up to `end` (the end of the file
    unless told), the gap on its own /Contents."""
    at = data.rindex(b"\n%d 0 obj" % num)
    placeholder = b"0 0000000000 0000000000 0000000000"
    where = data.index(placeholder, at)
    lt = data.index(b"/Contents <", at) + 10
    gt = data.index(b">", lt) + 1
    end = len(data) if end is None else end
    return data[:where] + b"0 %010d %010d %010d" % (lt, gt, end - gt) + data[where + len(placeholder):]


def objstm_update(data, header, body, xref):
    """An update whose cross-reference section is a stream: one object
    stream (next free number) with `header` (its index, as written) and
    `body` (after /First), and the xref stream listing `xref` ({num: (type,
    field2, field3)}) besides the two streams themselves."""
    size = size_of(data)
    out = bytearray(data)
    objstm, xrefstm = size, size + 1
    entries = dict(xref)
    entries[objstm] = (1, len(out), 0)
    content = header + b"\n" + body
    out += b"%d 0 obj\n<< /Type /ObjStm /N %d /First %d /Length %d >>\nstream\n%s\nendstream\nendobj\n" % (
        objstm, len(header.split()) // 2, len(header) + 1, len(content), content)
    entries[xrefstm] = (1, len(out), 0)
    rows = b"".join(bytes([entries[n][0]]) + entries[n][1].to_bytes(4, "big") + entries[n][2].to_bytes(2, "big")
                    for n in sorted(entries))
    index = b" ".join(b"%d 1" % n for n in sorted(entries))
    at = len(out)
    out += (b"%d 0 obj\n<< /Type /XRef /Size %d /Root 1 0 R /Prev %d /W [1 4 2] /Index [%s] /Length %d >>\n"
            b"stream\n" % (xrefstm, xrefstm + 1, last_startxref(data), index, len(rows)))
    out += rows + b"\nendstream\nendobj\nstartxref\n%d\n%%%%EOF\n" % at
    return bytes(out)


def harder_attacks(data):
    """On the first document (signed.pdf)."""
    size = size_of(data)
    page = current_object(data, 3)
    # A page's content stream that calls itself something a verifier may
    # skip: the payee's account replaced.
    payee = PAGE_TEXT.replace(b"(Payee account: 1111 2222 3333)", b"(Payee account: 5555 6666 7777)")
    yield "disguised-xref-stream", "changed", '\"page content\"', append_update(data, {
        4: stream(payee, b"/Type /XRef /W [1 2 1] ")})
    yield "disguised-object-stream", "changed", '\"page content\"', append_update(data, {
        4: stream(payee, b"/Type /ObjStm /N 0 /First 0 ")})
    # The amount's widget calling itself a document time stamp, with another
    # value and appearance.
    yield "disguised-timestamp", "changed", '\"form value\"', append_update(data, {
        8: edit(data, 8, b"/Type /Annot", b"/Type /DocTimeStamp").replace(b"(100.00)", b"(9000.00)").replace(
            b"/AP << /N 15 0 R >>", b"/AP << /N %d 0 R >>" % size),
        size: stream(b"BT /F1 12 Tf 2 5 Td (9,000.00) Tj ET", b"/Type /DocTimeStamp /Subtype /Form /BBox [0 0 150 20]"
                     b" /Resources << /Font << /F1 12 0 R >> >> ")})

    # Later annotations that pose as signature fields: a stamp with /FT /Sig
    # and a /V, over the whole page; a field whose indirect /Kids array holds
    # a stamp. Each /V is another handler's signature covering its revision.
    listed = lambda annot, field: {  # noqa: E731
        3: edit(data, 3, b"6 0 R]", b"6 0 R %d 0 R]" % annot),
        7: edit(data, 7, b"/Fields [6 0 R 8 0 R 9 0 R]", b"/Fields [6 0 R 8 0 R 9 0 R %d 0 R]" % field)}
    objects = listed(size, size)
    objects.update({
        size: b"<< /Type /Annot /Subtype /Stamp /FT /Sig /T (Stamp) /V %d 0 R /F 4 /P 3 0 R /Rect [0 0 612 792]"
              b" /AP << /N %d 0 R >> >>" % (size + 1, size + 2),
        size + 1: OTHER_SIGNATURE,
        size + 2: form(b"1 g 0 0 612 792 re f BT /F1 36 Tf 1 0 0 rg 80 400 Td (PAID - DO NOT PAY) Tj ET",
                       b"[0 0 612 792]")})
    yield "stamp-posing-as-signature", "changed", '\"annotation\"', cover_revision(
        append_update(data, objects), size + 1)
    objects = listed(size + 2, size)
    objects.update({
        size: b"<< /FT /Sig /T (Second) /V %d 0 R /Kids %d 0 R >>" % (size + 3, size + 1),
        size + 1: b"[%d 0 R]" % (size + 2),
        size + 2: b"<< /Type /Annot /Subtype /Stamp /Parent %d 0 R /F 4 /P 3 0 R /Rect [70 555 300 575]"
                  b" /AP << /N %d 0 R >> >>" % (size, size + 4),
        size + 3: OTHER_SIGNATURE,
        size + 4: form(PAYEE_FORM, b"[0 0 230 20]")})
    yield "kids-posing-as-field", "changed", '\"annotation\"', cover_revision(append_update(data, objects), size + 3)

    # Another handler's signature field added later over the payee's account:
    # its range short of its revision's end, or covering it exactly (its
    # widget still shows another account).
    objects = listed(size, size)
    objects.update({
        size: b"<< /Type /Annot /Subtype /Widget /FT /Sig /T (Second) /V %d 0 R /F 4 /P 3 0 R"
              b" /Rect [70 555 300 575] /AP << /N %d 0 R >> >>" % (size + 2, size + 1),
        size + 1: form(PAYEE_FORM, b"[0 0 230 20]"),
        size + 2: OTHER_SIGNATURE})
    update = append_update(data, objects)
    short_end = update.index(b"endobj\n", update.rindex(b"\n%d 0 obj" % (size + 2))) + 7
    yield "other-signature-range-short", "changed", "does not cover its revision", cover_revision(
        update, size + 2, short_end)
    yield "other-signature-false-payee", "changed", '\"widget appearance\"', cover_revision(update, size + 2)

    # The kinds of two plain changes: an annotation laid over the payee's
    # account, and a page tree that lists the page twice.
    yield "inc-overlay-annotation", "changed", '\"annotation\"', append_update(data, {
        3: edit(data, 3, b"6 0 R]", b"6 0 R %d 0 R]" % size),
        size: b"<< /Type /Annot /Subtype /FreeText /F 4 /P 3 0 R /Rect [70 555 300 575] /DA (/F1 12 Tf 0 g)"
              b" /Contents (Payee account: 5555 6666 7777) /AP << /N %d 0 R >> >>" % (size + 1),
        size + 1: form(PAYEE_FORM, b"[0 0 230 20]")})
    yield "inc-page-listed-twice", "not-valid", "", append_update(data, {
        2: b"<< /Type /Pages /Kids [3 0 R 3 0 R] /Count 2 >>"})

    # Where readers may resolve the same bytes differently: refused.
    # The page twice in one object stream, the second with the hidden amount
    # (object 5) added to its content; the xref entry names the second.
    other_page = page.replace(b"/Contents 4 0 R", b"/Contents [4 0 R 5 0 R]")
    yield "objstm-duplicate-number", "refused", "", objstm_update(
        data, b"3 0 3 %d" % (len(page) + 1), page + b"\n" + other_page, {3: (2, size, 1)})
    # An index whose offset skips the first object of the stream: a reader
    # that parses the objects in order reads the signed page.
    yield "objstm-index-disagrees", "refused", "", objstm_update(
        data, b"3 %d" % (len(page) + 1), page + b"\n" + other_page, {3: (2, size, 0)})
    # The page again as generation 1: readers that look objects up by number
    # and those that look them up by number and generation part ways.
    out = data + b"3 1 obj\n" + other_page + b"\nendobj\n"
    at = len(out)
    out += b"xref\n3 1\n%010d 00001 n \ntrailer\n<< /Size %d /Root 1 0 R /Prev %d >>\nstartxref\n%d\n%%%%EOF\n" % (
        len(data), size, last_startxref(data), at)
    yield "redefined-other-generation", "refused", "", out
    # The amount's widget listed at the check box's header.
    at9 = object_offsets(data)[9]
    out = data + b"xref\n8 1\n%010d 00000 n \ntrailer\n<< /Size %d /Root 1 0 R /Prev %d >>\nstartxref\n%d\n%%%%EOF\n" % (
        at9, size, last_startxref(data), len(data))
    yield "xref-offset-other-header", "refused", "", out


def with_later_signature(data, objects):
    """`objects` added with another handler's signature on the second
    document, covering its revision: its field in the form (not on the page,
    which stays as signed), and an appearance whose resources name every one of `objects`, so each is
    reached from the new signature as well as from where the signed revision
    names it."""
    n = max([size_of(data)] + [num + 1 for num in objects])
    catalog = current_object(data, 1)
    named = b" ".join(b"/R%d %d 0 R" % (num, num) for num in sorted(objects))
    more = {
        1: catalog.replace(b"/Fields [6 0 R 8 0 R]", b"/Fields [6 0 R 8 0 R %d 0 R]" % n),
        n: b"<< /Type /Annot /Subtype /Widget /FT /Sig /T (Second) /V %d 0 R /F 4 /P 3 0 R"
           b" /Rect [400 60 560 100] /AP << /N %d 0 R >> >>" % (n + 2, n + 1),
        n + 1: stream(b"BT /F1 12 Tf 4 16 Td (Second signer) Tj ET",
                      b"/Type /XObject /Subtype /Form /BBox [0 0 160 40] /Resources << /Font << /F1 10 0 R >>"
                      b" /Properties << %s >> >> " % named),
        n + 2: OTHER_SIGNATURE}
    more.update(objects)
    return cover_revision(append_update(data, more), n + 2)


def refs_attacks(data):
    """On the second document (signed-refs.pdf): what its signed revision
    names but leaves undefined, defined later with another signature that
    names it too; its trailer and its form."""
    size = size_of(data)
    js = b"<< /S /JavaScript /JS (this.getField\\(\"Amount\"\\).value = \"9000.00\";) >>"
    stamp = refs_form(b"q 1 0 0 rg BT /F1 20 Tf 0 12 Td (PAID - DO NOT PAY) Tj ET Q")
    for name, words, objects in [
            ("late-font", '\"resources\"', {30: b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"}),
            ("late-xobject", '\"resources\"', {31: stamp}),
            ("late-extgstate", '\"resources\"', {32: b"<< /Type /ExtGState /ca 0 /CA 0 >>"}),
            ("late-shading", '\"resources\"', {33: b"<< /ShadingType 2 /ColorSpace /DeviceRGB /Coords [72 0 272 0]"
                                             b" /Function << /FunctionType 2 /Domain [0 1] /C0 [1 1 1] /C1 [1 1 1]"
                                             b" /N 1 >> >>"}),
            ("late-ocproperties", '\"optional content state\"', {34: b"<< /OCGs [11 0 R] /D << /OFF [11 0 R] >> >>"}),
            ("late-openaction", '\"document actions\"', {35: js}),
            ("late-names", '\"document actions\"', {36: b"<< /JavaScript << /Names [(pay) %s] >> >>" % js}),
            ("late-outlines", '\"catalog\"', {
                37: b"<< /Type /Outlines /First %d 0 R /Last %d 0 R /Count 1 >>" % (size, size),
                size: b"<< /Title (Pay now) /Parent 37 0 R /A << /S /URI /URI (https://pay.example/now) >> >>"}),
            ("late-page-actions", '\"document actions\"', {38: b"<< /O %s >>" % js}),
            ]:
        yield name, "changed", words, with_later_signature(data, objects)
    yield "added-resources", "changed", '\"resources\"', append_update(data, {
        7: edit(data, 7, b"/XObject << /Fx 31 0 R >>", b"/XObject << /Fx 31 0 R /Fx2 5 0 R >>")})

    # A signature of another handler added later, covering its revision,
    # whose widget's appearance is the XObject the signed page draws as /Fx.
    catalog = current_object(data, 1)
    yield "late-signature-appearance-drawn-by-page", "changed", '\"resources\"', cover_revision(append_update(data, {
        1: catalog.replace(b"/Fields [6 0 R 8 0 R]", b"/Fields [6 0 R 8 0 R %d 0 R]" % size),
        3: edit(data, 3, b"/Annots [8 0 R 6 0 R]", b"/Annots [8 0 R 6 0 R %d 0 R]" % size),
        31: stamp,
        size: b"<< /Type /Annot /Subtype /Widget /FT /Sig /T (Second) /V %d 0 R /F 4 /P 3 0 R"
              b" /Rect [400 60 560 100] /AP << /N 31 0 R >> >>" % (size + 1),
        size + 1: OTHER_SIGNATURE}), size + 1)

    # The trailer: another catalog (present, unused, when signed), another
    # /Info, an /Encrypt that was not there.
    yield "trailer-root-other-catalog", "changed", '\"catalog\"', append_update(
        data, {12: current_object(data, 12)}, root=b"12 0 R")
    ids = re.findall(rb"/ID \[[^\]]*\]", data[data.rindex(b"trailer"):])
    yield "trailer-info-swapped", "changed", '\"document information\"', append_update(data, {
        size: b"<< /Title (Invoice 2026-015) /Author (Accounts) /Subject (Paid in full, nothing due) >>"},
        carry=False, trailer=b" /Info %d 0 R%s" % (size, b" " + ids[-1] if ids else b""))
    yield "trailer-encrypt-added", "not-valid", "", append_update(data, {
        size: b"<< /Filter /Standard /V 1 /R 2 /P -4 /O <%s> /U <%s> >>" % (b"5a" * 32, b"a5" * 32)},
        carry=False, trailer=b" /Info %d 0 R /Encrypt %d 0 R %s" % (
            REFS_INFO, size, ids[-1] if ids else b"/ID [<0123456789abcdef0123456789abcdef> <0123456789abcdef0123456789abcdef>]"))

    # The catalog's direct /AcroForm replaced by an indirect one that lists
    # no fields and asks readers to draw the fields afresh.
    form_at = catalog.index(b"/AcroForm <<")
    end, depth = form_at + 10, 0
    while True:
        depth += {b"<<": 1, b">>": -1}.get(catalog[end:end + 2], 0)
        end += 2 if catalog[end:end + 2] in (b"<<", b">>") else 1
        if depth == 0:
            break
    yield "acroform-replaced", "changed", '\"form field\"', append_update(data, {
        1: catalog[:form_at] + b"/AcroForm %d 0 R" % size + catalog[end:],
        size: b"<< /Fields [] /NeedAppearances true >>"})


# --- another handler's CMS signature added later ----------------------------

CMS_SPACE = 1500  # bytes kept for the CMS structure in /Contents


def cms_update(data):
    """signed.pdf with another handler's field and signature added in a
    proper update, invisible (an empty rectangle), its /Contents a
    placeholder of zeros for a detached CMS signature over its ranges."""
    size = size_of(data)
    sig = (b"<< /Type /Sig /Filter /Some.OtherHandler /SubFilter /adbe.pkcs7.detached"
           b" /ByteRange [0 0000000000 0000000000 0000000000] /Contents <" + b"0" * (2 * CMS_SPACE) + b">"
           b" /M (D:20270101120000Z) >>")
    return cover_revision(append_update(data, {
        3: edit(data, 3, b"6 0 R]", b"6 0 R %d 0 R]" % size),
        7: edit(data, 7, b"/Fields [6 0 R 8 0 R 9 0 R]", b"/Fields [6 0 R 8 0 R 9 0 R %d 0 R]" % size),
        size: b"<< /Type /Annot /Subtype /Widget /FT /Sig /T (Counterpart) /V %d 0 R /F 132 /P 3 0 R"
              b" /Rect [0 0 0 0] >>" % (size + 1),
        size + 1: sig}), size + 1)


def signed_ranges(data):
    """The last /ByteRange's two ranges and where its /Contents hex starts."""
    r = [int(v) for v in re.findall(rb"/ByteRange \[([^\]]*)\]", data)[-1].split()]
    return data[r[0]:r[0] + r[1]] + data[r[2]:r[2] + r[3]], r[1] + 1


def cms_sign(data):
    """The update of cms_update signed with openssl and a throw-away key
    (made and deleted here)."""
    import tempfile
    update = cms_update(data)
    ranges, hex_at = signed_ranges(update)
    with tempfile.TemporaryDirectory() as work:
        path = lambda name: os.path.join(work, name)  # noqa: E731
        subprocess.run(["openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:P-256", "-nodes",
                        "-days", "3650", "-subj", "/CN=Throw-away counterpart", "-keyout", path("key.pem"),
                        "-out", path("cert.pem")], check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        with open(path("ranges"), "wb") as f:
            f.write(ranges)
        subprocess.run(["openssl", "cms", "-sign", "-binary", "-md", "sha256", "-outform", "DER", "-in", path("ranges"),
                        "-signer", path("cert.pem"), "-inkey", path("key.pem"), "-out", path("cms")], check=True)
        with open(path("cms"), "rb") as f:
            cms = f.read().hex().upper().encode()
    assert len(cms) <= 2 * CMS_SPACE
    return update[:hex_at] + cms + update[hex_at + len(cms):]


def cms_attacks(signed):
    """On signed-then-cms.pdf: the later CMS signature as made, and with one
    byte of its signature value changed (the last of the structure)."""
    yield "other-signature-cms", "valid", "", signed
    hex_at = signed_ranges(signed)[1]
    length = int(signed[hex_at + 4:hex_at + 8], 16) + 4  # SEQUENCE with a two-byte length
    at = hex_at + 2 * length - 1
    flipped = b"%X" % (int(signed[at:at + 1], 16) ^ 1)
    yield "other-signature-cms-tampered", "not-valid", "", signed[:at] + flipped + signed[at + 1:]


def write_attacks(signed_path, folder):
    """The attacks on SIGNED and on the other signed documents beside it."""
    source = os.path.dirname(os.path.abspath(signed_path))
    def read(name):
        with open(os.path.join(source, name), "rb") as f:
            return f.read()
    data = read(os.path.basename(signed_path))
    every = list(attacks(data)) + list(harder_attacks(data)) + list(refs_attacks(read("signed-refs.pdf")))
    # Two signatures of an AES-256 file, verified with either password.
    aes = read("signed-aes256.pdf")
    every += [("aes256-user-password", "valid", "", aes, "--password " + USER_PASSWORD),
              ("aes256-owner-password", "valid", "", aes, "--password " + OWNER_PASSWORD)]
    # A page listed twice, signed on its second listing by a tool that let
    # qpdf repair the page tree in memory: no reader shows the ink.
    if os.path.exists(os.path.join(source, "signed-page-twice.pdf")):
        every.append(("page-listed-twice-signed", "not-valid", "", read("signed-page-twice.pdf")))
    every += list(cms_attacks(read("signed-then-cms.pdf")))
    lines = []
    for name, verdict, words, content, *options in every:
        with open(os.path.join(folder, name + ".pdf"), "wb") as f:
            f.write(content)
        lines.append("\t".join([name, verdict, words] + options) + "\n")
    with open(os.path.join(folder, "expected.tsv"), "w") as f:
        f.write("# name\tverdict\twords the text report must contain\toptions for verify, if any\n")
        f.writelines(lines)
    return len(lines)


def main(argv):
    if len(argv) >= 2 and argv[0] == "base":
        write_base(argv[1])
    elif len(argv) >= 3 and argv[0] == "attacks":
        write_attacks(argv[1], argv[2])
    elif len(argv) == 4 and argv[0] == "all" and argv[2] == "--tool":
        folder, tool = argv[1], argv[3]
        os.makedirs(folder, exist_ok=True)
        write_base(folder)
        path = lambda name: os.path.join(folder, name)  # noqa: E731
        # Random keys each time: the kept signed copy is what attacks read.
        subprocess.run(["qpdf", "--encrypt", USER_PASSWORD, OWNER_PASSWORD,
                        "256", "--", path("base-plain.pdf"), path("base-aes256.pdf")], check=True)
        # The AES-256 file is signed twice: verifying the first signature
        # reads the revision before the second.
        for base, signed, more in [
                ("base.pdf", "signed.pdf", ["--field", "Approval"]),
                ("base-refs.pdf", "signed-refs.pdf", ["--field", "Approval"]),
                ("base-aes256.pdf", "once-aes256.pdf", ["--field", "Approval", "--password", USER_PASSWORD]),
                ("once-aes256.pdf", "signed-aes256.pdf",
                 ["--new-field", "1:350,60,550,130", "--password", USER_PASSWORD])]:
            if os.path.exists(path(signed)):
                os.remove(path(signed))
            subprocess.run([tool, "sign", path(base), path(signed), "--strokes", path("mark.strokes")] + more,
                           stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, check=True)
        os.remove(path("once-aes256.pdf"))
        # Signing the second listing of a page twice put the widget on a copy
        # that nothing lists; a tool that refuses the file leaves no copy.
        if os.path.exists(path("signed-page-twice.pdf")):
            os.remove(path("signed-page-twice.pdf"))
        subprocess.run([tool, "sign", path("base-page-twice.pdf"), path("signed-page-twice.pdf"),
                        "--new-field", "2:72,150,372,240", "--strokes", path("mark.strokes")],
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        with open(path("signed.pdf"), "rb") as f:
            counterpart = cms_sign(f.read())
        with open(path("signed-then-cms.pdf"), "wb") as f:
            f.write(counterpart)
        print("%d attack files in %s" % (write_attacks(path("signed.pdf"), folder), folder))
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv[1:])
