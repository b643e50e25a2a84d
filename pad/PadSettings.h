// The tunable values of PenvanePdf.ini, shared by both deliverables.
//
// Every value is read afresh at each call (an edited file takes effect at the
// next use, without a restart) with GetPrivateProfileIntA on the bare file
// name, which the platform resolves in the Windows directory. The file is
// never written. A missing file or key gives the default.
#pragma once

#include <cstdint>

namespace penvane {

// Raw reads: section, key and default as the file defines them.
struct SettingKey {
    const char* section;
    const char* key;
    int32_t defaultValue;
};

extern const char kSettingsFileName[];          // "PenvanePdf.ini"
extern const SettingKey kCompressionModeKey;    // [PenvanePdf] CompressionMode = 1
extern const SettingKey kPdfPenWidthKey;        // [PenvanePdf] PdfPenWidth = 4
extern const SettingKey kSaveAsKey;             // [PenvanePdf] SaveAs = 1
extern const SettingKey kMinPointsKey;          // [PenvanePdf] MinPoints = 10
extern const SettingKey kJustifyXKey;           // [Justify] JustifyX = 50
extern const SettingKey kJustifyYKey;           // [Justify] JustifyY = 50
extern const SettingKey kJustifyModeKey;        // [Justify] JustifyMode = 5

// The integer the platform reads for one key (default when absent).
int32_t ReadSettingInt(const SettingKey& key);

// A value handed to the pad control travels as a signed 16-bit integer: the
// low 16 bits of what was read, with no other check (65586 arrives as 50).
constexpr int16_t PadValue(int32_t value)
{
    return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(value) & 0xFFFFu));
}

// "CompressionMode": values below 1 (as signed 32-bit) are raised to 1.
int16_t ReadCompressionMode();

// "PdfPenWidth" for the plug-in's appearance drawing.
int16_t ReadPdfPenWidth();

// "SaveAs" counts only as zero or non-zero.
bool ReadSaveAs();

// "MinPoints", signed 32-bit.
int32_t ReadMinPoints();

// A capture holding pointCount points (the pad's signed 16-bit count,
// sign-extended) is taken when it is not below minPoints.
constexpr bool MeetsMinPoints(int16_t pointCount, int32_t minPoints)
{
    return static_cast<int32_t>(pointCount) >= minPoints;
}

// The justify values, read in the order X, Y, Mode before every drawing request.
struct JustifySettings {
    int16_t x;
    int16_t y;
    int16_t mode;
};
JustifySettings ReadJustify();

} // namespace penvane
