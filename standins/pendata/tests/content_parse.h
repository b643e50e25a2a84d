// Reads back the path operators of a drawing, for checks on where ink lies.
#pragma once

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

namespace pendata::testing {

struct Pt {
  double x, y;
};

struct ParsedDrawing {
  std::vector<Pt> onCurve;  // m, l and c end points
  std::vector<Pt> control;  // c control points
  std::vector<std::string> numbers;
  std::vector<std::string> operators;
  // Per curve joint: the tangents into and out of each on-curve point.
  std::vector<std::pair<Pt, Pt>> joints;
  // Per subpath (m): its start, then c1, c2 and end of each curve.
  std::vector<std::vector<Pt>> paths;
};

inline ParsedDrawing ParseDrawing(const std::string& content) {
  ParsedDrawing d;
  std::istringstream in(content);
  std::string tok;
  std::vector<double> stack;
  Pt lastIn{0, 0}, last{0, 0};
  bool haveIn = false;
  while (in >> tok) {
    char c = tok[0];
    if ((c >= '0' && c <= '9') || c == '-' || c == '.') {
      d.numbers.push_back(tok);
      stack.push_back(std::stod(tok));
      continue;
    }
    d.operators.push_back(tok);
    if ((tok == "m" || tok == "l") && stack.size() == 2) {
      last = {stack[0], stack[1]};
      d.onCurve.push_back(last);
      if (tok == "m") d.paths.push_back({last});
      haveIn = false;
    } else if (tok == "c" && stack.size() == 6) {
      Pt c1{stack[0], stack[1]}, c2{stack[2], stack[3]}, end{stack[4], stack[5]};
      if (haveIn) d.joints.push_back({lastIn, {c1.x - last.x, c1.y - last.y}});
      d.control.push_back(c1);
      d.control.push_back(c2);
      d.onCurve.push_back(end);
      if (!d.paths.empty()) d.paths.back().insert(d.paths.back().end(), {c1, c2, end});
      lastIn = {end.x - c2.x, end.y - c2.y};
      last = end;
      haveIn = true;
    }
    stack.clear();
  }
  return d;
}

struct Box {
  double x0 = 1e9, y0 = 1e9, x1 = -1e9, y1 = -1e9;
  void Add(Pt p) {
    x0 = std::min(x0, p.x), y0 = std::min(y0, p.y);
    x1 = std::max(x1, p.x), y1 = std::max(y1, p.y);
  }
};

// From a drawing's own coordinates back to the reader's view of the W x H box
// on a page rotated by `rotation` degrees (0, 90, 180 or 270).
inline Pt Seen(Pt p, int rotation, double W, double H) {
  switch (rotation) {
  case 90: return {p.y, H - p.x};
  case 180: return {W - p.x, H - p.y};
  case 270: return {W - p.y, p.x};
  default: return p;
  }
}

// A subpath as it should be: the same points with the control points of the
// Catmull-Rom curve through them (end points doubled), as nothing bent them.
inline std::vector<Pt> CatmullRomPath(const std::vector<Pt>& path) {
  std::vector<Pt> q; // the on-curve points
  for (size_t i = 0; i < path.size(); i += 3) q.push_back(path[i]);
  std::vector<Pt> out = {q[0]};
  const size_t n = q.size();
  for (size_t i = 0; i + 1 < n; ++i) {
    const Pt &p0 = q[i == 0 ? 0 : i - 1], &p1 = q[i], &p2 = q[i + 1];
    const Pt& p3 = q[std::min(i + 2, n - 1)];
    out.push_back({p1.x + (p2.x - p0.x) / 6, p1.y + (p2.y - p0.y) / 6});
    out.push_back({p2.x - (p3.x - p1.x) / 6, p2.y - (p3.y - p1.y) / 6});
    out.push_back(p2);
  }
  return out;
}

// The box of the curve itself (not of its control points), sampled finely.
inline void AddCurve(const std::vector<Pt>& path, Box& box, int steps = 256) {
  box.Add(path[0]);
  for (size_t i = 0; i + 3 < path.size(); i += 3)
    for (int k = 1; k <= steps; ++k) {
      const double t = static_cast<double>(k) / steps, u = 1 - t;
      const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
      box.Add({a * path[i].x + b * path[i + 1].x + c * path[i + 2].x + d * path[i + 3].x,
               a * path[i].y + b * path[i + 1].y + c * path[i + 2].y + d * path[i + 3].y});
    }
}

} // namespace pendata::testing
