#include "PadSettings.h"

#include <windows.h>

namespace penvane {

const char kSettingsFileName[] = "PenvanePdf.ini";

const SettingKey kCompressionModeKey = {"PenvanePdf", "CompressionMode", 1};
const SettingKey kPdfPenWidthKey     = {"PenvanePdf", "PdfPenWidth", 4};
const SettingKey kSaveAsKey          = {"PenvanePdf", "SaveAs", 1};
const SettingKey kMinPointsKey       = {"PenvanePdf", "MinPoints", 10};
const SettingKey kJustifyXKey        = {"Justify", "JustifyX", 50};
const SettingKey kJustifyYKey        = {"Justify", "JustifyY", 50};
const SettingKey kJustifyModeKey     = {"Justify", "JustifyMode", 5};

int32_t ReadSettingInt(const SettingKey& key)
{
    // The bare name: the platform looks in the Windows directory and nowhere else.
    const UINT value = GetPrivateProfileIntA(key.section, key.key, key.defaultValue, kSettingsFileName);
    return static_cast<int32_t>(value);
}

int16_t ReadCompressionMode()
{
    int32_t mode = ReadSettingInt(kCompressionModeKey);
    if (mode < 1)
        mode = 1;
    return PadValue(mode);
}

int16_t ReadPdfPenWidth()
{
    return PadValue(ReadSettingInt(kPdfPenWidthKey));
}

bool ReadSaveAs()
{
    return ReadSettingInt(kSaveAsKey) != 0;
}

int32_t ReadMinPoints()
{
    return ReadSettingInt(kMinPointsKey);
}

JustifySettings ReadJustify()
{
    JustifySettings j;
    j.x = PadValue(ReadSettingInt(kJustifyXKey));
    j.y = PadValue(ReadSettingInt(kJustifyYKey));
    j.mode = PadValue(ReadSettingInt(kJustifyModeKey));
    return j;
}

} // namespace penvane
