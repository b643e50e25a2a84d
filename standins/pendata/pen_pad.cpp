#include "pen_pad.h"

#include <algorithm>

namespace pendata {

void PenPad::SetPadExtent(int32_t x, int32_t y) {
  record_.extentX = std::clamp(x, 1, kMaxExtent);
  record_.extentY = std::clamp(y, 1, kMaxExtent);
  ClearPad();
}

void PenPad::ClearPad() {
  record_.strokes.clear();
  penDown_ = false;
}

bool PenPad::PenDown(const PenSample& s) { return AddSample(s, true); }
bool PenPad::PenMove(const PenSample& s) { return AddSample(s, !penDown_); }

bool PenPad::AddSample(const PenSample& s, bool newStroke) {
  if (!capturing_ || record_.PointCount() >= kMaxPoints) return false;
  // A stroke keeps a channel only if all its points have it.
  if (!newStroke && !record_.strokes.empty()) {
    Stroke& cur = record_.strokes.back();
    if (cur.hasTime != s.hasTime || cur.hasPressure != s.hasPressure) newStroke = true;
  }
  if (newStroke || record_.strokes.empty()) {
    Stroke st;
    st.hasTime = s.hasTime;
    st.hasPressure = s.hasPressure;
    record_.strokes.push_back(std::move(st));
  }
  PenPoint p;
  p.x = std::clamp(s.x, 0, record_.extentX);
  p.y = std::clamp(s.y, 0, record_.extentY);
  p.timeMs = s.hasTime ? s.timeMs : 0;
  p.pressure = s.hasPressure ? s.pressure : 0;
  record_.strokes.back().points.push_back(p);
  penDown_ = true;
  return true;
}

std::string PenPad::GetSignatureString() const { return EncodeSignatureString(record_, codec_); }

bool PenPad::SetSignatureString(std::string_view text) {
  PenRecord loaded;
  if (!DecodeSignatureString(text, codec_, &loaded)) {
    ClearPad();
    return false;
  }
  record_ = std::move(loaded);
  penDown_ = false;
  return true;
}

} // namespace pendata
