#include "ReaderAgreement.h"

#include <qpdf/Buffer.hh>
#include <qpdf/BufferInputSource.hh>
#include <qpdf/QPDFTokenizer.hh>

#include <set>

#include "IncrementalUpdate.h"
#include "PdfError.h"

namespace penvane {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0'; }

[[noreturn]] void Refuse(const std::string& what) {
    throw PdfError("readers may resolve this file differently, so it is refused: " + what);
}

// Reads a non-negative integer at `p`; false when there is none.
bool ReadNumber(std::string_view b, size_t* p, long long* out) {
    size_t q = *p;
    long long v = 0;
    int digits = 0;
    while (q < b.size() && b[q] >= '0' && b[q] <= '9' && digits < 18) v = v * 10 + (b[q++] - '0'), ++digits;
    if (!digits) return false;
    *p = q;
    *out = v;
    return true;
}

void SkipSpace(std::string_view b, size_t* p) {
    while (*p < b.size() && IsSpace(b[*p])) ++*p;
}

// "N G obj" at `offset`, after white space.
bool HeaderAt(std::string_view b, long long offset, long long* num, long long* gen) {
    if (offset < 0 || offset >= static_cast<long long>(b.size())) return false;
    size_t p = static_cast<size_t>(offset);
    SkipSpace(b, &p);
    if (!ReadNumber(b, &p, num)) return false;
    if (p >= b.size() || !IsSpace(b[p])) return false;
    SkipSpace(b, &p);
    if (!ReadNumber(b, &p, gen)) return false;
    SkipSpace(b, &p);
    return b.substr(p, 3) == "obj";
}

// The top-level integer keys /Prev and /XRefStm and the /Index array of the
// dictionary that starts at `offset` (a trailer's or an xref stream's).
struct SectionDict {
    long long prev = -1, xrefStm = -1;
    std::vector<long long> index;
    bool ok = false;
};

SectionDict ReadSectionDict(std::string_view b, long long offset) {
    SectionDict d;
    Buffer buffer(reinterpret_cast<unsigned char*>(const_cast<char*>(b.data())), b.size());
    auto input = std::make_shared<BufferInputSource>("cross-reference section", &buffer);
    input->seek(offset, SEEK_SET);
    QPDFTokenizer tokenizer;
    using T = QPDFTokenizer;
    auto next = [&] { return tokenizer.readToken(input, "cross-reference section", true, 0); };
    try {
        if (next().getType() != T::tt_dict_open) return d;
        for (int depth = 1, n = 0; depth > 0 && n < 100000; ++n) {
            T::Token t = next();
            if (t.getType() == T::tt_dict_open || t.getType() == T::tt_array_open) ++depth;
            else if (t.getType() == T::tt_dict_close || t.getType() == T::tt_array_close) --depth;
            else if (t.getType() == T::tt_bad || t.getType() == T::tt_eof) return d;
            else if (depth == 1 && t.getType() == T::tt_name) {
                const std::string key = t.getValue();
                if (key == "/Prev" || key == "/XRefStm") {
                    T::Token v = next();
                    if (v.getType() == T::tt_integer) (key == "/Prev" ? d.prev : d.xrefStm) = std::stoll(v.getValue());
                    else if (v.getType() == T::tt_dict_open || v.getType() == T::tt_array_open) ++depth;
                } else if (key == "/Index") {
                    T::Token v = next();
                    if (v.getType() != T::tt_array_open) {
                        if (v.getType() == T::tt_dict_open) ++depth;
                        continue;
                    }
                    for (T::Token i = next(); i.getType() == T::tt_integer; i = next()) d.index.push_back(std::stoll(i.getValue()));
                }
            }
        }
        d.ok = true;
    } catch (const std::exception&) {
    }
    return d;
}

// A classic table at `offset`: its numbers, each once; returns where its
// trailer dictionary starts (-1 when it cannot be read: qpdf has refused
// such a file already).
long long CheckClassicTable(std::string_view b, long long offset) {
    size_t p = static_cast<size_t>(offset) + 4;
    std::set<long long> seen;
    for (int sections = 0; sections < 1000000; ++sections) {
        SkipSpace(b, &p);
        if (b.substr(p, 7) == "trailer") {
            p += 7;
            SkipSpace(b, &p);
            return static_cast<long long>(p);
        }
        long long first = 0, count = 0;
        if (!ReadNumber(b, &p, &first)) return -1;
        SkipSpace(b, &p);
        if (!ReadNumber(b, &p, &count)) return -1;
        for (long long i = 0; i < count; ++i) {
            long long a = 0, g = 0;
            SkipSpace(b, &p);
            if (!ReadNumber(b, &p, &a)) return -1;
            SkipSpace(b, &p);
            if (!ReadNumber(b, &p, &g)) return -1;
            SkipSpace(b, &p);
            if (p >= b.size() || (b[p] != 'n' && b[p] != 'f')) return -1;
            ++p;
            if (!seen.insert(first + i).second)
                Refuse("the cross-reference section at byte " + std::to_string(offset) + " lists object " +
                       std::to_string(first + i) + " twice");
        }
    }
    return -1;
}

void CheckStreamIndex(const std::vector<long long>& index, long long offset) {
    std::set<std::pair<long long, long long>> ranges;
    for (size_t i = 0; i + 1 < index.size(); i += 2) {
        long long end = 0;
        if (index[i] < 0 || index[i + 1] < 0 || __builtin_add_overflow(index[i], index[i + 1], &end)) return;  // qpdf refuses these
        ranges.insert({index[i], end});
    }
    long long end = -1;
    for (auto& [from, to] : ranges) {
        if (from < end)
            Refuse("the cross-reference stream at byte " + std::to_string(offset) + " lists object " +
                   std::to_string(from) + " twice");
        end = std::max(end, to);
    }
}

}  // namespace

void CheckSections(std::string_view bytes, long long startxref) {
    std::set<long long> visited;
    for (long long at = startxref; at >= 0 && at < static_cast<long long>(bytes.size()) && visited.insert(at).second;) {
        SectionDict d;
        if (bytes.substr(static_cast<size_t>(at), 4) == "xref") {
            long long trailer = CheckClassicTable(bytes, at);
            if (trailer < 0) return;
            d = ReadSectionDict(bytes, trailer);
            if (d.xrefStm >= 0 && d.xrefStm < static_cast<long long>(bytes.size())) {
                long long n = 0, g = 0;
                size_t p = static_cast<size_t>(d.xrefStm);
                if (HeaderAt(bytes, d.xrefStm, &n, &g)) {
                    p = bytes.find("obj", p) + 3;
                    CheckStreamIndex(ReadSectionDict(bytes, static_cast<long long>(p)).index, d.xrefStm);
                }
            }
        } else {
            long long n = 0, g = 0;
            if (!HeaderAt(bytes, at, &n, &g)) return;
            size_t p = bytes.find("obj", static_cast<size_t>(at)) + 3;
            SkipSpace(bytes, &p);
            d = ReadSectionDict(bytes, static_cast<long long>(p));
            CheckStreamIndex(d.index, at);
        }
        if (!d.ok) return;
        at = d.prev;
    }
}

void CheckEntries(std::string_view bytes, QPDF& q, const XRef& entries, const XRef& all) {
    std::set<int> containers;
    for (auto& [og, e] : entries) {
        if (e.getType() == 0) continue;
        // One generation in use per number.
        for (auto it = all.lower_bound(QPDFObjGen(og.getObj(), 0)); it != all.end() && it->first.getObj() == og.getObj(); ++it)
            if (it->first.getGen() != og.getGen() && it->second.getType() != 0)
                Refuse("object " + std::to_string(og.getObj()) + " is defined with generations " +
                       std::to_string(it->first.getGen()) + " and " + std::to_string(og.getGen()));
        if (e.getType() == 1) {
            long long n = -1, g = -1;
            if (!HeaderAt(bytes, e.getOffset(), &n, &g) || n != og.getObj() || g != og.getGen())
                Refuse("the cross-reference entry of object " + std::to_string(og.getObj()) + " points at byte " +
                       std::to_string(e.getOffset()) + ", which does not start that object" +
                       (n >= 0 ? " but object " + std::to_string(n) : std::string()));
        } else if (e.getType() == 2) {
            containers.insert(e.getObjStreamNumber());
        }
    }
    // A stream this revision rewrote holds what its entries name.
    std::set<int> used;
    for (auto& [og, e] : all)
        if (e.getType() == 2) used.insert(e.getObjStreamNumber());
    for (auto& [og, e] : entries)
        if (e.getType() == 1 && used.count(og.getObj())) containers.insert(og.getObj());
    for (int c : containers) {
        QPDFObjectHandle stream = q.getObject(c, 0);
        const std::string where = "the object stream " + std::to_string(c);
        if (!stream.isStream()) Refuse(where + " is not a stream");
        QPDFObjectHandle nObj = stream.getDict().getKey("/N");
        if (!nObj.isInteger() || nObj.getIntValue() < 0) Refuse(where + " has no object count");
        auto data = stream.getStreamData(qpdf_dl_generalized);
        std::string_view text(reinterpret_cast<const char*>(data->getBuffer()), data->getSize());
        QPDFObjectHandle firstObj = stream.getDict().getKey("/First");
        if (!firstObj.isInteger() || firstObj.getIntValue() < 0 || firstObj.getIntValue() > static_cast<long long>(text.size()))
            Refuse(where + " has no place for its first object");
        const long long first = firstObj.getIntValue();
        std::vector<long long> numbers;
        std::set<long long> seen;
        size_t p = 0;
        long long previous = -1;
        for (long long i = 0; i < nObj.getIntValue(); ++i) {
            long long num = 0, off = 0;
            SkipSpace(text, &p);
            if (!ReadNumber(text, &p, &num)) Refuse(where + " has a damaged index");
            SkipSpace(text, &p);
            if (!ReadNumber(text, &p, &off)) Refuse(where + " has a damaged index");
            if (!seen.insert(num).second) Refuse(where + " holds object " + std::to_string(num) + " twice");
            // The objects lie in the order the index gives, the first at
            // the start: a reader that parses them in order reads the same.
            if (off <= previous || first + off >= static_cast<long long>(text.size()))
                Refuse("the index of " + where + " disagrees with its contents");
            if (i == 0)
                for (long long at = first; at < first + off; ++at)
                    if (!IsSpace(text[static_cast<size_t>(at)]))
                        Refuse("the index of " + where + " disagrees with its contents (object " + std::to_string(num) +
                               " does not come first)");
            previous = off;
            numbers.push_back(num);
        }
        for (auto& [og, e] : all) {
            if (e.getType() != 2 || e.getObjStreamNumber() != c) continue;
            const int index = e.getObjStreamIndex();
            if (index < 0 || index >= static_cast<int>(numbers.size()) || numbers[static_cast<size_t>(index)] != og.getObj())
                Refuse("the cross-reference table puts object " + std::to_string(og.getObj()) + " at index " +
                       std::to_string(index) + " of " + where + ", whose own index disagrees");
        }
    }
}

void CheckReadersAgree(LoadedPdf& pdf) {
    if (!pdf.pageTreeProblem.empty()) throw PdfError(pdf.path + ": " + pdf.pageTreeProblem);
    try {
        CheckSections(pdf.bytes, LastStartXref(pdf.bytes));
        const XRef xref = pdf.qpdf->getXRefTable();
        CheckEntries(pdf.bytes, *pdf.qpdf, xref, xref);
    } catch (const PdfError& e) {
        throw PdfError(pdf.path + ": " + e.what());
    }
}

}  // namespace penvane
