// Checks for test programs that host controls through the framework in their
// own process.
#pragma once

#include <windows.h>

namespace testsupport {

// Creates one control of `clsid` on the desktop, destroys it and lets its
// messages run, so that the windows the system makes lazily on first use
// exist before a fixture takes its first snapshot of this process's windows.
// False when the control could not be created.
bool MakeLazyWindowsWith(REFCLSID clsid);

// Fails the running test for every framework object still alive in this
// process: controls, container sites or sinks, property pages, and the
// module's object count and locks.
void ExpectNoFrameworkObjectsAlive();

} // namespace testsupport
