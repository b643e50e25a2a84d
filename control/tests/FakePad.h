// A recording stand-in for the pad control, under the pad's class
// identifier: it reports the extents and point count a test sets and logs
// every operation that reaches it, in order ("PdfWidth=4464", "ClearPad()").
// It takes no pen input.
#pragma once

#include <string>
#include <vector>

#include <windows.h>
#include <ole2.h>

namespace fake_pad {

struct State {
    short extentX = 2000;
    short extentY = 800;
    short pointCount = 0;
    std::string signature = "fake-signature";
    std::vector<std::string> calls;
    int created = 0;
};

State& Get();
void Reset();
IClassFactory* Factory();

} // namespace fake_pad
