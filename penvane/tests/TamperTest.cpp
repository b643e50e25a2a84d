// What a verifier must not be fooled by: changed bytes, a moved gap, and
// later updates that change more than signatures.
#include <gtest/gtest.h>

#include <qpdf/QPDFPageDocumentHelper.hh>

#include <cstdio>

#include "IncrementalUpdate.h"
#include "ToolRunner.h"

using namespace penvane;

namespace {

class Tamper : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = ScratchDir();
        signed_ = dir_ + "/signed.pdf";
        ASSERT_EQ(SignWithSample(TestPdf("form-filled-by-acrobat.pdf"), signed_, {"--new-field", "1:50,50,250,130"}).exitCode, 0);
        bytes_ = ReadBytes(signed_);
    }
    ToolRun VerifyBytes(const std::string& bytes) {
        const std::string path = dir_ + "/tampered.pdf";
        WriteBytes(path, bytes);
        return RunTool({"verify", path});
    }
    // An incremental update over the signed file, made by `change`.
    template <typename Change>
    ToolRun VerifyUpdate(Change change) {
        LoadedPdf pdf = LoadPdf(signed_, "");
        IncrementalUpdate update(pdf);
        change(pdf, update);
        return VerifyBytes(bytes_ + update.Write());
    }
    size_t RangeAt() const { return bytes_.rfind("/ByteRange [0 ") + 14; }

    std::string dir_, signed_, bytes_;
};

TEST_F(Tamper, AByteFlippedInsideTheSignedRangeIsInvalid) {
    std::string bytes = bytes_;
    size_t at = bytes.find("stream") + 20;   // inside the first stream's data
    bytes[at] = static_cast<char>(bytes[at] ^ 1);
    ToolRun r = VerifyBytes(bytes);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("INVALID: the handler does not find the signature valid"), std::string::npos) << r.out;
}

TEST_F(Tamper, AByteRangeWhoseGapIsNotTheContentsStringIsInvalid) {
    // Rewrites the numbers in place (the placeholder is wide enough).
    auto withRange = [&](long long a, long long b, long long c) {
        std::string bytes = bytes_;
        std::string numbers = std::to_string(a) + " " + std::to_string(b) + " " + std::to_string(c);
        size_t end = bytes.find(']', RangeAt());
        bytes.replace(RangeAt(), end - RangeAt(), numbers + std::string(end - RangeAt() - numbers.size(), ' '));
        return bytes;
    };
    long long r1 = 0, r2 = 0, r3 = 0;
    ASSERT_EQ(std::sscanf(bytes_.c_str() + RangeAt(), "%lld %lld %lld", &r1, &r2, &r3), 3);
    const long long size = static_cast<long long>(bytes_.size());
    struct Case { std::string bytes; const char* problem; } cases[] = {
        {withRange(r1 - 10, r2, r3), "the gap in /ByteRange is not exactly the /Contents string"},
        {withRange(r1 + 1, r2 - 1, r3 + 1), "the gap in /ByteRange is not exactly the /Contents string"},
        {withRange(r1, r2, r3 + 1), "/ByteRange reaches beyond the end of the file"},
        {withRange(r2, r1, size - r1), "/ByteRange's ranges overlap or leave no gap"},
    };
    for (const Case& c : cases) {
        ToolRun r = VerifyBytes(c.bytes);
        EXPECT_EQ(r.exitCode, 1) << c.problem;
        EXPECT_NE(r.out.find(std::string("INVALID: ") + c.problem), std::string::npos) << r.out;
    }
}

TEST_F(Tamper, AnUpdateThatChangesPageContentIsReportedAsAChangeAfterSigning) {
    ToolRun r = VerifyUpdate([](LoadedPdf& pdf, IncrementalUpdate& update) {
        QPDFObjectHandle page = QPDFPageDocumentHelper(*pdf.qpdf).getAllPages()[0].getObjectHandle();
        QPDFObjGen og = update.Reserve();
        update.Put(og, QPDFObjectHandle::newDictionary(), std::string("q 1 0 0 rg 0 0 100 100 re f Q"));
        QPDFObjectHandle contents = QPDFObjectHandle::newArray();
        contents.appendItem(page.getKey("/Contents"));
        contents.appendItem(update.Reference(og));
        page.replaceKey("/Contents", contents);
        update.Touch(page);
    });
    EXPECT_EQ(r.exitCode, 1) << r.out;
    EXPECT_NE(r.out.find("valid for its revision, changed after signing: page content or other objects"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("page content (/Contents)"), std::string::npos) << r.out;
}

TEST_F(Tamper, FormValuesAndAnnotationsAddedLaterAreNamed) {
    ToolRun values = VerifyUpdate([](LoadedPdf& pdf, IncrementalUpdate& update) {
        for (auto& obj : pdf.qpdf->getAllObjects())
            if (obj.isDictionary() && obj.getKey("/FT").isNameAndEquals("/Tx") && obj.hasKey("/T")) {
                obj.replaceKey("/V", QPDFObjectHandle::newString("changed"));
                update.Touch(obj);
                return;
            }
        FAIL() << "no text field";
    });
    EXPECT_EQ(values.exitCode, 1);
    EXPECT_NE(values.out.find("changed after signing: form values"), std::string::npos) << values.out;

    ToolRun annotation = VerifyUpdate([](LoadedPdf& pdf, IncrementalUpdate& update) {
        QPDFObjectHandle page = QPDFPageDocumentHelper(*pdf.qpdf).getAllPages()[0].getObjectHandle();
        QPDFObjGen og = update.Reserve();
        update.Put(og, QPDFObjectHandle::parse("<< /Type /Annot /Subtype /Square /Rect [50 50 250 130] /IC [1 1 1] >>"));
        page.getKey("/Annots").appendItem(update.Reference(og));
        update.Touch(page.getKey("/Annots").isIndirect() ? page.getKey("/Annots") : page);
    });
    EXPECT_EQ(annotation.exitCode, 1);
    EXPECT_NE(annotation.out.find("changed after signing: annotations or fields"), std::string::npos) << annotation.out;
}

}  // namespace
