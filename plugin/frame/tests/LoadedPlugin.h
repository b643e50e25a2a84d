// The built plug-in file loaded into a fresh host stand-in through the host
// program's loader, and the host's balance checked when the test is done:
// every callback, memory block, text and appearance list given back.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PluginHost.h"
#include "SharedTestSupport.h"

class LoadedPlugin : public ::testing::Test {
protected:
    void TearDown() override
    {
        plugin.Free();
        EXPECT_EQ(host.callbacks().Live(), 0u);
        EXPECT_EQ(host.callbacks().Created(), host.callbacks().Destroyed());
        EXPECT_EQ(host.callbacks().StrayDestroys(), 0u);
        EXPECT_EQ(host.memory().LiveBlocks(), 0u);
        EXPECT_EQ(host.memory().ForeignFrees(), 0u);
        EXPECT_EQ(host.texts().LiveTexts(), 0u);
        EXPECT_EQ(host.texts().StrayDestroys(), 0u);
        EXPECT_EQ(host.viewer().OpenAppearanceLists(), 0u);
    }

    static std::wstring PluginPath() { return WinePath(PENVANE_PLUGIN_PATH); }

    // Load through OnInit; the handler it registered (the test stops when any
    // stage refused).
    standin::RegisteredHandler& Started()
    {
        EXPECT_TRUE(plugin.Start(PluginPath())) << plugin.Failure();
        standin::RegisteredHandler* handler = plugin.Handler();
        if (handler == nullptr)
            throw std::runtime_error("no handler registered: " + plugin.Failure());
        return *handler;
    }

    // The text's characters as UTF-8; the text is given back to the host.
    std::string TakeText(standin::ASText text)
    {
        std::string chars = host.texts().Utf8(text);
        host.texts().Destroy(text);
        return chars;
    }

    // Every table requested, as "name@version" in request order.
    std::vector<std::string> Requests();

    standin::HostStandin host;
    standin::PluginHost plugin{host};
};
