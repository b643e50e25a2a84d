// The pad's state as the capture control exposes it: the pen data it holds
// and the settings that shape its text form and its drawing. One method per
// control operation; none of them throws, and bad input gets a documented
// safe answer (no pen data, no drawing) rather than an error.
#pragma once

#include "pdf_drawing.h"
#include "pen_record.h"
#include "signature_string.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace pendata {

// The logical size a fresh pad reports, in pad units.
constexpr int32_t kDefaultPadExtentX = 2000;
constexpr int32_t kDefaultPadExtentY = 800;

// One sample of pen input. Time and pressure are kept only when given.
struct PenSample {
  int32_t x = 0;
  int32_t y = 0;
  bool hasTime = false;
  uint32_t timeMs = 0;
  bool hasPressure = false;
  uint16_t pressure = 0;
};

class PenPad {
public:
  PenPad() = default;

  // The pad surface; clears the ink, whose coordinates belong to the old one.
  // Extents are clamped to 1 .. kMaxExtent.
  void SetPadExtent(int32_t x, int32_t y);
  int32_t PadExtentX() const { return record_.extentX; }
  int32_t PadExtentY() const { return record_.extentY; }

  // Capture state 1 takes pen input; any other value stops it.
  void SetCaptureState(int state) { capturing_ = state == 1; }
  bool Capturing() const { return capturing_; }

  // Pen input while capturing. PenDown starts a stroke, PenMove continues it
  // (and starts one if the pen was up), PenUp ends it. Coordinates outside
  // the pad are clamped to its edge. False when the sample was not taken: not
  // capturing, or the pad already holds kMaxPoints points.
  bool PenDown(const PenSample& s);
  bool PenMove(const PenSample& s);
  void PenUp() { penDown_ = false; }

  void ClearPad();
  // The number of points held, 0 .. kMaxPoints (fits a signed 16-bit value).
  int PointCount() const { return static_cast<int>(record_.PointCount()); }
  const PenRecord& Record() const { return record_; }

  // Text form.
  void SetEncryptionMode(int mode) { codec_.encryptionMode = mode; }
  void SetCompressionMode(int mode) { codec_.compressionMode = mode; }
  void SetKeyString(std::string_view key) { codec_.key.assign(key); }
  int EncryptionMode() const { return codec_.encryptionMode; }
  int CompressionMode() const { return codec_.compressionMode; }

  // The pen data as text under the current mode, key and compression; empty
  // for a mode that makes no text.
  std::string GetSignatureString() const;
  // Loads text under the current mode and key; the compression is read from
  // the text itself. On success the pen data and pad extents become the
  // text's; on any failure the pad holds no points (extents unchanged) and the
  // answer is false.
  bool SetSignatureString(std::string_view text);

  // Drawing.
  void SetPdfWidth(int w) { drawing_.width = w; }
  void SetPdfHeight(int h) { drawing_.height = h; }
  void SetPdfPenWidth(int w) { drawing_.penWidth = w; }
  void SetJustifyMode(int m) { drawing_.justifyMode = m; }
  void SetJustifyX(int x) { drawing_.justifyX = x; }
  void SetJustifyY(int y) { drawing_.justifyY = y; }
  void SetRotation(int degrees) { drawing_.rotation = degrees; }
  // Width that follows pressure and speed (on for a fresh pad); off, every
  // stroke is drawn at the pen width.
  void SetPressureInk(bool on) { drawing_.pressureInk = on; }
  const DrawingSettings& Drawing() const { return drawing_; }
  // False (no data, a null string for the caller) when the pad is empty or
  // the box has no area.
  bool GetPdfData(std::string* out) const { return DrawInk(record_, drawing_, out); }

private:
  bool AddSample(const PenSample& s, bool newStroke);

  PenRecord record_{kDefaultPadExtentX, kDefaultPadExtentY, {}};
  CodecSettings codec_; // a fresh pad: plain text, compression 1, no key
  DrawingSettings drawing_;
  bool capturing_ = false;
  bool penDown_ = false;
};

} // namespace pendata
