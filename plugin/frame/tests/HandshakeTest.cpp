// Entry point and the two handshake stages, against hosts that offer
// different versions and tables.
#include <cstring>

#include "LoadedPlugin.h"

namespace {

using RequestLog = std::vector<std::string>;

// The requests of a handshake that binds everything with AcroSupport 8.0:
// each table once, at its minimum version.
const RequestLog kFullHandshake = {
    "AcroSupport@60000", "AcroSupport@80000", "Core@50000", "Cos@60000", "PDModel@60000",
    "PDFEditWrite@60000", "PDFEditRead@60000", "PDSysFont@40000", "PagePDEContent@60000", "AcroView@60000",
    "PDSWrite@60000", "PDSRead@60000", "Win@50000", "ASExtra@60000",
};

// The full handshake's requests up to the one for `table`, then `extra`,
// then, when the handshake goes on, the rest.
RequestLog WithExtraRequests(const std::string& table, const RequestLog& extra, bool goesOn)
{
    RequestLog requests;
    auto it = kFullHandshake.begin();
    for (; it != kFullHandshake.end(); ++it) {
        requests.push_back(*it);
        if (it->rfind(table + "@", 0) == 0)
            break;
    }
    requests.insert(requests.end(), extra.begin(), extra.end());
    if (goesOn && it != kFullHandshake.end())
        requests.insert(requests.end(), it + 1, kFullHandshake.end());
    return requests;
}

TEST_F(LoadedPlugin, PlugInMainAnswersAtMostItsOwnHandshakeVersion)
{
    const struct {
        uint32_t offered, answered;
        bool coreHandshake;
    } cases[] = {{0x10000, 0x10000, false}, {0x20000, 0x20000, true}, {0x30000, 0x20000, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.offered);
        ASSERT_TRUE(plugin.Load(PluginPath(), c.offered));
        EXPECT_EQ(plugin.AnsweredVersion(), c.answered);
        // The host goes on at the version agreed.
        EXPECT_EQ(plugin.CoreHandshake(plugin.AnsweredVersion()), c.coreHandshake);
        plugin.Free();
    }
}

TEST_F(LoadedPlugin, HandshakeStagesRefuseOtherVersions)
{
    ASSERT_TRUE(plugin.Load(PluginPath()));
    EXPECT_FALSE(plugin.CoreHandshake(0x30000));
    EXPECT_FALSE(plugin.CoreHandshake(0x20000, 0x10000));   // the record's own version
    EXPECT_TRUE(host.tables().Requests().empty());
    ASSERT_TRUE(plugin.CoreHandshake());
    EXPECT_FALSE(plugin.SetupHandshake(0x10000));
    EXPECT_TRUE(plugin.SetupHandshake());
}

TEST_F(LoadedPlugin, HandshakeBindsEveryTableOnceAtItsMinimumAndNamesThePlugin)
{
    ASSERT_TRUE(plugin.Load(PluginPath()));
    ASSERT_TRUE(plugin.CoreHandshake());
    EXPECT_EQ(Requests(), kFullHandshake);
    ASSERT_TRUE(plugin.SetupHandshake());
    standin::ASAtom name;
    std::memcpy(&name, plugin.SetupRecord() + standin::setupRecord::extensionName, sizeof name);
    EXPECT_EQ(host.atoms().NameOf(name), "ADBE:PenvanePlus");
    // Bytes 0-5 are the host's.
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(plugin.SetupRecord()[i], 0) << i;
}

TEST_F(LoadedPlugin, AcroSupportBelowEightRefusesTheHandshake)
{
    const struct {
        const char* label;
        bool available;
        uint32_t version;
        RequestLog requests;
    } cases[] = {
        {"absent", false, 0x80000, {"AcroSupport@60000"}},
        {"6.0", true, 0x60000, {"AcroSupport@60000", "AcroSupport@80000"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        host.tables().SetAvailable("AcroSupport", c.available);
        host.tables().SetVersion("AcroSupport", c.version);
        host.tables().ClearRequests();
        ASSERT_TRUE(plugin.Load(PluginPath()));
        EXPECT_FALSE(plugin.CoreHandshake());
        EXPECT_EQ(Requests(), c.requests);
        plugin.Free();
    }
}

TEST_F(LoadedPlugin, UnknownTableVersionWalksTheFallbackList)
{
    const struct {
        const char* table;
        uint32_t offered;
        bool bound;
        RequestLog walk;   // after the direct request at the minimum
    } cases[] = {
        // The first list entry the host accepts is the version recorded.
        {"PDSysFont", 0x80000, true, {"PDSysFont@50001"}},
        {"PDSysFont", 0x40000, true, {"PDSysFont@50001", "PDSysFont@50000", "PDSysFont@40005", "PDSysFont@40000"}},
        {"Win", 0x50000, true, {"Win@50001", "Win@50000"}},
        // A minimum above every list entry can never be met through the list:
        // the table counts as missing although the host offered it.
        {"Cos", 0x80000, false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.table + std::string(" ") + std::to_string(c.offered));
        host.tables().SetVersion(c.table, c.offered);
        host.tables().SetVersionUnknown(c.table, true);
        host.tables().ClearRequests();
        ASSERT_TRUE(plugin.Load(PluginPath()));
        EXPECT_EQ(plugin.CoreHandshake(), c.bound);
        EXPECT_EQ(Requests(), WithExtraRequests(c.table, c.walk, c.bound));
        plugin.Free();
        host.tables().SetVersionUnknown(c.table, false);
        host.tables().SetVersion(c.table, 0x80000);
    }
}

TEST_F(LoadedPlugin, MissingTableStopsTheLaterRows)
{
    const struct {
        const char* table;
        RequestLog walk;   // a table not offered is asked for at every list entry at or above its minimum
    } cases[] = {
        {"Cos", {}},
        {"PDSysFont", {"PDSysFont@50001", "PDSysFont@50000", "PDSysFont@40005", "PDSysFont@40000"}},
        {"Win", {"Win@50001", "Win@50000"}},
        {"ASExtra", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.table);
        host.tables().SetAvailable(c.table, false);
        host.tables().ClearRequests();
        ASSERT_TRUE(plugin.Load(PluginPath()));
        EXPECT_FALSE(plugin.CoreHandshake());
        EXPECT_EQ(Requests(), WithExtraRequests(c.table, c.walk, false));
        plugin.Free();
        host.tables().SetAvailable(c.table, true);
    }
}

TEST_F(LoadedPlugin, ImportTablesAsksExactVersionsAndStopsAtTheFirstMissing)
{
    const struct {
        const char* missing;
        bool answer;
        RequestLog requests;
    } cases[] = {
        {nullptr, true, {"PubSecHFT@1", "DigSigHFT@1", "Forms@10002"}},
        {"PubSecHFT", false, {"PubSecHFT@1"}},
        {"DigSigHFT", false, {"PubSecHFT@1", "DigSigHFT@1"}},
        {"Forms", false, {"PubSecHFT@1", "DigSigHFT@1", "Forms@10002"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.missing ? c.missing : "none");
        if (c.missing)
            host.tables().SetAvailable(c.missing, false);
        ASSERT_TRUE(plugin.Load(PluginPath()));
        ASSERT_TRUE(plugin.CoreHandshake() && plugin.SetupHandshake() && plugin.ExportTables());
        host.tables().ClearRequests();
        EXPECT_EQ(plugin.ImportTables(), c.answer);
        EXPECT_EQ(Requests(), c.requests);
        // Registration needs all three.
        EXPECT_EQ(plugin.Init(), c.answer);
        EXPECT_EQ(plugin.Handler() != nullptr, c.answer);
        plugin.Free();
        if (c.missing)
            host.tables().SetAvailable(c.missing, true);
    }
}

TEST_F(LoadedPlugin, ImportTablesRefusesAnOlderForms)
{
    host.tables().SetVersion("Forms", 0x10001);
    ASSERT_TRUE(plugin.Load(PluginPath()));
    ASSERT_TRUE(plugin.CoreHandshake() && plugin.SetupHandshake());
    EXPECT_FALSE(plugin.ImportTables());
}

}  // namespace
