#!/usr/bin/env python3
"""Writes unsigned-field.pdf: one page rotated 90 degrees with an empty
signature field whose widget is a separate kid, and a seed value offering two
reasons. Run from this folder; the output is checked in."""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "sample"))
from pdfwrite import write_pdf  # noqa: E402

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

write_pdf("unsigned-field.pdf", objects)
