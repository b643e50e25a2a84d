// A host stand-in with every one of its tables bound into the plug-in's
// globals, the way the handshake leaves them: by name through the host's own
// ASExtensionMgrGetHFT, versions from HFTGetVersion.
#pragma once
#include <gtest/gtest.h>

#include "HostCalls.h"
#include "HostStandin.h"
#include "HostTables.h"

// Binds every table of `host` into the plug-in's globals; a fixture that
// cannot derive from BoundHost calls it from its own SetUp.
inline void BindHost(standin::HostStandin& host)
{
    ClearHostBindings();
    gExtensionID = host.NewExtension("ADBE:PenvanePlus");
    gCoreHFT = host.CoreTable();
    gAcroSupportHFT = ASExtensionMgrGetHFT(ASAtomFromString("AcroSupport"), 1);
    size_t count = 0;
    const HostTableSlot* slots = HostTableSlots(&count);
    for (size_t i = 0; i < count; ++i) {
        *slots[i].table = ASExtensionMgrGetHFT(ASAtomFromString(slots[i].name), 1);
        ASSERT_NE(*slots[i].table, nullptr) << slots[i].name;
        *slots[i].version = HFTGetVersion(*slots[i].table);
    }
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
