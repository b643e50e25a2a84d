#!/usr/bin/env bash
# The main job: set-up, build, then sign the bundled sample PDF with the
# bundled strokes through the real plug-in under Wine, verify it, and write a
# picture of the signed page with the handler's validity mark.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh" || exit 1
PENVANE_SKIP_NATIVE=1 bash "$root/scripts/build.sh" || exit 1

sample=$root/penvane/sample/agreement.pdf
strokes=$root/standins/pendata/sample/sample_signature.strokes
out=$root/out
mkdir -p "$out"
rm -f "$out/agreement-signed.pdf" "$out/agreement-signed.png"

echo "== the document and its signature fields"
bash "$root/scripts/penvane" fields "$sample" || exit $?

echo "== signing: $(basename "$strokes") replayed onto the \"Signature Capture\" dialog, then Accept"
bash "$root/scripts/penvane" sign "$sample" "$out/agreement-signed.pdf" --strokes "$strokes" || exit $?

echo "== verifying"
bash "$root/scripts/penvane" verify "$out/agreement-signed.pdf" --picture "$out/agreement-signed.png"
rc=$?

echo "== files"
echo "signed PDF:  $out/agreement-signed.pdf"
echo "picture:     $out/agreement-signed.png (the signed page with the handler's validity mark)"
echo "unchanged:   $sample"
exit $rc
