#include "ByteRange.h"

#include <openssl/evp.h>

#include "PdfError.h"

namespace penvane {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0'; }

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

Sha1::Sha1() : ctx_(EVP_MD_CTX_new()) {
    if (!ctx_ || EVP_DigestInit_ex(static_cast<EVP_MD_CTX*>(ctx_), EVP_sha1(), nullptr) != 1)
        throw PdfError("SHA-1 is not available");
}

Sha1::~Sha1() { EVP_MD_CTX_free(static_cast<EVP_MD_CTX*>(ctx_)); }

void Sha1::Update(std::string_view bytes) { EVP_DigestUpdate(static_cast<EVP_MD_CTX*>(ctx_), bytes.data(), bytes.size()); }

std::string Sha1::Final() {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int n = 0;
    EVP_DigestFinal_ex(static_cast<EVP_MD_CTX*>(ctx_), digest, &n);
    return std::string(reinterpret_cast<char*>(digest), n);
}

std::string Sha1OverRanges(std::string_view file, const ByteRange& r) {
    Sha1 sha;
    sha.Update(file.substr(static_cast<size_t>(r[0]), static_cast<size_t>(r[1])));
    sha.Update(file.substr(static_cast<size_t>(r[2]), static_cast<size_t>(r[3])));
    return sha.Final();
}

Coverage CheckCoverage(std::string_view file, const ByteRange& r, long long dictOffset) {
    Coverage c;
    const long long size = static_cast<long long>(file.size());
    auto fail = [&c](const std::string& why) {
        c.problem = why;
        return c;
    };
    for (long long v : r)
        if (v < 0) return fail("/ByteRange has a negative number");
    if (r[0] != 0) return fail("/ByteRange does not start at 0");
    if (r[1] >= r[2]) return fail("/ByteRange's ranges overlap or leave no gap");
    if (r[2] > size || r[3] > size - r[2]) return fail("/ByteRange reaches beyond the end of the file");
    if (dictOffset < 0 || dictOffset >= r[1]) return fail("the signature dictionary does not start inside the signed range");
    // The gap: one hex string, nothing else.
    std::string_view gap = file.substr(static_cast<size_t>(r[1]), static_cast<size_t>(r[2] - r[1]));
    if (gap.size() < 2 || gap.front() != '<' || gap.back() != '>')
        return fail("the gap in /ByteRange is not exactly the /Contents string");
    std::string bytes;
    bytes.reserve(gap.size() / 2);
    int pending = -1;
    for (size_t i = 1; i + 1 < gap.size(); ++i) {
        if (IsSpace(gap[i])) continue;
        int v = HexValue(gap[i]);
        if (v < 0) return fail("the gap in /ByteRange is not exactly the /Contents string");
        if (pending < 0) pending = v;
        else {
            bytes += static_cast<char>(pending * 16 + v);
            pending = -1;
        }
    }
    if (pending >= 0) bytes += static_cast<char>(pending * 16);
    // The string must be the value of this dictionary's /Contents key.
    long long p = r[1] - 1;
    while (p > dictOffset && IsSpace(file[static_cast<size_t>(p)])) --p;
    static const std::string_view key = "/Contents";
    if (p + 1 < static_cast<long long>(key.size()) ||
        file.substr(static_cast<size_t>(p + 1 - key.size()), key.size()) != key)
        return fail("the gap in /ByteRange is not the value of /Contents");
    c.ok = true;
    c.contents = std::move(bytes);
    c.wholeFile = r[2] + r[3] == size;
    return c;
}

}  // namespace penvane
