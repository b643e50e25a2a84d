#include "HostBags.h"

namespace standin {

HostBags::~HostBags()
{
    while (!m_bags.empty())
        Destroy(m_bags.begin()->first);
}

ASCab HostBags::Create()
{
    auto bag = std::make_unique<Bag>();
    void* handle = bag.get();
    m_bags.emplace(handle, std::move(bag));
    return handle;
}

void HostBags::Destroy(ASCab bag)
{
    auto it = m_bags.find(bag);
    if (it == m_bags.end())
        return;
    for (auto& entry : *it->second)
        Release(entry.second);
    m_bags.erase(it);
}

void HostBags::Release(BagEntry& entry)
{
    m_memory.Free(entry.block);
    m_texts.Destroy(entry.text);
    entry.block = nullptr;
    entry.text = nullptr;
}

HostBags::Bag* HostBags::Lookup(ASCab bag, const char* key)
{
    auto it = m_bags.find(bag);
    if (it == m_bags.end() || key == nullptr)
        return nullptr;
    return it->second.get();
}

void HostBags::Put(ASCab bag, const char* key, BagEntry entry)
{
    Bag* target = Lookup(bag, key);
    if (!target) {
        ++m_misuses;
        Release(entry);
        return;
    }
    auto it = target->find(key);
    if (it == target->end()) {
        target->emplace(key, entry);
        return;
    }
    BagEntry& held = it->second;
    // Handing over the very object an entry already holds must not free it;
    // a second reference to a held text is one more than the bag needs.
    if (held.block == entry.block)
        held.block = nullptr;
    if (held.text && held.text == entry.text) {
        m_texts.Destroy(entry.text);
        held.text = nullptr;
    }
    Release(held);
    held = entry;
}

int32_t HostBags::IntOf(ASCab bag, const char* key, int32_t defaultValue) const
{
    auto it = m_bags.find(bag);
    if (it == m_bags.end() || key == nullptr)
        return defaultValue;
    auto entry = it->second->find(key);
    if (entry == it->second->end() || entry->second.kind != BagEntryKind::Integer)
        return defaultValue;
    return entry->second.integer;
}

void HostBags::SetInt(ASCab bag, const char* key, int32_t value)
{
    BagEntry entry{BagEntryKind::Integer};
    entry.integer = value;
    Put(bag, key, entry);
}

void HostBags::SetString(ASCab bag, const char* key, char* value)
{
    if (value && !m_memory.Owns(value)) {
        ++m_misuses;
        return;
    }
    BagEntry entry{BagEntryKind::String};
    entry.block = value;
    Put(bag, key, entry);
}

void HostBags::SetText(ASCab bag, const char* key, ASText value)
{
    if (value && !m_texts.IsLive(value)) {
        ++m_misuses;
        return;
    }
    BagEntry entry{BagEntryKind::Text};
    entry.text = value;
    Put(bag, key, entry);
}

void HostBags::SetBinary(ASCab bag, const char* key, void* data, int32_t size)
{
    if ((data && !m_memory.Owns(data)) || size < 0 || (data && static_cast<size_t>(size) > m_memory.SizeOf(data))) {
        ++m_misuses;
        if (data && m_memory.Owns(data))
            m_memory.Free(data);
        return;
    }
    BagEntry entry{BagEntryKind::Binary};
    entry.block = data;
    entry.size = data ? size : 0;
    Put(bag, key, entry);
}

const BagEntry* HostBags::Find(ASCab bag, const std::string& key) const
{
    auto it = m_bags.find(bag);
    if (it == m_bags.end())
        return nullptr;
    auto entry = it->second->find(key);
    return entry == it->second->end() ? nullptr : &entry->second;
}

std::vector<std::string> HostBags::Keys(ASCab bag) const
{
    std::vector<std::string> keys;
    auto it = m_bags.find(bag);
    if (it != m_bags.end())
        for (auto& entry : *it->second)
            keys.push_back(entry.first);
    return keys;
}

std::string HostBags::StringOf(ASCab bag, const std::string& key) const
{
    const BagEntry* entry = Find(bag, key);
    if (!entry || entry->kind != BagEntryKind::String || !entry->block)
        return std::string();
    // The string is the plug-in's zero-terminated text, within its block.
    const char* text = static_cast<const char*>(entry->block);
    size_t limit = m_memory.SizeOf(entry->block);
    size_t length = 0;
    while (length < limit && text[length])
        ++length;
    return std::string(text, length);
}

std::string HostBags::BinaryOf(ASCab bag, const std::string& key) const
{
    const BagEntry* entry = Find(bag, key);
    if (!entry || entry->kind != BagEntryKind::Binary || !entry->block)
        return std::string();
    return std::string(static_cast<const char*>(entry->block), static_cast<size_t>(entry->size));
}

std::string HostBags::TextOf(ASCab bag, const std::string& key) const
{
    const BagEntry* entry = Find(bag, key);
    if (!entry || entry->kind != BagEntryKind::Text)
        return std::string();
    return m_texts.Utf8(entry->text);
}

}  // namespace standin
