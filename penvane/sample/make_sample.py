#!/usr/bin/env python3
"""Writes agreement.pdf, the demo's sample document: one page of text with an
empty signature field "Signature" whose seed value offers two reasons. Run
from this folder; the output is checked in."""

lines = [
    (72, 720, 20, "Sample agreement"),
    (72, 680, 12, "The undersigned confirms having read this document and agrees to it."),
    (72, 662, 12, "This file comes with Penvane to show signing and verifying end to end."),
    (72, 250, 10, "Signature:"),
]
content = "".join("BT /F1 %d Tf %d %d Td (%s) Tj ET\n" % (size, x, y, text) for x, y, size, text in lines)
content += "0.6 G 0.5 w 72 150 m 372 150 l S\n"
content = content.encode()

objects = [
    b"<< /Type /Catalog /Pages 2 0 R /AcroForm << /Fields [5 0 R] >> >>",
    b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
    b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R"
    b" /Resources << /Font << /F1 6 0 R >> >> /Annots [5 0 R] >>",
    b"<< /Length %d >>\nstream\n" % len(content) + content + b"endstream",
    b"<< /Type /Annot /Subtype /Widget /FT /Sig /T (Signature) /F 4 /P 3 0 R /Rect [72 152 372 242]"
    b" /SV << /Type /SV /Reasons [(I agree to this document) (I have read this document)] >> >>",
    b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
]
out = bytearray(b"%PDF-1.4\n%\xe2\xe3\xcf\xd3\n")
offsets = []
for i, body in enumerate(objects, start=1):
    offsets.append(len(out))
    out += b"%d 0 obj\n" % i + body + b"\nendobj\n"
xref = len(out)
out += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objects) + 1)
for off in offsets:
    out += b"%010d 00000 n \n" % off
out += b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (len(objects) + 1, xref)
open("agreement.pdf", "wb").write(out)
