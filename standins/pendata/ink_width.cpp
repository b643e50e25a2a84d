#include "ink_width.h"

#include <algorithm>
#include <cmath>

namespace pendata {
namespace {

// Speed factor (1 + k) / (ratio + k): 1 at the usual speed, about 0.64 at
// two and a half times it; cheaper than a power and as smooth.
constexpr double kSpeedEase = 1.5;
constexpr double kMinSpeedFactor = 0.6;
constexpr double kMaxSpeedFactor = 1.25;

double Median(std::vector<double>& v) {
  if (v.empty()) return 0;
  auto mid = v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2);
  std::nth_element(v.begin(), mid, v.end());
  return *mid;
}

// Pad units per millisecond at point i, over its neighbours; negative when
// the time does not tell (no time, or no time passed).
double Speed(const Stroke& s, size_t i) {
  if (!s.hasTime || s.points.size() < 2) return -1;
  const size_t a = i == 0 ? 0 : i - 1;
  const size_t b = std::min(i + 1, s.points.size() - 1);
  const PenPoint &p = s.points[a], &q = s.points[b];
  if (q.timeMs <= p.timeMs) return -1;
  const double dx = static_cast<double>(q.x) - p.x, dy = static_cast<double>(q.y) - p.y;
  const double d = std::sqrt(dx * dx + dy * dy);
  return d / (static_cast<double>(q.timeMs) - p.timeMs);
}

} // namespace

bool HasPressure(const PenRecord& record) {
  for (const Stroke& s : record.strokes)
    if (s.hasPressure && !s.points.empty()) return true;
  return false;
}

InkReference MeasureInk(const PenRecord& record) {
  std::vector<double> pressures, speeds;
  for (const Stroke& s : record.strokes) {
    if (!s.hasPressure) continue;
    for (size_t i = 0; i < s.points.size(); ++i) {
      pressures.push_back(s.points[i].pressure);
      const double v = Speed(s, i);
      if (v >= 0) speeds.push_back(v);
    }
  }
  InkReference ref;
  ref.pressure = Median(pressures);
  ref.speed = Median(speeds);
  return ref;
}

std::vector<double> WidthFactors(const Stroke& s, const InkReference& ref) {
  const size_t n = s.points.size();
  std::vector<double> raw(n, 1.0);
  if (!s.hasPressure) return raw;
  const double pressureRef = std::max(ref.pressure, kMinReferencePressure);
  for (size_t i = 0; i < n; ++i) {
    const double p = s.points[i].pressure / pressureRef;
    double f = p * std::sqrt(p); // p to the power 1.5
    const double v = Speed(s, i);
    if (v >= 0 && ref.speed > 0) {
      // A pen at rest has no speed: the cap below keeps it from a blot.
      const double ratio = v / ref.speed;
      f *= std::clamp((1 + kSpeedEase) / (ratio + kSpeedEase), kMinSpeedFactor, kMaxSpeedFactor);
    }
    raw[i] = f;
  }
  // Binomial smoothing over five points, the ends repeated.
  std::vector<double> out(n);
  static const double kWeights[5] = {1 / 16.0, 4 / 16.0, 6 / 16.0, 4 / 16.0, 1 / 16.0};
  auto smooth = [&](size_t i) {
    double sum = 0;
    for (int k = -2; k <= 2; ++k) {
      const long j = std::clamp(static_cast<long>(i) + k, 0L, static_cast<long>(n) - 1);
      sum += kWeights[k + 2] * raw[static_cast<size_t>(j)];
    }
    return sum;
  };
  for (size_t i = 0; i < n; ++i) {
    // Away from the ends no index needs clamping; the same sum, term by term.
    const double sum = i >= 2 && i + 2 < n
                           ? kWeights[0] * raw[i - 2] + kWeights[1] * raw[i - 1] +
                                 kWeights[2] * raw[i] + kWeights[3] * raw[i + 1] +
                                 kWeights[4] * raw[i + 2]
                           : smooth(i);
    out[i] = std::clamp(sum, kMinWidthFactor, kMaxWidthFactor);
  }
  return out;
}

} // namespace pendata
