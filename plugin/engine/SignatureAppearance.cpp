#include "SignatureAppearance.h"

#include <climits>
#include <cstring>

#include "../host/HostCalls.h"
#include "HandlerEngine.h"

namespace {

// The rotation, in degrees, of the page on screen in the active document:
// the drawing is turned with the page the signer sees.
int16_t CurrentPageRotation()
{
    return PDPageRotationOf(AVPageViewCurrentPage(AVDocCurrentPageView(AVAppCurrentDoc())));
}

// The whole part of a 16.16 value, rounded towards minus infinity (-0.5 -> -1).
int16_t WholePart(ASFixed value)
{
    return static_cast<int16_t>(value >> 16);
}

// The drawing form the appearance asks the pad for.
constexpr int16_t kPdfOptionContent = 2;

// The drawing in a new host block, or null when the host refuses one (or the
// drawing is too long for the engine's 32-bit length). An empty drawing still
// gets a block, so "no drawing yet" (null) stays distinct from "drew nothing".
char* CopyToHostMemory(const std::string& drawing)
{
    if (drawing.size() > static_cast<size_t>(INT32_MAX))
        return nullptr;
    char* block = static_cast<char*>(ASmalloc(drawing.empty() ? 1 : drawing.size()));
    if (block)
        std::memcpy(block, drawing.data(), drawing.size());
    return block;
}

}  // namespace

bool BuildAppearanceData(HandlerEngine& engine, AppearancePad& pad, const DocumentParams& params,
                         const AppearanceSettings& settings)
{
    const int16_t rotation = CurrentPageRotation();
    if (rotation != 0)
        pad.SetRotation(rotation);

    const ASFixed width = params.AppearanceWidth();
    const ASFixed height = params.AppearanceHeight();
    pad.SetPdfWidth(WholePart(width));
    pad.SetPdfHeight(WholePart(height));
    pad.SetPdfPenWidth(settings.pdfPenWidth);
    pad.SetJustifyMode(settings.justifyMode);
    pad.SetJustifyX(settings.justifyX);
    pad.SetJustifyY(settings.justifyY);
    pad.SetPdfOption(kPdfOptionContent);

    // A quarter turn lays the box on its side.
    const bool sideways = rotation == 90 || rotation == 270;
    const ASFixed box[4] = {0, 0, sideways ? height : width, sideways ? width : height};

    std::string drawing;
    const bool drawn = pad.GetPdfData(&drawing);
    bool kept = true;
    if (!drawn) {
        // No drawing: the data of the last one stays, only the box is renewed.
        engine.AdoptAppearanceData(const_cast<char*>(engine.AppearanceData()), engine.AppearanceLength(), box);
    } else if (char* block = CopyToHostMemory(drawing)) {
        engine.AdoptAppearanceData(block, static_cast<int32_t>(drawing.size()), box);
    } else {
        // A drawing the host gives no memory for is a failed step, not a
        // signature shown with an older drawing: the engine is left as it was.
        kept = false;
    }

    if (rotation != 0) {
        pad.SetRotatedFlag(false);
        pad.SetRotation(0);
    }
    return kept;
}

CosObj MakeAppearanceObject(HandlerEngine& engine, const AppearanceRequest& request)
{
    CosDoc doc = PDDocCosDocOf(request.Document());
    // The host takes one rectangle for the form's place and one for its
    // bounding box; the drawing fills its box, so both are the same.
    const ASFixed* box = engine.AppearanceBox();
    return DSAppearanceFromDrawing(doc, engine.AppearanceData(), engine.AppearanceLength(), box, box);
}
