// The host allocator behind ASmalloc/ASfree: every live block is known, so a
// test can ask whether the plug-in gave back all it took.
#pragma once
#include <cstddef>
#include <unordered_map>

namespace standin {

class HostMemory {
public:
    HostMemory() = default;
    ~HostMemory();
    HostMemory(const HostMemory&) = delete;
    HostMemory& operator=(const HostMemory&) = delete;

    void* Allocate(size_t size);     // null when refused
    void Free(void* block);          // null ignored; a block not from here is counted, not freed
    bool Owns(const void* block) const { return m_blocks.count(const_cast<void*>(block)) != 0; }
    size_t SizeOf(const void* block) const;

    size_t LiveBlocks() const { return m_blocks.size(); }
    size_t LiveBytes() const { return m_liveBytes; }
    size_t ForeignFrees() const { return m_foreignFrees; }
    // Refuse every allocation from now on (or allow them again).
    void SetRefuseAllocations(bool refuse) { m_refuse = refuse; }

private:
    std::unordered_map<void*, size_t> m_blocks;
    size_t m_liveBytes = 0;
    size_t m_foreignFrees = 0;
    bool m_refuse = false;
};

}  // namespace standin
