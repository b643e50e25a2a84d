#include "CaptureLayout.h"

namespace penvane {

namespace {
// The frame around the client area that the dialog's outer size adds.
const int kFrameWidth = 6;
const int kFrameHeight = 20;
}

int PadHeightForExtents(int padWidth, int currentHeight, int16_t extentX, int16_t extentY)
{
    if (extentX <= 0 || extentY <= 0) return currentHeight;
    // pad widths are a few thousand pixels at most and extents are 16 bits:
    // the product stays far inside 32 bits.
    return padWidth * extentY / extentX;
}

CaptureLayout ComputeCaptureLayout(const CaptureLayoutInput& in)
{
    CaptureLayout out;
    const int h = PadHeightForExtents(in.pad.width, in.pad.height, in.padExtentX, in.padExtentY);
    out.delta = h - in.pad.height;
    out.controlShift = static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(out.delta) & 0xFFFFu));

    const int halfW = in.desktopWidth / 2;
    const int halfH = in.desktopHeight / 2;
    const int w = in.clientWidth + kFrameWidth;
    const int hh = in.clientHeight + kFrameHeight + out.delta;
    out.dialog = {halfW - w / 2, halfH - hh / 2, w, hh};
    out.pad = {in.pad.x, in.pad.y, in.pad.width, h};
    return out;
}

} // namespace penvane
