// Test support for programs that host the stand-in pad-capture control:
// registering it in the test prefix with regsvr32, an environment that sets
// up OLE and control containment, and a fixture that checks every test leaves
// no window, control or container object behind.
//
// CMake: quillix_add_test(NAME SOURCES ... LIBS ...) makes a GoogleTest
// program linked with this library whose cases run after the registration
// test (ctest fixture "quillix_registered"), which is the only test that
// unregisters the control.
#pragma once

#include <windows.h>
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "SharedTestSupport.h"

namespace quillix::testing {

// regsvr32 /s [/u] on the built quillix.dll; its exit code (0 success).
DWORD RegisterStandin();
DWORD UnregisterStandin();
// The class identifier's registration names an existing module.
bool StandinRegistered();

// The bundled sample signature (4 strokes, 1146 points) and other files of
// the source tree, as paths a Windows program under Wine opens.
std::string SampleStrokeFile();

// OLE, containment, the control registered (registering it when it is not),
// and the system's lazily made helper windows made before the first test.
class Environment : public ::testing::Environment {
public:
    void SetUp() override;
    void TearDown() override;
};

// Fails a test that leaves pad controls (the module's DllCanUnloadNow),
// container objects or windows behind.
class LeakCheckedTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

private:
    std::set<HWND> m_windowsBefore;
};

} // namespace quillix::testing
