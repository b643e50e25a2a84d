#include "HostMemory.h"

#include <cstdlib>

namespace standin {

HostMemory::~HostMemory()
{
    for (auto& block : m_blocks)
        std::free(block.first);
}

void* HostMemory::Allocate(size_t size)
{
    if (m_refuse)
        return nullptr;
    // A zero-byte request still gets a distinct block, as from malloc.
    void* block = std::malloc(size ? size : 1);
    if (!block)
        return nullptr;
    m_blocks.emplace(block, size);
    m_liveBytes += size;
    return block;
}

void HostMemory::Free(void* block)
{
    if (!block)
        return;
    auto it = m_blocks.find(block);
    if (it == m_blocks.end()) {
        ++m_foreignFrees;
        return;
    }
    m_liveBytes -= it->second;
    m_blocks.erase(it);
    std::free(block);
}

size_t HostMemory::SizeOf(const void* block) const
{
    auto it = m_blocks.find(const_cast<void*>(block));
    return it == m_blocks.end() ? 0 : it->second;
}

}  // namespace standin
