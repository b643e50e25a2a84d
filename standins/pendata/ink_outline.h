// Ink of varying width as filled outlines made of cubic Bézier curves.
//
// A stroke is a smooth curve through its points (Catmull-Rom segments as
// cubic Béziers). Drawn with a pen whose half width changes from point to
// point, its ink is the area the pen's disc sweeps along that curve. That
// area is given here as closed paths, every one turning the same way, so
// that filling them with the nonzero winding rule fills their union:
//  - where the curve bends gently for the pen's size, one outline per run of
//    segments: the left side offset forward, a round cap, the right side
//    offset backward, a round cap;
//  - where it bends more tightly than the pen's radius (a loop's tip, a
//    hairpin), an offset side would fold back on itself and cut a hole in
//    the fill; such a segment is drawn as a chain of overlapping discs along
//    the curve instead.
// Platform-free and unit-free: the drawing works in points, the pad's live
// ink in pixels.
#pragma once

#include <memory>
#include <vector>

namespace pendata {

struct InkPoint {
  double x, y;
};

// A path: its start, then per cubic Bézier curve its two control points and
// its end point.
struct InkPath {
  InkPoint start{0, 0};
  std::vector<InkPoint> curves; // c1, c2, end, c1, c2, end, ...
};

// The smooth curve through `points` (at least one): Catmull-Rom segments as
// cubic Béziers, the end points' tangents taken from their one neighbour. One
// point gives a path without curves.
InkPath SmoothPath(const std::vector<InkPoint>& points);

// Appends to *out the closed paths whose union is the ink of a pen of half
// width radius[i] at the i-th on-curve point of `centre` (SmoothPath's
// result; radius holds one value per on-curve point, each above 0). A
// centre without curves is a disc.
void OutlineStroke(const InkPath& centre, const std::vector<double>& radius,
                   std::vector<InkPath>* out);

// OutlineStroke for a caller that outlines again and again (the drawing
// fits its scale in a few rounds): it keeps its working buffers, and the
// paths of *out from index *used on are refilled in place, their storage
// kept, before new ones are added; *used ends past the last path written.
class InkOutliner {
public:
  InkOutliner();
  ~InkOutliner();
  void Stroke(const InkPath& centre, const std::vector<double>& radius, std::vector<InkPath>* out,
              size_t* used);

private:
  struct Buffers;
  std::unique_ptr<Buffers> buffers_;
};

// The disc of radius r around c, as four quarter arcs, turning the way every
// outline above turns.
InkPath Disc(InkPoint c, double r);

} // namespace pendata
