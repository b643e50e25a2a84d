// Shared fixture of the framework tests: OLE and the test classes are set up
// once; every test must leave no control, container object, property page or
// window behind.
#pragma once

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "MessagePump.h"
#include "ProcessWindows.h"
#include "RegistryRead.h"
#include "RunProcess.h"
#include "TestControl.h"
#include "WinePath.h"

// The shared test helpers, by their plain names in every test of this program.
using testsupport::DescribeWindows;
using testsupport::KeyExists;
using testsupport::ProcessWindows;
using testsupport::PumpMessages;
using testsupport::ReadString;
using testsupport::RunProcess;
using testsupport::TypeLibRegistered;
using testsupport::WinePath;
using testsupport::WindowsNotIn;

class FrameworkTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

private:
    std::set<HWND> m_windowsBefore;
};
