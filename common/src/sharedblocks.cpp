// The flag block and the text block over named shared memory.
#include "SharedBlocks.h"

#include <platform/sharedmemory.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>

namespace yv::blocks {

namespace {

// One handle per process keeps the flag block and the locks behind its set bytes. It is
// remembered with its object name, since a test may move the process to another name space.
std::mutex g_flagMutex;
std::unique_ptr<shm::SharedBlock> g_flagBlock;
std::string g_flagObject;

} // namespace

void setFlag(std::size_t index, std::uint8_t value)
{
    if (index >= kFlagBlockSize)
        return;
    const std::lock_guard lock(g_flagMutex);
    if (const std::string object = shm::objectName(kFlagBlockName); object != g_flagObject) {
        g_flagBlock.reset();
        g_flagObject = object;
    }
    if (!g_flagBlock) {
        // Clearing a byte of a block that does not exist changes nothing (it reads 0), and a
        // program that only clears on its way out leaves no block behind.
        if (value == 0 && !shm::SharedBlock::open(kFlagBlockName, shm::SharedBlock::Access::ReadOnly))
            return;
        bool created = false;
        g_flagBlock = shm::SharedBlock::create(kFlagBlockName, kFlagBlockSize, &created);
        if (!g_flagBlock)
            return;
        if (created)
            std::memset(g_flagBlock->data(), 0, 3);
    }
    g_flagBlock->data()[index] = value;
    if (value != 0)
        g_flagBlock->holdByte(index);
    else
        g_flagBlock->releaseByte(index);
}

std::uint8_t readFlag(std::size_t index)
{
    if (index >= kFlagBlockSize)
        return 0;
    const auto block = shm::SharedBlock::open(kFlagBlockName, shm::SharedBlock::Access::ReadOnly);
    if (!block || block->size() <= index)
        return 0;
    const std::uint8_t value = block->data()[index];
    // A fresh handle sees every holder, this process's own included.
    return (value != 0 && block->byteHeld(index)) ? value : 0;
}

namespace {

// The threads in the middle of a send, by writer: such a thread cannot wait for its own
// send to end. (A writer may be destroyed on another thread than the one that made it.)
std::mutex g_sendersMutex;
std::map<const TextBlockWriter*, std::thread::id> g_senders;

bool sendingOnThisThread()
{
    const std::lock_guard lock(g_sendersMutex);
    return std::any_of(g_senders.begin(), g_senders.end(),
                       [](const auto& sender) { return sender.second == std::this_thread::get_id(); });
}

} // namespace

TextBlockWriter::TextBlockWriter(std::unique_ptr<shm::NamedLock> lock, std::unique_ptr<shm::SharedBlock> block,
                                 std::uint32_t length)
    : m_lock(std::move(lock))
    , m_block(std::move(block))
    , m_length(length)
{
    const std::lock_guard guard(g_sendersMutex);
    g_senders[this] = std::this_thread::get_id();
}

TextBlockWriter::~TextBlockWriter()
{
    // The name is removed before the lock is given up, and only while it is still ours.
    m_block->removeOwnName(kTextBlockName);
    m_block.reset();
    m_lock.reset();
    const std::lock_guard guard(g_sendersMutex);
    g_senders.erase(this);
}

std::unique_ptr<TextBlockWriter> TextBlockWriter::write(std::string_view cp932Text)
{
    const std::size_t length = cp932Text.size() + 1;
    if (length > kTextBlockSize || sendingOnThisThread())
        return nullptr;
    auto lock = shm::NamedLock::acquire(kTextBlockName, kWaitMs);
    if (!lock)
        return nullptr;
    // A block left by a sender that died is not reused: this one is made afresh.
    shm::SharedBlock::remove(kTextBlockName);
    auto block = shm::SharedBlock::create(kTextBlockName, kTextBlockSize);
    if (!block)
        return nullptr;
    std::memcpy(block->data(), cp932Text.data(), cp932Text.size());
    block->data()[cp932Text.size()] = 0;
    return std::unique_ptr<TextBlockWriter>(
        new TextBlockWriter(std::move(lock), std::move(block), static_cast<std::uint32_t>(length)));
}

std::optional<std::string> readTextBlock(std::uint32_t length)
{
    if (length == 0 || length > kTextBlockSize)
        return std::nullopt;
    const auto block = shm::SharedBlock::open(kTextBlockName, shm::SharedBlock::Access::ReadOnly);
    if (!block || block->size() < length)
        return std::nullopt;
    std::string copy(reinterpret_cast<const char*>(block->data()), length);
    copy.resize(std::strlen(copy.c_str()));
    return copy;
}

} // namespace yv::blocks
