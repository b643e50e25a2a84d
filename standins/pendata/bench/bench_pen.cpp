// Prints the pen-data figures, and nothing else, on stdout:
//   bytes_per_point  binary record after compression mode 1, before hex, per point
//   load_keyed_us    median time to load a mode-4 text of a 1000-point signature
//                    and count its points
//   draw_us          median time to draw that signature (pressure ink: its
//                    width follows the pen)
//   drawing_bytes_per_point  that drawing's bytes per point
//   constant_draw_us, constant_drawing_bytes_per_point  the same for the ink
//                    at one width, as a mouse draws it (and all ink before
//                    pressure ink)
// Usage: pendata_bench [stroke-file]   (default: the bundled sample)
#include "compression.h"
#include "pen_pad.h"
#include "stroke_file.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using namespace pendata;

PenRecord FirstPoints(const PenRecord& r, size_t n) {
  PenRecord out{r.extentX, r.extentY, {}};
  for (const Stroke& s : r.strokes) {
    if (n == 0) break;
    Stroke t = s;
    if (t.points.size() > n) t.points.resize(n);
    n -= t.points.size();
    out.strokes.push_back(std::move(t));
  }
  return out;
}

template <class F>
double MedianMicros(int runs, F&& f) {
  std::vector<double> us;
  for (int i = 0; i < runs; ++i) {
    auto t0 = std::chrono::steady_clock::now();
    f();
    auto t1 = std::chrono::steady_clock::now();
    us.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
  }
  std::sort(us.begin(), us.end());
  return us[us.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
  const char* path = argc > 1 ? argv[1] : PENDATA_SAMPLE_PATH;
  PenRecord sample;
  if (!ReadStrokeFile(path, &sample)) {
    std::fprintf(stderr, "bench: cannot read %s\n", path);
    return 1;
  }
  std::vector<uint8_t> packed = Pack(EncodeRecord(sample), 1);
  std::printf("bytes_per_point=%.3f\n",
              static_cast<double>(packed.size()) / static_cast<double>(sample.PointCount()));

  const PenRecord thousand = FirstPoints(sample, 1000);
  if (thousand.PointCount() != 1000) {
    std::fprintf(stderr, "bench: the signature has fewer than 1000 points\n");
    return 1;
  }
  PenPad maker;
  maker.SetSignatureString(EncodeSignatureString(thousand, {}));
  maker.SetKeyString("3A7BD3E2360A3D29EEA436FCFB7E44C735D117C4");
  maker.SetEncryptionMode(4);
  maker.SetCompressionMode(1);
  const std::string text = maker.GetSignatureString();

  int count = 0;
  double load = MedianMicros(301, [&] {
    PenPad pad;
    pad.SetKeyString("3A7BD3E2360A3D29EEA436FCFB7E44C735D117C4");
    pad.SetEncryptionMode(4);
    pad.SetCompressionMode(1);
    pad.SetSignatureString(text);
    count = pad.PointCount();
  });
  if (count != 1000) {
    std::fprintf(stderr, "bench: loaded %d points, not 1000\n", count);
    return 1;
  }
  std::printf("load_keyed_us=%.1f\n", load);

  for (bool pressureInk : {true, false}) {
    const DrawingSettings settings{200, 60, 4, 5, 50, 50, 0, pressureInk};
    std::string drawing;
    double draw = MedianMicros(301, [&] { DrawInk(thousand, settings, &drawing); });
    const char* prefix = pressureInk ? "" : "constant_";
    std::printf("%sdraw_us=%.1f\n", prefix, draw);
    std::printf("%sdrawing_bytes_per_point=%.1f\n", prefix, drawing.size() / 1000.0);
  }
  return 0;
}
