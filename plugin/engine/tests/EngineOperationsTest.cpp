// Login, operation checks, and what an engine holds and gives back.
#include <cstring>
#include <stdexcept>

#include "BoundHost.h"
#include "EngineError.h"
#include "HandlerEngine.h"

namespace {

using Operations = BoundHost;

enum Prepared { Ready, Refused, NeedsLogin };

const struct OperationCase {
    int32_t code;
    Prepared prepared;
    bool availableLoggedOut;
    bool availableLoggedIn;
} kOperations[] = {
    {0, Ready, true, true},         {1, NeedsLogin, false, true},   {2, Ready, false, true},
    {3, NeedsLogin, false, true},   {4, Ready, true, true},         {5, NeedsLogin, true, true},
    {6, Ready, true, true},         {7, NeedsLogin, false, true},   {8, Refused, false, false},
    {9, NeedsLogin, false, true},   {10, Ready, true, true},        {11, NeedsLogin, false, true},
    {12, NeedsLogin, false, true},  {13, Ready, true, true},        {14, Ready, true, true},
    {15, Ready, false, false},      {16, Ready, false, false},      {17, Ready, false, false},
    {18, Ready, false, false},      {19, Refused, false, false},    {1000, Refused, false, false},
    {-1, Refused, false, false},    {INT32_MIN, Refused, false, false},
};

TEST_F(Operations, PrepareWithoutLoginOrPermission)
{
    for (const OperationCase& c : kOperations) {
        HandlerEngine engine(true);
        if (c.prepared == NeedsLogin) {
            try {
                engine.PrepareOperation(c.code, false);
                ADD_FAILURE() << "code " << c.code << " prepared without a login";
            } catch (const EngineError& error) {
                EXPECT_STREQ(error.what(), "No user logged in to RirAvar!") << c.code;
            }
        } else {
            EXPECT_EQ(engine.PrepareOperation(c.code, false), c.prepared == Ready) << c.code;
        }
        EXPECT_FALSE(engine.IsLoggedIn()) << c.code;
    }
}

TEST_F(Operations, PrepareWithPermissionLogsInWhereNeeded)
{
    for (const OperationCase& c : kOperations) {
        HandlerEngine engine(true);
        EXPECT_EQ(engine.PrepareOperation(c.code, true), c.prepared != Refused) << c.code;
        EXPECT_EQ(engine.IsLoggedIn(), c.prepared == NeedsLogin) << c.code;
    }
}

TEST_F(Operations, PrepareAfterLoginNeedsNoPermission)
{
    HandlerEngine engine(true);
    engine.LogIn(true);
    for (const OperationCase& c : kOperations)
        EXPECT_EQ(engine.PrepareOperation(c.code, false), c.prepared != Refused) << c.code;
}

TEST_F(Operations, Availability)
{
    HandlerEngine engine(true);
    for (const OperationCase& c : kOperations)
        EXPECT_EQ(engine.IsOperationAvailable(c.code), c.availableLoggedOut) << c.code;
    engine.LogIn(true);
    for (const OperationCase& c : kOperations)
        EXPECT_EQ(engine.IsOperationAvailable(c.code), c.availableLoggedIn) << c.code;
}

TEST_F(Operations, ReplacedExceptionTextIsGivenBack)
{
    {
        HandlerEngine engine(true);
        ASText first = ASTextFromCString("first");
        EXPECT_EQ(engine.SetExceptionText(first), first);
        host.texts().Destroy(first);               // the caller's own reference
        EXPECT_EQ(host.texts().References(first), 1);

        ASText second = ASTextFromCString("second");
        engine.SetExceptionText(second);
        host.texts().Destroy(second);
        EXPECT_FALSE(host.texts().IsLive(first));
        EXPECT_EQ(engine.ExceptionText(), second);

        // The same text again must survive its own replacement.
        engine.SetExceptionText(second);
        EXPECT_EQ(host.texts().References(second), 1);
        EXPECT_EQ(host.texts().Utf8(engine.ExceptionText()), "second");
    }
    EXPECT_EQ(host.texts().LiveTexts(), 0u);
    EXPECT_EQ(host.texts().StrayDestroys(), 0u);
}

TEST_F(Operations, DestructionGivesBackEverythingTheEngineHolds)
{
    const ASFixed box[4] = {0, 0, 100 << 16, 40 << 16};
    {
        HandlerEngine engine(true);
        engine.reason = "I agree";
        ASText text = ASTextFromCString("Error at File: engine , Line: __LINE__");
        engine.SetExceptionText(text);
        host.texts().Destroy(text);

        engine.AdoptCapturedSignature(static_cast<char*>(ASmalloc(64)), 64);
        engine.AdoptCapturedSignature(static_cast<char*>(ASmalloc(32)), 32);   // replaces, frees the first
        EXPECT_EQ(host.memory().LiveBlocks(), 1u);
        engine.AdoptAppearanceData(static_cast<char*>(ASmalloc(200)), 200, box);
        EXPECT_EQ(std::memcmp(engine.AppearanceBox(), box, sizeof box), 0);
        EXPECT_EQ(host.memory().LiveBytes(), 232u);

        // A text handed out for "exception" is the caller's to give back.
        host.texts().Destroy(engine.QueryText("exception", 0));
    }
    EXPECT_EQ(host.memory().LiveBlocks(), 0u);
    EXPECT_EQ(host.memory().LiveBytes(), 0u);
    EXPECT_EQ(host.memory().ForeignFrees(), 0u);
    EXPECT_EQ(host.texts().LiveTexts(), 0u);
    EXPECT_EQ(host.texts().StrayDestroys(), 0u);
}

TEST_F(Operations, NewEngineHoldsNothing)
{
    HandlerEngine engine(true);
    EXPECT_FALSE(engine.IsLoggedIn());
    EXPECT_TRUE(engine.QueryBool("userInterface", false));
    EXPECT_EQ(engine.ExceptionText(), nullptr);
    EXPECT_EQ(engine.CapturedSignature(), nullptr);
    EXPECT_EQ(engine.CapturedSignatureLength(), 0);
    EXPECT_EQ(engine.AppearanceData(), nullptr);
    EXPECT_EQ(engine.AppearanceLength(), 0);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(engine.AppearanceBox()[i], 0);
    EXPECT_TRUE(engine.reason.empty() && engine.signerName.empty() && engine.location.empty() &&
                engine.contactInfo.empty());
}

}  // namespace
