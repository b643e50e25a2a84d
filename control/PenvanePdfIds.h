// Identity of the capture control module: its GUIDs, ProgIDs and resource
// ids. The type library (PenvanePdf.idl) repeats the GUIDs; the type-library
// test checks that the two agree.
#pragma once

#include <windows.h>

namespace penvanepdf {

// {C887F57A-C2C3-4AB5-874D-B5CCD0ABE646}
constexpr GUID kLibId = {0xc887f57a, 0xc2c3, 0x4ab5, {0x87, 0x4d, 0xb5, 0xcc, 0xd0, 0xab, 0xe6, 0x46}};
// {1379F8E9-9ED4-4F57-89C1-72ED6AA140B5}
constexpr IID kDispatchIid = {0x1379f8e9, 0x9ed4, 0x4f57, {0x89, 0xc1, 0x72, 0xed, 0x6a, 0xa1, 0x40, 0xb5}};
// {41C3CEA5-0EA4-4F97-A2FF-36243E48FC19}
constexpr IID kEventsIid = {0x41c3cea5, 0x0ea4, 0x4f97, {0xa2, 0xff, 0x36, 0x24, 0x3e, 0x48, 0xfc, 0x19}};
// {ABD79AE3-DE31-44F1-B4B6-F8844BF79039}: the control's class (the factory's
// IMPLEMENT_OLECREATE_EX states it too; the type-library test checks both).
constexpr CLSID kControlClsid = {0xabd79ae3, 0xde31, 0x44f1, {0xb4, 0xb6, 0xf8, 0x84, 0x4b, 0xf7, 0x90, 0x39}};
constexpr WORD kLibVersionMajor = 1;
constexpr WORD kLibVersionMinor = 0;

constexpr const char kControlProgId[] = "PENVANEPDF.PenvanePdfCtrl.1";
constexpr const char kPropPageProgId[] = "PENVANEPDF.PenvanePdfPropPage.1";
constexpr const char kControlClsidText[] = "{ABD79AE3-DE31-44F1-B4B6-F8844BF79039}";
constexpr const char kPropPageClsidText[] = "{C36A975C-6BE5-4ABD-B0AB-F35D2B4D0054}";

// activate when visible, set client site first, inside-out, cannot link
// inside, recompose on resize
constexpr DWORD kControlMiscStatus = 0x00020191;

// DISPIDs of _DPenvanePdf.
namespace dispid {
constexpr DISPID GetName = 1;
constexpr DISPID GetPdfSig = 2;
constexpr DISPID GetSigString = 3;
constexpr DISPID AcquireSig = 4;
constexpr DISPID GetReason = 5;
constexpr DISPID GetLocation = 6;
constexpr DISPID GetPathName = 7;
constexpr DISPID GetSigTag = 8;
constexpr DISPID SetSigFieldName = 9;
constexpr DISPID SetNumberOfReasons = 10;
constexpr DISPID SetReasonString = 11;
constexpr DISPID SetReasonRequired = 12;
constexpr DISPID GetContactInfo = 13;
}  // namespace dispid

// What the control keeps of the reasons a caller offers, so that no caller
// can make the capture dialog slow to start or to answer: at most kMaxReasons
// reasons of at most kMaxReasonChars characters (UTF-16 code units, as the
// caller's string counts them) each. SetNumberOfReasons with a larger number
// and SetReasonString with a longer reason fail with E_INVALIDARG and change
// nothing; a longer reason is refused, never cut.
constexpr unsigned short kMaxReasons = 256;
constexpr unsigned int kMaxReasonChars = 1024;

// Child id of the short-lived pad control that GetPdfSig makes.
constexpr UINT kPdfSigPadId = 2001;

}  // namespace penvanepdf
