// penvane-host --protocol: every request line gets one answer line, errors
// included, and the handler's own answers come back for validation.
#include <gtest/gtest.h>

#include <sstream>

#include "HandlerMessages.h"
#include "ProtocolMode.h"
#include "SharedTestSupport.h"

namespace {

using namespace penvane;

std::vector<std::string> RunHost(const std::wstring& plugin, const std::string& input, int* rc = nullptr)
{
    std::istringstream in(input);
    std::ostringstream out;
    const int code = standin::RunProtocol(plugin, in, out);
    if (rc) *rc = code;
    std::vector<std::string> lines;
    std::istringstream answers(out.str());
    for (std::string line; std::getline(answers, line);) lines.push_back(line);
    return lines;
}

TEST(HostProtocol, MalformedAndUnknownMessagesGetAnErrorAndTheHostGoesOn)
{
    int rc = -1;
    auto lines = RunHost(WinePath(PENVANE_PLUGIN_PATH),
                     "not json\n{\"op\":\"bogus\"}\n{\"op\":\"value\",\"digest\":\"00\"}\n"
                     "{\"op\":\"sign\",\"field\":7}\n{\"op\":\"quit\"}\n{\"op\":\"size\"}\n",
                     &rc);
    ASSERT_EQ(lines.size(), 5u) << "nothing is read after quit";
    EXPECT_EQ(lines[0], "{\"error\":\"malformed message: not a JSON object\"}");
    EXPECT_EQ(lines[1], "{\"error\":\"unknown message \\\"bogus\\\"\"}");
    EXPECT_EQ(lines[2], "{\"error\":\"\\\"digest\\\" not 20 bytes\"}");
    EXPECT_EQ(lines[3], "{\"error\":\"\\\"field\\\" not an object\"}");
    EXPECT_EQ(lines[4], "{\"op\":\"quit\"}");
    EXPECT_EQ(rc, 0);
}

TEST(HostProtocol, ValidationAnswersComeFromTheHandler)
{
    const std::string digest(20, '\x11');
    auto lines = RunHost(WinePath(PENVANE_PLUGIN_PATH),
                     ValidateRequestLine(std::string("\x04\x82\x00\x00", 4), digest) +
                         LayersRequestLine(ResultsBag{3, std::nullopt, std::nullopt}) + SimpleRequestLine("quit"));
    ASSERT_EQ(lines.size(), 3u);
    ValidationAnswer a;
    std::string error;
    ASSERT_TRUE(ReadValidationAnswer(ParseLine(lines[0]), &a, &error)) << error << lines[0];
    EXPECT_FALSE(a.digest) << "not valid: the handler writes nothing";
    EXPECT_EQ(a.texts[0], "The PenvanePlus Signature is Valid.");
    EXPECT_EQ(a.texts[1], "PenvanePlus Signature");
    ASSERT_EQ(a.layers.size(), 2u);
    EXPECT_EQ(a.layers[0].name, "RirAvar Signature Unknown");
    ASSERT_TRUE(a.layers[0].stream);
    EXPECT_EQ(a.layers[0].stream->rfind("% DSUnknown", 0), 0u);
    EXPECT_FALSE(a.layers[1].name);

    std::vector<ValidityLayer> layers;
    ASSERT_TRUE(ReadLayersAnswer(ParseLine(lines[1]), &layers, &error)) << error << lines[1];
    ASSERT_EQ(layers.size(), 2u);
    EXPECT_FALSE(layers[0].name);
    EXPECT_EQ(layers[1].name, "RirAvar Signature Invalid");
    EXPECT_EQ(layers[1].box[2], 99 << 16);
}

TEST(HostProtocol, APlugInThatDoesNotStartIsNamedInEveryAnswer)
{
    int rc = 0;
    auto lines = RunHost(L"Z:\\nonexistent\\PenvanePlus.api", SimpleRequestLine("size") + SimpleRequestLine("quit"), &rc);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].rfind("{\"error\":\"the plug-in did not start: ", 0), 0u) << lines[0];
    EXPECT_EQ(lines[1], "{\"op\":\"quit\"}");
    EXPECT_EQ(rc, 1);
}

}  // namespace
