#include "pdf_drawing.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace pendata {
namespace {

struct Vec {
  double x, y;
};

// Points closer than this (in points, at the scale the points alone would
// be drawn) to the last one kept add nothing a reader can see at two decimals
// and a pen of a point or more.
constexpr double kMinSpacing = 1.0;

// The largest magnitude written: the integer limit every PDF reader takes.
constexpr double kMaxNumber = 2147483647;

int NormalizeRotation(int degrees) {
  int r = ((degrees % 360) + 360) % 360;
  return r % 90 == 0 ? r : 0;
}

// A box in pad units (y down, as the pad reports).
struct Bounds {
  double x0 = HUGE_VAL, y0 = HUGE_VAL, x1 = -HUGE_VAL, y1 = -HUGE_VAL;
  void Add(Vec v) {
    x0 = std::min(x0, v.x), y0 = std::min(y0, v.y);
    x1 = std::max(x1, v.x), y1 = std::max(y1, v.y);
  }
};

// Scale and offset from pad units to the box as the reader sees it (x right,
// y up, origin bottom left).
struct Placement {
  double scale = 0;
  double regionX = 0, regionY = 0; // top-left corner of the placed region, pad units
  double left = 0, top = 0;        // where that corner lands in the box
  double boxHeight = 0;
  Vec Map(Vec v) const {
    return {left + (v.x - regionX) * scale, boxHeight - top - (v.y - regionY) * scale};
  }
};

// Places `ink` (pad units) in the box, pen width / 2 (`margin`) inside its
// edges. Mode 0 places the pad with the ink on it, mode 1 the ink at mode 0's
// scale; the pad's region grows by whatever of the ink lies beyond it.
Placement Place(const Bounds& ink, const PenRecord& r, const DrawingSettings& s, double margin) {
  const double innerW = std::max(0.0, s.width - 2 * margin);
  const double innerH = std::max(0.0, s.height - 2 * margin);
  auto fit = [&](const Bounds& b) {
    const double w = b.x1 - b.x0, h = b.y1 - b.y0;
    if (w > 0 && h > 0) return std::min(innerW / w, innerH / h);
    if (w > 0) return innerW / w;
    if (h > 0) return innerH / h;
    return 0.0;
  };
  Bounds pad = ink;
  pad.Add(Vec{0, 0});
  pad.Add(Vec{static_cast<double>(r.extentX), static_cast<double>(r.extentY)});
  const Bounds& region = s.justifyMode == 0 ? pad : ink;
  Placement pl;
  pl.boxHeight = s.height;
  pl.scale = fit(s.justifyMode == 0 || s.justifyMode == 1 ? pad : ink);
  pl.regionX = region.x0;
  pl.regionY = region.y0;
  const double jx = std::clamp(s.justifyX, 0, 100) / 100.0;
  const double jy = std::clamp(s.justifyY, 0, 100) / 100.0;
  pl.left = margin + std::max(0.0, innerW - (region.x1 - region.x0) * pl.scale) * jx;
  pl.top = margin + std::max(0.0, innerH - (region.y1 - region.y0) * pl.scale) * jy;
  return pl;
}

// One stroke: its start, then per Catmull-Rom segment two control points and
// the end point, as cubic Bézier curves.
struct Curve {
  Vec start;
  std::vector<Vec> segments; // c1, c2, end, c1, c2, end, ...
};

// The strokes as curves in pad units, for ink drawn at `scale` points a pad
// unit. The Catmull-Rom construction commutes with scaling and moving, so the
// curves are built once, measured, and then placed as a whole.
std::vector<Curve> BuildCurves(const PenRecord& record, double scale) {
  std::vector<Curve> curves;
  std::vector<Vec> p;
  for (const Stroke& st : record.strokes) {
    p.clear();
    for (size_t i = 0; i < st.points.size(); ++i) {
      Vec v{static_cast<double>(st.points[i].x), static_cast<double>(st.points[i].y)};
      bool last = i + 1 == st.points.size();
      if (!p.empty()) {
        double d = std::hypot(v.x - p.back().x, v.y - p.back().y) * scale;
        if (d < kMinSpacing && !(last && d > 0)) continue;
      }
      p.push_back(v);
    }
    Curve c{p[0], {}};
    const size_t n = p.size();
    for (size_t i = 0; i + 1 < n; ++i) {
      const Vec& p0 = p[i == 0 ? 0 : i - 1];
      const Vec& p1 = p[i];
      const Vec& p2 = p[i + 1];
      const Vec& p3 = p[std::min(i + 2, n - 1)];
      c.segments.push_back({p1.x + (p2.x - p0.x) / 6, p1.y + (p2.y - p0.y) / 6});
      c.segments.push_back({p2.x - (p3.x - p1.x) / 6, p2.y - (p3.y - p1.y) / 6});
      c.segments.push_back(p2);
    }
    curves.push_back(std::move(c));
  }
  return curves;
}

// Where one coordinate of a cubic Bézier turns: the roots in (0, 1) of its
// derivative, a t^2 + b t + c (divided by 3), evaluated on the curve.
void AddTurns(double q0, double q1, double q2, double q3, double& lo, double& hi) {
  const double a = -q0 + 3 * q1 - 3 * q2 + q3, b = 2 * (q0 - 2 * q1 + q2), c = q1 - q0;
  double t[2];
  int n = 0;
  if (std::abs(a) < 1e-12) {
    if (std::abs(b) > 1e-12) t[n++] = -c / b;
  } else {
    const double disc = b * b - 4 * a * c;
    if (disc >= 0) {
      const double root = std::sqrt(disc);
      t[n++] = (-b + root) / (2 * a);
      t[n++] = (-b - root) / (2 * a);
    }
  }
  for (int i = 0; i < n; ++i) {
    if (!(t[i] > 0 && t[i] < 1)) continue;
    const double u = 1 - t[i];
    const double v = u * u * u * q0 + 3 * u * u * t[i] * q1 + 3 * u * t[i] * t[i] * q2 +
                     t[i] * t[i] * t[i] * q3;
    lo = std::min(lo, v);
    hi = std::max(hi, v);
  }
}

// The box of the curves themselves: the points they pass through and the
// extremes of each segment, which lie past the points where the ink turns.
Bounds CurveBounds(const std::vector<Curve>& curves) {
  Bounds b;
  for (const Curve& c : curves) {
    Vec from = c.start;
    b.Add(from);
    for (size_t i = 0; i + 2 < c.segments.size(); i += 3) {
      const Vec &c1 = c.segments[i], &c2 = c.segments[i + 1], &to = c.segments[i + 2];
      b.Add(to);
      AddTurns(from.x, c1.x, c2.x, to.x, b.x0, b.x1);
      AddTurns(from.y, c1.y, c2.y, to.y, b.y0, b.y1);
      from = to;
    }
  }
  return b;
}

Bounds PointBounds(const PenRecord& record) {
  Bounds b;
  for (const Stroke& st : record.strokes)
    for (const PenPoint& p : st.points)
      b.Add(Vec{static_cast<double>(p.x), static_cast<double>(p.y)});
  return b;
}

// From the reader's view of the box to the drawing's own coordinates, turned
// against the page rotation.
Vec Rotate(Vec v, int rotation, double w, double h) {
  switch (rotation) {
  case 90: return {h - v.y, v.x};
  case 180: return {w - v.x, h - v.y};
  case 270: return {v.y, w - v.x};
  default: return v;
  }
}

class PathWriter {
public:
  PathWriter(std::string& out, const Placement& pl, int rotation, double w, double h)
      : out_(out), pl_(pl), rotation_(rotation), w_(w), h_(h) {}

  void Curve(const Curve& c) {
    Point(c.start);
    out_ += "m\n";
    if (c.segments.empty()) { // a dot: a zero-length line with round caps
      Point(c.start);
      out_ += "l\n";
      return;
    }
    for (size_t i = 0; i + 2 < c.segments.size(); i += 3) {
      Point(c.segments[i]);
      Point(c.segments[i + 1]);
      Point(c.segments[i + 2]);
      out_ += "c\n";
    }
  }

  // False when a number could not be written.
  bool ok() const { return ok_; }

private:
  // The placement left room for the curves' extremes, so the points go out as
  // they are: pulling a control point in would bend the curve.
  void Point(Vec pad) {
    Vec v = Rotate(pl_.Map(pad), rotation_, w_, h_);
    ok_ = AppendNumber(out_, v.x) && ok_;
    out_ += ' ';
    ok_ = AppendNumber(out_, v.y) && ok_;
    out_ += ' ';
  }

  std::string& out_;
  const Placement& pl_;
  int rotation_;
  double w_, h_;
  bool ok_ = true;
};

} // namespace

bool AppendNumber(std::string& out, double v) {
  if (!(std::abs(v) <= kMaxNumber)) return false; // NaN fails too
  long long r = std::llround(v * 100);
  if (r < 0) {
    out += '-';
    r = -r;
  }
  long long whole = r / 100, frac = r % 100;
  if (whole != 0 || frac == 0) out += std::to_string(whole);
  if (frac != 0) {
    out += '.';
    out += static_cast<char>('0' + frac / 10);
    if (frac % 10) out += static_cast<char>('0' + frac % 10);
  }
  return true;
}

bool DrawInk(const PenRecord& record, const DrawingSettings& s, std::string* out) {
  out->clear();
  // Only what the pad could hold and store: no empty stroke, coordinates
  // within the extents (so every span fits the arithmetic below).
  if (record.PointCount() == 0 || !IsEncodable(record) || s.width <= 0 || s.height <= 0)
    return false;

  const int pen = std::max(s.penWidth, 1);
  const double margin = std::min({pen / 2.0, s.width / 2.0, s.height / 2.0});
  // The points decide which of them are close enough to drop; the curves
  // through the rest then decide the placement, their bulge past the points
  // included, so the ink fits the box without bending any curve.
  const double pointScale = Place(PointBounds(record), record, s, margin).scale;
  const std::vector<Curve> curves = BuildCurves(record, pointScale);
  const Placement pl = Place(CurveBounds(curves), record, s, margin);

  out->reserve(record.PointCount() * 24 + 64);
  *out += "q\n1 J 1 j ";
  *out += std::to_string(pen);
  *out += " w 0 G\n";
  PathWriter path(*out, pl, NormalizeRotation(s.rotation), s.width, s.height);
  for (const Curve& c : curves) path.Curve(c);
  *out += "S\nQ\n";
  if (!path.ok()) out->clear();
  return path.ok();
}

} // namespace pendata
