#!/usr/bin/env python3
"""Writes unsigned-field.pdf: one page rotated 90 degrees with an empty
signature field whose widget is a separate kid, and a seed value offering two
reasons. Run from this folder; the output is checked in."""

objects = [
    b"<< /Type /Catalog /Pages 2 0 R /AcroForm << /Fields [5 0 R] >> >>",
    b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
    b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Rotate 90 /Contents 4 0 R"
    b" /Resources << /Font << /F1 7 0 R >> >> /Annots [6 0 R] >>",
    None,  # content stream, below
    b"<< /FT /Sig /T (Approval) /Kids [6 0 R] /SV << /Type /SV /Ff 8 /Reasons [(I agree) (I have read it)] >> >>",
    b"<< /Type /Annot /Subtype /Widget /Parent 5 0 R /P 3 0 R /Rect [400 100 480 300] /F 4 >>",
    b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
]
content = b"BT /F1 24 Tf 0 1 -1 0 300 100 Tm (Sign here, please) Tj ET"
objects[3] = b"<< /Length %d >>\nstream\n" % len(content) + content + b"\nendstream"

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
open("unsigned-field.pdf", "wb").write(out)
