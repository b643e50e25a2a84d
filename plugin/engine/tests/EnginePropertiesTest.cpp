// The handler's property vocabulary, answered through the host stand-in.
#include <string>

#include "BoundHost.h"
#include "EngineProperties.h"
#include "HandlerEngine.h"
#include "HandlerProperties.h"

namespace {

using Properties = BoundHost;

struct BoolCase {
    const char* name;
    // Answer for a new (logged-out) engine when the host's default is false / true.
    bool withDefaultFalse;
    bool withDefaultTrue;
};

const BoolCase kBoolCases[] = {
    {"signVisible", true, true},
    {"signInvisible", true, true},
    {"signAuthor", true, true},
    {"docEncrypt", false, false},
    {"docDecrypt", false, false},
    {"exportContact", true, true},
    {"signPKCS1", true, true},
    {"signPKCS7", false, false},
    {"signPKCS1Digest", false, false},
    {"signPKCS7DetachedDigest", false, false},
    {"signFDF", true, true},
    {"signCustomAP", true, true},
    {"hashSHA256", true, true},
    {"isLoggedIn", false, false},
    {"userInterface", true, true},
    // Not in the vocabulary: the host's default, compared with exact case.
    {"SignVisible", false, true},
    {"signvisible", false, true},
    {"signVisible ", false, true},
    {"", false, true},
    {"hashSHA1", false, true},
};

TEST_F(Properties, BooleansOfTheVocabulary)
{
    HandlerEngine engine(true);
    for (const BoolCase& c : kBoolCases) {
        EXPECT_EQ(AnswerBoolProperty(&engine, c.name, false), c.withDefaultFalse) << c.name;
        EXPECT_EQ(AnswerBoolProperty(&engine, c.name, true), c.withDefaultTrue) << c.name;
        // Without any engine, or without a name, the host's default stands.
        EXPECT_FALSE(AnswerBoolProperty(nullptr, c.name, false)) << c.name;
        EXPECT_TRUE(AnswerBoolProperty(nullptr, c.name, true)) << c.name;
    }
    EXPECT_TRUE(AnswerBoolProperty(&engine, nullptr, true));
    EXPECT_FALSE(AnswerBoolProperty(&engine, nullptr, false));
}

TEST_F(Properties, IsLoggedInFollowsLogin)
{
    HandlerEngine engine(true);
    EXPECT_FALSE(engine.LogIn(false));
    EXPECT_FALSE(AnswerBoolProperty(&engine, "isLoggedIn", true));
    EXPECT_TRUE(engine.LogIn(true));
    EXPECT_TRUE(AnswerBoolProperty(&engine, "isLoggedIn", false));
    // There is no way back: a refused login later does not log the engine out.
    EXPECT_FALSE(engine.LogIn(false));
    EXPECT_TRUE(AnswerBoolProperty(&engine, "isLoggedIn", false));
}

TEST_F(Properties, AtomsNameTheHandlerOnly)
{
    const ASAtom handlerAtom = ASAtomFromString(kHandlerName);
    const struct {
        const char* name;
        ASAtom answer;
    } cases[] = {
        {"DigSigHandlerName", handlerAtom},
        {"PubSecHandlerName", handlerAtom},
        {"uiName", kNullAtom},
        {"pubSecHandlerName", kNullAtom},
        {nullptr, kNullAtom},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AnswerAtomProperty(c.name, handlerAtom), c.answer) << (c.name ? c.name : "(null)");
    // Before the handler knows its atom it can only answer the null atom.
    EXPECT_EQ(AnswerAtomProperty("PubSecHandlerName", kNullAtom), kNullAtom);
}

TEST_F(Properties, Integers)
{
    HandlerEngine engine(true);
    host.viewer().SetAppearanceTitles({"a", "b"});
    const struct {
        const HandlerEngine* engine;
        const char* name;
        int32_t answer;
    } cases[] = {
        {&engine, "version", 1},
        {nullptr, "version", 1},
        {&engine, "appearances", 2},
        {nullptr, "appearances", -7},
        {&engine, "Version", -7},
        {&engine, "isLoggedIn", -7},
        {&engine, nullptr, -7},
        {nullptr, nullptr, -7},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AnswerIntProperty(c.engine, c.name, -7), c.answer)
            << (c.name ? c.name : "(null)") << (c.engine ? " with engine" : " without engine");
}

TEST_F(Properties, TextsNamingTheHandlerNeedNoEngine)
{
    HandlerEngine engine(true);
    for (const char* name : {"PubSecHandlerName", "DigSigHandlerName", "uiName"}) {
        EXPECT_EQ(TakeText(AnswerTextProperty(nullptr, name, 0)), "Orvel.PenvanePlus") << name;
        EXPECT_EQ(TakeText(AnswerTextProperty(&engine, name, 5)), "Orvel.PenvanePlus") << name;
    }
    for (const char* name : {"loginPath", "loginName", "LoginName", "signVisible", "exception"})
        EXPECT_EQ(AnswerTextProperty(nullptr, name, -1), nullptr) << name;
    for (const char* name : {"loginPath", "loginName", "LoginName", "signVisible"})
        EXPECT_EQ(AnswerTextProperty(&engine, name, -1), nullptr) << name;
    EXPECT_EQ(AnswerTextProperty(&engine, nullptr, -1), nullptr);
    EXPECT_EQ(host.texts().LiveTexts(), 0u);
}

TEST_F(Properties, AppearancesOpenCountTitleAndCloseTheHostList)
{
    HandlerEngine engine(true);
    host.viewer().SetAppearanceTitles({"Plain", "With logo", "Caf\xC3\xA9"});

    EXPECT_EQ(AnswerIntProperty(&engine, "appearances", 0), 3);
    EXPECT_EQ(host.viewer().LastListOpenReserved(), nullptr);
    EXPECT_EQ(host.viewer().LastListOpenFlag(), 1);

    const struct {
        int32_t index;
        const char* title;   // null: no text
    } cases[] = {
        {0, "Plain"}, {1, "With logo"}, {2, "Caf\xC3\xA9"}, {3, nullptr}, {-1, nullptr}, {1000, nullptr},
    };
    for (const auto& c : cases) {
        ASText text = AnswerTextProperty(&engine, "appearances", c.index);
        if (c.title)
            EXPECT_EQ(TakeText(text), c.title) << c.index;
        else
            EXPECT_EQ(text, nullptr) << c.index;
    }

    EXPECT_EQ(host.viewer().AppearanceListOpens(), 1 + 6);
    EXPECT_EQ(host.viewer().AppearanceListCloses(), 1 + 6);
    EXPECT_EQ(host.viewer().OpenAppearanceLists(), 0u);
    EXPECT_EQ(host.texts().LiveTexts(), 0u);
}

TEST_F(Properties, NoAppearancesAnswerZeroAndNoText)
{
    HandlerEngine engine(true);
    EXPECT_EQ(AnswerIntProperty(&engine, "appearances", 5), 0);
    for (int32_t index : {-1, 0, 1})
        EXPECT_EQ(AnswerTextProperty(&engine, "appearances", index), nullptr) << index;
    EXPECT_EQ(host.viewer().AppearanceListOpens(), host.viewer().AppearanceListCloses());
    EXPECT_EQ(host.viewer().OpenAppearanceLists(), 0u);
}

TEST_F(Properties, ExceptionIndexRule)
{
    ASText blank = ASTextFromCString("  ");
    ASText recorded = ASTextFromCString("Error at File: x , Line: __LINE__");

    enum Stored { None, Blank, Recorded };
    const struct {
        Stored stored;
        int32_t index;
        const char* answer;   // null: no text
    } cases[] = {
        {None, -1, kIncorrectParameterText},
        {None, 0, nullptr},
        {None, 3, nullptr},
        {Blank, -1, kIncorrectParameterText},
        {Blank, 0, "  "},
        {Recorded, -1, "Error at File: x , Line: __LINE__"},
        {Recorded, 0, "Error at File: x , Line: __LINE__"},
    };
    for (const auto& c : cases) {
        HandlerEngine engine(true);
        if (c.stored != None)
            engine.SetExceptionText(c.stored == Blank ? blank : recorded);
        ASText text = AnswerTextProperty(&engine, "exception", c.index);
        if (!c.answer) {
            EXPECT_EQ(text, nullptr) << c.stored << " " << c.index;
            continue;
        }
        if (c.stored == Recorded) {
            EXPECT_EQ(text, recorded) << "the stored text itself";
        }
        EXPECT_EQ(TakeText(text), c.answer) << c.stored << " " << c.index;
    }
    EXPECT_EQ(std::string(kIncorrectParameterText), "A parameter had an incorrect value. ");
    host.texts().Destroy(blank);
    host.texts().Destroy(recorded);
    EXPECT_EQ(host.texts().LiveTexts(), 0u);
    EXPECT_EQ(host.texts().StrayDestroys(), 0u);
}

}  // namespace
