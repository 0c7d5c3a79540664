// Chain reading with bounds and loop checks, buffered block writes and block reuse.
#include "blockfile.h"

#include <algorithm>
#include <cerrno>
#include <memory>

#include <unistd.h>

namespace yv::exampleindex::Internal {

namespace {

// Consecutive blocks of a chain are read together, doubling up to this many per read.
constexpr std::uint64_t kMaxReadRun = 2048;
// Buffered writes go out once they reach this size.
constexpr std::size_t kMaxPendingBytes = 8u << 20;

} // namespace

BlockFile::BlockFile(int fd, std::uint64_t blocksOnDisk)
    : m_fd(fd)
    , m_blocksOnDisk(blocksOnDisk)
{
}

BlockFile::~BlockFile()
{
    ::close(m_fd);
}

bool BlockFile::readRun(std::uint64_t first, std::uint64_t count, unsigned char* out) const
{
    const std::size_t size = count * kBlockSize;
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(m_fd, out + done, size - done, static_cast<off_t>(first * kBlockSize + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::optional<Chain> BlockFile::readChain(std::uint32_t first, std::uint64_t maxBlocks, bool withPayload) const
{
    // A recorded size beyond the file is damage; it also bounds how long a loop can run.
    if (first == 0 || maxBlocks == 0 || maxBlocks > m_blocksOnDisk)
        return std::nullopt;
    Chain chain;
    // The recorded size bounds the payload: one allocation instead of repeated growth.
    if (withPayload)
        chain.payload.reserve(maxBlocks * kPayloadSize);
    // Read into as is: pread fills what is used, so the buffer is never cleared first.
    const std::uint64_t windowCapacity = std::min({maxBlocks, kMaxReadRun, m_blocksOnDisk});
    const auto window = std::make_unique_for_overwrite<unsigned char[]>(windowCapacity * kBlockSize);
    std::uint64_t windowStart = 0;
    std::uint64_t windowCount = 0;
    std::uint64_t run = 1;
    std::uint32_t current = first;
    while (current != 0) {
        // A chain longer than its recorded size, or one that loops, stops here.
        if (chain.blocks.size() >= maxBlocks || current >= m_blocksOnDisk)
            return std::nullopt;
        if (current < windowStart || current >= windowStart + windowCount) {
            const bool sequential = windowCount > 0 && current == windowStart + windowCount;
            run = sequential ? std::min(run * 2, kMaxReadRun) : 1;
            const std::uint64_t count = std::min({run, maxBlocks - chain.blocks.size(), m_blocksOnDisk - current});
            if (!readRun(current, count, window.get()))
                return std::nullopt;
            windowStart = current;
            windowCount = count;
        }
        const unsigned char* block = window.get() + (current - windowStart) * kBlockSize;
        chain.blocks.push_back(current);
        if (withPayload)
            chain.payload.append(reinterpret_cast<const char*>(block + kLinkSize), kPayloadSize);
        current = readBigEndian(block);
    }
    return chain;
}

bool BlockFile::readHeader(unsigned char* block) const
{
    return m_blocksOnDisk != 0 && readRun(0, 1, block);
}

bool BlockFile::readPayload(const std::vector<std::uint32_t>& chain, std::size_t offset, std::size_t size,
                            unsigned char* out) const
{
    while (size > 0) {
        const std::size_t index = offset / kPayloadSize;
        if (index >= chain.size())
            return false;
        const std::size_t within = offset % kPayloadSize;
        const std::size_t piece = std::min(size, kPayloadSize - within);
        const auto at = static_cast<off_t>(std::uint64_t(chain[index]) * kBlockSize + kLinkSize + within);
        ssize_t n;
        do {
            n = ::pread(m_fd, out, piece, at);
        } while (n < 0 && errno == EINTR);
        if (n != static_cast<ssize_t>(piece))
            return false;
        out += piece;
        offset += piece;
        size -= piece;
    }
    return true;
}

void BlockFile::put(std::uint32_t block, std::uint32_t next, std::string_view payload)
{
    const std::size_t at = m_pendingImages.size();
    m_pendingImages.resize(at + kBlockSize, '\0');
    writeBigEndian(reinterpret_cast<unsigned char*>(&m_pendingImages[at]), next);
    payload = payload.substr(0, kPayloadSize);
    std::copy(payload.begin(), payload.end(), m_pendingImages.begin() + static_cast<std::ptrdiff_t>(at + kLinkSize));
    m_pendingBlocks.push_back(block);
    if (m_pendingImages.size() >= kMaxPendingBytes)
        flush();
}

bool BlockFile::flush()
{
    // Later writes of a block win; runs of consecutive blocks go out in one call.
    std::vector<std::size_t> order(m_pendingBlocks.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    // Chains are mostly written in block order already: then there is nothing to sort.
    if (!std::is_sorted(m_pendingBlocks.begin(), m_pendingBlocks.end()))
        std::stable_sort(order.begin(), order.end(),
                         [this](std::size_t a, std::size_t b) { return m_pendingBlocks[a] < m_pendingBlocks[b]; });
    std::string run;
    std::uint64_t runStart = 0;
    auto writeRun = [&] {
        std::size_t done = 0;
        while (!m_failed && done < run.size()) {
            const ssize_t n = ::pwrite(m_fd, run.data() + done, run.size() - done,
                                       static_cast<off_t>(runStart * kBlockSize + done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                m_failed = true;
            else
                done += static_cast<std::size_t>(n);
        }
        m_blocksOnDisk = std::max(m_blocksOnDisk, runStart + run.size() / kBlockSize);
        run.clear();
    };
    for (std::size_t i = 0; i < order.size(); ++i) {
        const std::uint32_t block = m_pendingBlocks[order[i]];
        if (i + 1 < order.size() && m_pendingBlocks[order[i + 1]] == block)
            continue;
        if (!run.empty() && block != runStart + run.size() / kBlockSize)
            writeRun();
        if (run.empty())
            runStart = block;
        run.append(m_pendingImages, order[i] * kBlockSize, kBlockSize);
    }
    if (!run.empty())
        writeRun();
    m_pendingBlocks.clear();
    m_pendingImages.clear();
    return !m_failed;
}

bool BlockFile::writeHeader(const unsigned char* block)
{
    if (!flush())
        return false;
    std::size_t done = 0;
    while (done < kBlockSize) {
        const ssize_t n = ::pwrite(m_fd, block + done, kBlockSize - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            m_failed = true;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    m_blocksOnDisk = std::max<std::uint64_t>(m_blocksOnDisk, 1);
    return true;
}

bool BlockFile::sync()
{
    if (!flush())
        return false;
    if (::fdatasync(m_fd) != 0 && errno != EINVAL)
        m_failed = true;
    return !m_failed;
}

ChainWriter::ChainWriter(BlockFile& file, const std::vector<std::uint32_t>& freeList, std::uint32_t endBlock)
    : m_file(file)
    , m_free(freeList.rbegin(), freeList.rend())
    , m_isFree(freeList.begin(), freeList.end())
    , m_untouched(freeList.size())
    , m_end(endBlock)
{
}

std::uint32_t ChainWriter::take()
{
    if (m_free.empty())
        return m_end++;
    const std::uint32_t block = m_free.back();
    m_free.pop_back();
    m_isFree.erase(block);
    m_untouched = std::min(m_untouched, m_free.size());
    return block;
}

std::vector<std::uint32_t> ChainWriter::write(const std::vector<std::uint32_t>& old, std::string_view payload)
{
    const std::size_t needed = std::max<std::size_t>(1, (payload.size() + kPayloadSize - 1) / kPayloadSize);
    std::vector<std::uint32_t> blocks(needed);
    for (std::size_t i = 0; i < needed; ++i)
        blocks[i] = i < old.size() ? old[i] : take();
    for (std::size_t i = 0; i < needed; ++i) {
        const std::size_t offset = i * kPayloadSize;
        m_file.put(blocks[i], i + 1 < needed ? blocks[i + 1] : 0,
                   offset < payload.size() ? payload.substr(offset, kPayloadSize) : std::string_view());
    }
    if (old.size() > needed)
        release(std::vector<std::uint32_t>(old.begin() + static_cast<std::ptrdiff_t>(needed), old.end()));
    return blocks;
}

std::vector<std::uint32_t> ChainWriter::rewrite(const std::vector<std::uint32_t>& old, std::string_view payload,
                                                const std::vector<bool>& changed)
{
    const std::size_t needed = std::max<std::size_t>(1, (payload.size() + kPayloadSize - 1) / kPayloadSize);
    if (old.size() != needed)
        return write(old, payload);
    for (std::size_t i = 0; i < needed && i < changed.size(); ++i) {
        if (!changed[i])
            continue;
        const std::size_t offset = i * kPayloadSize;
        m_file.put(old[i], i + 1 < needed ? old[i + 1] : 0,
                   offset < payload.size() ? payload.substr(offset, kPayloadSize) : std::string_view());
    }
    return old;
}

void ChainWriter::release(const std::vector<std::uint32_t>& blocks)
{
    for (auto it = blocks.rbegin(); it != blocks.rend(); ++it) {
        if (m_isFree.insert(*it).second)
            m_free.push_back(*it);
    }
}

void ChainWriter::linkFreedBlocks()
{
    for (std::size_t i = m_untouched; i < m_free.size(); ++i)
        m_file.put(m_free[i], i > 0 ? m_free[i - 1] : 0, {});
}

} // namespace yv::exampleindex::Internal
