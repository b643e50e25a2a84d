// The signed byte ranges of a signature: the placeholder's arithmetic when
// signing, SHA-1 over the two ranges, and the coverage rules a verifier
// applies before any cryptography.
#pragma once
#include <array>
#include <climits>
#include <string>
#include <string_view>

namespace penvane {

using ByteRange = std::array<long long, 4>;

// Where the second range ends; saturates instead of overflowing for numbers
// that no file has.
inline long long RangeEnd(const ByteRange& r) {
    long long end = 0;
    if (__builtin_add_overflow(r[2], r[3], &end)) return r[3] > 0 ? LLONG_MAX : LLONG_MIN;
    return end;
}

// The digest of the two ranges of `file` (20 bytes). The ranges must lie
// inside the file.
std::string Sha1OverRanges(std::string_view file, const ByteRange& range);

// SHA-1 over pieces handed in one after another.
class Sha1 {
public:
    Sha1();
    ~Sha1();
    Sha1(const Sha1&) = delete;
    Sha1& operator=(const Sha1&) = delete;
    void Update(std::string_view bytes);
    std::string Final();
private:
    void* ctx_;
};

struct Coverage {
    bool ok = false;
    std::string problem;      // why not, for the report
    std::string contents;     // the gap's hex string, decoded (only when ok)
    bool wholeFile = false;   // the second range ends at the end of the file
};

// The rules: four non-negative numbers, the first 0, the gap exactly one
// hex string with its angle brackets, immediately preceded by the key
// /Contents, both ranges inside the file, the signature dictionary's own
// object (which starts at `dictOffset`) beginning inside the first range.
Coverage CheckCoverage(std::string_view file, const ByteRange& range, long long dictOffset);

}  // namespace penvane
