// Reads back the path operators of a drawing, for checks on where ink lies.
#pragma once

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
      haveIn = false;
    } else if (tok == "c" && stack.size() == 6) {
      Pt c1{stack[0], stack[1]}, c2{stack[2], stack[3]}, end{stack[4], stack[5]};
      if (haveIn) d.joints.push_back({lastIn, {c1.x - last.x, c1.y - last.y}});
      d.control.push_back(c1);
      d.control.push_back(c2);
      d.onCurve.push_back(end);
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

} // namespace pendata::testing
