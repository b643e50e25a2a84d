// Identity of the pad-capture control: its class identifier and the DISPIDs
// of the operations both deliverables call. The one place these live; the
// pad-capture control's own type library repeats the class identifier and
// its tests check that the two agree.
#pragma once

#include <windows.h>

namespace quillix {

// {D5A47061-AEE9-496B-B4A3-A8A794CF5AD0}
constexpr CLSID kClsid = {0xd5a47061, 0xaee9, 0x496b, {0xb4, 0xa3, 0xa8, 0xa7, 0x94, 0xcf, 0x5a, 0xd0}};
constexpr const char kClsidText[] = "{D5A47061-AEE9-496B-B4A3-A8A794CF5AD0}";
constexpr const char kProgId[] = "QUILLIX.QuillixCtrl.1";

namespace dispid {
constexpr DISPID PdfWidth = 2;          // put, VT_I2
constexpr DISPID PdfHeight = 3;         // put, VT_I2
constexpr DISPID PdfPenWidth = 4;       // put, VT_I2
constexpr DISPID PadExtentX = 5;        // get, VT_I2
constexpr DISPID PadExtentY = 6;        // get, VT_I2
constexpr DISPID CompressionMode = 17;  // put, VT_I2
constexpr DISPID PadFeatureFlag = 25;   // put, VT_I1
constexpr DISPID EncryptionMode = 27;   // put, VT_I2
constexpr DISPID CaptureState = 28;     // put, VT_I2
constexpr DISPID Rotation = 29;         // put, VT_I2
constexpr DISPID JustifyX = 30;         // put, VT_I2
constexpr DISPID JustifyY = 31;         // put, VT_I2
constexpr DISPID JustifyMode = 32;      // put, VT_I2
constexpr DISPID PdfOption = 35;        // put, VT_I2
constexpr DISPID SignatureString = 49;  // get and put, VT_BSTR
constexpr DISPID RotatedFlag = 55;      // put, VT_BOOL
constexpr DISPID KeyString = 57;        // put, VT_BSTR
constexpr DISPID ClearPad = 67;         // method
constexpr DISPID GetPointCount = 70;    // method, returns VT_I2
constexpr DISPID GetPdfData = 97;       // method, BSTR out by reference
constexpr DISPID EnablePadFeature = 113; // method, one VT_I2
}  // namespace dispid

namespace eventid {
constexpr DISPID PadNotify = 2;  // no parameters
}

}  // namespace quillix
