// Pen input as it arrives at the pad window (pen down, moves, pen up, in
// client pixels) turned into pen points on the pad. Platform-free, so that
// the rules live outside the window glue:
//  - a point per message: down, every move while the pen is down, and the up
//    when it lies elsewhere than the last point;
//  - coordinates scaled from the client area into the pad's logical extents;
//  - time in milliseconds since the first point on an empty pad, pressure
//    when the input has it;
//  - nothing is taken while the pad's capture state is off.
#pragma once

#include <cstdint>

#include "PadGeometry.h"
#include "pen_pad.h"

namespace quillix {

struct PixelSample {
    int32_t x = 0;
    int32_t y = 0;
    uint32_t timeMs = 0;      // the input's clock (message time), any origin
    bool hasPressure = false;
    uint16_t pressure = 0;
};

class StrokeInput {
public:
    explicit StrokeInput(pendata::PenPad& pad) : m_pad(pad) {}

    // Each answers whether a point was added to the pad.
    bool Down(const PixelSample& s, ClientSize client);
    bool Move(const PixelSample& s, ClientSize client);
    // Ends the stroke in progress; true when there was one (the pad then
    // tells its host that a stroke ended).
    bool Up(const PixelSample& s, ClientSize client);
    // Ends the stroke in progress without a last point (capture switched off,
    // a button-up that never arrived); true when there was one.
    bool Cancel();

    bool InStroke() const { return m_inStroke; }
    // The client pixel of the last point taken in this stroke.
    int32_t LastX() const { return m_lastX; }
    int32_t LastY() const { return m_lastY; }

private:
    bool Take(const PixelSample& s, ClientSize client, bool newStroke);

    pendata::PenPad& m_pad;
    bool m_inStroke = false;
    int32_t m_lastX = 0;
    int32_t m_lastY = 0;
    uint32_t m_timeOrigin = 0;
};

} // namespace quillix
