#include "stroke_file.h"

#include <fstream>
#include <locale>
#include <sstream>

namespace pendata {
namespace {

// Streams start with the process's global locale, which may group digits
// ("2 000", "2.000"): a stroke file is read and written in the classic one.
template <class Stream>
Stream& Classic(Stream& s) {
  s.imbue(std::locale::classic());
  return s;
}

bool ReadInt(std::istringstream& in, long long lo, long long hi, long long* v) {
  return static_cast<bool>(in >> *v) && *v >= lo && *v <= hi;
}

} // namespace

bool ParseStrokeFile(std::string_view text, PenRecord* out) {
  *out = PenRecord{};
  PenRecord r;
  bool haveExtent = false;
  std::istringstream lines{std::string(text)};
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::istringstream in(line);
    Classic(in);
    std::string word;
    if (line.compare(0, 6, "extent") == 0) {
      long long x, y;
      in >> word;
      if (haveExtent || !ReadInt(in, 1, kMaxExtent, &x) || !ReadInt(in, 1, kMaxExtent, &y))
        return false;
      r.extentX = static_cast<int32_t>(x);
      r.extentY = static_cast<int32_t>(y);
      haveExtent = true;
    } else if (line.compare(0, 6, "stroke") == 0) {
      in >> word;
      Stroke s;
      while (in >> word) {
        if (word == "time") s.hasTime = true;
        else if (word == "pressure") s.hasPressure = true;
        else return false;
      }
      r.strokes.push_back(std::move(s));
    } else {
      if (r.strokes.empty()) return false;
      Stroke& s = r.strokes.back();
      long long x, y, t = 0, p = 0;
      if (!ReadInt(in, 0, kMaxExtent, &x) || !ReadInt(in, 0, kMaxExtent, &y) ||
          (s.hasTime && !ReadInt(in, 0, 0xFFFFFFFFll, &t)) ||
          (s.hasPressure && !ReadInt(in, 0, 0xFFFF, &p)) || (in >> word))
        return false;
      PenPoint pt;
      pt.x = static_cast<int32_t>(x);
      pt.y = static_cast<int32_t>(y);
      pt.timeMs = static_cast<uint32_t>(t);
      pt.pressure = static_cast<uint16_t>(p);
      s.points.push_back(pt);
      if (r.PointCount() > kMaxPoints) return false;
    }
  }
  if (!haveExtent || !IsEncodable(r)) return false;
  *out = std::move(r);
  return true;
}

bool ReadStrokeFile(const std::string& path, PenRecord* out) {
  std::ifstream f(path, std::ios::binary);
  if (!f) {
    *out = PenRecord{};
    return false;
  }
  std::ostringstream text;
  text << f.rdbuf();
  return ParseStrokeFile(text.str(), out);
}

std::string FormatStrokeFile(const PenRecord& r) {
  std::ostringstream out;
  Classic(out) << "extent " << r.extentX << ' ' << r.extentY << '\n';
  for (const Stroke& s : r.strokes) {
    out << "stroke" << (s.hasTime ? " time" : "") << (s.hasPressure ? " pressure" : "") << '\n';
    for (const PenPoint& p : s.points) {
      out << p.x << ' ' << p.y;
      if (s.hasTime) out << ' ' << p.timeMs;
      if (s.hasPressure) out << ' ' << p.pressure;
      out << '\n';
    }
  }
  return out.str();
}

} // namespace pendata
