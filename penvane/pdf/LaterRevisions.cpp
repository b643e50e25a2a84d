#include "LaterRevisions.h"

#include <cctype>
#include <set>

#include "IncrementalUpdate.h"
#include "PdfError.h"

namespace penvane {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

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
        size_t next = bytes.find_first_of("\r\n", p);
        if (next == std::string_view::npos || next >= to) break;
        line = next + 1;
    }
    return found;
}

// The offset `startxref` names at the end of `bytes`; -1 when there is none.
long long StartXref(std::string_view bytes) {
    try {
        return LastStartXref(bytes);
    } catch (const PdfError&) {
        return -1;
    }
}

}  // namespace

bool OnlyWhitespace(std::string_view bytes, long long from) {
    for (size_t i = static_cast<size_t>(from); i < bytes.size(); ++i)
        if (bytes[i] != '\n' && bytes[i] != '\r' && bytes[i] != ' ' && bytes[i] != '\0' && bytes[i] != '\t')
            return false;
    return true;
}

std::vector<std::string> CheckLaterRevisions(std::string_view bytes, long long signedEnd, const RevisionLoader& load) {
    std::vector<std::string> problems;
    // Each later revision ends after an %%EOF marker and its end of line.
    std::vector<size_t> ends;
    for (size_t from = static_cast<size_t>(signedEnd), at; (at = bytes.find("%%EOF", from)) != std::string_view::npos;) {
        size_t end = at + 5;
        while (end < bytes.size() && (bytes[end] == '\r' || bytes[end] == '\n')) ++end;
        ends.push_back(end);
        from = end;
    }
    if (ends.empty() || !OnlyWhitespace(bytes, static_cast<long long>(ends.back())))
        problems.push_back("bytes at the end of the file belong to no update (no cross-reference section and trailer of their own)");

    long long previousXref = StartXref(bytes.substr(0, static_cast<size_t>(signedEnd)));
    size_t start = static_cast<size_t>(signedEnd);
    for (size_t end : ends) {
        const std::string where = "the update at bytes " + std::to_string(start) + ".." + std::to_string(end);
        const long long xref = StartXref(bytes.substr(0, end));
        if (xref < static_cast<long long>(start) || xref >= static_cast<long long>(end)) {
            problems.push_back(where + " has no cross-reference section of its own");
        } else {
            try {
                QPDF& revision = *load(static_cast<long long>(end)).qpdf;
                QPDFObjectHandle prev = revision.getTrailer().getKey("/Prev");
                if (!prev.isInteger() || prev.getIntValue() != previousXref)
                    problems.push_back(where + ": its trailer does not lead by /Prev to the revision before");
                std::set<long long> listed;
                for (auto& entry : revision.getXRefTable())
                    if (entry.second.getType() == 1) listed.insert(entry.second.getOffset());
                // Some writers list an object at the white space before it.
                auto isListed = [&](long long header) {
                    auto at = listed.upper_bound(header);
                    if (at == listed.begin()) return false;
                    --at;
                    for (long long p = *at; p < header; ++p)
                        if (!IsSpace(bytes[static_cast<size_t>(p)])) return false;
                    return true;
                };
                for (long long header : ObjectHeaders(bytes, start, end))
                    if (header != xref && !isListed(header))
                        problems.push_back(where + ": the object at byte " + std::to_string(header) +
                                           " is listed by no cross-reference section");
            } catch (const PdfError& e) {
                problems.push_back(where + " is not a readable revision (" + e.what() + ")");
            }
        }
        previousXref = xref;
        start = end;
    }
    return problems;
}

}  // namespace penvane
