// Every test program shares one desktop with the programs ctest runs beside it.
// Where the real cursor rests over a window that another test shows, hides or
// grabs the mouse for, the system sends that window a mouse move with the
// button up; a pad in mid-stroke takes such a move for a lost button-up and
// ends the stroke. Park the cursor in the desktop's far corner, where no test
// puts a window, before any test runs.
#include <windows.h>

namespace {
struct CursorOutOfTheWay {
    CursorOutOfTheWay()
    {
        SetCursorPos(GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN) - 1,
                     GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN) - 1);
    }
} const g_cursorOutOfTheWay;
} // namespace
