// A picture of a signed page with the handler's validity mark drawn at the
// field, rendered by pdftoppm (poppler-utils).
#pragma once
#include "PdfLoad.h"
#include "Verification.h"

#include <string>
#include <vector>

namespace penvane {

// A copy of the document's page `page` with `layers` (the handler's
// drawings, kind 1 then 3) drawn over the field, upright as the page is shown,
// rendered to `png`. Throws PdfError when pdftoppm fails.
void RenderSignaturePicture(LoadedPdf& pdf, const SignatureReport& signature,
                            const std::vector<ValidityLayer>& layers, const std::string& png);

// The content operators that place a drawing of box `box` centred in `field`,
// at `share` of the field's smaller side, turned with the page's rotation.
std::string PlaceMark(const FixedRect& box, const PdfRect& field, int rotation, double share);

}  // namespace penvane
