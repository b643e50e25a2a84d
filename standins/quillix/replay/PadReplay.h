// Stroke replay driver: a recorded signature arrives at a pad window the way
// a hand's strokes do, as posted mouse messages (button down, moves, button
// up), so the pad takes it through its ordinary pen input. For tests, the
// capture dialog's tests and the demo.
//
// Stroke coordinates are in the record's logical units; each point is mapped
// into the pad window's client pixels. A stroke of n points gives n mouse
// messages that each carry a point: down at the first, a move at every other,
// then the up at the last point (which adds none). Posted messages reach the
// window with their counts intact.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "PadGeometry.h"
#include "pen_record.h"

namespace quillix::replay {

struct MouseMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// The messages that replay `record` on a client area of `client` pixels.
std::vector<MouseMessage> StrokeMessages(const pendata::PenRecord& record, ClientSize client);

// Posts the replay of `record` to `pad` (the pad control's own window). A
// queue holds only so many posted messages (10000 by default on Windows):
// when it is full, the driver runs the thread's messages if the pad belongs
// to the calling thread, and otherwise waits for the pad's thread (up to
// kFullQueueWaits times 10 ms). False when the window is gone or a post
// failed (what was posted stays). The caller then lets the pad's thread run
// its messages.
constexpr int kFullQueueWaits = 500;
bool PostStrokes(HWND pad, const pendata::PenRecord& record);

// The same from a stroke file (standins/pendata/stroke_file.h); false as well
// when the file cannot be read.
bool PostStrokeFile(HWND pad, const std::string& path);

} // namespace quillix::replay
