// Block sources over a file and over memory.
#include <book/blocksource.h>

#include <algorithm>

namespace yv::book {

void BlockCache::validate(const std::pair<std::uint64_t, std::int64_t>& stamp)
{
    if (stamp != m_stamp) {
        clear();
        m_stamp = stamp;
    }
}

void BlockCache::clear()
{
    m_slots.clear();
    m_next = 0;
}

std::optional<Bytes> BlockCache::find(std::uint32_t block) const
{
    for (const Slot& slot : m_slots) {
        if (slot.block == block)
            return Bytes(slot.bytes.data(), slot.size);
    }
    return std::nullopt;
}

Bytes BlockCache::put(std::uint32_t block, Bytes data)
{
    if (m_slots.size() < kCapacity) {
        m_slots.emplace_back();
        m_next = m_slots.size() - 1;
    }
    Slot& slot = m_slots[m_next];
    m_next = (m_next + 1) % kCapacity;
    slot.block = block;
    slot.size = std::min(data.size(), kBlockSize);
    std::copy_n(data.begin(), slot.size, slot.bytes.begin());
    return Bytes(slot.bytes.data(), slot.size);
}

std::optional<Bytes> FileBlockSource::block(std::uint32_t block)
{
    if (block == 0)
        return std::nullopt;
    if (m_cache) {
        if (const auto cached = m_cache->find(block))
            return cached;
    }
    const auto n = m_file.readAt(TextPosition{block, 0}.fileOffset(), m_buffer);
    if (!n)
        return std::nullopt;
    const Bytes read(m_buffer.data(), *n);
    // Only whole blocks are kept; a short last block is read each time.
    if (m_cache && *n == kBlockSize)
        return m_cache->put(block, read);
    return read;
}

std::optional<Bytes> MemoryBlockSource::block(std::uint32_t block)
{
    if (block == 0)
        return std::nullopt;
    const std::uint64_t at = TextPosition{block, 0}.fileOffset();
    if (at >= m_data.size())
        return Bytes();
    return m_data.subspan(static_cast<std::size_t>(at), static_cast<std::size_t>(std::min<std::uint64_t>(kBlockSize, m_data.size() - at)));
}

} // namespace yv::book
