#include "IncrementalUpdate.h"

#include <set>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "PdfError.h"

namespace penvane {
namespace {

std::string HexString(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out = "<";
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out + ">";
}

bool IsSpace(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0'; }

}  // namespace

long long LastStartXref(std::string_view bytes) {
    size_t from = bytes.size() > 2048 ? bytes.size() - 2048 : 0;
    size_t at = bytes.rfind("startxref");
    if (at == std::string::npos || at < from) throw PdfError("no startxref at the end of the file");
    size_t p = at + 9;
    while (p < bytes.size() && IsSpace(bytes[p])) ++p;
    long long value = 0;
    size_t digits = 0;
    while (p < bytes.size() && bytes[p] >= '0' && bytes[p] <= '9' && digits < 15) {
        value = value * 10 + (bytes[p++] - '0');
        ++digits;
    }
    if (!digits || value >= static_cast<long long>(bytes.size())) throw PdfError("bad startxref at the end of the file");
    return value;
}

IncrementalUpdate::IncrementalUpdate(LoadedPdf& pdf) : pdf_(pdf), crypt_(*pdf.qpdf) {
    QPDF& q = *pdf.qpdf;
    QPDFObjectHandle size = q.getTrailer().getKey("/Size");
    int fromTrailer = size.isInteger() ? static_cast<int>(size.getIntValue()) : 0;
    // qpdf may know objects beyond a /Size that undercounts.
    nextNumber_ = std::max(fromTrailer, static_cast<int>(q.getObjectCount()) + 1);
    prevXref_ = LastStartXref(pdf.bytes);
    classicXref_ = pdf.bytes.compare(static_cast<size_t>(prevXref_), 4, "xref") == 0;
}

QPDFObjGen IncrementalUpdate::Reserve() {
    QPDFObjGen og(nextNumber_++, 0);
    // qpdf answers a reference to an object it does not know as null; a
    // placeholder makes the reference real. What is written for the number
    // comes from Put or PutRaw, not from qpdf.
    pdf_.qpdf->replaceObject(og, QPDFObjectHandle::newDictionary());
    return og;
}

QPDFObjectHandle IncrementalUpdate::Reference(QPDFObjGen og) { return pdf_.qpdf->getObject(og); }

void IncrementalUpdate::Touch(QPDFObjectHandle indirect) {
    if (!indirect.isIndirect()) throw std::logic_error("Touch needs an indirect object");
    touched_[indirect.getObjGen()] = indirect;
}

std::string IncrementalUpdate::EncryptedString(const std::string& bytes, QPDFObjGen owner) const {
    return HexString(crypt_.String(bytes, owner));
}

std::string IncrementalUpdate::Serialize(QPDFObjectHandle value, QPDFObjGen owner) const {
    if (value.isIndirect()) return value.unparse();  // "N G R"
    if (value.isString()) return crypt_.Active() ? EncryptedString(value.getStringValue(), owner) : value.unparse();
    if (value.isArray()) {
        std::string out = "[";
        for (auto& item : value.aitems()) out += Serialize(item, owner) + " ";
        if (out.size() > 1) out.pop_back();
        return out + "]";
    }
    if (value.isDictionary() || value.isStream()) {
        QPDFObjectHandle dict = value.isStream() ? value.getDict() : value;
        std::string out = "<<";
        for (auto& key : dict.getKeys()) {
            QPDFObjectHandle v = dict.getKey(key);
            if (!v.isIndirect() && v.isNull()) continue;
            out += " " + QPDFObjectHandle::newName(key).unparse() + " " + Serialize(v, owner);
        }
        return out + " >>";
    }
    return value.unparse();
}

void IncrementalUpdate::Put(QPDFObjGen og, QPDFObjectHandle direct, std::optional<std::string> streamData) {
    Entry e;
    if (streamData) {
        std::string data = crypt_.Stream(*streamData, og);
        direct.replaceKey("/Length", QPDFObjectHandle::newInteger(static_cast<long long>(data.size())));
        e.body = Serialize(direct, og) + "\nstream\n" + data + "\nendstream";
    } else {
        e.body = Serialize(direct, og);
    }
    entries_[og] = std::move(e);
}

void IncrementalUpdate::PutRaw(QPDFObjGen og, std::string body) { entries_[og] = Entry{std::move(body)}; }

std::string IncrementalUpdate::TrailerEntries() const {
    QPDFObjectHandle trailer = pdf_.qpdf->getTrailer();
    std::string out;
    // Every entry but those that describe the cross-reference section
    // itself: a verifier holds the update to changing nothing else.
    static const std::set<std::string> kSection = {"/Size", "/Prev", "/XRefStm", "/Type", "/W", "/Index",
                                                   "/Length", "/Filter", "/DecodeParms"};
    for (const std::string& key : trailer.getKeys()) {
        if (kSection.count(key)) continue;
        QPDFObjectHandle v = trailer.getKey(key);
        // Trailer strings (the /ID) are never encrypted.
        if (!v.isNull()) out += " " + key + " " + v.unparse();
    }
    out += " /Prev " + std::to_string(prevXref_);
    return out;
}

std::string IncrementalUpdate::Write() {
    // Touched objects are serialised now, in their final state.
    for (auto& [og, obj] : touched_) {
        if (obj.isStream()) {
            auto buffer = obj.getRawStreamData();
            std::string raw(reinterpret_cast<const char*>(buffer->getBuffer()), buffer->getSize());
            QPDFObjectHandle dict = obj.getDict().shallowCopy();
            Put(og, dict, raw);
        } else {
            Put(og, obj.shallowCopy());
        }
    }

    const size_t base = pdf_.bytes.size();
    std::string out;
    if (base && pdf_.bytes.back() != '\n' && pdf_.bytes.back() != '\r') out += "\n";
    written_.clear();
    std::vector<std::pair<QPDFObjGen, size_t>> offsets;
    for (auto& [og, e] : entries_) {
        written_[og] = out.size();
        offsets.push_back({og, base + out.size()});
        out += std::to_string(og.getObj()) + " " + std::to_string(og.getGen()) + " obj\n" + e.body + "\nendobj\n";
    }

    int size = nextNumber_;
    if (classicXref_) {
        const size_t xref = base + out.size();
        out += "xref\n";
        for (size_t i = 0; i < offsets.size();) {
            size_t j = i;
            while (j + 1 < offsets.size() && offsets[j + 1].first.getObj() == offsets[j].first.getObj() + 1) ++j;
            out += std::to_string(offsets[i].first.getObj()) + " " + std::to_string(j - i + 1) + "\n";
            for (size_t k = i; k <= j; ++k) {
                char line[32];
                std::snprintf(line, sizeof line, "%010zu %05d n\r\n", offsets[k].second, offsets[k].first.getGen());
                out += line;
            }
            i = j + 1;
        }
        out += "trailer\n<< /Size " + std::to_string(size) + TrailerEntries() + " >>\nstartxref\n" +
               std::to_string(xref) + "\n%%EOF\n";
        return out;
    }

    // The xref stream lists itself too; it is never encrypted.
    QPDFObjGen self = Reserve();
    size = nextNumber_;
    const size_t xref = base + out.size();
    offsets.push_back({self, xref});
    const int w = xref > 0xFFFFFFFFull ? 8 : 4;
    std::string index, data;
    for (size_t i = 0; i < offsets.size();) {
        size_t j = i;
        while (j + 1 < offsets.size() && offsets[j + 1].first.getObj() == offsets[j].first.getObj() + 1) ++j;
        index += " " + std::to_string(offsets[i].first.getObj()) + " " + std::to_string(j - i + 1);
        for (size_t k = i; k <= j; ++k) {
            data += '\1';
            for (int b = w - 1; b >= 0; --b) data += static_cast<char>((offsets[k].second >> (8 * b)) & 0xFF);
            data += static_cast<char>((offsets[k].first.getGen() >> 8) & 0xFF);
            data += static_cast<char>(offsets[k].first.getGen() & 0xFF);
        }
        i = j + 1;
    }
    out += std::to_string(self.getObj()) + " 0 obj\n<< /Type /XRef /Size " + std::to_string(size) + " /W [1 " +
           std::to_string(w) + " 2] /Index [" + index.substr(1) + "]" + TrailerEntries() + " /Length " +
           std::to_string(data.size()) + " >>\nstream\n" + data + "\nendstream\nendobj\nstartxref\n" +
           std::to_string(xref) + "\n%%EOF\n";
    return out;
}

}  // namespace penvane
