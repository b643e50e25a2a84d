#include "ByteRange.h"

#include <openssl/evp.h>
#include <qpdf/Buffer.hh>
#include <qpdf/BufferInputSource.hh>
#include <qpdf/QPDFTokenizer.hh>

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

// Reads the object that starts at `offset` with qpdf's tokenizer and finds
// the value of /Contents at the top level of its dictionary: [*start, *end).
// Returns why not when the object is not "N G obj << ... >>" or holds the key
// other than once. A /Contents of a nested dictionary, of another object, or
// a second one is what a wrapped signature would show a verifier.
std::string FindContentsValue(std::string_view file, long long offset, long long* start, long long* end) {
    Buffer buffer(reinterpret_cast<unsigned char*>(const_cast<char*>(file.data())), file.size());
    auto input = std::make_shared<BufferInputSource>("signature dictionary", &buffer);
    QPDFTokenizer tokenizer;
    input->seek(offset, SEEK_SET);
    const std::string unreadable = "the signature dictionary cannot be read where the cross-reference table puts it";
    auto next = [&] { return tokenizer.readToken(input, "signature dictionary", true, 0); };
    using T = QPDFTokenizer;
    try {
        if (next().getType() != T::tt_integer || next().getType() != T::tt_integer) return unreadable;
        T::Token obj = next();
        if (obj.getType() != T::tt_word || obj.getValue() != "obj" || next().getType() != T::tt_dict_open)
            return unreadable;
        int found = 0;
        for (int keys = 0; keys < 10000; ++keys) {
            T::Token key = next();
            if (key.getType() == T::tt_dict_close) break;
            if (key.getType() != T::tt_name) return unreadable;
            T::Token value = next();
            const long long valueAt = input->getLastOffset();
            if (key.getValue() == "/Contents") {
                ++found;
                *start = valueAt;
                *end = value.getType() == T::tt_string ? input->tell() : valueAt;
            }
            switch (value.getType()) {
            case T::tt_dict_open:
            case T::tt_array_open: {
                int depth = 1;
                for (int n = 0; depth > 0; ++n) {
                    T::Token t = next();
                    if (t.getType() == T::tt_dict_open || t.getType() == T::tt_array_open) ++depth;
                    else if (t.getType() == T::tt_dict_close || t.getType() == T::tt_array_close) --depth;
                    else if (t.getType() == T::tt_bad || t.getType() == T::tt_eof || n > 100000) return unreadable;
                }
                break;
            }
            case T::tt_integer: {
                // A reference "N G R" or a number.
                const qpdf_offset_t after = input->tell();
                if (next().getType() == T::tt_integer) {
                    T::Token r = next();
                    if (r.getType() == T::tt_word && r.getValue() == "R") break;
                }
                input->seek(after, SEEK_SET);
                break;
            }
            case T::tt_real: case T::tt_string: case T::tt_name: case T::tt_null: case T::tt_bool:
                break;
            default:
                return unreadable;
            }
        }
        if (found != 1) return found ? "the signature dictionary has more than one /Contents" : "the signature dictionary has no /Contents";
    } catch (const std::exception&) {
        return unreadable;
    }
    return std::string();
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
    // The string must be the value of this dictionary's own /Contents key.
    long long start = -1, end = -1;
    std::string problem = FindContentsValue(file, dictOffset, &start, &end);
    if (!problem.empty()) return fail(problem);
    if (start != r[1] || end != r[2]) return fail("the gap in /ByteRange is not the value of this dictionary's /Contents");
    c.ok = true;
    c.contents = std::move(bytes);
    c.wholeFile = r[2] + r[3] == size;
    return c;
}

}  // namespace penvane
