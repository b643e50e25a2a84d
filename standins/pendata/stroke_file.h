// A plain-text stroke file, for the bundled sample signature and for tests:
//
//   # comment
//   extent 2000 800
//   stroke time pressure      (a new stroke; the words name the channels it has)
//   412 233 0 512             (x y, then time if the stroke has it, then pressure)
//
// Blank lines and lines starting with '#' are ignored. Numbers are plain
// decimal digits whatever the process's locale.
#pragma once

#include "pen_record.h"

#include <string>
#include <string_view>

namespace pendata {

// False (and *out empty) unless the text is a well-formed stroke file whose
// record is encodable (IsEncodable).
bool ParseStrokeFile(std::string_view text, PenRecord* out);
bool ReadStrokeFile(const std::string& path, PenRecord* out);
std::string FormatStrokeFile(const PenRecord& record);

} // namespace pendata
