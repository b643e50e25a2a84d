// The message loop a test thread runs while it waits for something the
// system posts or sends to its windows.
#pragma once

#include <windows.h>

namespace testsupport {

// Dispatches this thread's pending messages, then keeps doing so for about
// `ms` milliseconds (0: only what is pending now).
void PumpMessages(DWORD ms);

} // namespace testsupport
