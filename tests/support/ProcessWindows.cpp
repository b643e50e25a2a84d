#include "ProcessWindows.h"

namespace testsupport {

namespace {

BOOL CALLBACK CollectChild(HWND hwnd, LPARAM param)
{
    reinterpret_cast<std::set<HWND>*>(param)->insert(hwnd);
    return TRUE;
}

BOOL CALLBACK CollectTopLevel(HWND hwnd, LPARAM param)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != GetCurrentProcessId()) return TRUE;
    reinterpret_cast<std::set<HWND>*>(param)->insert(hwnd);
    // EnumChildWindows walks all descendants, not only direct children.
    EnumChildWindows(hwnd, CollectChild, param);
    return TRUE;
}

} // namespace

std::set<HWND> ProcessWindows()
{
    std::set<HWND> windows;
    EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::set<HWND> WindowsNotIn(const std::set<HWND>& windows, const std::set<HWND>& reference)
{
    std::set<HWND> missing;
    for (HWND h : windows)
        if (!reference.count(h)) missing.insert(h);
    return missing;
}

std::string DescribeWindows(const std::set<HWND>& windows)
{
    std::string text;
    for (HWND hwnd : windows) {
        char cls[128] = {}, title[128] = {};
        GetClassNameA(hwnd, cls, sizeof cls);
        GetWindowTextA(hwnd, title, sizeof title);
        text += std::string(" [") + cls + " \"" + title + "\"]";
    }
    return text;
}

} // namespace testsupport
