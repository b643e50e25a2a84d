// Shared fixtures for the pen-data tests.
#pragma once

#include "pen_record.h"
#include "stroke_file.h"

#include <gtest/gtest.h>

#include <string>

namespace pendata::testing {

inline PenRecord SampleSignature() {
  PenRecord r;
  EXPECT_TRUE(ReadStrokeFile(PENDATA_SAMPLE_PATH, &r)) << PENDATA_SAMPLE_PATH;
  return r;
}

// Small, with every channel combination and the extreme values.
inline PenRecord MixedRecord() {
  PenRecord r;
  r.extentX = 32767;
  r.extentY = 900;
  r.strokes.resize(4);
  r.strokes[0] = {true, true, {{0, 0, 4000000000u, 0}, {32767, 900, 5, 65535}, {100, 450, 10, 7}}};
  r.strokes[1] = {false, false, {{5, 6, 0, 0}}};
  r.strokes[2] = {true, false, {{7, 8, 20, 0}, {9, 10, 25, 0}}};
  r.strokes[3] = {false, true, {{32767, 0, 0, 512}, {0, 900, 0, 513}}};
  return r;
}

// An "upside-down detector": a bar along the top of the pad and a dot near
// the bottom-left corner, on a pad twice as wide as high.
inline PenRecord BarAndDot() {
  PenRecord r;
  r.extentX = 2000;
  r.extentY = 1000;
  Stroke bar{false, false, {}};
  for (int x = 200; x <= 1800; x += 40) bar.points.push_back({x, 200, 0, 0});
  r.strokes.push_back(bar);
  r.strokes.push_back({false, false, {{200, 800, 0, 0}}});
  return r;
}

inline bool SameRecord(const PenRecord& a, const PenRecord& b) {
  if (a.extentX != b.extentX || a.extentY != b.extentY || a.strokes.size() != b.strokes.size())
    return false;
  for (size_t i = 0; i < a.strokes.size(); ++i) {
    const Stroke &s = a.strokes[i], &t = b.strokes[i];
    if (s.hasTime != t.hasTime || s.hasPressure != t.hasPressure ||
        s.points.size() != t.points.size())
      return false;
    for (size_t k = 0; k < s.points.size(); ++k) {
      const PenPoint &p = s.points[k], &q = t.points[k];
      if (p.x != q.x || p.y != q.y || (s.hasTime && p.timeMs != q.timeMs) ||
          (s.hasPressure && p.pressure != q.pressure))
        return false;
    }
  }
  return true;
}

} // namespace pendata::testing
