#include "pad_ink.h"

#include <algorithm>
#include <cmath>

namespace pendata {
namespace {

// Points closer than a pixel to the last one kept add nothing on the screen.
constexpr double kMinPixelSpacing = 1.0;
// The thinnest live ink, half width in pixels: one pixel wide.
constexpr double kMinPixelRadius = 0.5;

} // namespace

void PadInkOutlines(const PenRecord& record, const InkReference& reference, size_t stroke,
                    size_t from, double width, double height, double penWidth,
                    std::vector<InkPath>* out) {
  if (stroke >= record.strokes.size() || !(width > 0) || !(height > 0) || record.extentX <= 0 ||
      record.extentY <= 0)
    return;
  const Stroke& s = record.strokes[stroke];
  if (from >= s.points.size()) return;
  const std::vector<double> factor = WidthFactors(s, reference);
  const double sx = width / record.extentX, sy = height / record.extentY;
  std::vector<InkPoint> points;
  std::vector<double> radius;
  for (size_t i = from; i < s.points.size(); ++i) {
    const InkPoint p{s.points[i].x * sx, s.points[i].y * sy};
    const bool last = i + 1 == s.points.size();
    if (!points.empty()) {
      const double d = std::hypot(p.x - points.back().x, p.y - points.back().y);
      if (d < kMinPixelSpacing && !(last && d > 0)) continue;
    }
    points.push_back(p);
    radius.push_back(std::max(penWidth / 2 * factor[i], kMinPixelRadius));
  }
  OutlineStroke(SmoothPath(points), radius, out);
}

} // namespace pendata
