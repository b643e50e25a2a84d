// Signing every test file and verifying it, through the command, with the
// handler played by the test host over the line protocol.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "ToolRunner.h"

namespace {

const char* const kFiles[] = {
    "minimal.pdf",        "rotated.pdf",         "inherited-rotate.pdf",        "object-stream.pdf",
    "fields-split-1.pdf", "annotations-no-acroform.pdf", "form-filled-by-acrobat.pdf",
    "digitally-signed.pdf", "unsigned-field.pdf"};
// minimal-signed-restricted.pdf is certified against any change: signing it
// is refused (CommandTest).

void ExpectQpdfClean(const std::string& path) {
    ToolRun check = RunCommand("qpdf --check " + path);
    EXPECT_EQ(check.exitCode, 0) << path << "\n" << check.out << check.err;
}

TEST(SignVerify, EveryFileSignedOnANewFieldIsAnAppendOnlyUpdateThatVerifies) {
    const std::string dir = ScratchDir();
    for (const char* name : kFiles) {
        SCOPED_TRACE(name);
        const std::string in = TestPdf(name), out = dir + "/" + name;
        const std::string before = ReadBytes(in);
        ToolRun sign = SignWithSample(in, out, {"--new-field", "1:50,50,250,130"});
        ASSERT_EQ(sign.exitCode, 0) << sign.err;
        EXPECT_EQ(ReadBytes(in), before) << "the input changed";
        const std::string signedBytes = ReadBytes(out);
        ASSERT_GT(signedBytes.size(), before.size());
        EXPECT_EQ(signedBytes.compare(0, before.size(), before), 0) << "earlier revisions must stay byte for byte";
        ExpectQpdfClean(out);
        ToolRun verify = RunTool({"verify", out});
        EXPECT_EQ(verify.exitCode, 0) << verify.out << verify.err;
        EXPECT_NE(verify.out.find("field \"Signature1\" (page 1): valid\n"), std::string::npos) << verify.out;
    }
}

TEST(SignVerify, OfFieldsOfOneNameTheEmptyOneIsSigned) {
    // The first "Approval" holds another handler's signature; naming the
    // field signs the second, and nothing of the first changes.
    const std::string dir = ScratchDir(), out = dir + "/signed.pdf";
    ASSERT_EQ(SignWithSample(TestPdf("same-name-fields.pdf"), out, {"--field", "Approval"}).exitCode, 0);
    ExpectQpdfClean(out);
    const std::string fields = RunTool({"fields", out}).out;
    EXPECT_NE(fields.find("\"Approval\"  page 1  rect 50,100,250,180  signed"), std::string::npos) << fields;
    ToolRun verify = RunTool({"verify", "--json", out});
    EXPECT_EQ(verify.exitCode, 0) << verify.out;
    auto signatures = nlohmann::json::parse(verify.out)["files"][0]["signatures"];
    ASSERT_EQ(signatures.size(), 2u);
    EXPECT_EQ(signatures[0]["filter"], "/Orvel.PenvanePlus");
    EXPECT_EQ(signatures[1]["filter"], "/Other.Handler");
}

TEST(SignVerify, ExistingFieldOffersItsSeedReasonsAndIsSigned) {
    const std::string dir = ScratchDir(), out = dir + "/signed.pdf";
    ToolRun fields = RunTool({"fields", TestPdf("unsigned-field.pdf")});
    EXPECT_NE(fields.out.find("\"Approval\"  page 1  rect 400,100,480,300  unsigned  reasons: \"I agree\" \"I have read it\""),
              std::string::npos) << fields.out;
    ASSERT_EQ(SignWithSample(TestPdf("unsigned-field.pdf"), out, {"--field", "Approval"}).exitCode, 0);
    ExpectQpdfClean(out);
    EXPECT_NE(RunTool({"fields", out}).out.find("\"Approval\"  page 1  rect 400,100,480,300  signed"), std::string::npos);
    ToolRun verify = RunTool({"verify", "--json", out});
    EXPECT_EQ(verify.exitCode, 0) << verify.out;
    auto j = nlohmann::json::parse(verify.out);
    auto sig = j["files"][0]["signatures"][0];
    EXPECT_EQ(sig["field"], "Approval");
    EXPECT_EQ(sig["filter"], "/Orvel.PenvanePlus");
    EXPECT_EQ(sig["subFilter"], "/adbe.x509.rsa_sha1");
    EXPECT_EQ(sig["reason"], "I approve");        // PDF text from the handler's bag
    EXPECT_EQ(sig["location"], "Z\xC3\xBCrich");   // Windows-1252 from the bag, UTF-8 here
    EXPECT_EQ(sig["handler"]["results"]["digest"], 7);
    EXPECT_EQ(sig["handler"]["texts"]["8"], "The PenvanePlus Signature is Valid.");
}

TEST(SignVerify, OtherToolsSignaturesStayValid) {
    const std::string dir = ScratchDir();
    for (const char* name : {"digitally-signed.pdf"}) {
        SCOPED_TRACE(name);
        const std::string out = dir + "/" + name;
        ASSERT_EQ(SignWithSample(TestPdf(name), out, {"--new-field", "1:300,300,500,380"}).exitCode, 0);
        ToolRun pdfsig = RunCommand("pdfsig " + out);
        EXPECT_NE(pdfsig.out.find("Signature Validation: Signature is Valid."), std::string::npos) << pdfsig.out;
        ToolRun verify = RunTool({"verify", out});
        EXPECT_NE(verify.out.find("not this handler's signature (/Adobe.PPKLite)"), std::string::npos) << verify.out;
        EXPECT_EQ(verify.exitCode, 0);
    }
}

TEST(SignVerify, TwoSignaturesInARowTheFirstFollowedBySignaturesOnly) {
    const std::string dir = ScratchDir(), once = dir + "/once.pdf", twice = dir + "/twice.pdf";
    ASSERT_EQ(SignWithSample(TestPdf("object-stream.pdf"), once, {"--new-field", "1:20,20,220,100", "--name", "First"}).exitCode, 0);
    ASSERT_EQ(SignWithSample(once, twice, {"--new-field", "1:20,120,220,200", "--name", "Second"}).exitCode, 0);
    ExpectQpdfClean(twice);
    ToolRun verify = RunTool({"verify", "--json", twice});
    EXPECT_EQ(verify.exitCode, 0) << verify.out;
    auto sigs = nlohmann::json::parse(verify.out)["files"][0]["signatures"];
    ASSERT_EQ(sigs.size(), 2u);
    EXPECT_EQ(sigs[0]["field"], "Second");
    EXPECT_FALSE(sigs[0].contains("laterRevisions"));
    EXPECT_EQ(sigs[1]["field"], "First");
    EXPECT_EQ(sigs[1]["valid"], true);
    EXPECT_EQ(sigs[1]["laterRevisions"]["summary"], "signatures only");
    EXPECT_EQ(sigs[1]["changedAfterSigning"], false);
}

TEST(SignVerify, EncryptedFileGetsItsUpdateEncryptedButNotTheValue) {
    const std::string dir = ScratchDir(), in = dir + "/aes.pdf", out = dir + "/signed.pdf";
    ASSERT_EQ(RunCommand("qpdf --encrypt '' owner 128 --use-aes=y -- " + TestPdf("minimal.pdf") + " " + in).exitCode, 0);
    const std::string original = ReadBytes(in);
    ASSERT_EQ(SignWithSample(in, out, {"--new-field", "1:50,50,250,130"}).exitCode, 0);
    const std::string update = ReadBytes(out).substr(original.size());
    EXPECT_EQ(update.find("Test Signer"), std::string::npos) << "strings of the update are encrypted";
    EXPECT_EQ(update.find("Signature1"), std::string::npos);
    EXPECT_NE(update.find("/Contents <0482"), std::string::npos) << "the value is not";
    ToolRun verify = RunTool({"verify", out});
    EXPECT_EQ(verify.exitCode, 0) << verify.out;
    EXPECT_NE(verify.out.find("name \"Test Signer\""), std::string::npos);
    ToolRun render = RunCommand("pdftoppm -r 20 -png " + out + " " + dir + "/page");
    EXPECT_EQ(render.exitCode, 0);
    EXPECT_EQ(render.err, "") << "an encrypted appearance that does not decrypt shows up as operator errors";
}

}  // namespace
