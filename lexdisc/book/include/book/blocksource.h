// Where the reader gets its 2,048-byte blocks from: the text file, or memory in tests.
#pragma once

#include <book/bookfile.h>
#include <book/bookformat.h>

#include <array>
#include <optional>
#include <utility>
#include <vector>

namespace yv::book {

class BlockSource {
public:
    virtual ~BlockSource() = default;
    // The bytes of block `block` (from 1), fewer than a block at the end of the file; nothing
    // on an I/O error or for block 0. The view lasts until the next call.
    virtual std::optional<Bytes> block(std::uint32_t block) = 0;
};

// Blocks of one text file kept across operations: the upper index pages and the heading
// blocks are read again and again. A disc does not change under the reader; a file whose
// size or time changed empties the cache.
class BlockCache final {
public:
    static constexpr std::size_t kCapacity = 64;

    // Empties the cache unless it holds blocks of a file with this stamp.
    void validate(const std::pair<std::uint64_t, std::int64_t>& stamp);
    void clear();
    std::optional<Bytes> find(std::uint32_t block) const;
    Bytes put(std::uint32_t block, Bytes data);

private:
    struct Slot {
        std::uint32_t block = 0;
        std::size_t size = 0;
        std::array<std::uint8_t, kBlockSize> bytes{};
    };
    std::vector<Slot> m_slots;  // filled up to the capacity, then replaced in turn
    std::size_t m_next = 0;
    std::pair<std::uint64_t, std::int64_t> m_stamp{};
};

// Reads blocks of a file, through a cache when one is given (validated for that file).
class FileBlockSource final : public BlockSource {
public:
    explicit FileBlockSource(const BookFile& file, BlockCache* cache = nullptr) : m_file(file), m_cache(cache) {}
    std::optional<Bytes> block(std::uint32_t block) override;

private:
    const BookFile& m_file;
    BlockCache* m_cache;
    std::array<std::uint8_t, kBlockSize> m_buffer{};
};

class MemoryBlockSource final : public BlockSource {
public:
    explicit MemoryBlockSource(Bytes data) : m_data(data) {}
    std::optional<Bytes> block(std::uint32_t block) override;

private:
    Bytes m_data;
};

} // namespace yv::book
