#include "pdf_drawing.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace pendata {
namespace {

struct Vec {
  double x, y;
};

// Points closer than this (in points) to the last one kept add nothing a
// reader can see at two decimals and a pen of a point or more.
constexpr double kMinSpacing = 1.0;

int NormalizeRotation(int degrees) {
  int r = ((degrees % 360) + 360) % 360;
  return r % 90 == 0 ? r : 0;
}

// Space kept free inside each edge of the box, as the reader sees it.
struct Margins {
  double left, right, top, bottom;
};

// Scale and offset from pad units to the box as the reader sees it (x right,
// y up, origin bottom left).
struct Placement {
  double scale = 0;
  double regionX = 0, regionY = 0; // top-left corner of the placed region, pad units
  double left = 0, top = 0;        // where that corner lands in the box
  double boxHeight = 0;
  Vec Map(const PenPoint& p) const {
    return {left + (p.x - regionX) * scale, boxHeight - top - (p.y - regionY) * scale};
  }
};

Placement Place(const PenRecord& r, const DrawingSettings& s, const Margins& mg) {
  int32_t minX = INT32_MAX, minY = INT32_MAX, maxX = INT32_MIN, maxY = INT32_MIN;
  for (const Stroke& st : r.strokes)
    for (const PenPoint& p : st.points) {
      minX = std::min(minX, p.x);
      maxX = std::max(maxX, p.x);
      minY = std::min(minY, p.y);
      maxY = std::max(maxY, p.y);
    }
  const double innerW = std::max(0.0, s.width - mg.left - mg.right);
  const double innerH = std::max(0.0, s.height - mg.top - mg.bottom);
  auto fit = [&](double w, double h) {
    if (w > 0 && h > 0) return std::min(innerW / w, innerH / h);
    if (w > 0) return innerW / w;
    if (h > 0) return innerH / h;
    return 0.0;
  };
  Placement pl;
  pl.boxHeight = s.height;
  double regionW = maxX - minX, regionH = maxY - minY;
  pl.regionX = minX;
  pl.regionY = minY;
  if (s.justifyMode == 0) {
    pl.regionX = pl.regionY = 0;
    regionW = r.extentX;
    regionH = r.extentY;
    pl.scale = fit(regionW, regionH);
  } else if (s.justifyMode == 1) {
    pl.scale = fit(r.extentX, r.extentY);
  } else {
    pl.scale = fit(regionW, regionH);
  }
  const double jx = std::clamp(s.justifyX, 0, 100) / 100.0;
  const double jy = std::clamp(s.justifyY, 0, 100) / 100.0;
  pl.left = mg.left + std::max(0.0, innerW - regionW * pl.scale) * jx;
  pl.top = mg.top + std::max(0.0, innerH - regionH * pl.scale) * jy;
  return pl;
}

// One stroke as the reader sees it: its start, then per Catmull-Rom segment
// two control points and the end point, as cubic Bézier curves.
struct Curve {
  Vec start;
  std::vector<Vec> segments; // c1, c2, end, c1, c2, end, ...
};

std::vector<Curve> BuildCurves(const PenRecord& record, const Placement& pl) {
  std::vector<Curve> curves;
  std::vector<Vec> p;
  for (const Stroke& st : record.strokes) {
    p.clear();
    for (size_t i = 0; i < st.points.size(); ++i) {
      Vec v = pl.Map(st.points[i]);
      bool last = i + 1 == st.points.size();
      if (!p.empty()) {
        double d = std::hypot(v.x - p.back().x, v.y - p.back().y);
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

// How far the curves' control points reach past the given margins. A curve
// through points at the edge of the ink bulges a little beyond them.
Margins Overshoot(const std::vector<Curve>& curves, const DrawingSettings& s, const Margins& mg) {
  Margins o{0, 0, 0, 0};
  for (const Curve& c : curves)
    for (const Vec& v : c.segments) {
      o.left = std::max(o.left, mg.left - v.x);
      o.right = std::max(o.right, v.x - (s.width - mg.right));
      o.bottom = std::max(o.bottom, mg.bottom - v.y);
      o.top = std::max(o.top, v.y - (s.height - mg.top));
    }
  return o;
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
  PathWriter(std::string& out, int rotation, double w, double h, double margin)
      : out_(out), rotation_(rotation), w_(w), h_(h), margin_(margin) {}

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

private:
  // The curve lies in the hull of its control points: keeping them inside
  // the margins keeps the ink inside the box. The placement already left
  // room for them; this only guards against rounding.
  void Point(Vec seen) {
    Vec v{std::clamp(seen.x, margin_, w_ - margin_), std::clamp(seen.y, margin_, h_ - margin_)};
    v = Rotate(v, rotation_, w_, h_);
    AppendNumber(out_, v.x);
    out_ += ' ';
    AppendNumber(out_, v.y);
    out_ += ' ';
  }

  std::string& out_;
  int rotation_;
  double w_, h_, margin_;
};

} // namespace

void AppendNumber(std::string& out, double v) {
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
}

bool DrawInk(const PenRecord& record, const DrawingSettings& s, std::string* out) {
  out->clear();
  if (record.PointCount() == 0 || s.width <= 0 || s.height <= 0) return false;

  const int pen = std::max(s.penWidth, 1);
  const double margin = std::min({pen / 2.0, s.width / 2.0, s.height / 2.0});
  Margins mg{margin, margin, margin, margin};
  std::vector<Curve> curves = BuildCurves(record, Place(record, s, mg));
  // Leave room for the curves' bulge and place again: the bulge only shrinks
  // with the scale, so the second placement fits.
  Margins o = Overshoot(curves, s, mg);
  if (o.left > 0 || o.right > 0 || o.top > 0 || o.bottom > 0) {
    mg = {margin + o.left, margin + o.right, margin + o.top, margin + o.bottom};
    curves = BuildCurves(record, Place(record, s, mg));
  }

  out->reserve(record.PointCount() * 24 + 64);
  *out += "q\n1 J 1 j ";
  *out += std::to_string(pen);
  *out += " w 0 G\n";
  PathWriter path(*out, NormalizeRotation(s.rotation), s.width, s.height, margin);
  for (const Curve& c : curves) path.Curve(c);
  *out += "S\nQ\n";
  return true;
}

} // namespace pendata
