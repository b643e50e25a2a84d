#include "TestControl.h"

#include <cstdlib>
#include <cstring>
#include <vector>

// Defined here rather than taken from FwTestLib_i.c so the control links into
// any module on its own.
static const GUID kLibId = {0x7fe8a03d, 0xcbb4, 0x408c, {0x9b, 0xcd, 0x25, 0x98, 0x17, 0x95, 0x35, 0x34}};
static const IID kDispatchIid = {0x7da2d0fb, 0x072e, 0x41ea, {0x81, 0x3a, 0xd2, 0xfb, 0x4a, 0x19, 0x24, 0xbe}};
static const IID kEventsIid = {0xab8f857d, 0xc356, 0x4851, {0xad, 0xfc, 0x01, 0xa5, 0x5e, 0xce, 0xb3, 0xd2}};

IMPLEMENT_OLECREATE_EX(CFwTestCtrl, "FwTest.TestCtrl.1", 0xc4cefa7c, 0x3a0c, 0x4f01, 0x8d, 0x42, 0x50, 0x44, 0x75,
                       0xd3, 0xe8, 0x28)
IMPLEMENT_OLETYPELIB(CFwTestCtrl, kLibId, 1, 0)
IMPLEMENT_OLECTLTYPE(CFwTestCtrl, kTestTypeName, kTestMiscStatus)

BEGIN_PROPPAGEIDS(CFwTestCtrl, 1)
    PROPPAGEID(CFwTestPropPage::guid)
END_PROPPAGEIDS(CFwTestCtrl)

BEGIN_DISPATCH_MAP(CFwTestCtrl, COleControl)
    DISP_FUNCTION_ID(CFwTestCtrl, "EchoI2", 1, EchoI2, VT_I2, VTS_I2)
    DISP_FUNCTION_ID(CFwTestCtrl, "EchoUI2", 2, EchoUI2, VT_UI2, VTS_UI2)
    DISP_FUNCTION_ID(CFwTestCtrl, "EchoI1", 3, EchoI1, VT_I1, VTS_I1)
    DISP_FUNCTION_ID(CFwTestCtrl, "EchoI4", 4, EchoI4, VT_I4, VTS_I4)
    DISP_FUNCTION_ID(CFwTestCtrl, "Negate", 5, Negate, VT_BOOL, VTS_BOOL)
    DISP_FUNCTION_ID(CFwTestCtrl, "Concat", 6, Concat, VT_BSTR, VTS_BSTR VTS_BSTR)
    DISP_FUNCTION_ID(CFwTestCtrl, "FillText", 7, FillText, VT_EMPTY, VTS_PBSTR VTS_I4)
    DISP_FUNCTION_ID(CFwTestCtrl, "Fail", 8, Fail, VT_EMPTY, VTS_I2)
    DISP_FUNCTION_ID(CFwTestCtrl, "Fire", 9, Fire, VT_EMPTY, VTS_I4 VTS_BSTR)
    DISP_FUNCTION_ID(CFwTestCtrl, "StrokePoints", 10, StrokePoints, VT_I4, VTS_NONE)
    DISP_FUNCTION_ID(CFwTestCtrl, "WindowHandle", 11, WindowHandle, VT_I4, VTS_NONE)
    DISP_FUNCTION_ID(CFwTestCtrl, "SetCount", 12, SetCount, VT_EMPTY, VTS_UI2)
    DISP_FUNCTION_ID(CFwTestCtrl, "GetCount", 13, GetCount, VT_UI2, VTS_NONE)
    DISP_PROPERTY_EX_ID(CFwTestCtrl, "Level", 20, GetLevel, SetLevel, VT_I2)
    DISP_PROPERTY_EX_ID(CFwTestCtrl, "Flag", 21, GetFlag, SetFlag, VT_I1)
END_DISPATCH_MAP()

BEGIN_MESSAGE_MAP(CFwTestCtrl, COleControl)
    ON_WM_LBUTTONDOWN()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONUP()
END_MESSAGE_MAP()

BOOL CFwTestCtrl::CFwTestCtrlFactory::UpdateRegistry(BOOL bRegister)
{
    if (bRegister)
        return AfxOleRegisterControlClass(AfxGetInstanceHandle(), m_clsid, m_lpszProgID, kTestTypeName, kTestBitmap,
                                          afxRegApartmentThreading, kTestMiscStatus, kLibId, 1, 0);
    return AfxOleUnregisterClass(m_clsid, m_lpszProgID);
}

namespace {
const unsigned char kFreedPattern = 0xDD;
struct FreedBlock {
    unsigned char* bytes;
    size_t size;
};
std::vector<FreedBlock>& FreedBlocks()
{
    static std::vector<FreedBlock> blocks;
    return blocks;
}
bool Untouched(const FreedBlock& block)
{
    for (size_t i = 0; i < block.size; ++i)
        if (block.bytes[i] != kFreedPattern) return false;
    return true;
}
} // namespace

void* CFwTestCtrl::operator new(std::size_t size)
{
    void* p = std::malloc(size);
    if (!p) throw std::bad_alloc();
    return p;
}

void* CFwTestCtrl::operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return std::malloc(size);
}

void CFwTestCtrl::operator delete(void* p, std::size_t size) noexcept
{
    if (!p) return;
    std::memset(p, kFreedPattern, size);
    std::vector<FreedBlock>& blocks = FreedBlocks();
    if (blocks.size() >= 64) {  // a module nobody checks (the registrable one) stays bounded
        std::free(blocks.front().bytes);
        blocks.erase(blocks.begin());
    }
    blocks.push_back({static_cast<unsigned char*>(p), size});
}

void CFwTestCtrl::operator delete(void* p, const std::nothrow_t&) noexcept
{
    std::free(p);  // only when the constructor threw: never used as an object
}

bool CFwTestCtrl::FreedObjectsUntouched()
{
    bool untouched = true;
    for (const FreedBlock& block : FreedBlocks()) {
        untouched = untouched && Untouched(block);
        std::free(block.bytes);
    }
    FreedBlocks().clear();
    return untouched;
}

CFwTestCtrl::CFwTestCtrl()
{
    InitializeIIDs(&kDispatchIid, &kEventsIid);
}

CFwTestCtrl::~CFwTestCtrl() = default;

void CFwTestCtrl::DoPropExchange(CPropExchange* px)
{
    ExchangeVersion(px, MAKELONG(0, 1));
    COleControl::DoPropExchange(px);
    PX_Short(px, "Level", m_level, 0);
    PX_String(px, "Caption", m_caption, "");
}

void CFwTestCtrl::OnDraw(CDC* dc, const CRect& bounds, const CRect&)
{
    FillRect(dc->GetSafeHdc(), &bounds, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
}

BSTR CFwTestCtrl::Concat(const char* first, const char* second)
{
    return fw::AnsiToBstr(std::string(first) + second);
}

void CFwTestCtrl::FillText(BSTR* text, long count)
{
    if (!text || count < 0) AfxThrowInvalidArgException();
    SysFreeString(*text);  // in/out: the caller's old value is ours to replace
    *text = fw::AnsiToBstr(std::string((size_t)count, 'x'));
}

void CFwTestCtrl::Fail(short index)
{
    if (index >= 3) AfxThrowInvalidArgException();
}

void CFwTestCtrl::Fire(long value, const char* text)
{
    FireEvent(2, (const BYTE*)(VTS_I4 VTS_BSTR), value, text);
    FireEvent(1, (const BYTE*)VTS_NONE);
}

void CFwTestCtrl::OnLButtonDown(UINT, CPoint)
{
    m_drawing = true;
    m_points = 1;
}

void CFwTestCtrl::OnMouseMove(UINT, CPoint)
{
    if (m_drawing) ++m_points;
}

void CFwTestCtrl::OnLButtonUp(UINT, CPoint)
{
    if (!m_drawing) return;
    m_drawing = false;
    ++m_points;
    FireEvent(3, (const BYTE*)VTS_I4, m_points);
}

IMPLEMENT_OLECREATE_EX(CFwWindowlessCtrl, "FwTest.WindowlessCtrl.1", 0xfda7fa23, 0x50fd, 0x4caf, 0x95, 0x5a, 0xe2,
                       0x2b, 0x21, 0xf5, 0x11, 0x15)

BOOL CFwWindowlessCtrl::CFwWindowlessCtrlFactory::UpdateRegistry(BOOL)
{
    return TRUE;  // only ever made available in-process
}

IMPLEMENT_OLECREATE_EX(CFwTestPropPage, "FwTest.TestPropPage.1", 0x8c2a06b5, 0x587c, 0x4ea6, 0x88, 0x3d, 0x4c, 0x29,
                       0x57, 0x62, 0xaf, 0x9b)

BOOL CFwTestPropPage::CFwTestPropPageFactory::UpdateRegistry(BOOL bRegister)
{
    if (bRegister)
        return AfxOleRegisterPropertyPageClass(AfxGetInstanceHandle(), m_clsid, kTestPageName,
                                               afxRegApartmentThreading);
    return AfxOleUnregisterClass(m_clsid, nullptr);
}
