#include "GuiObjects.h"

#include <windows.h>
#include <winternl.h>

#include <cstring>

namespace standin {
namespace {

// One entry of the GDI handle table (24 bytes on 64-bit systems): the
// object's type byte is zero once the entry is free. Windows shares one
// table among the processes of a session and marks the owner; Wine keeps
// one per process and leaves the owner unset, so only Wine's is read here.
constexpr size_t kHandleEntryBytes = 24;
constexpr size_t kHandleEntryTypeOffset = 14;
constexpr size_t kHandleTableEntries = 0x10000;
constexpr size_t kPebHandleTableOffset = 0xF8;   // PEB.GdiSharedHandleTable, 64-bit

const unsigned char* HandleTable()
{
    // The block's address from the system rather than from the thread block
    // read through the gs register: the compiler's bounds check warns about
    // that read.
    using QueryFn = LONG(NTAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    auto query = reinterpret_cast<QueryFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION info{};
    if (!query || query(GetCurrentProcess(), ProcessBasicInformation, &info, sizeof info, nullptr) != 0 ||
        !info.PebBaseAddress)
        return nullptr;
    const unsigned char* peb = reinterpret_cast<const unsigned char*>(info.PebBaseAddress);
    const unsigned char* table = nullptr;
    std::memcpy(&table, peb + kPebHandleTableOffset, sizeof table);
    return table;
}

long long LiveHandleEntries()
{
    const unsigned char* table = HandleTable();
    if (!table) return -1;
    long long live = 0;
    for (size_t i = 0; i < kHandleTableEntries; ++i)
        if (table[i * kHandleEntryBytes + kHandleEntryTypeOffset] != 0) ++live;
    return live;
}

bool HandleTableCounts()
{
    if (sizeof(void*) != 8 || !HandleTable()) return false;
    const long long before = LiveHandleEntries();
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    const long long with = LiveHandleEntries();
    DeleteObject(brush);
    const long long after = LiveHandleEntries();
    return brush && with == before + 1 && after == before;
}

BOOL CALLBACK CountWindow(HWND hwnd, LPARAM count)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != GetCurrentProcessId()) return TRUE;
    ++*reinterpret_cast<long long*>(count);
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND hwnd, LPARAM count)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != GetCurrentProcessId()) return TRUE;
    ++*reinterpret_cast<long long*>(count);
    // EnumChildWindows walks all descendants, not only direct children.
    EnumChildWindows(hwnd, CountWindow, count);
    return TRUE;
}

long long ProcessWindows()
{
    long long count = 0;
    EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&count));
    for (HWND w = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); w;
         w = FindWindowExW(HWND_MESSAGE, w, nullptr, nullptr))
        CountTopLevel(w, reinterpret_cast<LPARAM>(&count));
    return count;
}

// Wine keeps the device contexts that GetDC hands out in a cache of up to
// 64 entries, and adds one whenever none is free for the window asking:
// idle entries stay tied to their window until it goes. With dialogs coming
// and going the cache grows over the first tens of captures (measured: from
// 9 to 21 device contexts, with a region and a surface object each, then
// flat). Filling it once makes every later request find an entry, so what
// remains is the objects the code makes.
constexpr int kDcCacheEntries = 64;

void FillDcCache()
{
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    if (!window) return;
    HDC taken[kDcCacheEntries];
    for (HDC& dc : taken) dc = GetDC(window);
    for (HDC dc : taken)
        if (dc) ReleaseDC(window, dc);
    // The window's entries become free for any window once it is gone.
    DestroyWindow(window);
}

// Wine also makes the brush and the pen of each system colour the first time
// something draws with it, and keeps them for the process: which ones a
// dialog needs depends on its buttons' states as the cursor and focus leave
// them, so they appear at random captures, once. Drawing every edge and
// button state once makes them all before the first count.
void MakeSystemColourObjects()
{
    for (int colour = COLOR_SCROLLBAR; colour <= COLOR_MENUBAR; ++colour) GetSysColorBrush(colour);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 32, 32);
    ReleaseDC(nullptr, screen);
    if (!dc || !bitmap) {
        if (bitmap) DeleteObject(bitmap);
        if (dc) DeleteDC(dc);
        return;
    }
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT r{0, 0, 32, 32};
    for (UINT edge : {EDGE_RAISED, EDGE_SUNKEN, EDGE_ETCHED, EDGE_BUMP, BDR_RAISEDOUTER, BDR_SUNKENINNER})
        for (UINT flags : {0u, UINT(BF_SOFT), UINT(BF_FLAT), UINT(BF_MONO)})
            DrawEdge(dc, &r, edge, BF_RECT | BF_MIDDLE | flags);
    for (UINT state : {DFCS_BUTTONPUSH, DFCS_BUTTONCHECK, DFCS_BUTTONRADIO, DFCS_BUTTON3STATE})
        for (UINT extra : {0u, UINT(DFCS_PUSHED), UINT(DFCS_CHECKED), UINT(DFCS_INACTIVE), UINT(DFCS_FLAT), UINT(DFCS_MONO), UINT(DFCS_HOT)})
            DrawFrameControl(dc, &r, DFC_BUTTON, state | extra);
    for (UINT state : {DFCS_SCROLLDOWN, DFCS_SCROLLCOMBOBOX})
        for (UINT extra : {0u, UINT(DFCS_PUSHED), UINT(DFCS_INACTIVE)})
            DrawFrameControl(dc, &r, DFC_SCROLL, state | extra);
    DrawFocusRect(dc, &r);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

}  // namespace

GuiObjectCounter::GuiObjectCounter()
{
    SetLastError(0);
    const DWORD user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    m_systemCounts = user != 0 || GetLastError() != ERROR_CALL_NOT_IMPLEMENTED;
    m_handleTable = !m_systemCounts && HandleTableCounts();
    if (m_handleTable) {
        FillDcCache();
        MakeSystemColourObjects();
    }
}

long long GuiObjectCounter::UserObjects() const
{
    return m_systemCounts ? GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS) : ProcessWindows();
}

long long GuiObjectCounter::GdiObjects() const
{
    if (m_systemCounts) return GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    return m_handleTable ? LiveHandleEntries() : -1;
}

std::string GuiObjectCounter::Source() const
{
    if (m_systemCounts) return "GetGuiResources";
    return m_handleTable ? "windows,gdi_handle_table" : "windows";
}

}  // namespace standin
