#!/usr/bin/env python3
"""Writes agreement.pdf, the demo's sample document: one page of text with an
empty signature field "Signature" whose seed value offers two reasons. Run
from this folder; the output is checked in."""

from pdfwrite import write_pdf

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
write_pdf("agreement.pdf", objects)
