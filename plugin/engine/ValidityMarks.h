// The three validity-mark drawings: PDF content streams kept as constant
// text (lines joined by single line feeds), each with its bounding box as
// 16.16 fixed-point words {x0, y0, x1, y1}. Platform-free.
#pragma once
#include "../host/HostTypes.h"

extern const char kValidMark[];     // check mark, "% DSDoubleValid"
extern const char kUnknownMark[];   // question mark, "% DSUnknown"
extern const char kInvalidMark[];   // cross, "% DSInvalid"

extern const ASFixed kValidMarkBox[4];
extern const ASFixed kUnknownMarkBox[4];
extern const ASFixed kInvalidMarkBox[4];
