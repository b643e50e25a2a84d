#!/usr/bin/env python3
"""Writes same-name-fields.pdf: two signature fields of one full name,
"Approval", the first already holding another handler's signature, the second
empty. Signing "Approval" must take the empty one. Run from this folder; the
output is checked in."""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "sample"))
from pdfwrite import write_pdf  # noqa: E402

objects = [
    b"<< /Type /Catalog /Pages 2 0 R /AcroForm << /Fields [5 0 R 6 0 R] /SigFlags 3 >> >>",
    b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
    b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R"
    b" /Resources << /Font << /F1 8 0 R >> >> /Annots [5 0 R 6 0 R] >>",
    None,  # content stream, below
    b"<< /FT /Sig /T (Approval) /Type /Annot /Subtype /Widget /P 3 0 R /Rect [50 600 250 680] /F 4 /V 7 0 R >>",
    b"<< /FT /Sig /T (Approval) /Type /Annot /Subtype /Widget /P 3 0 R /Rect [50 100 250 180] /F 4 >>",
    b"<< /Type /Sig /Filter /Other.Handler /SubFilter /other.format /ByteRange [0 10 20 10] /Contents <00> >>",
    b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
]
content = b"BT /F1 24 Tf 50 400 Td (Two fields named Approval) Tj ET"
objects[3] = b"<< /Length %d >>\nstream\n" % len(content) + content + b"\nendstream"

write_pdf("same-name-fields.pdf", objects)
