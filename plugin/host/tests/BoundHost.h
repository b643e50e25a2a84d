// A host stand-in with every one of its tables bound into the plug-in's
// globals, the way the handshake leaves them.
#pragma once
#include <gtest/gtest.h>

#include "BindHostStandin.h"

// Binds every table of `host` into the plug-in's globals; a fixture that
// cannot derive from BoundHost calls it from its own SetUp.
inline void BindHost(standin::HostStandin& host)
{
    const char* missing = BindHostStandin(host);
    ASSERT_EQ(missing, nullptr) << missing;
}

class BoundHost : public ::testing::Test {
protected:
    void SetUp() override { BindHost(host); }

    void TearDown() override { ClearHostBindings(); }

    // The text's characters as UTF-8; the text itself is given back.
    std::string TakeText(ASText text)
    {
        std::string chars = host.texts().Utf8(text);
        host.texts().Destroy(text);
        return chars;
    }

    standin::HostStandin host;
};
