#include "HostTexts.h"

#include "HostCodePage.h"

namespace standin {

ASText HostTexts::Create(std::u16string chars)
{
    auto text = std::make_unique<Text>(Text{std::move(chars), 1});
    void* handle = text.get();
    m_texts.emplace(handle, std::move(text));
    ++m_created;
    return handle;
}

ASText HostTexts::FromCString(const char* text)
{
    if (!text)
        return nullptr;
    return Create(DecodeCString(text));
}

ASText HostTexts::Retain(ASText text)
{
    auto it = m_texts.find(text);
    if (it == m_texts.end())
        return nullptr;
    ++it->second->references;
    return text;
}

void HostTexts::Destroy(ASText text)
{
    if (!text)
        return;
    auto it = m_texts.find(text);
    if (it == m_texts.end()) {
        ++m_strayDestroys;
        return;
    }
    if (--it->second->references == 0)
        m_texts.erase(it);
}

bool HostTexts::IsBlank(ASText text) const
{
    auto it = m_texts.find(text);
    if (it == m_texts.end())
        return true;
    for (char16_t ch : it->second->chars)
        if (ch != u' ' && ch != u'\t' && ch != u'\r' && ch != u'\n')
            return false;
    return true;
}

std::u16string HostTexts::Chars(ASText text) const
{
    auto it = m_texts.find(text);
    return it == m_texts.end() ? std::u16string() : it->second->chars;
}

std::string HostTexts::Utf8(ASText text) const { return Utf16ToUtf8(Chars(text)); }

int HostTexts::References(ASText text) const
{
    auto it = m_texts.find(text);
    return it == m_texts.end() ? 0 : it->second->references;
}

}  // namespace standin
