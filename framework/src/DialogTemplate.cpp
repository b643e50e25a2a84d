#include "DialogTemplate.h"

#include <cstring>

namespace fw {

namespace {

const uint32_t kDsSetFont = 0x40;

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    size_t pos() const { return m_pos; }
    bool ok() const { return m_ok; }
    bool Skip(size_t n) { if (n > m_size - m_pos) return Fail(); m_pos += n; return true; }
    bool AlignTo(size_t a) { size_t r = m_pos % a; return r ? Skip(a - r) : true; }
    uint16_t Word() { uint16_t v = 0; Copy(&v, 2); return v; }
    uint32_t Dword() { uint32_t v = 0; Copy(&v, 4); return v; }
    int16_t Short() { int16_t v = 0; Copy(&v, 2); return v; }
    // sz_Or_Ord: empty, 0xFFFF + ordinal, or a zero-terminated UTF-16 string.
    bool SzOrOrd(std::u16string* text, bool* isOrdinal)
    {
        *isOrdinal = false;
        text->clear();
        uint16_t first = Word();
        if (!m_ok) return false;
        if (first == 0) return true;
        if (first == 0xFFFF) {
            *isOrdinal = true;
            Word();
            return m_ok;
        }
        text->push_back((char16_t)first);
        for (;;) {
            uint16_t c = Word();
            if (!m_ok) return false;
            if (c == 0) return true;
            text->push_back((char16_t)c);
        }
    }
    // A field the system reads as text only: false when truncated (ok()
    // turns false) or when given as an ordinal, which the system would read
    // as characters and we as a number.
    bool Sz() { std::u16string s; bool ord; return SzOrOrd(&s, &ord) && !ord; }

private:
    void Copy(void* v, size_t n)
    {
        if (!m_ok || n > m_size - m_pos) { Fail(); return; }
        std::memcpy(v, m_data + m_pos, n);
        m_pos += n;
    }
    bool Fail() { m_ok = false; return false; }
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
    bool m_ok = true;
};

bool Error(std::string* error, const char* text)
{
    if (error) *error = text;
    return false;
}

} // namespace

bool SplitDialogTemplate(const uint8_t* data, size_t size, SplitTemplate* out, std::string* error)
{
    if (!data || !out) return Error(error, "no template");
    *out = SplitTemplate();
    Reader r(data, size);
    uint16_t version = r.Word();
    uint16_t signature = r.Word();
    const bool extended = r.ok() && version == 1 && signature == 0xFFFF;
    r = Reader(data, size);
    uint32_t style;
    size_t countOffset;
    if (extended) {
        r.Skip(4 + 4 + 4);  // dlgVer, signature, helpID, exStyle
        style = r.Dword();
        countOffset = r.pos();
    } else {
        style = r.Dword();
        r.Skip(4);
        countOffset = r.pos();
    }
    uint16_t count = r.Word();
    r.Skip(8);  // x, y, cx, cy
    std::u16string text;
    bool ordinal;
    r.SzOrOrd(&text, &ordinal);  // menu
    r.SzOrOrd(&text, &ordinal);  // window class
    if (!r.Sz()) return Error(error, r.ok() ? "dialog title given as an ordinal" : "truncated dialog header");
    if (style & kDsSetFont) {
        r.Skip(extended ? 6 : 2);  // point size [, weight, italic, charset]
        if (!r.Sz()) return Error(error, r.ok() ? "font name given as an ordinal" : "truncated dialog header");
    }
    if (!r.ok()) return Error(error, "truncated dialog header");

    std::vector<uint8_t>& bytes = out->bytes;
    bytes.assign(data, data + r.pos());
    uint16_t kept = 0;
    for (size_t i = 0; i < count; ++i) {
        if (!r.AlignTo(4)) return Error(error, "truncated dialog item");
        const size_t start = r.pos();
        DialogOleItem item = {};
        item.order = i;
        if (extended) {
            r.Skip(4);  // helpID
            item.exStyle = r.Dword();
            item.style = r.Dword();
        } else {
            item.style = r.Dword();
            item.exStyle = r.Dword();
        }
        item.x = r.Short();
        item.y = r.Short();
        item.cx = r.Short();
        item.cy = r.Short();
        item.id = extended ? r.Dword() : r.Word();
        bool classOrdinal = false, titleOrdinal = false;
        r.SzOrOrd(&item.clsidText, &classOrdinal);
        r.SzOrOrd(&item.title, &titleOrdinal);
        uint16_t extra = r.Word();
        r.Skip(extra);
        if (!r.ok()) return Error(error, "truncated dialog item");
        out->itemIds.push_back(item.id);
        if (!classOrdinal && !item.clsidText.empty() && item.clsidText[0] == u'{') {
            if (titleOrdinal) item.title.clear();
            out->oleItems.push_back(item);
            continue;
        }
        while (bytes.size() % 4) bytes.push_back(0);
        bytes.insert(bytes.end(), data + start, data + r.pos());
        ++kept;
    }
    std::memcpy(&bytes[countOffset], &kept, sizeof kept);
    return true;
}

bool ParseDlgInit(const uint8_t* data, size_t size, std::vector<DlgInitEntry>* out, std::string* error)
{
    if (!out) return Error(error, "no output");
    out->clear();
    if (!data) return Error(error, "no initialisation data");
    Reader r(data, size);
    for (;;) {
        uint16_t id = r.Word();
        if (!r.ok()) return Error(error, "initialisation data without end mark");
        if (id == 0) return true;
        DlgInitEntry e;
        e.id = id;
        e.message = r.Word();
        uint32_t length = r.Dword();
        const size_t at = r.pos();
        if (!r.ok() || !r.Skip(length)) return Error(error, "truncated initialisation record");
        e.data.assign(data + at, data + at + length);
        out->push_back(std::move(e));
    }
}

} // namespace fw
