// The signer certificate as openssl reads it: its size and DER header, a
// self-signed version 3 certificate with a 2048-bit RSA key, signed with
// SHA-256, carrying the key identifiers and basic constraints CA:TRUE.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "SignerCertificate.h"

namespace {

namespace fs = std::filesystem;

// Standard output of a command (standard error dropped).
std::string Output(const std::string& command)
{
    std::string out;
    if (FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r")) {
        std::array<char, 4096> buffer;
        size_t n;
        while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
            out.append(buffer.data(), n);
        pclose(pipe);
    }
    return out;
}

class SignerCertificate : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("penvane-certificate-" + std::to_string(getpid()));
        fs::create_directories(dir);
        der = (dir / "signer.der").string();
        std::ofstream(der, std::ios::binary)
            .write(reinterpret_cast<const char*>(kSignerCertificate), kSignerCertificateLength);
    }
    void TearDown() override { fs::remove_all(dir); }

    fs::path dir;
    std::string der;
};

TEST_F(SignerCertificate, SizeAndHeader)
{
    EXPECT_EQ(kSignerCertificateLength, 1087);
    // SEQUENCE with a two-byte length: 0x043B content bytes after the 4 of the header.
    const unsigned char header[] = {0x30, 0x82, 0x04, 0x3B};
    EXPECT_EQ(std::memcmp(kSignerCertificate, header, 4), 0);
    EXPECT_EQ(((kSignerCertificate[2] << 8) | kSignerCertificate[3]) + 4, kSignerCertificateLength);
}

TEST_F(SignerCertificate, OpensslReadsASelfSignedAuthority)
{
    const std::string text = Output("openssl x509 -inform DER -in '" + der + "' -noout -text");
    ASSERT_NE(text, "") << "openssl x509 could not read the certificate";
    for (const char* expected : {
             "Version: 3 (0x2)",
             "Signature Algorithm: sha256WithRSAEncryption",
             "Public Key Algorithm: rsaEncryption",
             "Public-Key: (2048 bit)",
             "X509v3 Basic Constraints: critical\n                CA:TRUE",
             "X509v3 Subject Key Identifier:",
             "X509v3 Authority Key Identifier:",
         })
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;

    const std::string subject = Output("openssl x509 -inform DER -in '" + der + "' -noout -subject -nameopt RFC2253");
    const std::string issuer = Output("openssl x509 -inform DER -in '" + der + "' -noout -issuer -nameopt RFC2253");
    ASSERT_EQ(subject.rfind("subject=", 0), 0u);
    EXPECT_EQ(subject.substr(8), issuer.substr(7));

    // The two key identifiers are the one key's.
    const std::string ids = Output("openssl x509 -inform DER -in '" + der + "' -noout -ext subjectKeyIdentifier,authorityKeyIdentifier");
    const size_t skiAt = ids.find("Subject Key Identifier:");
    const size_t akiAt = ids.find("Authority Key Identifier:");
    ASSERT_NE(skiAt, std::string::npos);
    ASSERT_NE(akiAt, std::string::npos);
    auto firstValue = [&](size_t at) {
        const size_t start = ids.find_first_of("0123456789ABCDEF", ids.find('\n', at));
        return ids.substr(start, 59);  // 20 bytes as XX:XX:...
    };
    EXPECT_EQ(firstValue(skiAt), firstValue(akiAt));

    // Its own signature checks out with its own key.
    const std::string pem = (dir / "signer.pem").string();
    Output("openssl x509 -inform DER -in '" + der + "' -out '" + pem + "'");
    EXPECT_EQ(Output("openssl verify -check_ss_sig -CAfile '" + pem + "' '" + pem + "'"), pem + ": OK\n");
}

}  // namespace
