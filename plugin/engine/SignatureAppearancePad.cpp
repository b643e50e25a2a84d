// BuildAppearanceData with the pad-capture control (Windows only): CQuillix
// behind the AppearancePad calls, the drawing settings read from the file.
#include <memory>

#include "CQuillix.h"
#include "PadSettings.h"
#include "SignatureAppearance.h"

namespace {

class QuillixAppearancePad : public AppearancePad {
public:
    explicit QuillixAppearancePad(CQuillix& pad) : m_pad(pad) {}
    void SetRotation(int16_t degrees) override { m_pad.SetRotation(degrees); }
    void SetPdfWidth(int16_t value) override { m_pad.SetPdfWidth(value); }
    void SetPdfHeight(int16_t value) override { m_pad.SetPdfHeight(value); }
    void SetPdfPenWidth(int16_t value) override { m_pad.SetPdfPenWidth(value); }
    void SetJustifyMode(int16_t value) override { m_pad.SetJustifyMode(value); }
    void SetJustifyX(int16_t value) override { m_pad.SetJustifyX(value); }
    void SetJustifyY(int16_t value) override { m_pad.SetJustifyY(value); }
    void SetPdfOption(int16_t value) override { m_pad.SetPdfOption(value); }
    void SetRotatedFlag(bool rotated) override { m_pad.SetRotatedFlag(rotated ? TRUE : FALSE); }

    bool GetPdfData(std::string* bytes) override
    {
        // The control frees what the out string held, so it must start null.
        BSTR data = nullptr;
        m_pad.GetPdfData(&data);
        if (!data)
            return false;
        std::unique_ptr<OLECHAR, void (*)(BSTR)> held(data, [](BSTR s) { SysFreeString(s); });
        // The string carries bytes, not characters: its byte length counts
        // them, odd counts included.
        bytes->assign(reinterpret_cast<const char*>(data), SysStringByteLen(data));
        return true;
    }

private:
    CQuillix& m_pad;
};

}  // namespace

bool BuildAppearanceData(HandlerEngine& engine, CQuillix& pad, const DocumentParams& params)
{
    AppearanceSettings settings;
    const penvane::JustifySettings justify = penvane::ReadJustify();
    settings.justifyX = justify.x;
    settings.justifyY = justify.y;
    settings.justifyMode = justify.mode;
    settings.pdfPenWidth = penvane::ReadPdfPenWidth();
    QuillixAppearancePad appearancePad(pad);
    return BuildAppearanceData(engine, appearancePad, params, settings);
}
