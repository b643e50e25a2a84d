// CheckCmsIntegrity over real signatures made outside the project
// (data/cms/make_fixtures.sh: podofosign and openssl with throw-away keys)
// and over tampered copies of them.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "CmsIntegrity.h"

using namespace penvane;

namespace {

std::string Read(const std::string& name) {
    std::ifstream in(std::string(PENVANE_CMS_DATA) + "/" + name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The signed document, its /ByteRange and its decoded /Contents.
struct Signed {
    std::string file;
    ByteRange range{};
    std::string contents;
};

Signed Document() {
    Signed d;
    d.file = Read("detached.pdf");
    size_t at = d.file.find("/ByteRange");
    EXPECT_NE(at, std::string::npos);
    std::istringstream numbers(d.file.substr(d.file.find('[', at) + 1, 60));
    for (long long& v : d.range) numbers >> v;
    for (long long i = d.range[1] + 1; i + 1 < d.range[2] - 1; i += 2)
        d.contents += static_cast<char>(std::stoi(d.file.substr(static_cast<size_t>(i), 2), nullptr, 16));
    return d;
}

// The length of a DER structure that starts with a two-byte length.
size_t DerLength(const std::string& der) {
    EXPECT_EQ(static_cast<unsigned char>(der[1]), 0x82);
    return 4 + (static_cast<unsigned char>(der[2]) << 8 | static_cast<unsigned char>(der[3]));
}

struct Format {
    const char* subFilter;
    std::string contents;  // for Document()'s ranges
};

std::vector<Format> Formats() {
    return {{"adbe.pkcs7.detached", Document().contents},
            {"ETSI.CAdES.detached", Document().contents},
            {"adbe.pkcs7.sha1", Read("sha1.p7s")},
            {"ETSI.RFC3161", Read("timestamp.tst")}};
}

TEST(CmsIntegrity, RealSignaturesOfEveryFormatAreChecked) {
    const Signed d = Document();
    ASSERT_EQ(d.range[0], 0);
    for (const Format& f : Formats()) {
        CmsIntegrity r = CheckCmsIntegrity(d.file, d.range, f.contents, f.subFilter);
        EXPECT_EQ(r.result, CmsIntegrity::IntegrityChecked) << f.subFilter << ": " << r.problem;
        EXPECT_EQ(r.problem, "") << f.subFilter;
    }
}

// One changed byte anywhere the ranges reach, or in the signature value, is
// found in every format.
TEST(CmsIntegrity, TamperedBytesAreNotValid) {
    const Signed d = Document();
    const long long places[] = {0, d.range[1] / 2, d.range[1] - 1, d.range[2], d.range[2] + d.range[3] - 1};
    for (const Format& f : Formats()) {
        for (long long at : places) {
            std::string file = d.file;
            file[static_cast<size_t>(at)] ^= 0x01;
            CmsIntegrity r = CheckCmsIntegrity(file, d.range, f.contents, f.subFilter);
            EXPECT_EQ(r.result, CmsIntegrity::NotValid) << f.subFilter << " byte " << at;
            EXPECT_NE(r.problem.find("does not match"), std::string::npos) << f.subFilter << ": " << r.problem;
        }
        // The last byte of the structure is the signature's.
        std::string contents = f.contents;
        contents[DerLength(contents) - 1] ^= 0x01;
        CmsIntegrity r = CheckCmsIntegrity(d.file, d.range, contents, f.subFilter);
        EXPECT_EQ(r.result, CmsIntegrity::NotValid) << f.subFilter;
        EXPECT_NE(r.problem.find("does not verify"), std::string::npos) << f.subFilter << ": " << r.problem;
    }
}

// A range that names other bytes than the signer's, with the same length.
TEST(CmsIntegrity, OtherRangesAreNotValid) {
    const Signed d = Document();
    ByteRange shifted = d.range;
    shifted[2] -= 1;
    for (const Format& f : Formats())
        EXPECT_EQ(CheckCmsIntegrity(d.file, shifted, f.contents, f.subFilter).result, CmsIntegrity::NotValid)
            << f.subFilter;
}

TEST(CmsIntegrity, MalformedInputGetsAClearAnswer) {
    const Signed d = Document();
    const std::string sha1 = Read("sha1.p7s");
    struct Case {
        const char* what;
        ByteRange range;
        std::string contents;
        const char* subFilter;
        CmsIntegrity::Result result;
        const char* problem;
    } cases[] = {
        {"another handler's format", d.range, d.contents, "Orvel.PenvanePlus", CmsIntegrity::NotCms, ""},
        {"no format", d.range, d.contents, "", CmsIntegrity::NotCms, ""},
        {"empty contents", d.range, "", "adbe.pkcs7.detached", CmsIntegrity::NotValid, "not a CMS structure"},
        {"zeros", d.range, std::string(64, '\0'), "adbe.pkcs7.detached", CmsIntegrity::NotValid, "not a CMS"},
        {"cut short", d.range, d.contents.substr(0, 100), "adbe.pkcs7.detached", CmsIntegrity::NotValid, "not a CMS"},
        {"more than the structure", d.range, d.contents.substr(0, DerLength(d.contents)) + "x",
         "adbe.pkcs7.detached", CmsIntegrity::NotValid, "more than the CMS structure"},
        {"past the end", {0, d.range[1], d.range[2], d.range[3] + 1}, d.contents, "adbe.pkcs7.detached",
         CmsIntegrity::NotValid, "beyond the end"},
        {"huge", {0, d.range[1], d.range[2], 0x7fffffffffffffffLL}, d.contents, "ETSI.RFC3161",
         CmsIntegrity::NotValid, "beyond the end"},
        {"negative", {0, d.range[1], d.range[2], -1}, d.contents, "adbe.pkcs7.sha1", CmsIntegrity::NotValid,
         "negative"},
        {"content in a detached signature", d.range, sha1, "adbe.pkcs7.detached", CmsIntegrity::NotValid,
         "carries content"},
        {"detached signature as a SHA-1 one", d.range, d.contents, "adbe.pkcs7.sha1", CmsIntegrity::NotValid,
         "carries no content"},
        {"signed data as a time stamp", d.range, sha1, "ETSI.RFC3161", CmsIntegrity::NotValid,
         "time-stamp information"},
        {"no certificate", d.range, Read("sha1-no-certificate.p7s"), "adbe.pkcs7.sha1", CmsIntegrity::NotValid,
         "certificate"},
    };
    for (const Case& c : cases) {
        CmsIntegrity r = CheckCmsIntegrity(d.file, c.range, c.contents, c.subFilter);
        EXPECT_EQ(r.result, c.result) << c.what << ": " << r.problem;
        EXPECT_NE(r.problem.find(c.problem), std::string::npos) << c.what << ": " << r.problem;
    }
}

}  // namespace
