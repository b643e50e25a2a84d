// Shared fixture of the capture control's tests: OLE, containment and this
// module's classes are set up once for the program; the pad control is made
// available per test, either the pad stand-in (quillix.dll, loaded from the
// build tree) or a recording fake. Every test must leave no control,
// container object, property page or window behind.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <string>
#include <vector>

#include <windows.h>

#include "SharedTestSupport.h"

// StandIn: quillix.dll; Fake: the recording fake; Missing: a class that
// cannot be created.
enum class PadKind { StandIn, Fake, Missing };

class ControlTest : public ::testing::Test {
protected:
    // Each test names the pad control it runs against.
    explicit ControlTest(PadKind pad) : m_padKind(pad) {}
    void SetUp() override;
    void TearDown() override;

private:
    PadKind m_padKind;
    DWORD m_padCookie = 0;
    std::set<HWND> m_windowsBefore;
};

// A ControlTest that starts and ends with no settings file, so that the
// control sees its defaults unless the test writes one (such programs LOCK
// settings_file).
class ControlTestWithoutSettings : public ControlTest {
protected:
    explicit ControlTestWithoutSettings(PadKind pad) : ControlTest(pad) {}
    void SetUp() override;
    void TearDown() override;
};

// The settings file PenvanePdf.ini in the Windows directory: written as an
// editor would, removed by Remove (tests that use it LOCK settings_file).
void WriteSettings(const std::string& text);
void RemoveSettings();

// ---- the person at the capture dialog --------------------------------------

// This process's visible "Signature Capture" dialog with its pad made, or null
// after about five seconds.
HWND WaitForCaptureDialog();
// A stroke on the pad window: button down at (x, y), `moves` moves, button up
// at the last point (down + moves points). Posted, as the pad would see a
// person's mouse.
void PostStroke(HWND pad, int x, int y, int moves);
// Waits until the posted messages before this call have been handled by the
// dialog's thread (a message sent to the dialog round-trips through its loop).
void Settle(HWND dialog);
// Clicks a push button of the dialog.
void Click(HWND dialog, int id);
// Waits up to about three seconds for the dialog to close; if it did not,
// cancels it so that the test ends, and answers false.
bool WaitClosedOrCancel(HWND dialog);
// Saves the screen (the dialog on the virtual desktop) as a PNG under the
// build tree's test artifacts; the path, or empty when it failed.
std::string SaveScreenshot(const char* name);
