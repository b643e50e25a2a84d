// The test control: every argument and result type, a property of each
// kind, an exception, events with and without parameters, persistence, and a
// window that counts mouse strokes.
#pragma once

#include <cstddef>
#include <new>

#include "Framework.h"
#include "TestIds.h"

class CFwTestCtrl : public COleControl {
public:
    CFwTestCtrl();
    ~CFwTestCtrl() override;

    void DoPropExchange(CPropExchange* px) override;
    void OnDraw(CDC* dc, const CRect& bounds, const CRect& invalid) override;

    // Freed controls are kept filled with a pattern instead of going back to
    // the heap, so that a write through a stale pointer is seen, not silent.
    static void* operator new(std::size_t size);
    static void* operator new(std::size_t size, const std::nothrow_t&) noexcept;
    static void operator delete(void* p, std::size_t size) noexcept;
    static void operator delete(void* p, const std::nothrow_t&) noexcept;
    // True when no freed control was written to since the last call; the
    // kept blocks are released.
    static bool FreedObjectsUntouched();

    DECLARE_OLECREATE_EX(CFwTestCtrl)
    DECLARE_OLETYPELIB(CFwTestCtrl)
    DECLARE_OLECTLTYPE(CFwTestCtrl)
    DECLARE_PROPPAGEIDS(CFwTestCtrl)
    DECLARE_DISPATCH_MAP()
    DECLARE_MESSAGE_MAP()

protected:
    short EchoI2(short value) { return value; }
    unsigned short EchoUI2(unsigned short value) { return value; }
    char EchoI1(char value) { return value; }
    long EchoI4(long value) { return value; }
    BOOL Negate(BOOL value) { return !value; }
    BSTR Concat(const char* first, const char* second);
    void FillText(BSTR* text, long count);
    void Fail(short index);
    void Fire(long value, const char* text);
    long StrokePoints() { return m_points; }
    long WindowHandle() { return HandleToLong(m_hWnd); }
    void SetCount(unsigned short count) { m_count = count; }
    unsigned short GetCount() { return m_count; }
    short GetLevel() { return m_level; }
    void SetLevel(short level) { m_level = level; }
    char GetFlag() { return m_flag; }
    void SetFlag(char flag) { m_flag = flag; }

    void OnLButtonDown(UINT flags, CPoint point);
    void OnMouseMove(UINT flags, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);

private:
    short m_level = 0;
    char m_flag = 0;
    unsigned short m_count = 0;
    std::string m_caption;
    long m_points = 0;
    bool m_drawing = false;
};

// A control whose in-place activation fails: it cannot make its window.
class CFwWindowlessCtrl : public COleControl {
public:
    STDMETHODIMP DoVerb(LONG, LPMSG, IOleClientSite*, LONG, HWND, LPCRECT) override { return E_FAIL; }
    DECLARE_OLECREATE_EX(CFwWindowlessCtrl)
};

class CFwTestPropPage : public COlePropertyPage {
public:
    CFwTestPropPage() : COlePropertyPage(kTestPropPageTemplate, kTestPropPageCaption) {}
    DECLARE_OLECREATE_EX(CFwTestPropPage)

protected:
    void DoDataExchange(CDataExchange* dx) override { DDP_PostProcessing(dx); }
};
