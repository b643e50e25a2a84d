// Basic types of the framework layer: points and rectangles, the device
// context wrapper, and CCmdTarget with its message and event-sink tables.
//
// Tables are arrays of entries built by macros; each entry carries a small
// thunk (a captureless lambda) that casts the target back to the class that
// declared the table and calls the member. That keeps the tables type-safe and
// independent of how a compiler represents pointers to members, so classes may
// freely inherit COM interfaces besides their framework base.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <olectl.h>

class CCmdTarget;

namespace fw {

// One row of a message table. `message` 0 with no handler ends the table.
// For WM_COMMAND rows, `code` is the notification code and `id` the
// command or control id; other rows match on `message` alone.
struct MessageMapEntry {
    UINT message;
    UINT code;
    UINT id;
    LRESULT (*handler)(CCmdTarget* target, WPARAM wParam, LPARAM lParam);
};

// Message-table rows for OLE verbs (ON_OLEVERB) carry this pseudo message
// and the verb number as their code.
const UINT kOleVerbMessage = 0xBFFF0001u;

struct MessageMap {
    const MessageMap* (*base)();
    const MessageMapEntry* entries;
};

// One row of an event-sink table: an event `dispid` fired by the hosted
// control whose child id is `controlId`. `params` lists the declared
// parameter types (VTS_ strings); the arguments are converted to them before
// the handler runs. A row with controlId 0 and no handler ends the table.
struct EventSinkEntry {
    UINT controlId;
    DISPID dispid;
    const BYTE* params;
    HRESULT (*handler)(CCmdTarget* target, VARIANT* args, const char* const* ansiArgs);
};

struct EventSinkMap {
    const EventSinkMap* (*base)();
    const EventSinkEntry* entries;
};

} // namespace fw

class CPoint : public POINT {
public:
    CPoint() { x = 0; y = 0; }
    CPoint(int initX, int initY) { x = initX; y = initY; }
    explicit CPoint(LPARAM lParam) { x = (short)LOWORD(lParam); y = (short)HIWORD(lParam); }
};

class CRect : public RECT {
public:
    CRect() { left = top = right = bottom = 0; }
    CRect(int l, int t, int r, int b) { left = l; top = t; right = r; bottom = b; }
    CRect(const RECT& r) { left = r.left; top = r.top; right = r.right; bottom = r.bottom; }
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    void OffsetRect(int dx, int dy) { left += dx; right += dx; top += dy; bottom += dy; }
    operator LPRECT() { return this; }
    operator LPCRECT() const { return this; }
};

// A device context handed to OnDraw; the framework owns the HDC.
class CDC {
public:
    explicit CDC(HDC hdc) : m_hDC(hdc) {}
    HDC GetSafeHdc() const { return m_hDC; }
    HDC m_hDC;
};

class CCmdTarget {
public:
    CCmdTarget() {}
    virtual ~CCmdTarget() {}
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;

    // Walks the message table chain; true when a row handled the message.
    bool DispatchMessageToTable(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // Walks the event-sink table chain for an event of hosted control `controlId`.
    // S_FALSE when no row matches (the event is then simply dropped).
    HRESULT DispatchEventToTable(UINT controlId, DISPID dispid, DISPPARAMS* params);

    static const fw::MessageMap* GetThisMessageMap();
    virtual const fw::MessageMap* GetMessageMap() const;
    static const fw::EventSinkMap* GetThisEventSinkMap();
    virtual const fw::EventSinkMap* GetEventSinkMap() const;
};

// ---- message tables -------------------------------------------------------

#define DECLARE_MESSAGE_MAP()                                          \
protected:                                                             \
    static const ::fw::MessageMap* GetThisMessageMap();                \
    const ::fw::MessageMap* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                         \
    const ::fw::MessageMap* theClass::GetMessageMap() const            \
    { return GetThisMessageMap(); }                                    \
    const ::fw::MessageMap* theClass::GetThisMessageMap()              \
    {                                                                  \
        typedef theClass ThisClass;                                    \
        typedef baseClass TheBaseClass;                                \
        static const ::fw::MessageMapEntry entries[] = {

#define END_MESSAGE_MAP()                                              \
            { 0, 0, 0, nullptr } };                                    \
        static const ::fw::MessageMap map = { &TheBaseClass::GetThisMessageMap, entries }; \
        return &map;                                                   \
    }

#define FW_THUNK_ARGS ::CCmdTarget* fwTarget, WPARAM wParam, LPARAM lParam

// void OnCommand(): a command or a BN_CLICKED notification from control `id`.
#define ON_COMMAND(id, memberFxn)                                      \
    { WM_COMMAND, 0, (UINT)(id), [](FW_THUNK_ARGS) -> LRESULT {        \
        (void)wParam; (void)lParam;                                    \
        static_cast<ThisClass*>(fwTarget)->memberFxn(); return 0; } },
#define ON_BN_CLICKED(id, memberFxn) ON_COMMAND(id, memberFxn)

// void OnTimer(UINT_PTR nIDEvent)
#define ON_WM_TIMER()                                                  \
    { WM_TIMER, 0, 0, [](FW_THUNK_ARGS) -> LRESULT {                   \
        (void)lParam;                                                  \
        static_cast<ThisClass*>(fwTarget)->OnTimer((UINT_PTR)wParam); return 0; } },

// LRESULT OnMessage(WPARAM, LPARAM): a private (WM_USER/WM_APP) message.
#define ON_MESSAGE(message, memberFxn)                                 \
    { (UINT)(message), 0, 0, [](FW_THUNK_ARGS) -> LRESULT {            \
        return static_cast<ThisClass*>(fwTarget)->memberFxn(wParam, lParam); } },

// void OnXxx(UINT nFlags, CPoint point)
#define FW_ON_MOUSE(msg, memberFxn)                                    \
    { msg, 0, 0, [](FW_THUNK_ARGS) -> LRESULT {                        \
        static_cast<ThisClass*>(fwTarget)->memberFxn((UINT)wParam, CPoint(lParam)); return 0; } },
#define ON_WM_LBUTTONDOWN() FW_ON_MOUSE(WM_LBUTTONDOWN, OnLButtonDown)
#define ON_WM_LBUTTONUP()   FW_ON_MOUSE(WM_LBUTTONUP, OnLButtonUp)
#define ON_WM_MOUSEMOVE()   FW_ON_MOUSE(WM_MOUSEMOVE, OnMouseMove)

// void OnDestroy()
#define ON_WM_DESTROY()                                                \
    { WM_DESTROY, 0, 0, [](FW_THUNK_ARGS) -> LRESULT {                 \
        (void)wParam; (void)lParam;                                    \
        static_cast<ThisClass*>(fwTarget)->OnDestroy(); return 0; } },

// ---- event-sink tables ----------------------------------------------------

#define DECLARE_EVENTSINK_MAP()                                        \
protected:                                                             \
    static const ::fw::EventSinkMap* GetThisEventSinkMap();            \
    const ::fw::EventSinkMap* GetEventSinkMap() const override;

#define BEGIN_EVENTSINK_MAP(theClass, baseClass)                       \
    const ::fw::EventSinkMap* theClass::GetEventSinkMap() const        \
    { return GetThisEventSinkMap(); }                                  \
    const ::fw::EventSinkMap* theClass::GetThisEventSinkMap()          \
    {                                                                  \
        typedef theClass ThisClass;                                    \
        typedef baseClass TheBaseClass;                                \
        static const ::fw::EventSinkEntry entries[] = {

#define END_EVENTSINK_MAP()                                            \
            { 0, 0, nullptr, nullptr } };                              \
        static const ::fw::EventSinkMap map = { &TheBaseClass::GetThisEventSinkMap, entries }; \
        return &map;                                                   \
    }

// Handler: a member returning void whose parameters match `vtsParams`
// (short for VTS_I2, long for VTS_I4, BOOL for VTS_BOOL, const char* for
// VTS_BSTR, ...). The arguments are converted to `vtsParams` first.
#define ON_EVENT(theClass, id, dispid, pfnHandler, vtsParams)          \
    { (UINT)(id), (DISPID)(dispid), (const BYTE*)(vtsParams),          \
      [](::CCmdTarget* fwTarget, VARIANT* args, const char* const* ansiArgs) -> HRESULT { \
        return ::fw::detail::CallMember(static_cast<ThisClass*>(fwTarget), \
                                        &theClass::pfnHandler, args, ansiArgs, nullptr, VT_EMPTY); } },
