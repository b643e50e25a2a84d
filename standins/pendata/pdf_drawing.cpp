#include "pdf_drawing.h"

#include "ink_outline.h"
#include "ink_width.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace pendata {
namespace {

using Vec = InkPoint;

// Points closer than this (in points, at the scale the points alone would
// be drawn) to the last one kept add nothing a reader can see at two decimals
// and a pen of a point or more.
constexpr double kMinSpacing = 1.0;

// The largest magnitude written: the integer limit every PDF reader takes.
constexpr double kMaxNumber = 2147483647;

// The thinnest ink an outline draws, half width in points: a hairline that
// every reader still shows, however lightly the pen touched.
constexpr double kMinHalfWidth = 0.25;

// The fit of outlines has settled when a further step would move their edge
// by less than this, in points: the estimate from discs, which costs little,
// to what two decimals show; the outlines themselves, to what no reader
// shows (1/3600 inch), so that one build of them mostly does.
constexpr double kSettled = 0.002;
constexpr double kOutlineSettled = 0.02;

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
using Curve = InkPath;

// The strokes as curves in pad units, for ink drawn at `scale` points a pad
// unit. The Catmull-Rom construction commutes with scaling and moving, so the
// curves are built once, measured, and then placed as a whole. `kept`, when
// given, receives per stroke the indices of the points the curve goes through.
std::vector<Curve> BuildCurves(const PenRecord& record, double scale,
                               std::vector<std::vector<size_t>>* kept = nullptr) {
  std::vector<Curve> curves;
  std::vector<Vec> p;
  std::vector<size_t> index;
  for (const Stroke& st : record.strokes) {
    p.clear();
    index.clear();
    for (size_t i = 0; i < st.points.size(); ++i) {
      Vec v{static_cast<double>(st.points[i].x), static_cast<double>(st.points[i].y)};
      bool last = i + 1 == st.points.size();
      if (!p.empty()) {
        // Whole pad units: the squares add up exactly, and the root is
        // hypot's but for rounding, which only matters at the threshold.
        const double dx = v.x - p.back().x, dy = v.y - p.back().y;
        double d = std::sqrt(dx * dx + dy * dy) * scale;
        if (std::abs(d - kMinSpacing) < 1e-9) d = std::hypot(dx, dy) * scale;
        if (d < kMinSpacing && !(last && d > 0)) continue;
      }
      p.push_back(v);
      index.push_back(i);
    }
    curves.push_back(SmoothPath(p));
    if (kept) kept->push_back(index);
  }
  return curves;
}

// Where one coordinate of a cubic Bézier turns: the roots in (0, 1) of its
// derivative, a t^2 + b t + c (divided by 3). Their count, at most 2.
int Turns(double q0, double q1, double q2, double q3, double* t) {
  const double a = -q0 + 3 * q1 - 3 * q2 + q3, b = 2 * (q0 - 2 * q1 + q2), c = q1 - q0;
  double roots[2];
  int n = 0;
  if (std::abs(a) < 1e-12) {
    if (std::abs(b) > 1e-12) roots[n++] = -c / b;
  } else {
    const double disc = b * b - 4 * a * c;
    if (disc >= 0) {
      const double root = std::sqrt(disc);
      roots[n++] = (-b + root) / (2 * a);
      roots[n++] = (-b - root) / (2 * a);
    }
  }
  int inside = 0;
  for (int i = 0; i < n; ++i)
    if (roots[i] > 0 && roots[i] < 1) t[inside++] = roots[i];
  return inside;
}

double BezierAt(double q0, double q1, double q2, double q3, double t) {
  const double u = 1 - t;
  return u * u * u * q0 + 3 * u * u * t * q1 + 3 * u * t * t * q2 + t * t * t * q3;
}

// The extremes of one coordinate of a cubic Bézier, added to lo .. hi.
void AddTurns(double q0, double q1, double q2, double q3, double& lo, double& hi) {
  double t[2];
  const int n = Turns(q0, q1, q2, q3, t);
  for (int i = 0; i < n; ++i) {
    const double v = BezierAt(q0, q1, q2, q3, t[i]);
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
    for (size_t i = 0; i + 2 < c.curves.size(); i += 3) {
      const Vec &c1 = c.curves[i], &c2 = c.curves[i + 1], &to = c.curves[i + 2];
      b.Add(to);
      // A curve stays within its control points: only one reaching past the
      // box so far can have an extreme beyond it.
      if (std::min(c1.x, c2.x) < b.x0 || std::max(c1.x, c2.x) > b.x1)
        AddTurns(from.x, c1.x, c2.x, to.x, b.x0, b.x1);
      if (std::min(c1.y, c2.y) < b.y0 || std::max(c1.y, c2.y) > b.y1)
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

// The longest number written: a sign, ten digits, a point and two decimals.
constexpr size_t kNumberChars = 14;

constexpr char kDigitPairs[] = "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
                               "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
                               "8081828384858687888990919293949596979899";

// Writes v as AppendNumber does into the kNumberChars before `end`, and
// answers where it starts; null when v is not written. Numbers are formatted
// by hand, back to front: a drawing writes thousands of them.
char* FormatNumber(double v, char* end) {
  if (!(std::abs(v) <= kMaxNumber)) return nullptr; // NaN fails too
  // Rounded half away from zero, as llround does, without the library call:
  // a whole part and its exact remainder.
  const double x = v * 100;
  long long r = static_cast<long long>(x);
  const double rest = x - static_cast<double>(r);
  if (rest >= 0.5) ++r;
  else if (rest <= -0.5) --r;
  const bool negative = r < 0;
  if (negative) r = -r;
  long long whole = r / 100, frac = r % 100;
  char* p = end;
  if (frac != 0) {
    const char* pair = kDigitPairs + 2 * frac;
    if (pair[1] != '0') *--p = pair[1];
    *--p = pair[0];
    *--p = '.';
  }
  if (whole != 0 || frac == 0) {
    // Two digits a step: a drawing's numbers mostly have two or three.
    while (whole >= 100) {
      const long long pair = whole % 100;
      whole /= 100;
      *--p = kDigitPairs[2 * pair + 1];
      *--p = kDigitPairs[2 * pair];
    }
    if (whole >= 10) {
      *--p = kDigitPairs[2 * whole + 1];
      *--p = kDigitPairs[2 * whole];
    } else {
      *--p = static_cast<char>('0' + whole);
    }
  }
  if (negative) *--p = '-';
  return p;
}

class PathWriter {
public:
  PathWriter(std::string& out, const Placement& pl, int rotation, double w, double h)
      : out_(out), pl_(pl), rotation_(rotation), w_(w), h_(h) {}

  void Curve(const Curve& c) {
    Point(c.start);
    out_ += "m\n";
    if (c.curves.empty()) { // a dot: a zero-length line with round caps
      Point(c.start);
      out_ += "l\n";
      return;
    }
    Curves(c);
  }

  // A closed outline, for filling.
  void Outline(const InkPath& c) {
    Point(c.start);
    out_ += "m\n";
    Curves(c);
  }

  // False when a number could not be written.
  bool ok() const { return ok_; }

private:
  void Curves(const InkPath& c) {
    // "x1 y1 x2 y2 x3 y3 c\n", formatted back to front and appended at once.
    char text[3 * kPointChars + 2];
    char* const end = text + sizeof text;
    for (size_t i = 0; i + 2 < c.curves.size(); i += 3) {
      char* p = end;
      *--p = '\n';
      *--p = 'c';
      p = PointBefore(c.curves[i + 2], p);
      p = PointBefore(c.curves[i + 1], p);
      p = PointBefore(c.curves[i], p);
      out_.append(p, static_cast<size_t>(end - p));
    }
  }

  void Point(Vec pad) {
    char text[kPointChars];
    char* const end = text + sizeof text;
    char* p = PointBefore(pad, end);
    out_.append(p, static_cast<size_t>(end - p));
  }

  // The longest "x y " written.
  static constexpr size_t kPointChars = 2 * kNumberChars + 2;

  // Writes "x y " of a point into the kPointChars before `end`, and answers
  // where it starts. The placement left room for the curves' extremes, so
  // the points go out as they are: pulling a control point in would bend
  // the curve.
  char* PointBefore(Vec pad, char* end) {
    Vec v = Rotate(pl_.Map(pad), rotation_, w_, h_);
    *--end = ' ';
    char* y = FormatNumber(v.y, end);
    if (!y) y = end, ok_ = false;
    *--y = ' ';
    char* x = FormatNumber(v.x, y);
    if (!x) x = y, ok_ = false;
    return x;
  }

  std::string& out_;
  const Placement& pl_;
  int rotation_;
  double w_, h_;
  bool ok_ = true;
};

// Extents of a box, 0 for an empty one.
double Width(const Bounds& b) { return b.x1 > b.x0 ? b.x1 - b.x0 : 0; }
double Height(const Bounds& b) { return b.y1 > b.y0 ? b.y1 - b.y0 : 0; }

// The ink as filled outlines whose width follows the pen (ink_width.h): the
// outlines themselves, not the centre line, are fitted into the box and
// placed by X/Y, pen included, so no margin is kept beyond their own edge.
class OutlinedInk {
public:
  OutlinedInk(const PenRecord& record, const DrawingSettings& s, int pen, double margin)
      : record_(record), s_(s) {
    // The same points as a constant pen would draw (the spacing decides).
    const double pointScale = Place(PointBounds(record), record, s, margin).scale;
    curves_ = BuildCurves(record, pointScale, &kept_);
    const InkReference ref = MeasureInk(record);
    double largest = 0;
    for (size_t k = 0; k < curves_.size(); ++k) {
      const std::vector<double> factor = WidthFactors(record.strokes[k], ref);
      std::vector<double> r;
      for (size_t i : kept_[k]) r.push_back(std::max(pen / 2.0 * factor[i], kMinHalfWidth));
      for (double v : r) largest = std::max(largest, v);
      radii_.push_back(std::move(r));
    }
    // A pen wider than the box: every width shrinks alike until the widest
    // fits, and the ink collapses towards the box's centre.
    const double room = std::min(s.width, s.height) / 2.0;
    if (largest > room) {
      for (auto& r : radii_)
        for (double& v : r) v *= room / largest;
      largest = room;
    }
    largestRadius_ = largest;
  }

  bool Write(std::string* out) {
    const bool padScale = s_.justifyMode == 0 || s_.justifyMode == 1;
    Bounds centre = CurveBounds(curves_);
    Bounds pad = centre;
    pad.Add(Vec{0, 0});
    pad.Add(Vec{static_cast<double>(record_.extentX), static_cast<double>(record_.extentY)});
    const Bounds& fitted = padScale ? pad : centre;
    // Outline extents grow with the scale as the centre's do, plus the pen:
    // E(scale) = scale * A + B nearly. Start with the widest pen all round
    // and correct B from the outlines built, until the scale settles.
    const double ax = Width(fitted), ay = Height(fitted);
    auto fit = [&](double bx, double by) {
      double scale = HUGE_VAL;
      if (ax > 0) scale = std::min(scale, (s_.width - bx) / ax);
      if (ay > 0) scale = std::min(scale, (s_.height - by) / ay);
      return std::isfinite(scale) ? std::max(scale, 0.0) : 0.0;
    };
    // A first scale from discs at the points alone (cheap, and close: it
    // misses only where a curve bulges past its points), then outlines.
    double scale = fit(2 * largestRadius_, 2 * largestRadius_);
    for (int round = 0; round < 8; ++round) {
      const Bounds discs = Discs(scale);
      const Bounds measured = padScale ? WithPad(discs, scale) : discs;
      const double next = fit(Width(measured) - scale * ax, Height(measured) - scale * ay);
      if (std::abs(next - scale) * std::max(ax, ay) < kSettled) break;
      scale = next;
    }
    // Outlines stray from the discs by a hair either way: start that hair
    // inside, where the first build mostly fits and is settled at once.
    if (std::max(ax, ay) > 0) scale = std::max(0.0, scale - kOutlineSettled / 2 / std::max(ax, ay));
    Bounds ink;
    for (int round = 0;; ++round) {
      ink = Build(scale);
      const Bounds measured = padScale ? WithPad(ink, scale) : ink;
      const double next = fit(Width(measured) - scale * ax, Height(measured) - scale * ay);
      const bool fits = Width(measured) <= s_.width + 1e-9 && Height(measured) <= s_.height + 1e-9;
      // Done when the ink fits and would grow by less than no reader shows,
      // or fits at all after a few rounds.
      if (fits && ((next - scale) * std::max(ax, ay) < kOutlineSettled || round >= 3)) break;
      if (round >= 40) return false; // not seen for any input; refuse rather than spill
      // Ink a hair too large: aim a hair inside the estimate, twice as far
      // each round, so that the loop ends with the ink inside. The first
      // hair is well within kOutlineSettled: the next round mostly ends it.
      const double span = std::max(ax, ay);
      const double hair = span > 0 ? std::ldexp(kOutlineSettled / 4, round) / span : 0;
      scale = fits ? next : std::max(0.0, std::min(next, scale) - hair);
    }
    const Bounds region = s_.justifyMode == 0 ? WithPad(ink, scale) : ink;

    Placement pl;
    pl.scale = 1; // the outlines are built at their scale already
    pl.boxHeight = s_.height;
    pl.regionX = region.x0;
    pl.regionY = region.y0;
    const double jx = std::clamp(s_.justifyX, 0, 100) / 100.0;
    const double jy = std::clamp(s_.justifyY, 0, 100) / 100.0;
    pl.left = std::max(0.0, s_.width - Width(region)) * jx;
    pl.top = std::max(0.0, s_.height - Height(region)) * jy;

    out->reserve(paths_.size() * 48 + record_.PointCount() * 80 + 32);
    *out += "q\n0 g\n";
    PathWriter path(*out, pl, NormalizeRotation(s_.rotation), s_.width, s_.height);
    for (const InkPath& p : paths_) path.Outline(p);
    *out += "f\nQ\n";
    return path.ok();
  }

private:
  // The outlines at `scale` points a pad unit (pad orientation, y down), and
  // the box they span.
  // Each round refills the previous round's paths in place.
  Bounds Build(double scale) {
    size_t used = 0;
    for (size_t k = 0; k < curves_.size(); ++k) {
      scaled_.start = {curves_[k].start.x * scale, curves_[k].start.y * scale};
      scaled_.curves.resize(curves_[k].curves.size());
      for (size_t i = 0; i < scaled_.curves.size(); ++i)
        scaled_.curves[i] = {curves_[k].curves[i].x * scale, curves_[k].curves[i].y * scale};
      outliner_.Stroke(scaled_, radii_[k], &paths_, &used);
    }
    paths_.resize(used);
    return CurveBounds(paths_);
  }

  // The box of discs along the centre curves at `scale`, each as wide as
  // the pen where it lies: the outlines' box but for the small error of
  // their side curves. Measured from where each curve turns, found once.
  Bounds Discs(double scale) {
    if (extremes_.empty()) FindExtremes();
    Bounds b;
    for (const Extreme& e : extremes_) {
      const double v = e.value * scale;
      if (e.axis == 0) {
        b.x0 = std::min(b.x0, v - e.radius);
        b.x1 = std::max(b.x1, v + e.radius);
      } else {
        b.y0 = std::min(b.y0, v - e.radius);
        b.y1 = std::max(b.y1, v + e.radius);
      }
    }
    return b;
  }

  // Per curve point and per point where a segment turns in x or y: its
  // coordinate on that axis (pad units) and the pen's radius there.
  struct Extreme {
    int axis;
    double value, radius;
  };
  void FindExtremes() {
    for (size_t k = 0; k < curves_.size(); ++k) {
      const Curve& c = curves_[k];
      const std::vector<double>& r = radii_[k];
      extremes_.push_back({0, c.start.x, r[0]});
      extremes_.push_back({1, c.start.y, r[0]});
      Vec from = c.start;
      for (size_t i = 0; i + 2 < c.curves.size(); i += 3) {
        const Vec &c1 = c.curves[i], &c2 = c.curves[i + 1], &to = c.curves[i + 2];
        const double ra = r[i / 3], rb = r[i / 3 + 1];
        extremes_.push_back({0, to.x, rb});
        extremes_.push_back({1, to.y, rb});
        double t[2];
        for (int axis = 0; axis < 2; ++axis) {
          const double q0 = axis ? from.y : from.x, q1 = axis ? c1.y : c1.x;
          const double q2 = axis ? c2.y : c2.x, q3 = axis ? to.y : to.x;
          const int n = Turns(q0, q1, q2, q3, t);
          for (int j = 0; j < n; ++j)
            extremes_.push_back({axis, BezierAt(q0, q1, q2, q3, t[j]), ra + (rb - ra) * t[j]});
        }
        from = to;
      }
    }
  }

  // The outlines' box with the pad's at `scale`.
  Bounds WithPad(Bounds b, double scale) const {
    b.Add(Vec{0, 0});
    b.Add(Vec{scale * record_.extentX, scale * record_.extentY});
    return b;
  }

  const PenRecord& record_;
  const DrawingSettings& s_;
  std::vector<Curve> curves_;
  std::vector<std::vector<size_t>> kept_;
  std::vector<std::vector<double>> radii_;
  double largestRadius_ = 0;
  std::vector<Extreme> extremes_;
  std::vector<InkPath> paths_;
  InkPath scaled_;
  InkOutliner outliner_;
};

} // namespace

bool AppendNumber(std::string& out, double v) {
  char digits[kNumberChars];
  const char* start = FormatNumber(v, digits + kNumberChars);
  if (!start) return false;
  out.append(start, static_cast<size_t>(digits + kNumberChars - start));
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
  if (s.pressureInk && HasPressure(record)) {
    OutlinedInk ink(record, s, pen, margin);
    const bool ok = ink.Write(out);
    if (!ok) out->clear();
    return ok;
  }
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
