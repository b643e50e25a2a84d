// Mapping between the pad window's client pixels and the pad's logical units.
// Platform-free: the stand-in control maps pen input with it, and the replay
// driver maps stroke files back onto a window with the inverse.
#pragma once

#include <cstdint>

namespace quillix {

// The pad window's client area in pixels.
struct ClientSize {
    int32_t width = 1;
    int32_t height = 1;
};

// The logical coordinate of client pixel `pixel` on an axis `pixels` wide,
// for a pad `extent` units long: the pixel's centre, scaled. Pixels outside
// the client area (a stroke dragged past the edge) give the nearest edge.
// A client area or extent below 1 counts as 1.
int32_t PixelToLogical(int32_t pixel, int32_t pixels, int32_t extent);

// The client pixel that holds logical coordinate `logical`, clamped to the
// client area. PixelToLogical of the result gives back a coordinate of the
// same pixel, so a replayed stroke lands exactly where it was written when
// the window has at most one pixel per two logical units.
int32_t LogicalToPixel(int32_t logical, int32_t extent, int32_t pixels);

} // namespace quillix
