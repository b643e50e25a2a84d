#include "LaterRevisions.h"

#include <cctype>
#include <cstring>
#include <set>

#include "IncrementalUpdate.h"
#include "PdfError.h"

namespace penvane {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The next line end at or after `p` (before `to`), found with one memchr per
// kind of line end rather than per byte.
size_t NextLineEnd(std::string_view bytes, size_t p, size_t to) {
    if (p >= to) return std::string_view::npos;
    const char* base = bytes.data();
    const void* n = std::memchr(base + p, '\n', to - p);
    const size_t limit = n ? static_cast<size_t>(static_cast<const char*>(n) - base) : to;
    const void* r = std::memchr(base + p, '\r', limit - p);
    if (r) return static_cast<size_t>(static_cast<const char*>(r) - base);
    return n ? limit : std::string_view::npos;
}

// Where "N G obj" starts a line in [from, to): the offsets a cross-reference
// section must list. A stream whose data has such a line is reported too,
// which errs on the side of a change.
std::vector<long long> ObjectHeaders(std::string_view bytes, size_t from, size_t to) {
    std::vector<long long> found;
    for (size_t line = from; line < to;) {
        size_t p = line;
        while (p < to && (bytes[p] == ' ' || bytes[p] == '\t')) ++p;
        const size_t start = p;
        int numbers = 0;
        while (numbers < 2 && p < to && IsDigit(bytes[p])) {
            while (p < to && IsDigit(bytes[p])) ++p;
            if (p >= to || !IsSpace(bytes[p])) break;
            while (p < to && IsSpace(bytes[p]) && bytes[p] != '\n' && bytes[p] != '\r') ++p;
            ++numbers;
        }
        if (numbers == 2 && bytes.substr(p, 3) == "obj" && (p + 3 >= bytes.size() || !std::isalnum(static_cast<unsigned char>(bytes[p + 3]))))
            found.push_back(static_cast<long long>(start));
        size_t next = NextLineEnd(bytes, p, to);
        if (next == std::string_view::npos) break;
        line = next + 1;
    }
    return found;
}

}  // namespace

long long StartXrefBefore(std::string_view bytes, long long end) {
    try {
        return LastStartXref(bytes.substr(0, static_cast<size_t>(end)));
    } catch (const PdfError&) {
        return -1;
    }
}

bool OnlyWhitespace(std::string_view bytes, long long from) {
    for (size_t i = static_cast<size_t>(from); i < bytes.size(); ++i)
        if (bytes[i] != '\n' && bytes[i] != '\r' && bytes[i] != ' ' && bytes[i] != '\0' && bytes[i] != '\t')
            return false;
    return true;
}

bool EndsRevision(std::string_view bytes, long long end) {
    if (end < 5 || end > static_cast<long long>(bytes.size())) return false;
    size_t p = static_cast<size_t>(end);
    while (p > 0 && (bytes[p - 1] == '\r' || bytes[p - 1] == '\n')) --p;
    return p >= 5 && bytes.substr(p - 5, 5) == "%%EOF";
}

std::vector<LaterUpdate> SplitLaterUpdates(std::string_view bytes, long long signedEnd, std::string* trailing) {
    std::vector<LaterUpdate> updates;
    long long start = signedEnd, previousXref = StartXrefBefore(bytes, signedEnd);
    for (size_t from = static_cast<size_t>(signedEnd), at; (at = bytes.find("%%EOF", from)) != std::string_view::npos;) {
        size_t end = at + 5;
        while (end < bytes.size() && (bytes[end] == '\r' || bytes[end] == '\n')) ++end;
        LaterUpdate u;
        u.start = start;
        u.end = static_cast<long long>(end);
        u.xref = StartXrefBefore(bytes, u.end);
        u.previousXref = previousXref;
        updates.push_back(u);
        previousXref = u.xref;
        start = u.end;
        from = end;
    }
    trailing->clear();
    if (!OnlyWhitespace(bytes, start))
        *trailing = "bytes at the end of the file belong to no update (no cross-reference section and trailer of their own)";
    return updates;
}

std::vector<std::string> CheckUpdate(std::string_view bytes, const LaterUpdate& u, QPDF& revision) {
    std::vector<std::string> problems;
    const std::string where = "the update at bytes " + std::to_string(u.start) + ".." + std::to_string(u.end);
    if (!u.hasOwnXref()) {
        problems.push_back(where + " has no cross-reference section of its own");
        return problems;
    }
    QPDFObjectHandle prev = revision.getTrailer().getKey("/Prev");
    if (!prev.isInteger() || prev.getIntValue() != u.previousXref)
        problems.push_back(where + ": its trailer does not lead by /Prev to the revision before");
    std::set<long long> listed;
    for (auto& entry : revision.getXRefTable())
        if (entry.second.getType() == 1 && entry.second.getOffset() >= u.start) listed.insert(entry.second.getOffset());
    // Some writers list an object at the white space before it.
    auto isListed = [&](long long header) {
        auto at = listed.upper_bound(header);
        if (at == listed.begin()) return false;
        --at;
        for (long long p = *at; p < header; ++p)
            if (!IsSpace(bytes[static_cast<size_t>(p)])) return false;
        return true;
    };
    for (long long header : ObjectHeaders(bytes, static_cast<size_t>(u.start), static_cast<size_t>(u.end)))
        if (header != u.xref && !isListed(header))
            problems.push_back(where + ": the object at byte " + std::to_string(header) + " is listed by no cross-reference section");
    return problems;
}

}  // namespace penvane
