// Text objects: characters held as UTF-16, shared by reference. A text made
// for a caller carries one reference; ASTextRetain adds one to the same
// object, ASTextDestroy gives one back and the last one frees it.
#pragma once
#include <memory>
#include <string>
#include <unordered_map>

#include "HostAbi.h"

namespace standin {

class HostTexts {
public:
    ASText Create(std::u16string chars);
    ASText FromCString(const char* text);          // null for null
    ASText Retain(ASText text);                    // null for an unknown text
    void Destroy(ASText text);                     // null ignored; unknown texts counted
    bool IsBlank(ASText text) const;               // no characters, or only white space

    bool IsLive(ASText text) const { return m_texts.count(text) != 0; }
    std::u16string Chars(ASText text) const;       // empty for unknown texts
    std::string Utf8(ASText text) const;
    int References(ASText text) const;             // 0 for unknown texts

    size_t LiveTexts() const { return m_texts.size(); }
    size_t Created() const { return m_created; }
    size_t StrayDestroys() const { return m_strayDestroys; }

private:
    struct Text {
        std::u16string chars;
        int references;
    };
    std::unordered_map<void*, std::unique_ptr<Text>> m_texts;
    size_t m_created = 0;
    size_t m_strayDestroys = 0;
};

}  // namespace standin
