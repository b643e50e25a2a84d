#include "ink_outline.h"

#include <algorithm>
#include <cmath>

namespace pendata {
namespace {

// A quarter circle's control points lie this far along the tangents, in
// radii: the usual cubic approximation, off the true arc by 0.03%.
constexpr double kArc = 0.5522847498307936;

// A segment bends gently enough for offset sides when the pen's radius is at
// most this share of its radius of curvature: the inner side then keeps at
// least 40% of the curve's length and never folds back.
constexpr double kMaxRadiusCurvature = 0.6;
// Beyond this turn within one segment the cubic's curvature may gather in one
// place, where the estimate over the whole segment would not see it.
constexpr double kMaxTurn = 1.2; // radians, about 70 degrees
// Two segments join smoothly when their tangents at the joint differ by less
// than this; otherwise the outline ends there and a new one starts, the two
// round caps making a round join.
constexpr double kMaxJointTurn = 0.05; // radians
// Discs along a tightly bent segment are at most this many radii apart: the
// scallops between them are then 5% of a radius deep at most.
constexpr double kDiscSpacing = 0.6;
constexpr int kMaxDiscsPerSegment = 64;
// Two side curves become one where it strays from them by at most this, in
// the drawing's units (points; pixels on the pad): a twentieth of a point,
// a tenth of a pixel at 144 dpi, is below what a reader shows.
constexpr double kMergeTolerance = 0.05;
// A tightly bent segment is halved at most this often (into 16 pieces).
constexpr int kMaxSplits = 4;

InkPoint Add(InkPoint a, InkPoint b) { return {a.x + b.x, a.y + b.y}; }
InkPoint Sub(InkPoint a, InkPoint b) { return {a.x - b.x, a.y - b.y}; }
InkPoint Mul(InkPoint a, double k) { return {a.x * k, a.y * k}; }
double Dot(InkPoint a, InkPoint b) { return a.x * b.x + a.y * b.y; }
double Cross(InkPoint a, InkPoint b) { return a.x * b.y - a.y * b.x; }
double Length(InkPoint a) { return std::sqrt(a.x * a.x + a.y * a.y); }
// The left normal of a direction: the tangent turned a quarter towards y.
InkPoint Normal(InkPoint t) { return {-t.y, t.x}; }

// The angle of (x, y) = (cos, sin) of unit vectors, to within 0.0015 radians:
// enough to tell how tightly a segment bends, at a fraction of atan2's cost.
double Angle(double sin, double cos) {
  const double as = std::abs(sin), ac = std::abs(cos);
  const double z = std::min(as, ac) / std::max(std::max(as, ac), 1e-300);
  // atan on [0, 1], a polynomial fit.
  double a = z * (0.99997726 + z * z * (-0.33262347 + z * z * (0.19354346 + z * z * (-0.11643287 +
             z * z * (0.05265332 - z * z * 0.01172120)))));
  if (as > ac) a = 1.5707963267948966 - a;
  if (cos < 0) a = 3.141592653589793 - a;
  return sin < 0 ? -a : a;
}

// The unit vector along the first of `candidates` that has a length.
bool Direction(std::initializer_list<InkPoint> candidates, InkPoint* out) {
  for (InkPoint v : candidates) {
    const double len = Length(v);
    if (len > 1e-9) {
      *out = Mul(v, 1 / len);
      return true;
    }
  }
  return false;
}

InkPoint Bezier(InkPoint p0, InkPoint p1, InkPoint p2, InkPoint p3, double t) {
  const double u = 1 - t;
  const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
  return {a * p0.x + b * p1.x + c * p2.x + d * p3.x, a * p0.y + b * p1.y + c * p2.y + d * p3.y};
}

// A quarter arc around c from direction u to direction v (v = u turned a
// quarter against the normal's sense), appended to `path`.
void QuarterArc(InkPath& path, InkPoint c, double r, InkPoint u, InkPoint v) {
  const InkPoint a = Add(c, Mul(u, r)), b = Add(c, Mul(v, r));
  path.curves.push_back(Add(a, Mul(v, kArc * r)));
  path.curves.push_back(Add(b, Mul(u, kArc * r)));
  path.curves.push_back(b);
}

// One segment of the centre line with what the outline needs of it.
struct Segment {
  InkPoint a, c1, c2, b;
  double ra, rb;
  InkPoint ta, tb; // unit tangents at a and b
  double curvature; // signed turn over chord length, towards the left normal
  bool gentle;
};

Segment Measure(InkPoint a, InkPoint c1, InkPoint c2, InkPoint b, double ra, double rb) {
  Segment s{a, c1, c2, b, ra, rb, {0, 0}, {0, 0}, 0, false};
  const InkPoint chord = Sub(s.b, s.a);
  const double length = Length(chord);
  if (!Direction({Sub(s.c1, s.a), Sub(s.c2, s.a), chord}, &s.ta) ||
      !Direction({Sub(s.b, s.c2), Sub(s.b, s.c1), chord}, &s.tb))
    return s; // no length at all: a disc covers it
  const double turn = Angle(Cross(s.ta, s.tb), Dot(s.ta, s.tb));
  s.curvature = length > 0 ? turn / length : 0;
  const double r = std::max(s.ra, s.rb);
  // Both end tangents must point along the chord: a cubic whose control
  // points cross over makes a loop of its own.
  s.gentle = length > 1e-9 && Dot(s.ta, chord) > 0 && Dot(s.tb, chord) > 0 &&
             std::abs(turn) <= kMaxTurn && r * std::abs(turn) <= kMaxRadiusCurvature * length;
  return s;
}

// Adds the segment from a to b, halved (de Casteljau) where it bends too
// tightly as a whole, so that only the tight part of a long stroke becomes
// discs: a sharp turn at the end of a long, straight segment is common.
void AddSegment(InkPoint a, InkPoint c1, InkPoint c2, InkPoint b, double ra, double rb, int depth,
                std::vector<Segment>& segs) {
  const Segment s = Measure(a, c1, c2, b, ra, rb);
  if (s.gentle || depth >= kMaxSplits || Length(Sub(b, a)) <= std::min(ra, rb)) {
    segs.push_back(s);
    return;
  }
  const InkPoint ab = Mul(Add(a, c1), 0.5), bc = Mul(Add(c1, c2), 0.5), cd = Mul(Add(c2, b), 0.5);
  const InkPoint abc = Mul(Add(ab, bc), 0.5), bcd = Mul(Add(bc, cd), 0.5);
  const InkPoint mid = Mul(Add(abc, bcd), 0.5);
  const double rm = (ra + rb) / 2;
  AddSegment(a, ab, abc, mid, ra, rm, depth + 1, segs);
  AddSegment(mid, bcd, cd, b, rm, rb, depth + 1, segs);
}

// The side of a gentle segment at `side` (+1 left, -1 right) of the centre,
// from a to b. The control legs shrink on the inner side of the bend and grow
// on the outer one, as an offset curve's length does.
void SideCurve(const Segment& s, InkPoint na, InkPoint nb, double side, InkPoint* q) {
  const double ka = std::clamp(1 - side * s.ra * s.curvature, 0.2, 2.0);
  const double kb = std::clamp(1 - side * s.rb * s.curvature, 0.2, 2.0);
  q[0] = Add(s.a, Mul(na, side * s.ra));
  q[3] = Add(s.b, Mul(nb, side * s.rb));
  q[1] = Add(q[0], Mul(Sub(s.c1, s.a), ka));
  q[2] = Add(q[3], Mul(Sub(s.c2, s.b), kb));
}

struct Cubic {
  InkPoint p[4];
};

// Appends consecutive side curves to `path`, two at a time as one where that
// one stays within kMergeTolerance of both: the sides of a gentle run are
// smooth, and half the curves halve the drawing's size and time. Two cubics
// that are the halves of one have its end tangents at twice their length.
void AppendMerged(const std::vector<Cubic>& side, InkPath& path) {
  size_t i = 0;
  while (i < side.size()) {
    if (i + 1 < side.size()) {
      const Cubic &a = side[i], &b = side[i + 1];
      const InkPoint c1 = Add(a.p[0], Mul(Sub(a.p[1], a.p[0]), 2));
      const InkPoint c2 = Add(b.p[3], Mul(Sub(b.p[2], b.p[3]), 2));
      // Where the halves meet, and a quarter of the way along each.
      bool close = Length(Sub(Bezier(a.p[0], c1, c2, b.p[3], 0.5), a.p[3])) <= kMergeTolerance;
      close = close && Length(Sub(Bezier(a.p[0], c1, c2, b.p[3], 0.25),
                                  Bezier(a.p[0], a.p[1], a.p[2], a.p[3], 0.5))) <= kMergeTolerance;
      close = close && Length(Sub(Bezier(a.p[0], c1, c2, b.p[3], 0.75),
                                  Bezier(b.p[0], b.p[1], b.p[2], b.p[3], 0.5))) <= kMergeTolerance;
      if (close) {
        path.curves.push_back(c1);
        path.curves.push_back(c2);
        path.curves.push_back(b.p[3]);
        i += 2;
        continue;
      }
    }
    path.curves.push_back(side[i].p[1]);
    path.curves.push_back(side[i].p[2]);
    path.curves.push_back(side[i].p[3]);
    ++i;
  }
}

// Buffers reused from one outline to the next: a signature has hundreds of
// segments, and allocating per segment cost more than their geometry.
struct Scratch {
  std::vector<Segment> segs;
  std::vector<InkPoint> normal;
  std::vector<Cubic> side;
};

// The next path of *out to fill, empty: an earlier build's where there is
// one (its storage is kept), else a new one.
InkPath& NextPath(std::vector<InkPath>& out, size_t& used) {
  if (used < out.size()) {
    InkPath& p = out[used++];
    p.curves.clear();
    return p;
  }
  ++used;
  return out.emplace_back();
}

void DiscInto(InkPath& path, InkPoint c, double r) {
  // Turning as the outlines do: the end cap goes from the left normal to the
  // tangent, here from +y to +x.
  const InkPoint e{1, 0}, s{0, -1}, w{-1, 0}, n{0, 1};
  path.start = Add(c, Mul(e, r));
  path.curves.reserve(12);
  QuarterArc(path, c, r, e, s);
  QuarterArc(path, c, r, s, w);
  QuarterArc(path, c, r, w, n);
  QuarterArc(path, c, r, n, e);
}

// One closed outline along the gentle segments [first, last], into `path`.
void Outline(const std::vector<Segment>& segs, size_t first, size_t last, Scratch& scratch,
             InkPath& path) {
  // The normal at each on-curve point of the run; at a joint, between the
  // two segments' tangents (which agree to kMaxJointTurn).
  std::vector<InkPoint>& normal = scratch.normal;
  normal.clear();
  normal.push_back(Normal(segs[first].ta));
  for (size_t i = first; i < last; ++i) {
    InkPoint t;
    if (!Direction({Add(segs[i].tb, segs[i + 1].ta)}, &t)) t = segs[i].tb;
    normal.push_back(Normal(t));
  }
  normal.push_back(Normal(segs[last].tb));

  // Both sides unmerged and four quarter arcs at most.
  path.curves.reserve(path.curves.size() + 6 * (last - first + 1) + 12);
  std::vector<Cubic>& side = scratch.side;
  side.clear();
  for (size_t i = first; i <= last; ++i) {
    Cubic q;
    SideCurve(segs[i], normal[i - first], normal[i - first + 1], +1, q.p);
    side.push_back(q);
  }
  path.start = side.front().p[0];
  AppendMerged(side, path);
  // Round cap at the end: from the left side round the front to the right.
  const Segment& end = segs[last];
  const InkPoint nEnd = normal.back();
  QuarterArc(path, end.b, end.rb, nEnd, end.tb);
  QuarterArc(path, end.b, end.rb, end.tb, Mul(nEnd, -1));
  side.clear();
  for (size_t i = last + 1; i-- > first;) {
    Cubic q, back;
    SideCurve(segs[i], normal[i - first], normal[i - first + 1], -1, q.p);
    back.p[0] = q.p[3], back.p[1] = q.p[2], back.p[2] = q.p[1], back.p[3] = q.p[0];
    side.push_back(back);
  }
  AppendMerged(side, path);
  const Segment& start = segs[first];
  const InkPoint nStart = normal.front();
  const InkPoint back = Mul(start.ta, -1);
  QuarterArc(path, start.a, start.ra, Mul(nStart, -1), back);
  QuarterArc(path, start.a, start.ra, back, nStart);
}

void OutlineInto(const InkPath& centre, const std::vector<double>& radius, Scratch& scratch,
                 std::vector<InkPath>& out, size_t& used) {
  const size_t count = centre.curves.size() / 3;
  if (count == 0) {
    DiscInto(NextPath(out, used), centre.start, radius.empty() ? 0 : radius[0]);
    return;
  }
  std::vector<Segment>& segs = scratch.segs;
  segs.clear();
  segs.reserve(count);
  for (size_t i = 0; i < count; ++i)
    AddSegment(i == 0 ? centre.start : centre.curves[3 * i - 1], centre.curves[3 * i],
               centre.curves[3 * i + 1], centre.curves[3 * i + 2], radius[i], radius[i + 1], 0, segs);

  auto smoothJoint = [&](size_t i) { // between segments i and i + 1, both gentle
    return Dot(segs[i].tb, segs[i + 1].ta) >= std::cos(kMaxJointTurn);
  };
  const size_t pieces = segs.size();
  size_t i = 0;
  while (i < pieces) {
    if (segs[i].gentle) {
      size_t last = i;
      while (last + 1 < pieces && segs[last + 1].gentle && smoothJoint(last)) ++last;
      Outline(segs, i, last, scratch, NextPath(out, used));
      i = last + 1;
      continue;
    }
    // A disc at every point along the curve, closer together than the
    // smaller radius; the ends are left out where an outline's cap or the
    // previous segment's last disc already covers them.
    const Segment& s = segs[i];
    const double arc = Length(Sub(s.c1, s.a)) + Length(Sub(s.c2, s.c1)) + Length(Sub(s.b, s.c2));
    const double step = kDiscSpacing * std::min(s.ra, s.rb);
    int n = step > 0 ? static_cast<int>(std::ceil(arc / step)) : 1;
    n = std::clamp(n, 1, kMaxDiscsPerSegment);
    const int from = i == 0 ? 0 : 1;
    const int to = i + 1 < pieces && segs[i + 1].gentle ? n - 1 : n;
    for (int k = from; k <= to; ++k) {
      const double t = static_cast<double>(k) / n;
      DiscInto(NextPath(out, used), Bezier(s.a, s.c1, s.c2, s.b, t), s.ra + (s.rb - s.ra) * t);
    }
    ++i;
  }
}


} // namespace

InkPath SmoothPath(const std::vector<InkPoint>& p) {
  InkPath c;
  if (p.empty()) return c;
  c.start = p[0];
  const size_t n = p.size();
  c.curves.reserve(3 * (n - 1));
  for (size_t i = 0; i + 1 < n; ++i) {
    const InkPoint& p0 = p[i == 0 ? 0 : i - 1];
    const InkPoint& p1 = p[i];
    const InkPoint& p2 = p[i + 1];
    const InkPoint& p3 = p[std::min(i + 2, n - 1)];
    c.curves.push_back({p1.x + (p2.x - p0.x) / 6, p1.y + (p2.y - p0.y) / 6});
    c.curves.push_back({p2.x - (p3.x - p1.x) / 6, p2.y - (p3.y - p1.y) / 6});
    c.curves.push_back(p2);
  }
  return c;
}

InkPath Disc(InkPoint c, double r) {
  InkPath path;
  DiscInto(path, c, r);
  return path;
}

void OutlineStroke(const InkPath& centre, const std::vector<double>& radius,
                   std::vector<InkPath>* out) {
  size_t used = out->size();
  InkOutliner outliner;
  outliner.Stroke(centre, radius, out, &used);
}

struct InkOutliner::Buffers : Scratch {};

InkOutliner::InkOutliner() : buffers_(std::make_unique<Buffers>()) {}
InkOutliner::~InkOutliner() = default;

void InkOutliner::Stroke(const InkPath& centre, const std::vector<double>& radius,
                         std::vector<InkPath>* out, size_t* used) {
  OutlineInto(centre, radius, *buffers_, *out, *used);
}


} // namespace pendata
