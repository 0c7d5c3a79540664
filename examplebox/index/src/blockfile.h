// The 128-byte block file under the example index: chained items, the free list and buffered writes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace yv::exampleindex::Internal {

inline constexpr std::size_t kBlockSize = 128;
inline constexpr std::size_t kLinkSize = 4;  // every block but the header starts with the next block's number
inline constexpr std::size_t kPayloadSize = kBlockSize - kLinkSize;

inline std::uint32_t readBigEndian(const unsigned char* p)
{
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}

inline void writeBigEndian(unsigned char* p, std::uint32_t v)
{
    p[0] = static_cast<unsigned char>(v >> 24);
    p[1] = static_cast<unsigned char>(v >> 16);
    p[2] = static_cast<unsigned char>(v >> 8);
    p[3] = static_cast<unsigned char>(v);
}

inline void appendBigEndian(std::string& out, std::uint32_t v)
{
    unsigned char b[4];
    writeBigEndian(b, v);
    out.append(reinterpret_cast<const char*>(b), 4);
}

struct Chain {
    std::vector<std::uint32_t> blocks;
    std::string payload;  // the concatenated payloads (empty when not asked for)
};

// Owns the file descriptor. Reads follow chains with bounds and loop checks; writes are
// buffered and go out in runs of consecutive blocks.
class BlockFile final {
public:
    BlockFile(int fd, std::uint64_t blocksOnDisk);
    ~BlockFile();
    BlockFile(const BlockFile&) = delete;
    BlockFile& operator=(const BlockFile&) = delete;

    int fd() const { return m_fd; }
    std::uint64_t blocksOnDisk() const { return m_blocksOnDisk; }

    // The chain starting at `first`; nullopt when it leaves the file or runs past `maxBlocks`.
    std::optional<Chain> readChain(std::uint32_t first, std::uint64_t maxBlocks, bool withPayload = true) const;
    bool readHeader(unsigned char* block) const;
    // `size` bytes from `offset` of the concatenated payloads of `chain`; false past its end.
    bool readPayload(const std::vector<std::uint32_t>& chain, std::size_t offset, std::size_t size,
                     unsigned char* out) const;

    void put(std::uint32_t block, std::uint32_t next, std::string_view payload);
    bool writeHeader(const unsigned char* block);
    bool flush();
    bool sync();

private:
    bool readRun(std::uint64_t first, std::uint64_t count, unsigned char* out) const;

    int m_fd;
    std::uint64_t m_blocksOnDisk;
    // Block images waiting to be written, in the order they were put.
    std::vector<std::uint32_t> m_pendingBlocks;
    std::string m_pendingImages;
    bool m_failed = false;
};

// Places items into chains during one write-back: a rewritten item keeps its chain's blocks
// in order, takes more from the free list and then from the end of the file, and frees what
// it no longer needs in front of the free list.
class ChainWriter final {
public:
    // `freeList` in list order (head first), as read when the index was opened for writing.
    ChainWriter(BlockFile& file, const std::vector<std::uint32_t>& freeList, std::uint32_t endBlock);

    std::vector<std::uint32_t> write(const std::vector<std::uint32_t>& old, std::string_view payload);
    // As write, but when the chain keeps its length only the blocks marked in `changed` are
    // written again: the others hold the same payload and links already.
    std::vector<std::uint32_t> rewrite(const std::vector<std::uint32_t>& old, std::string_view payload,
                                       const std::vector<bool>& changed);
    void release(const std::vector<std::uint32_t>& blocks);
    // Links the blocks freed during this write-back into the free list on disk.
    void linkFreedBlocks();

    std::uint32_t freeHead() const { return m_free.empty() ? 0 : m_free.back(); }
    std::uint32_t endBlock() const { return m_end; }

private:
    std::uint32_t take();

    BlockFile& m_file;
    std::vector<std::uint32_t> m_free;  // reversed: the head is at the back
    std::unordered_set<std::uint32_t> m_isFree;  // a block shared by two damaged chains is freed once
    std::size_t m_untouched;            // m_free[0, m_untouched) still lie linked on disk as read
    std::uint32_t m_end;
};

} // namespace yv::exampleindex::Internal
