// Text handed to the host lives in host memory: a bag takes ownership of it,
// the engine keeps its captured signature there.
#pragma once
#include <string_view>

// A new host block holding `text` and a terminating zero byte; null when the
// host refuses the memory.
char* HostStringCopy(std::string_view text);
