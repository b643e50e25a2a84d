#include "ValidityMarks.h"

// Placeholder drawings; the marks follow.
const char kValidMark[] = "% DSDoubleValid\nq\nQ";
const char kUnknownMark[] = "% DSUnknown\nq\nQ";
const char kInvalidMark[] = "% DSInvalid\nq\nQ";

// 963.5794830322266 by 1000.
const ASFixed kValidMarkBox[4] = {0, 0, 0x03C39459, 0x03E80000};
const ASFixed kUnknownMarkBox[4] = {0, 0, 99 << 16, 99 << 16};
const ASFixed kInvalidMarkBox[4] = {0, 0, 99 << 16, 99 << 16};
