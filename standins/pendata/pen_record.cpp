#include "pen_record.h"

#include "varint.h"

#include <utility>

namespace pendata {
namespace {

constexpr uint8_t kStrokeHasTime = 0x01;
constexpr uint8_t kStrokeHasPressure = 0x02;

// Linear prediction along a stroke: the next point continues the last step.
// The first point of a stroke is predicted by the last point of the previous
// stroke (pen-up jumps are short), the second by the first.
struct Predictor {
  int64_t prev = 0, prevprev = 0;
  size_t index = 0; // position in the current stroke
  void StartStroke() { index = 0; }
  int64_t Predict() const { return index >= 2 ? 2 * prev - prevprev : prev; }
  void Push(int64_t v) {
    prevprev = prev;
    prev = v;
    ++index;
  }
};

} // namespace

size_t PenRecord::PointCount() const {
  size_t n = 0;
  for (const Stroke& s : strokes) n += s.points.size();
  return n;
}

bool IsEncodable(const PenRecord& r) {
  if (r.extentX < 1 || r.extentX > kMaxExtent || r.extentY < 1 || r.extentY > kMaxExtent)
    return false;
  size_t total = 0;
  for (const Stroke& s : r.strokes) {
    if (s.points.empty()) return false;
    total += s.points.size();
    if (total > kMaxPoints) return false;
    for (const PenPoint& p : s.points)
      if (p.x < 0 || p.x > r.extentX || p.y < 0 || p.y > r.extentY) return false;
  }
  return true;
}

std::vector<uint8_t> EncodeRecord(const PenRecord& r) {
  std::vector<uint8_t> out;
  if (!IsEncodable(r)) return out;
  out.reserve(16 + r.PointCount() * 4);
  out.push_back(kRecordVersion);
  PutVarint(out, static_cast<uint32_t>(r.extentX));
  PutVarint(out, static_cast<uint32_t>(r.extentY));
  PutVarint(out, static_cast<uint32_t>(r.strokes.size()));
  for (const Stroke& s : r.strokes) {
    PutVarint(out, static_cast<uint32_t>(s.points.size()));
    out.push_back(static_cast<uint8_t>((s.hasTime ? kStrokeHasTime : 0) |
                                       (s.hasPressure ? kStrokeHasPressure : 0)));
  }
  // Coordinates are at most 32767 and predictions at most 3 * 32767 away,
  // so every residual fits in 32 bits.
  for (int axis = 0; axis < 2; ++axis) {
    Predictor pred;
    for (const Stroke& s : r.strokes) {
      pred.StartStroke();
      for (const PenPoint& p : s.points) {
        int64_t v = axis == 0 ? p.x : p.y;
        PutVarint(out, ZigZag(static_cast<int32_t>(v - pred.Predict())));
        pred.Push(v);
      }
    }
  }
  // Times as differences from the previous timed point. A difference is kept
  // to 32 bits by wrapping: the decoder wraps the same way.
  uint32_t prevTime = 0;
  for (const Stroke& s : r.strokes) {
    if (!s.hasTime) continue;
    for (const PenPoint& p : s.points) {
      PutVarint(out, ZigZag(static_cast<int32_t>(p.timeMs - prevTime)));
      prevTime = p.timeMs;
    }
  }
  int32_t prevPressure = 0;
  for (const Stroke& s : r.strokes) {
    if (!s.hasPressure) continue;
    for (const PenPoint& p : s.points) {
      PutVarint(out, ZigZag(p.pressure - prevPressure));
      prevPressure = p.pressure;
    }
  }
  return out;
}

bool DecodeRecord(const uint8_t* data, size_t size, PenRecord* out) {
  out->extentX = out->extentY = 0;
  out->strokes.clear();
  if (data == nullptr || size == 0) return false;

  ByteReader in(data, size);
  PenRecord r;
  if (in.Byte() != kRecordVersion) return false;
  uint32_t ex = in.Varint(), ey = in.Varint();
  uint32_t strokeCount = in.Varint();
  if (!in.ok() || ex < 1 || ex > kMaxExtent || ey < 1 || ey > kMaxExtent ||
      strokeCount > kMaxPoints)
    return false;
  // Each stroke header takes at least two bytes: refuse a count the input
  // cannot hold before allocating for it.
  if (strokeCount > in.Remaining() / 2) return false;
  r.extentX = static_cast<int32_t>(ex);
  r.extentY = static_cast<int32_t>(ey);
  r.strokes.resize(strokeCount);

  size_t total = 0;
  for (Stroke& s : r.strokes) {
    uint32_t n = in.Varint();
    uint8_t flags = in.Byte();
    if (!in.ok() || n == 0 || n > kMaxPoints - total) return false;
    if (flags & ~(kStrokeHasTime | kStrokeHasPressure)) return false;
    total += n;
    s.hasTime = flags & kStrokeHasTime;
    s.hasPressure = flags & kStrokeHasPressure;
    s.points.resize(n); // total stays within kMaxPoints
  }
  // Each point needs at least one byte in each coordinate column.
  if (total > in.Remaining() / 2) return false;

  for (int axis = 0; axis < 2; ++axis) {
    const int64_t limit = axis == 0 ? r.extentX : r.extentY;
    Predictor pred;
    for (Stroke& s : r.strokes) {
      pred.StartStroke();
      for (PenPoint& p : s.points) {
        int64_t v = pred.Predict() + in.SignedVarint();
        if (!in.ok() || v < 0 || v > limit) return false;
        (axis == 0 ? p.x : p.y) = static_cast<int32_t>(v);
        pred.Push(v);
      }
    }
  }
  uint32_t prevTime = 0;
  for (Stroke& s : r.strokes) {
    if (!s.hasTime) continue;
    for (PenPoint& p : s.points) {
      p.timeMs = prevTime + static_cast<uint32_t>(in.SignedVarint());
      prevTime = p.timeMs;
    }
  }
  int64_t prevPressure = 0;
  for (Stroke& s : r.strokes) {
    if (!s.hasPressure) continue;
    for (PenPoint& p : s.points) {
      int64_t v = prevPressure + in.SignedVarint();
      if (!in.ok() || v < 0 || v > 0xFFFF) return false;
      p.pressure = static_cast<uint16_t>(v);
      prevPressure = v;
    }
  }
  if (!in.ok() || !in.AtEnd()) return false;
  *out = std::move(r);
  return true;
}

} // namespace pendata
