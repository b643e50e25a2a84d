// Start-up geometry of the capture dialog, platform-free: the pad takes the
// aspect ratio of the pad hardware, everything below it moves by the change
// in its height, and the dialog grows or shrinks by the same amount and is
// centred on the desktop.
#pragma once

#include <cstdint>

namespace penvane {

struct LayoutRect {
    int x, y, width, height;
};

struct CaptureLayoutInput {
    int desktopWidth, desktopHeight;  // client area of the desktop window
    int clientWidth, clientHeight;    // the dialog's client area
    LayoutRect pad;                   // pad client area, relative to the dialog's client origin
    int16_t padExtentX, padExtentY;   // the pad's logical size
};

struct CaptureLayout {
    LayoutRect dialog;    // screen position and outer size of the dialog
    LayoutRect pad;       // new pad rectangle in dialog client coordinates
    int delta;            // change of the pad height
    int16_t controlShift; // how far the controls below the pad move (delta as 16 bits)
};

// Height of the pad for its width and extents. Extents that give no usable
// aspect ratio (an X extent of 0, which would divide by zero; a negative
// extent or a Y extent of 0, which would give a pad no one can write on)
// keep the current height.
int PadHeightForExtents(int padWidth, int currentHeight, int16_t extentX, int16_t extentY);

CaptureLayout ComputeCaptureLayout(const CaptureLayoutInput& in);

} // namespace penvane
