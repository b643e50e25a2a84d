// Registration of the handler record, and the steps called in or out of order.
#include <cstring>

#include "LoadedPlugin.h"
#include "RegistrationReport.h"

namespace {

using namespace standin::handlerRecord;

constexpr size_t kRecordCallbackCount = 21;
// The setup callback and the four steps, which the host holds.
constexpr size_t kHandshakeCallbacks = 5;

std::vector<unsigned char> RecordBytes(standin::RegisteredHandler& handler)
{
    auto* record = static_cast<const unsigned char*>(handler.Record());
    return std::vector<unsigned char>(record, record + kSize);
}

bool AllZero(const std::vector<unsigned char>& bytes)
{
    for (unsigned char byte : bytes)
        if (byte != 0)
            return false;
    return true;
}

TEST_F(LoadedPlugin, RegisteredRecordHoldsItsWordsAtTheirOffsets)
{
    standin::RegisteredHandler& handler = Started();
    EXPECT_EQ(host.HandlerCount(), 1u);
    EXPECT_EQ(handler.RecordWord(0x00), kSize);
    EXPECT_NE(handler.RecordWord(kEngine), 0u);
    EXPECT_EQ(handler.RecordWord(kHostExtension),
              static_cast<uint64_t>(reinterpret_cast<uintptr_t>(handler.HostExtensionTable())));

    // Every word that is neither size, engine, hostExtension nor a callback is zero.
    std::vector<bool> named(kSize / 8, false);
    named[0] = named[kEngine / 8] = named[kHostExtension / 8] = true;
    for (const standin::RecordCallbackName& callback : standin::kRecordCallbacks) {
        EXPECT_TRUE(handler.HasCallback(callback.offset)) << callback.name;
        named[callback.offset / 8] = true;
    }
    for (size_t word = 0; word < named.size(); ++word) {
        if (!named[word]) {
            EXPECT_EQ(handler.RecordWord(word * 8), 0u) << std::hex << word * 8;
        }
    }

    EXPECT_EQ(host.callbacks().Live(), kRecordCallbackCount + 1 + kHandshakeCallbacks);
    EXPECT_EQ(handler.HostExtensionCheck(7, nullptr, nullptr), 1);
}

TEST_F(LoadedPlugin, UnloadDestroysEveryCallbackOnceAndZeroesTheRecord)
{
    standin::RegisteredHandler& handler = Started();
    void* table = handler.HostExtensionTable();
    ASSERT_TRUE(plugin.Unload());
    EXPECT_TRUE(AllZero(RecordBytes(handler)));
    // Only the host's own handshake callbacks are left, and no handle of the
    // plug-in's stays behind in the host's table.
    EXPECT_EQ(host.callbacks().Live(), kHandshakeCallbacks);
    uint64_t check;
    std::memcpy(&check, static_cast<unsigned char*>(table) + standin::kHostExtensionCheckOffset, sizeof check);
    EXPECT_EQ(check, 0u);
    EXPECT_EQ(host.callbacks().Created(), kRecordCallbackCount + 1 + kHandshakeCallbacks);
    // The fixture checks that nothing was destroyed twice.
}

TEST_F(LoadedPlugin, RefusedRegistrationUndoesItselfAndOnInitAnswersFalse)
{
    host.SetRefuseRegistration(true);
    EXPECT_FALSE(plugin.Start(PluginPath()));
    EXPECT_EQ(plugin.Failure(), "OnInit refused");
    EXPECT_EQ(plugin.Handler(), nullptr);
    // The engine and the 21 callbacks came and went; no check callback was made.
    EXPECT_EQ(host.callbacks().Created(), kRecordCallbackCount + kHandshakeCallbacks);
    EXPECT_EQ(host.callbacks().Live(), kHandshakeCallbacks);
    // Nothing is left to undo, and registration is not tried again.
    EXPECT_TRUE(plugin.Unload());
    host.SetRefuseRegistration(false);
    EXPECT_FALSE(plugin.Init());
    EXPECT_EQ(host.HandlerCount(), 0u);
}

TEST_F(LoadedPlugin, RefusalLeavesTheHostsOwnTableWordAlone)
{
    // A host that filled hostExtension before refusing: the word at 0x100 of
    // its table is its own, and the plug-in made no check callback to put there.
    int hostFunction = 0;
    standin::Callback hostsOwn = host.callbacks().Create(nullptr, &hostFunction);
    host.SetRefusalTableWord(hostsOwn);
    host.SetRefuseRegistration(true);
    EXPECT_FALSE(plugin.Start(PluginPath()));
    EXPECT_EQ(host.callbacks().FunctionOf(hostsOwn), &hostFunction);
    EXPECT_EQ(host.callbacks().StrayDestroys(), 0u);
    host.callbacks().Destroy(hostsOwn);
}

TEST_F(LoadedPlugin, SecondRegistrationIsRefusedAndLeavesTheRecordAlone)
{
    standin::RegisteredHandler& handler = Started();
    const std::vector<unsigned char> before = RecordBytes(handler);
    const size_t created = host.callbacks().Created();
    EXPECT_FALSE(plugin.Init());
    EXPECT_EQ(RecordBytes(handler), before);
    EXPECT_EQ(host.callbacks().Created(), created);
    EXPECT_EQ(host.HandlerCount(), 1u);
    // The first registration is still the one OnUnload undoes.
    EXPECT_TRUE(plugin.Unload());
    EXPECT_TRUE(AllZero(RecordBytes(handler)));
}

TEST_F(LoadedPlugin, StepsOutOfOrderAnswerFalseOrNothing)
{
    // OnInit and OnUnload before the tables are all bound.
    ASSERT_TRUE(plugin.Load(PluginPath()));
    ASSERT_TRUE(plugin.CoreHandshake() && plugin.SetupHandshake());
    EXPECT_TRUE(plugin.Unload());          // without OnInit: nothing to undo
    EXPECT_FALSE(plugin.Init());           // PubSecHFT and the rest not imported yet
    EXPECT_EQ(host.callbacks().Created(), kHandshakeCallbacks);

    // The normal order, then OnUnload twice and OnInit after OnUnload.
    ASSERT_TRUE(plugin.ImportTables());
    ASSERT_TRUE(plugin.Init());
    EXPECT_TRUE(plugin.Unload());
    EXPECT_TRUE(plugin.Unload());
    EXPECT_FALSE(plugin.Init());
    EXPECT_EQ(host.HandlerCount(), 1u);
    EXPECT_EQ(host.callbacks().Live(), kHandshakeCallbacks);
}

TEST_F(LoadedPlugin, EachLoadOfTheFileRegistersAfresh)
{
    // Module state lives in the file's image: unloading the file forgets it.
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        EXPECT_TRUE(plugin.Start(PluginPath())) << plugin.Failure();
        EXPECT_NE(plugin.Handler(), nullptr);
        plugin.Free();
    }
    EXPECT_EQ(host.HandlerCount(), 3u);
}

}  // namespace
