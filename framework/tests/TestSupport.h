// Shared fixture of the framework tests: OLE and the test classes are set up
// once; every test must leave no control, container object, property page or
// window behind.
#pragma once

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "SharedTestSupport.h"
#include "TestControl.h"

class FrameworkTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

private:
    std::set<HWND> m_windowsBefore;
};
