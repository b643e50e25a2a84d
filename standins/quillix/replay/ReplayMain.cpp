// quillix_replay: replays a stroke file onto the pad of a running capture
// dialog, from outside its process, as a hand would write it. For the demo.
//
//   quillix_replay STROKE_FILE [CAPTION [CONTROL_ID]]
//
// Waits up to 10 s for a visible top-level window with the caption (default
// "Signature Capture") whose child CONTROL_ID (default 203) exists, then
// posts the strokes to that child. Exit code 0 when posted, 1 otherwise.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "PadReplay.h"

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 4) {
        std::fprintf(stderr, "usage: quillix_replay STROKE_FILE [CAPTION [CONTROL_ID]]\n");
        return 1;
    }
    const std::string caption = argc > 2 ? argv[2] : "Signature Capture";
    const int controlId = argc > 3 ? std::atoi(argv[3]) : 203;
    HWND pad = nullptr;
    for (int waited = 0; waited < 10000 && !pad; waited += 50) {
        HWND dialog = FindWindowA(nullptr, caption.c_str());
        if (dialog && IsWindowVisible(dialog)) pad = GetDlgItem(dialog, controlId);
        if (!pad) Sleep(50);
    }
    if (!pad) {
        std::fprintf(stderr, "quillix_replay: no window \"%s\" with control %d\n", caption.c_str(), controlId);
        return 1;
    }
    if (!quillix::replay::PostStrokeFile(pad, argv[1])) {
        std::fprintf(stderr, "quillix_replay: could not replay %s\n", argv[1]);
        return 1;
    }
    return 0;
}
