// The ink as PDF content operators, for a signature appearance.
//
// The drawing fills a box of width x height whole points as the reader sees
// it on the page. The ink keeps its aspect ratio and stays pen width / 2 away
// from the box's edges, so the round pen never crosses them.
//
// Justify modes (placement of the ink in the box):
//   0  pad:  the whole pad surface is fitted to the box and placed by X/Y; the
//           ink keeps its place on the pad (the surface grows by any bulge of
//           the curves past its edges).
//   1  pad scale: the ink at the size it has in mode 0, cropped to its own
//           bounding box and placed by X/Y.
//   5  fit:  the ink's bounding box is fitted to the box and placed by X/Y
//           (the default).
//   Any other mode is drawn as 5.
// Justify X and Y are percentages of the free space left of and above the
// ink: X 0 puts it at the left edge, 100 at the right, 50 centres it; Y 0 puts
// it at the top, 100 at the bottom. Values outside 0 .. 100 are clamped.
//
// Rotation is the page's rotation in degrees (0, 90, 180, 270; other
// multiples of 90 are reduced, anything else counts as 0). The ink is turned
// against it, so that it stands upright on the rotated page: for 90 and 270
// the operators' coordinates span height x width instead of width x height.
//
// Each stroke is a smooth curve through its points (Catmull-Rom segments as
// cubic Béziers, round caps and joins); a one-point stroke is a dot. Where the
// ink turns at its edge the curve bulges past the points: the ink is fitted
// and placed by the curves' own extremes, so no curve is bent to fit. Numbers
// have at most two decimals.
//
// Pressure ink (on unless turned off): when any stroke has pressure, the ink
// is drawn as a pen on paper leaves it, as filled outlines along the same
// curves (ink_outline.h) whose width follows each point's pressure, eased by
// its speed (ink_width.h), around the pen width: the width of the
// signature's usual line. Caps are round, and no line is thinner than half a
// point. Strokes without pressure in such a drawing keep the pen width. The
// outlines, not the centre line, are fitted into the box and placed by X/Y.
// Without pressure anywhere the drawing is the constant-width one above,
// byte for byte.
#pragma once

#include "pen_record.h"

#include <string>

namespace pendata {

struct DrawingSettings {
  int width = 0;   // whole points, as the reader sees the box
  int height = 0;
  int penWidth = 1; // points; below 1 draws as 1
  int justifyMode = 5;
  int justifyX = 50;
  int justifyY = 50;
  int rotation = 0;
  bool pressureInk = true; // width follows pressure and speed where strokes have pressure
};

// False, with *out empty, when there is nothing to draw (no points, a box
// with no area) or the record is not one the pad could hold (IsEncodable: an
// empty stroke, points outside the extents, too many points).
bool DrawInk(const PenRecord& record, const DrawingSettings& settings, std::string* out);

// Appends v with at most two decimals and no redundant zeros ("12", "3.5",
// "-.25"). False, appending nothing, when v is not a number or lies beyond
// +-2147483647, the integer range every PDF reader takes.
bool AppendNumber(std::string& out, double v);

} // namespace pendata
