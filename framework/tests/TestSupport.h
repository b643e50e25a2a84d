// Shared fixture of the framework tests: OLE and the test classes are set up
// once; every test must leave no control, container object, property page or
// window behind.
#pragma once

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "TestControl.h"

// Windows of this process, children included.
std::set<HWND> ProcessWindows();
std::string DescribeWindows(const std::set<HWND>& windows);

class FrameworkTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

private:
    std::set<HWND> m_windowsBefore;
};

// Lets posted and sent messages run for about `ms` milliseconds.
void PumpMessages(DWORD ms);

// A path of the build tree as a Windows program under Wine sees it.
std::wstring WinePath(const char* unixPath);
// Runs a command line; its exit code, with standard output in *output.
DWORD RunProcess(const std::wstring& commandLine, std::string* output);
