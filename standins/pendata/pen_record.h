// Pen data: strokes of pen points on a pad, and their compact binary record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pendata {

// Format version of the binary record; the first byte of every record.
constexpr uint8_t kRecordVersion = 1;

// The point count is reported as a signed 16-bit value, so a pad never holds
// more points than that; the loader refuses records that claim more.
constexpr size_t kMaxPoints = 32767;
// Pad extents (and so coordinates) are reported as signed 16-bit values too.
constexpr int32_t kMaxExtent = 32767;

struct PenPoint {
  int32_t x = 0;         // pad logical units, 0 .. extentX, left to right
  int32_t y = 0;         // pad logical units, 0 .. extentY, top to bottom
  uint32_t timeMs = 0;   // milliseconds; meaningful only when the stroke has time
  uint16_t pressure = 0; // meaningful only when the stroke has pressure
};

// One pen-down .. pen-up trace. Time and pressure are kept only when the input
// gave them; a stroke either has them for all its points or for none.
struct Stroke {
  bool hasTime = false;
  bool hasPressure = false;
  std::vector<PenPoint> points;
};

struct PenRecord {
  int32_t extentX = 0; // the pad's logical size: the ink's aspect ratio
  int32_t extentY = 0;
  std::vector<Stroke> strokes;

  size_t PointCount() const;
  void Clear() { strokes.clear(); }
};

// True when the record can be encoded and read back unchanged: extents in
// 1 .. kMaxExtent, points inside them, no empty stroke, at most kMaxPoints.
bool IsEncodable(const PenRecord& record);

// The binary record: the version byte, the extents, the stroke table, then one
// column per channel (x, y, time, pressure) of zig-zag variable-length
// integers. Coordinates are stored as the error of a linear prediction from
// the two previous points, times and pressures as differences: on a smooth
// trace most values are a few units, and deflate packs the columns tightly.
// An unencodable record gives an empty vector.
std::vector<uint8_t> EncodeRecord(const PenRecord& record);

// Reads a binary record. Anything that is not exactly one well-formed record
// (wrong version, truncation, trailing bytes, overlong integers, counts above
// the limits, points outside the extents) answers false and leaves *out empty.
bool DecodeRecord(const uint8_t* data, size_t size, PenRecord* out);

} // namespace pendata
