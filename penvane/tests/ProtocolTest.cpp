// The line protocol: both sides' messages, and a host that gets a malformed
// or unknown message answers with an error instead of hanging.
#include <gtest/gtest.h>

#include <chrono>

#include "HandlerMessages.h"
#include "HostProcess.h"
#include "PdfError.h"

using namespace penvane;

namespace {

TEST(Protocol, RequestsAndAnswersReadBackAsWritten) {
    SignRequest r;
    r.fieldName = "Approval";
    r.hasSeedValue = true;
    r.seedFlags = 8;
    r.reasons = std::vector<std::string>{"I agree", "I have read it"};
    r.width = 200 << 16;
    r.height = 0x508000;
    r.rotation = 270;
    r.strokes = "/tmp/x.strokes";
    SignRequest back;
    std::string error;
    ASSERT_TRUE(ReadSignRequest(ParseLine(SignRequestLine(r)), &back, &error)) << error;
    EXPECT_EQ(back.fieldName, r.fieldName);
    EXPECT_TRUE(back.hasSeedValue);
    EXPECT_EQ(back.seedFlags, 8);
    EXPECT_EQ(back.reasons, r.reasons);
    EXPECT_EQ(back.height, 0x508000);
    EXPECT_EQ(back.rotation, 270);
    EXPECT_EQ(back.strokes, r.strokes);

    SigningAnswer a;
    a.outcome = 2;
    a.certificate = std::string("\x30\x82\x04\x3B\x00", 5);
    a.reason = std::string("\xFE\xFF\x00R", 4);
    a.location = "Z\xFCrich";
    SigningAnswer aBack;
    ASSERT_TRUE(ReadSigningAnswer(ParseLine(SigningAnswerLine(a)), &aBack, &error)) << error;
    EXPECT_EQ(aBack.certificate, a.certificate);
    EXPECT_EQ(aBack.reason, a.reason);
    EXPECT_EQ(aBack.location, a.location);

    ValidationAnswer v;
    v.digest = 7;
    v.texts[0] = "The PenvanePlus Signature is Valid.";
    v.layers = {{1, std::string("RirAvar Signature Valid"), std::string("q Q"), {0, 0, 0x03C39459, 0x03E80000}},
                {3, std::nullopt, std::nullopt, {}}};
    ValidationAnswer vBack;
    ASSERT_TRUE(ReadValidationAnswer(ParseLine(ValidationAnswerLine(v)), &vBack, &error)) << error;
    EXPECT_EQ(vBack.digest, 7);
    EXPECT_FALSE(vBack.trustFlags);
    EXPECT_EQ(vBack.texts[0], v.texts[0]);
    EXPECT_FALSE(vBack.texts[1]);
    ASSERT_EQ(vBack.layers.size(), 2u);
    EXPECT_EQ(vBack.layers[0].box[2], 0x03C39459);
    EXPECT_FALSE(vBack.layers[1].stream);
}

TEST(Protocol, BadMessagesAreNamed) {
    struct Case { const char* line; const char* error; } cases[] = {
        {"not json", "malformed message: not a JSON object"},
        {"[1,2]", "malformed message: not a JSON object"},
        {"{\"digest\":\"00\"}", "malformed message: no \"op\""},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseLine(c.line).error, c.error) << c.line;
    std::string digest, error;
    EXPECT_FALSE(ReadValueRequest(ParseLine("{\"op\":\"value\",\"digest\":\"0G\"}"), &digest, &error));
    EXPECT_EQ(error, "\"digest\" not hex");
    EXPECT_FALSE(ReadValueRequest(ParseLine("{\"op\":\"value\",\"digest\":\"00\"}"), &digest, &error));
    EXPECT_EQ(error, "\"digest\" not 20 bytes");
    EXPECT_FALSE(IsKnownOperation("bogus"));

    // Numbers that do not fit 32 bits are refused, not wrapped or cut.
    ResultsBag bag;
    EXPECT_FALSE(ReadLayersRequest(ParseLine("{\"op\":\"layers\",\"results\":{\"digest\":18446744073709551615}}"), &bag, &error));
    EXPECT_EQ(error, "\"results\" \"digest\" not a 32-bit integer");
    AppearanceAnswer appearance;
    EXPECT_FALSE(ReadAppearanceAnswer(
        ParseLine("{\"op\":\"appearance\",\"present\":true,\"drawing\":\"\",\"rect\":[0,0,4294967296,1],\"bbox\":[0,0,1,1]}"),
        &appearance, &error));
    EXPECT_EQ(error, "\"rect\" not four numbers");
}

TEST(Protocol, HostAnswersMalformedAndUnknownMessagesWithAnErrorAndGoesOn) {
    HostProcess host({PENVANE_FAKE_HOST}, "");
    EXPECT_EQ(host.Exchange("this is not JSON\n", 10), "{\"error\":\"malformed message: not a JSON object\"}");
    EXPECT_EQ(host.Exchange("{\"op\":\"bogus\"}\n", 10), "{\"error\":\"unknown message \\\"bogus\\\"\"}");
    EXPECT_EQ(host.Exchange("{\"op\":\"value\",\"digest\":12}\n", 10), "{\"error\":\"\\\"digest\\\" not hex\"}");
    EXPECT_EQ(host.Exchange(SimpleRequestLine("quit"), 10), "{\"op\":\"quit\"}");
}

TEST(Protocol, AHostThatHangsOrDiesEndsTheExchangeWithAMessage) {
    HostProcess hanging({PENVANE_FAKE_HOST, "--hang-on", "size"}, "");
    try {
        hanging.Exchange(SimpleRequestLine("size"), 1);
        ADD_FAILURE() << "no time-out";
    } catch (const PdfError& e) {
        EXPECT_STREQ(e.what(), "the host program did not answer within 1 s; it was stopped");
    }
    HostProcess dying({PENVANE_FAKE_HOST, "--exit-on", "size"}, "");
    try {
        dying.Exchange(SimpleRequestLine("size"), 10);
        ADD_FAILURE() << "no error";
    } catch (const PdfError& e) {
        EXPECT_STREQ(e.what(), "the host program ended with exit code 3 without answering");
    }
    // A host that reads nothing, sent a request far bigger than a pipe
    // holds: the time-out still holds while the request waits to be written.
    HostProcess deaf({"sleep", "30"}, "");
    const auto start = std::chrono::steady_clock::now();
    try {
        deaf.Exchange(ValidateRequestLine(std::string(1 << 20, 'v'), std::string(20, 'd')), 1);
        ADD_FAILURE() << "no time-out";
    } catch (const PdfError& e) {
        EXPECT_STREQ(e.what(), "the host program did not answer within 1 s; it was stopped");
    }
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 3.0);
}

}  // namespace
