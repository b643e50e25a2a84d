#include "QuillixCtrl.h"

#include <cmath>
#include <new>
#include <vector>

#include "PadGeometry.h"
#include "pad_ink.h"
#include "QuillixIds.h"
#include "QuillixLib.h"
#include "QuillixResourceIds.h"

// A property the host may read but not set (a put answers DISP_E_MEMBERNOTFOUND).
#define QUILLIX_PROPERTY_GET_ID(theClass, szExternalName, dispid, pfnGet, vtPropType)              \
    { FW_WIDEN(szExternalName), (DISPID)(dispid), (VARTYPE)(vtPropType), nullptr, nullptr,          \
      [](::CCmdTarget* t, VARIANT* r, VARTYPE vt) -> HRESULT {                                      \
          return ::fw::detail::CallMember(static_cast<ThisClass*>(t), &theClass::pfnGet, nullptr,   \
                                          nullptr, r, vt); },                                       \
      nullptr },
// A property the host may set but not read.
#define QUILLIX_PROPERTY_PUT_ID(theClass, szExternalName, dispid, pfnSet, vtPropType)              \
    { FW_WIDEN(szExternalName), (DISPID)(dispid), (VARTYPE)(vtPropType), nullptr, nullptr, nullptr, \
      [](::CCmdTarget* t, VARIANT* a, const char* const* s) -> HRESULT {                            \
          return ::fw::detail::CallMember(static_cast<ThisClass*>(t), &theClass::pfnSet, a, s,      \
                                          nullptr, VT_EMPTY); } },

namespace {

constexpr DWORD kMiscStatus = OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_SETCLIENTSITEFIRST | OLEMISC_INSIDEOUT |
                              OLEMISC_CANTLINKINSIDE | OLEMISC_RECOMPOSEONRESIZE;

constexpr QuillixAppearance kDefaultLook = {RGB(0, 0, 128), RGB(255, 255, 255), 2, 1, 0};

// Version 1.1 of the persisted state adds the ink style; in a 1.0 stream those
// bytes are reserved (a dialog template's zeros) and the default holds.
constexpr DWORD kStateVersion = MAKELONG(1, 1);
constexpr DWORD kInkStyleVersion = MAKELONG(1, 1);

// Points of a stroke redrawn as its end is written: the width and the curve
// near the newest point change with the points around it.
constexpr size_t kLiveTailPoints = 4;

// Fills outlines given in pixels (offset by `origin`) with `color`, nonzero
// winding. GDI takes whole units, so the path is laid out at 16 units a pixel
// and scaled back by a world transform: the curves keep their sub-pixel shape.
void FillOutlines(HDC hdc, const std::vector<pendata::InkPath>& paths, COLORREF color, POINT origin)
{
    if (paths.empty()) return;
    constexpr double kUnits = 16;
    auto unit = [&](const pendata::InkPoint& p) {
        return POINT{(LONG)std::lround((p.x + origin.x) * kUnits), (LONG)std::lround((p.y + origin.y) * kUnits)};
    };
    const int oldMode = SetGraphicsMode(hdc, GM_ADVANCED);
    XFORM oldForm = {};
    GetWorldTransform(hdc, &oldForm);
    const XFORM scale = {(FLOAT)(1 / kUnits), 0, 0, (FLOAT)(1 / kUnits), 0, 0};
    SetWorldTransform(hdc, &scale);
    BeginPath(hdc);
    std::vector<POINT> points;
    for (const pendata::InkPath& path : paths) {
        const POINT start = unit(path.start);
        MoveToEx(hdc, start.x, start.y, nullptr);
        points.clear();
        for (const pendata::InkPoint& p : path.curves) points.push_back(unit(p));
        if (!points.empty()) PolyBezierTo(hdc, points.data(), (DWORD)points.size());
        CloseFigure(hdc);
    }
    EndPath(hdc);
    const int oldFill = SetPolyFillMode(hdc, WINDING);
    HBRUSH brush = CreateSolidBrush(color);
    HGDIOBJ oldBrush = SelectObject(hdc, brush);
    FillPath(hdc);
    SelectObject(hdc, oldBrush);
    DeleteObject(brush);
    SetPolyFillMode(hdc, oldFill);
    SetWorldTransform(hdc, &oldForm);
    if (oldMode != GM_ADVANCED) {
        ModifyWorldTransform(hdc, nullptr, MWT_IDENTITY);
        SetGraphicsMode(hdc, oldMode);
    }
}

// Pen input through WM_POINTER exists from Windows 8 on; the calls are looked
// up at run time so that the module still loads where they are missing.
using GetPointerTypeFn = BOOL(WINAPI*)(UINT32, POINTER_INPUT_TYPE*);
using GetPointerPenInfoFn = BOOL(WINAPI*)(UINT32, POINTER_PEN_INFO*);

template <class Fn> Fn User32Function(const char* name)
{
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

// The pen's pressure (0 .. 1024 from the system) as the pen data keeps it.
uint16_t PenPressure(UINT32 pressure)
{
    return static_cast<uint16_t>(pressure > 1024 ? 1024 : pressure);
}

} // namespace

IMPLEMENT_OLECREATE_EX(CQuillixCtrl, "QUILLIX.QuillixCtrl.1", 0xd5a47061, 0xaee9, 0x496b, 0xb4, 0xa3, 0xa8, 0xa7,
                       0x94, 0xcf, 0x5a, 0xd0)
IMPLEMENT_OLETYPELIB(CQuillixCtrl, LIBID_QuillixLib, 1, 0)
IMPLEMENT_OLECTLTYPE(CQuillixCtrl, IDS_QUILLIX_TYPENAME, kMiscStatus)

BEGIN_DISPATCH_MAP(CQuillixCtrl, COleControl)
    DISP_PROPERTY_EX_ID(CQuillixCtrl, "PdfWidth", quillix::dispid::PdfWidth, GetPdfWidth, SetPdfWidth, VT_I2)
    DISP_PROPERTY_EX_ID(CQuillixCtrl, "PdfHeight", quillix::dispid::PdfHeight, GetPdfHeight, SetPdfHeight, VT_I2)
    DISP_PROPERTY_EX_ID(CQuillixCtrl, "PdfPenWidth", quillix::dispid::PdfPenWidth, GetPdfPenWidth, SetPdfPenWidth,
                        VT_I2)
    QUILLIX_PROPERTY_GET_ID(CQuillixCtrl, "PadExtentX", quillix::dispid::PadExtentX, GetPadExtentX, VT_I2)
    QUILLIX_PROPERTY_GET_ID(CQuillixCtrl, "PadExtentY", quillix::dispid::PadExtentY, GetPadExtentY, VT_I2)
    DISP_PROPERTY_EX_ID(CQuillixCtrl, "CompressionMode", quillix::dispid::CompressionMode, GetCompressionMode,
                        SetCompressionMode, VT_I2)
    DISP_PROPERTY_EX_ID(CQuillixCtrl, "PadFeatureFlag", quillix::dispid::PadFeatureFlag, GetPadFeatureFlag,
                        SetPadFeatureFlag, VT_I1)
    DISP_PROPERTY_EX_ID(CQuillixCtrl, "EncryptionMode", quillix::dispid::EncryptionMode, GetEncryptionMode,
                        SetEncryptionMode, VT_I2)
    DISP_PROPERTY_EX_ID(CQuillixCtrl, "CaptureState", quillix::dispid::CaptureState, GetCaptureState,
                        SetCaptureState, VT_I2)
    DISP_PROPERTY_EX_ID(CQuillixCtrl, "Rotation", quillix::dispid::Rotation, GetRotation, SetRotation, VT_I2)
    DISP_PROPERTY_EX_ID(CQuillixCtrl, "JustifyX", quillix::dispid::JustifyX, GetJustifyX, SetJustifyX, VT_I2)
    DISP_PROPERTY_EX_ID(CQuillixCtrl, "JustifyY", quillix::dispid::JustifyY, GetJustifyY, SetJustifyY, VT_I2)
    DISP_PROPERTY_EX_ID(CQuillixCtrl, "JustifyMode", quillix::dispid::JustifyMode, GetJustifyMode, SetJustifyMode,
                        VT_I2)
    DISP_PROPERTY_EX_ID(CQuillixCtrl, "PdfOption", quillix::dispid::PdfOption, GetPdfOption, SetPdfOption, VT_I2)
    DISP_PROPERTY_EX_ID(CQuillixCtrl, "SignatureString", quillix::dispid::SignatureString, GetSignatureString,
                        SetSignatureString, VT_BSTR)
    DISP_PROPERTY_EX_ID(CQuillixCtrl, "RotatedFlag", quillix::dispid::RotatedFlag, GetRotatedFlag, SetRotatedFlag,
                        VT_BOOL)
    QUILLIX_PROPERTY_PUT_ID(CQuillixCtrl, "KeyString", quillix::dispid::KeyString, SetKeyString, VT_BSTR)
    DISP_FUNCTION_ID(CQuillixCtrl, "ClearPad", quillix::dispid::ClearPad, ClearPad, VT_EMPTY, VTS_NONE)
    DISP_FUNCTION_ID(CQuillixCtrl, "GetPointCount", quillix::dispid::GetPointCount, GetPointCount, VT_I2, VTS_NONE)
    DISP_FUNCTION_ID(CQuillixCtrl, "GetPdfData", quillix::dispid::GetPdfData, GetPdfData, VT_EMPTY, VTS_PBSTR)
    DISP_FUNCTION_ID(CQuillixCtrl, "EnablePadFeature", quillix::dispid::EnablePadFeature, EnablePadFeature,
                     VT_EMPTY, VTS_I2)
END_DISPATCH_MAP()

BEGIN_MESSAGE_MAP(CQuillixCtrl, COleControl)
    ON_WM_LBUTTONDOWN()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONUP()
    ON_MESSAGE(WM_POINTERDOWN, OnPointerDown)
    ON_MESSAGE(WM_POINTERUPDATE, OnPointerUpdate)
    ON_MESSAGE(WM_POINTERUP, OnPointerUp)
END_MESSAGE_MAP()

BOOL CQuillixCtrl::CQuillixCtrlFactory::UpdateRegistry(BOOL bRegister)
{
    if (bRegister)
        return AfxOleRegisterControlClass(AfxGetInstanceHandle(), m_clsid, m_lpszProgID, IDS_QUILLIX_TYPENAME, 0,
                                          afxRegApartmentThreading, kMiscStatus, LIBID_QuillixLib, 1, 0);
    return AfxOleUnregisterClass(m_clsid, m_lpszProgID);
}

CQuillixCtrl::CQuillixCtrl() : m_input(m_pad), m_look(kDefaultLook)
{
    InitializeIIDs(&DIID__DQuillix, &DIID__DQuillixEvents);
}

CQuillixCtrl::~CQuillixCtrl() = default;

// ---- persistence ----

void CQuillixCtrl::DoPropExchange(CPropExchange* px)
{
    ExchangeVersion(px, kStateVersion);
    COleControl::DoPropExchange(px);
    PX_Long(px, "InkColor", m_look.inkColor, kDefaultLook.inkColor);
    PX_Long(px, "BackColor", m_look.backColor, kDefaultLook.backColor);
    PX_Short(px, "InkWidth", m_look.inkWidth, kDefaultLook.inkWidth);
    PX_Short(px, "Border", m_look.border, kDefaultLook.border);
    if (px->GetVersion() >= kInkStyleVersion)
        PX_Short(px, "UniformInk", m_look.uniformInk, kDefaultLook.uniformInk);
    else
        m_look.uniformInk = kDefaultLook.uniformInk;
    // Whatever a stream holds after these is reserved and ignored: a dialog
    // template may carry a longer block than this version writes.
    if (m_look.inkWidth < 1) m_look.inkWidth = 1;
    if (m_look.inkWidth > kMaxInkWidth) m_look.inkWidth = kMaxInkWidth;
    // The drawing for the page follows the pad's ink style.
    m_pad.SetPressureInk(PressureInk());
    if (m_hWnd) ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

// ---- drawing ----

void CQuillixCtrl::OnDraw(CDC* dc, const CRect& bounds, const CRect&)
{
    HDC hdc = dc->GetSafeHdc();
    HBRUSH back = CreateSolidBrush((COLORREF)m_look.backColor);
    FillRect(hdc, &bounds, back);
    DeleteObject(back);
    if (m_look.border) FrameRect(hdc, &bounds, (HBRUSH)GetStockObject(GRAY_BRUSH));

    const pendata::PenRecord& record = m_pad.Record();
    // Strokes with pressure: outlines whose width follows the pen.
    if (PressureInk() && pendata::HasPressure(record)) {
        const pendata::InkReference reference = pendata::MeasureInk(record);
        std::vector<pendata::InkPath> outlines;
        for (size_t k = 0; k < record.strokes.size(); ++k)
            if (record.strokes[k].hasPressure)
                pendata::PadInkOutlines(record, reference, k, 0, bounds.Width(), bounds.Height(), m_look.inkWidth,
                                        &outlines);
        FillOutlines(hdc, outlines, (COLORREF)m_look.inkColor, POINT{bounds.left, bounds.top});
    }
    HPEN pen = CreatePen(PS_SOLID, m_look.inkWidth, (COLORREF)m_look.inkColor);
    HGDIOBJ old = SelectObject(hdc, pen);
    std::vector<POINT> points;
    for (const pendata::Stroke& stroke : record.strokes) {
        if (PressureInk() && stroke.hasPressure) continue;  // filled above
        points.clear();
        for (const pendata::PenPoint& p : stroke.points)
            points.push_back({bounds.left + quillix::LogicalToPixel(p.x, record.extentX, bounds.Width()),
                              bounds.top + quillix::LogicalToPixel(p.y, record.extentY, bounds.Height())});
        if (points.size() == 1) points.push_back({points[0].x + 1, points[0].y});  // a dot
        if (!points.empty()) Polyline(hdc, points.data(), (int)points.size());
    }
    SelectObject(hdc, old);
    DeleteObject(pen);
}

bool CQuillixCtrl::DrawPressureTail()
{
    const pendata::PenRecord& record = m_pad.Record();
    if (!PressureInk() || record.strokes.empty() || !record.strokes.back().hasPressure) return false;
    const size_t stroke = record.strokes.size() - 1, count = record.strokes[stroke].points.size();
    const quillix::ClientSize client = Client();
    std::vector<pendata::InkPath> outlines;
    pendata::PadInkOutlines(record, pendata::MeasureInk(record), stroke,
                            count > kLiveTailPoints ? count - kLiveTailPoints : 0, client.width, client.height,
                            m_look.inkWidth, &outlines);
    if (HDC hdc = ::GetDC(m_hWnd)) {
        FillOutlines(hdc, outlines, (COLORREF)m_look.inkColor, POINT{0, 0});
        ::ReleaseDC(m_hWnd, hdc);
    }
    return true;
}

void CQuillixCtrl::DrawSegment(int fromX, int fromY, int toX, int toY)
{
    if (!m_hWnd) return;
    if (DrawPressureTail()) return;
    HDC hdc = ::GetDC(m_hWnd);
    if (!hdc) return;
    HPEN pen = CreatePen(PS_SOLID, m_look.inkWidth, (COLORREF)m_look.inkColor);
    HGDIOBJ old = SelectObject(hdc, pen);
    if (fromX == toX && fromY == toY) ++toX;  // a dot
    MoveToEx(hdc, fromX, fromY, nullptr);
    LineTo(hdc, toX, toY);
    SelectObject(hdc, old);
    DeleteObject(pen);
    ::ReleaseDC(m_hWnd, hdc);
}

// ---- operations ----

void CQuillixCtrl::SetCaptureState(short value)
{
    m_captureState = value;
    m_pad.SetCaptureState(value);
    if (!m_pad.Capturing()) CancelStroke();
}

void CQuillixCtrl::ClearPad()
{
    m_input.Cancel();  // the stroke's ink is gone: no stroke ends
    if (m_hWnd && GetCapture() == m_hWnd) ReleaseCapture();
    m_pad.ClearPad();
    if (m_hWnd) ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CQuillixCtrl::SetSignatureString(const char* text)
{
    // Loaded text replaces the ink; text that does not load (another key,
    // another mode, damaged) leaves an empty pad, as the pen-data unit answers.
    m_input.Cancel();
    if (m_hWnd && GetCapture() == m_hWnd) ReleaseCapture();
    m_pad.SetSignatureString(text ? text : "");
    if (m_hWnd) ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CQuillixCtrl::GetPdfData(BSTR* data)
{
    if (!data) AfxThrowInvalidArgException();
    // In/out: the caller's old string is ours to replace.
    SysFreeString(*data);
    *data = nullptr;
    std::string drawing;
    if (!m_pad.GetPdfData(&drawing)) return;  // nothing to draw: a null string
    BSTR bytes = SysAllocStringByteLen(drawing.data(), (UINT)drawing.size());
    if (!bytes) throw std::bad_alloc();
    *data = bytes;
}

// ---- pen input ----

quillix::ClientSize CQuillixCtrl::Client() const
{
    RECT r = {};
    if (m_hWnd) ::GetClientRect(m_hWnd, &r);
    return {r.right - r.left, r.bottom - r.top};
}

void CQuillixCtrl::HandlePen(PenEvent event, const quillix::PixelSample& sample)
{
    const int fromX = m_input.LastX(), fromY = m_input.LastY();
    switch (event) {
    case PenEvent::Down:
        CancelStroke();
        if (m_input.Down(sample, Client())) {
            // Keep the pen's moves and its lift even when it leaves the pad.
            ::SetCapture(m_hWnd);
            DrawSegment(sample.x, sample.y, sample.x, sample.y);
        }
        break;
    case PenEvent::Move:
        if (m_input.Move(sample, Client())) DrawSegment(fromX, fromY, sample.x, sample.y);
        break;
    case PenEvent::Up:
        if (!m_input.InStroke()) break;
        m_input.Up(sample, Client());
        if (m_input.LastX() != fromX || m_input.LastY() != fromY)
            DrawSegment(fromX, fromY, m_input.LastX(), m_input.LastY());
        EndStroke();
        break;
    }
}

void CQuillixCtrl::EndStroke()
{
    // The stroke is over (StrokeInput) before the host hears of it, so a host
    // that calls back into the pad from PadNotify finds it settled.
    if (::GetCapture() == m_hWnd) ::ReleaseCapture();
    // The live ink drew the stroke's end as it came; the stroke whole, its
    // widths measured against the whole signature, replaces it.
    const pendata::PenRecord& record = m_pad.Record();
    if (m_hWnd && PressureInk() && !record.strokes.empty() && record.strokes.back().hasPressure)
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
    FireEvent(quillix::eventid::PadNotify, (const BYTE*)VTS_NONE);
}

void CQuillixCtrl::CancelStroke()
{
    if (m_input.Cancel()) EndStroke();
}

namespace {
quillix::PixelSample MouseSample(CPoint point)
{
    quillix::PixelSample s;
    s.x = point.x;
    s.y = point.y;
    s.timeMs = (uint32_t)GetMessageTime();
    return s;
}
} // namespace

void CQuillixCtrl::OnLButtonDown(UINT, CPoint point) { HandlePen(PenEvent::Down, MouseSample(point)); }

void CQuillixCtrl::OnMouseMove(UINT flags, CPoint point)
{
    // A move with the button up in mid-stroke: the button went up where this
    // window could not see it. The stroke ends there, without a point. (Losing
    // the mouse itself ends nothing: the system takes it away for reasons of
    // its own, such as a window shown meanwhile, and the stroke goes on.)
    if (!(flags & MK_LBUTTON)) {
        CancelStroke();
        return;
    }
    HandlePen(PenEvent::Move, MouseSample(point));
}

void CQuillixCtrl::OnLButtonUp(UINT, CPoint point) { HandlePen(PenEvent::Up, MouseSample(point)); }

LRESULT CQuillixCtrl::HandlePointer(PenEvent event, WPARAM wParam)
{
    // Only a pen is taken here; the system turns any other pointer (touch, or
    // the mouse) into mouse messages when we leave it to default processing.
    static const auto getType = User32Function<GetPointerTypeFn>("GetPointerType");
    static const auto getPenInfo = User32Function<GetPointerPenInfoFn>("GetPointerPenInfo");
    const UINT32 id = GET_POINTERID_WPARAM(wParam);
    POINTER_INPUT_TYPE type = PT_POINTER;
    POINTER_PEN_INFO info = {};
    if (!getType || !getPenInfo || !getType(id, &type) || type != PT_PEN || !getPenInfo(id, &info))
        return Default();
    POINT client = info.pointerInfo.ptPixelLocation;
    ::ScreenToClient(m_hWnd, &client);
    quillix::PixelSample s;
    s.x = client.x;
    s.y = client.y;
    s.timeMs = info.pointerInfo.dwTime ? info.pointerInfo.dwTime : (uint32_t)GetMessageTime();
    s.hasPressure = (info.penMask & PEN_MASK_PRESSURE) != 0;
    s.pressure = PenPressure(info.pressure);
    // A hovering pen sends updates too; only contact draws.
    if (event == PenEvent::Move && !(info.pointerInfo.pointerFlags & POINTER_FLAG_INCONTACT)) return 0;
    HandlePen(event, s);
    return 0;
}

LRESULT CQuillixCtrl::OnPointerDown(WPARAM wParam, LPARAM) { return HandlePointer(PenEvent::Down, wParam); }

LRESULT CQuillixCtrl::OnPointerUpdate(WPARAM wParam, LPARAM) { return HandlePointer(PenEvent::Move, wParam); }

LRESULT CQuillixCtrl::OnPointerUp(WPARAM wParam, LPARAM) { return HandlePointer(PenEvent::Up, wParam); }
