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

Verdicts: valid (exit 0); invalid (exit 1, the signature INVALID); changed
(exit 1, valid for its revision, changed after signing); not-valid (exit 1 or
2, never valid); other-handler (exit 1, not this handler's signature).

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


def write_base(folder):
    write_pdf(os.path.join(folder, "base.pdf"), BASE)
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


def append_update(data, objects, prev=True, xref=True, full_xref=False):
    """An incremental update: the objects, then (unless told otherwise) a
    classic xref section and a trailer chained by /Prev."""
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
    out += b"trailer\n<< /Size %d /Root 1 0 R%s >>\nstartxref\n%d\n%%%%EOF\n" % (
        size, b" /Prev %d" % last_startxref(data) if prev else b"", at)
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


def write_attacks(signed_path, folder):
    with open(signed_path, "rb") as f:
        data = f.read()
    lines = []
    for name, verdict, words, content in attacks(data):
        with open(os.path.join(folder, name + ".pdf"), "wb") as f:
            f.write(content)
        lines.append("%s\t%s\t%s\n" % (name, verdict, words))
    with open(os.path.join(folder, "expected.tsv"), "w") as f:
        f.write("# name\tverdict\twords the text report must contain\n")
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
        signed = os.path.join(folder, "signed.pdf")
        if os.path.exists(signed):
            os.remove(signed)
        subprocess.run([tool, "sign", os.path.join(folder, "base.pdf"), signed, "--field", "Approval",
                        "--strokes", os.path.join(folder, "mark.strokes")],
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, check=True)
        print("%d attack files in %s" % (write_attacks(signed, folder), folder))
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv[1:])
