#include "PadReplay.h"

#include "stroke_file.h"

namespace quillix::replay {

std::vector<MouseMessage> StrokeMessages(const pendata::PenRecord& record, ClientSize client)
{
    std::vector<MouseMessage> messages;
    for (const pendata::Stroke& stroke : record.strokes) {
        for (size_t i = 0; i < stroke.points.size(); ++i) {
            const pendata::PenPoint& p = stroke.points[i];
            const int x = LogicalToPixel(p.x, record.extentX, client.width);
            const int y = LogicalToPixel(p.y, record.extentY, client.height);
            messages.push_back({i == 0 ? (UINT)WM_LBUTTONDOWN : (UINT)WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y)});
            if (i + 1 == stroke.points.size()) messages.push_back({WM_LBUTTONUP, 0, MAKELPARAM(x, y)});
        }
    }
    return messages;
}

namespace {
void RunPendingMessages()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}
} // namespace

bool PostStrokes(HWND pad, const pendata::PenRecord& record)
{
    if (!IsWindow(pad)) return false;
    RECT r = {};
    GetClientRect(pad, &r);
    const bool ownThread = GetWindowThreadProcessId(pad, nullptr) == GetCurrentThreadId();
    for (const MouseMessage& m : StrokeMessages(record, {r.right - r.left, r.bottom - r.top})) {
        // A full queue drains: by running it on the pad's own thread, by
        // waiting a while for the pad's thread otherwise.
        bool posted = PostMessageW(pad, m.message, m.wParam, m.lParam) != FALSE;
        for (int wait = 0; !posted && GetLastError() == ERROR_NOT_ENOUGH_QUOTA && wait < kFullQueueWaits; ++wait) {
            if (ownThread) RunPendingMessages();
            else Sleep(10);
            posted = PostMessageW(pad, m.message, m.wParam, m.lParam) != FALSE;
        }
        if (!posted) return false;
    }
    return true;
}

bool PostStrokeFile(HWND pad, const std::string& path)
{
    pendata::PenRecord record;
    return pendata::ReadStrokeFile(path, &record) && PostStrokes(pad, record);
}

} // namespace quillix::replay
