#include "StrokeInput.h"

#include "PadGeometry.h"

namespace quillix {

bool StrokeInput::Take(const PixelSample& s, ClientSize client, bool newStroke)
{
    // Times count from the first point of the pad's content, so that they stay
    // small whatever the system clock reads; unsigned arithmetic keeps the
    // order across the clock's wrap.
    if (m_pad.PointCount() == 0) m_timeOrigin = s.timeMs;
    pendata::PenSample sample;
    sample.x = PixelToLogical(s.x, client.width, m_pad.PadExtentX());
    sample.y = PixelToLogical(s.y, client.height, m_pad.PadExtentY());
    sample.hasTime = true;
    sample.timeMs = s.timeMs - m_timeOrigin;
    sample.hasPressure = s.hasPressure;
    sample.pressure = s.hasPressure ? s.pressure : 0;
    const bool taken = newStroke ? m_pad.PenDown(sample) : m_pad.PenMove(sample);
    if (taken) {
        m_lastX = s.x;
        m_lastY = s.y;
    }
    return taken;
}

bool StrokeInput::Down(const PixelSample& s, ClientSize client)
{
    // A down while a stroke is in progress (a lost up) starts a new stroke.
    Cancel();
    if (!m_pad.Capturing()) return false;
    // A full pad takes no stroke at all, so it reports none ending either.
    m_inStroke = Take(s, client, true);
    return m_inStroke;
}

bool StrokeInput::Move(const PixelSample& s, ClientSize client)
{
    if (!m_inStroke || !m_pad.Capturing()) return false;
    return Take(s, client, false);
}

bool StrokeInput::Up(const PixelSample& s, ClientSize client)
{
    if (!m_inStroke) return false;
    if (m_pad.Capturing() && (s.x != m_lastX || s.y != m_lastY)) Take(s, client, false);
    return Cancel();
}

bool StrokeInput::Cancel()
{
    if (!m_inStroke) return false;
    m_inStroke = false;
    m_pad.PenUp();
    return true;
}

} // namespace quillix
