// How wide a pen on paper writes at each point of a stroke: wider where it
// presses harder, thinner where it moves faster.
//
// Both are taken relative to the signature itself, so that the pen width a
// caller sets stays the width of the signature's usual line:
//  - pressure: the point's pressure over the median pressure of all points
//    that have one (at least kMinReferencePressure), raised to the power 1.5
//    (a firm press swells the line, a light touch thins it);
//  - speed, when the stroke has time: with v the pen's speed at the point
//    (over its two neighbours) over the median speed of all such points,
//    2.5 / (v + 1.5), kept within 0.6 .. 1.25 (fast strokes thinner, a
//    pause no blot);
//  - the product of the two, smoothed over five points (pressure sensors are
//    noisy) and kept within kMinWidthFactor .. kMaxWidthFactor, so that no
//    stroke vanishes where the pen barely touched.
// A stroke without pressure (a mouse, an older stroke file) has factor 1 at
// every point: the constant width of the nominal pen.
#pragma once

#include "pen_record.h"

#include <vector>

namespace pendata {

constexpr double kMinWidthFactor = 0.3;
constexpr double kMaxWidthFactor = 1.8;
constexpr double kMinReferencePressure = 32;

// What a signature's widths are measured against: the medians of its
// pressures and speeds (0 when it has none).
struct InkReference {
  double pressure = 0; // pressure units
  double speed = 0;    // pad units per millisecond
};

InkReference MeasureInk(const PenRecord& record);

bool HasPressure(const PenRecord& record);

// The width at each point of `stroke` as a multiple of the nominal width.
std::vector<double> WidthFactors(const Stroke& stroke, const InkReference& reference);

} // namespace pendata
