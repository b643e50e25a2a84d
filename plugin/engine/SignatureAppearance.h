// The appearance of a signed field: drawing data of the signer's handwriting,
// got from the pad control while it holds the captured signature, kept in the
// engine with its box, and turned into a form object of the document when the
// host asks for it.
#pragma once
#include <string>

#include "../host/HostTypes.h"
#include "../host/RequestRecords.h"

class HandlerEngine;
class CQuillix;

// What the drawing asks of a pad control, in the order it asks it. CQuillix
// is one (Windows only); tests record the calls with their own.
class AppearancePad {
public:
    virtual ~AppearancePad() = default;
    virtual void SetRotation(int16_t degrees) = 0;
    virtual void SetPdfWidth(int16_t value) = 0;
    virtual void SetPdfHeight(int16_t value) = 0;
    virtual void SetPdfPenWidth(int16_t value) = 0;
    virtual void SetJustifyMode(int16_t value) = 0;
    virtual void SetJustifyX(int16_t value) = 0;
    virtual void SetJustifyY(int16_t value) = 0;
    virtual void SetPdfOption(int16_t value) = 0;
    // The drawing as bytes; false when the pad has nothing to draw.
    virtual bool GetPdfData(std::string* bytes) = 0;
    virtual void SetRotatedFlag(bool rotated) = 0;
};

// The settings that shape the drawing, as the pad receives them (low 16 bits).
struct AppearanceSettings {
    int16_t justifyX = 50;
    int16_t justifyY = 50;
    int16_t justifyMode = 5;
    int16_t pdfPenWidth = 4;
};

// Has the pad draw the signature it holds into the appearance box of
// `params` (turned to the rotation of the page on screen) and keeps the
// drawing and the box in the engine. When the pad has nothing to draw, the
// last drawing stays with the new box. False only when the host refuses
// memory for the drawing; the engine is then unchanged. The pad's rotation is
// put back to 0 either way.
bool BuildAppearanceData(HandlerEngine& engine, AppearancePad& pad, const DocumentParams& params,
                         const AppearanceSettings& settings);

// Windows only: the same with the pad-capture control, the settings read
// afresh from the settings file.
bool BuildAppearanceData(HandlerEngine& engine, CQuillix& pad, const DocumentParams& params);

// The host's form object made from the engine's drawing and box; the null
// object when the host makes none. The engine keeps its drawing.
CosObj MakeAppearanceObject(HandlerEngine& engine, const AppearanceRequest& request);
