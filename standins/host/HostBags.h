// Property bags: typed entries under string keys. A bag owns what it is given
// (host memory blocks, a text reference) and releases it when the entry is
// replaced or the bag destroyed.
#pragma once
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "HostAbi.h"
#include "HostMemory.h"
#include "HostTexts.h"

namespace standin {

enum class BagEntryKind { Integer, String, Text, Binary };

struct BagEntry {
    BagEntryKind kind;
    int32_t integer = 0;
    void* block = nullptr;       // String and Binary: the host block the bag owns
    int32_t size = 0;            // Binary: bytes in block
    ASText text = nullptr;       // Text: the reference the bag owns
};

class HostBags {
public:
    HostBags(HostMemory& memory, HostTexts& texts) : m_memory(memory), m_texts(texts) {}
    ~HostBags();
    HostBags(const HostBags&) = delete;
    HostBags& operator=(const HostBags&) = delete;

    ASCab Create();
    void Destroy(ASCab bag);                       // releases every entry
    bool IsLive(ASCab bag) const { return m_bags.count(bag) != 0; }
    size_t LiveBags() const { return m_bags.size(); }

    // The host operations. A call that names no usable bag or key still takes
    // what it hands over (the plug-in has given it up) and is counted as misuse.
    int32_t IntOf(ASCab bag, const char* key, int32_t defaultValue) const;
    void SetInt(ASCab bag, const char* key, int32_t value);
    void SetString(ASCab bag, const char* key, char* value);
    void SetText(ASCab bag, const char* key, ASText value);
    void SetBinary(ASCab bag, const char* key, void* data, int32_t size);

    // Reading back, for the host's own use.
    const BagEntry* Find(ASCab bag, const std::string& key) const;
    std::vector<std::string> Keys(ASCab bag) const;
    std::string StringOf(ASCab bag, const std::string& key) const;   // empty unless a String entry
    std::string BinaryOf(ASCab bag, const std::string& key) const;   // empty unless a Binary entry
    std::string TextOf(ASCab bag, const std::string& key) const;     // UTF-8; empty unless a Text entry

    // Calls that named an unknown bag, gave no key, or handed over memory that
    // was not from the host allocator (kept out of the bag, never freed).
    size_t Misuses() const { return m_misuses; }

private:
    using Bag = std::map<std::string, BagEntry>;
    Bag* Lookup(ASCab bag, const char* key);
    void Put(ASCab bag, const char* key, BagEntry entry);
    void Release(BagEntry& entry);

    HostMemory& m_memory;
    HostTexts& m_texts;
    std::unordered_map<void*, std::unique_ptr<Bag>> m_bags;
    size_t m_misuses = 0;
};

}  // namespace standin
