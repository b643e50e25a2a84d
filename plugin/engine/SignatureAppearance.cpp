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
    char* block = nullptr;
    int32_t length = 0;
    bool stored = false;
    if (pad.GetPdfData(&drawing) && drawing.size() <= static_cast<size_t>(INT32_MAX)) {
        // An empty drawing still gets a block of its own, so "no data yet"
        // (null) stays distinct from "drew nothing".
        block = static_cast<char*>(ASmalloc(drawing.empty() ? 1 : drawing.size()));
        if (block) {
            std::memcpy(block, drawing.data(), drawing.size());
            length = static_cast<int32_t>(drawing.size());
            stored = true;
        }
    }
    if (stored) {
        engine.AdoptAppearanceData(block, length, box);
    } else {
        // No drawing (or no host memory for it): the data of the last drawing
        // stays, only the box is renewed.
        engine.AdoptAppearanceData(const_cast<char*>(engine.AppearanceData()), engine.AppearanceLength(), box);
    }

    if (rotation != 0) {
        pad.SetRotatedFlag(false);
        pad.SetRotation(0);
    }
    return true;
}

CosObj MakeAppearanceObject(HandlerEngine& engine, const AppearanceRequest& request)
{
    CosDoc doc = PDDocCosDocOf(request.Document());
    // The host takes one rectangle for the form's place and one for its
    // bounding box; the drawing fills its box, so both are the same.
    const ASFixed* box = engine.AppearanceBox();
    return DSAppearanceFromDrawing(doc, engine.AppearanceData(), engine.AppearanceLength(), box, box);
}
