// The callbacks at their top level, reached by the host through the handles
// in the record: engines, answers without an engine, and the exception wall.
#include <cstring>

#include "LoadedPlugin.h"

namespace {

using namespace standin::handlerRecord;

constexpr char kErrorText[] = "Error at File: plugin/Source/DSHandler.cpp , Line: __LINE__";

// Takes the handler's own engine out of the record while it lives, so the
// callbacks meet a host that names no engine when none exists; puts it back
// so that unloading destroys it.
class WithoutEngine {
public:
    explicit WithoutEngine(standin::RegisteredHandler& handler)
        : m_word(static_cast<unsigned char*>(handler.Record()) + kEngine)
    {
        std::memcpy(&m_engine, m_word, sizeof m_engine);
        std::memset(m_word, 0, sizeof m_engine);
    }
    ~WithoutEngine() { std::memcpy(m_word, &m_engine, sizeof m_engine); }

private:
    unsigned char* m_word;
    uint64_t m_engine;
};

TEST_F(LoadedPlugin, EveryCallbackAnswersItsFailureWhenNoEngineExists)
{
    standin::RegisteredHandler& handler = Started();
    unsigned char record[0x60] = {};
    int item = 0;
    standin::CosObj object = {0x5A5A, 0x5A5A};
    {
        WithoutEngine none(handler);
        EXPECT_EQ(handler.QueryBool(nullptr, "signVisible", 0), 0);
        EXPECT_EQ(handler.QueryBool(nullptr, "signVisible", 2), 1);   // the default, as a boolean
        EXPECT_EQ(handler.QueryInt(nullptr, "version", 9), 1);
        EXPECT_EQ(handler.QueryInt(nullptr, "appearances", 9), 9);
        EXPECT_EQ(TakeText(handler.QueryText(nullptr, "uiName", 0)), "Orvel.PenvanePlus");
        EXPECT_EQ(handler.QueryText(nullptr, "exception", -1), nullptr);
        EXPECT_EQ(host.atoms().NameOf(handler.QueryAtom(nullptr, "DigSigHandlerName")), "Orvel.PenvanePlus");

        const struct {
            const char* callback;
            int32_t answer;
        } answers[] = {
            {"onPrepareOperation", handler.PrepareOperation(nullptr, 0, 1)},
            {"onReadyCheck", handler.ReadyCheck(nullptr, 0)},
            {"onOperationAvailable", handler.OperationAvailable(nullptr, 0)},
            {"onSignatureProperties", handler.SignatureProperties(nullptr, record)},
            {"onLogIn", handler.LogIn(nullptr, 1)},
            {"onSignatureValue", handler.SignatureValue(nullptr, record)},
            {"onValidate", handler.Validate(nullptr, record)},
            {"onAppearanceObject", handler.AppearanceObject(nullptr, &object, record, 0)},
            {"onStubObject", handler.StubObject(nullptr, 0, &item, 1)},
            {"onStubTriple", handler.StubTriple(nullptr, &item, 0, &item, &item, 0)},
            {"onStubItem", handler.StubItem(nullptr, &item, 0)},
        };
        for (const auto& a : answers)
            EXPECT_EQ(a.answer, -1) << a.callback;
        EXPECT_EQ(handler.ReservedQuery(nullptr, 0, nullptr, 0), -2);
        // Nothing was written anywhere.
        EXPECT_EQ(object.a, 0x5A5Au);
        for (unsigned char byte : record)
            EXPECT_EQ(byte, 0);
    }
    // The engine is back: the same calls now reach it.
    EXPECT_EQ(handler.QueryBool(nullptr, "signVisible", 0), 1);
    EXPECT_EQ(handler.ReadyCheck(nullptr, 0), 1);
    EXPECT_EQ(handler.ReservedQuery(nullptr, 0, nullptr, 0), 0);
}

TEST_F(LoadedPlugin, StubCallbacksWantTheirPointers)
{
    standin::RegisteredHandler& handler = Started();
    int p = 0;
    EXPECT_EQ(handler.StubObject(nullptr, 0, nullptr, 1), -1);
    EXPECT_EQ(handler.StubObject(nullptr, 0, &p, 1), 1);
    EXPECT_EQ(handler.StubItem(nullptr, nullptr, 0), -1);
    EXPECT_EQ(handler.StubItem(nullptr, &p, 0), 1);
    const struct {
        void *p1, *p2, *p3;
        int32_t answer;
    } triples[] = {{&p, &p, &p, 0}, {nullptr, &p, &p, -1}, {&p, nullptr, &p, -1}, {&p, &p, nullptr, -1}};
    for (const auto& t : triples)
        EXPECT_EQ(handler.StubTriple(nullptr, t.p1, 0, t.p2, t.p3, 0), t.answer);
    EXPECT_EQ(handler.QueryAtom(nullptr, nullptr), standin::kNullAtom);
    EXPECT_EQ(handler.QueryText(nullptr, nullptr, 0), nullptr);
    EXPECT_EQ(handler.QueryInt(nullptr, nullptr, 42), 42);
}

TEST_F(LoadedPlugin, HostEnginesKeepTheirOwnLoginAndAreDestroyedByTheHost)
{
    standin::RegisteredHandler& handler = Started();
    void* engine = handler.CreateEngine();
    ASSERT_NE(engine, nullptr);
    EXPECT_EQ(handler.QueryBool(engine, "userInterface", 0), 1);
    EXPECT_EQ(handler.LogIn(engine, 0), 0);
    EXPECT_EQ(handler.QueryBool(engine, "isLoggedIn", 1), 0);
    EXPECT_EQ(handler.LogIn(engine, 1), 1);
    EXPECT_EQ(handler.QueryBool(engine, "isLoggedIn", 0), 1);
    EXPECT_EQ(handler.QueryBool(nullptr, "isLoggedIn", 0), 0);   // the handler's own is untouched
    EXPECT_EQ(handler.OperationAvailable(engine, 2), 1);
    EXPECT_EQ(handler.OperationAvailable(nullptr, 2), 0);

    handler.DestroyEngine(engine);
    handler.DestroyEngine(nullptr);
    // The handler's own engine given back is not the host's to destroy: it
    // stays usable until unloading destroys it (once).
    void* own = reinterpret_cast<void*>(static_cast<uintptr_t>(handler.RecordWord(kEngine)));
    handler.DestroyEngine(own);
    EXPECT_EQ(handler.ReadyCheck(own, 0), 1);
}

TEST_F(LoadedPlugin, AThrowingOperationRecordsTheErrorTextAndAnswersMinusOne)
{
    standin::RegisteredHandler& handler = Started();
    void* engine = handler.CreateEngine();
    ASSERT_NE(engine, nullptr);
    EXPECT_EQ(TakeText(handler.QueryText(engine, "exception", -1)), "A parameter had an incorrect value. ");

    // Operation 3 needs a login the engine lacks and may not make: the engine
    // raises an error, the callback records the text and answers -1.
    EXPECT_EQ(handler.PrepareOperation(engine, 3, 0), -1);
    EXPECT_EQ(TakeText(handler.QueryText(engine, "exception", 0)), kErrorText);
    EXPECT_EQ(TakeText(handler.QueryText(engine, "exception", -1)), kErrorText);
    // A second failure replaces the text and keeps one copy alive.
    EXPECT_EQ(handler.PrepareOperation(engine, 7, 0), -1);
    EXPECT_EQ(host.texts().LiveTexts(), 1u);
    // Other engines keep theirs.
    EXPECT_EQ(handler.QueryText(nullptr, "exception", 0), nullptr);
    // With permission, the same operation logs in and is ready.
    EXPECT_EQ(handler.PrepareOperation(engine, 3, 1), 1);
    EXPECT_EQ(handler.QueryBool(engine, "isLoggedIn", 0), 1);
    handler.DestroyEngine(engine);
}

TEST_F(LoadedPlugin, ErrorTextNamesTheHandlerModuleFromTheRepositoryRoot)
{
    const std::string text = kErrorText;
    const std::string path = text.substr(std::strlen("Error at File: "),
                                         text.find(" , Line:") - std::strlen("Error at File: "));
    const std::wstring file = WinePath((std::string(PENVANE_SOURCE_DIR) + "/" + path).c_str());
    EXPECT_NE(GetFileAttributesW(file.c_str()), INVALID_FILE_ATTRIBUTES) << path;
}

TEST_F(LoadedPlugin, NullRequestsAreRefusedWithoutAnErrorText)
{
    standin::RegisteredHandler& handler = Started();
    standin::CosObj object = {};
    unsigned char record[0x60] = {};
    EXPECT_EQ(handler.SignatureProperties(nullptr, nullptr), -1);
    EXPECT_EQ(handler.SignatureValue(nullptr, nullptr), -1);
    EXPECT_EQ(handler.Validate(nullptr, nullptr), -1);
    EXPECT_EQ(handler.AppearanceObject(nullptr, &object, nullptr, 0), -1);
    EXPECT_EQ(handler.AppearanceObject(nullptr, nullptr, record, 0), -1);
    EXPECT_EQ(TakeText(handler.QueryText(nullptr, "exception", -1)), "A parameter had an incorrect value. ");
}

}  // namespace
