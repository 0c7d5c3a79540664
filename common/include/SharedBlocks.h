// The two blocks every program shares: the flag block (engine busy, voice probe) and the
// text block through which one program hands a text to another.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace yv::shm {
class SharedBlock;
class NamedLock;
}

namespace yv::blocks {

inline constexpr std::string_view kFlagBlockName = "WAYPOINTS_MAP_FLAG";
inline constexpr std::size_t kFlagBlockSize = 16;
inline constexpr std::string_view kTextBlockName = "WAYPOINTS_MAP_FILE";
inline constexpr std::size_t kTextBlockSize = 65536;

enum FlagByte : std::size_t {
    EngineBusy = 0,      // an engine job runs somewhere in the suite
    VoiceProbed = 1,     // the voice settings page has probed the speech engine
    VoiceAvailable = 2,  // result of that probe
};

// Stores `value` at byte `index` (< 16), creating the block zeroed on first use. The process
// keeps its handle, and a non-zero byte is backed by a lock of that handle: when the process
// dies, the byte reads as 0 again and cannot block the suite.
void setFlag(std::size_t index, std::uint8_t value);
// 0 when the block does not exist or the byte's setter has gone.
std::uint8_t readFlag(std::size_t index);

// The sender's side of a hand-over: the block holds the text until this object is destroyed
// (after the synchronous send). Senders take turns: from writing to removing the block, a
// sender holds a lock that every other sender, in any program or thread, waits for.
class TextBlockWriter final {
public:
    // How long a sender waits for another one's hand-over to end.
    static constexpr int kWaitMs = 10000;

    // Null when the text with its NUL (L) exceeds the block, the block cannot be made, another
    // sender kept it longer than kWaitMs, or this thread is itself in the middle of a send.
    static std::unique_ptr<TextBlockWriter> write(std::string_view cp932Text);
    ~TextBlockWriter();
    TextBlockWriter(const TextBlockWriter&) = delete;
    TextBlockWriter& operator=(const TextBlockWriter&) = delete;

    // L: the length that travels with the message, the terminating NUL counted.
    std::uint32_t length() const { return m_length; }

private:
    TextBlockWriter(std::unique_ptr<shm::NamedLock> lock, std::unique_ptr<shm::SharedBlock> block,
                    std::uint32_t length);
    std::unique_ptr<shm::NamedLock> m_lock;
    std::unique_ptr<shm::SharedBlock> m_block;
    std::uint32_t m_length;
};

// The receiver's side: copies L bytes out of the block and returns the text up to its NUL.
// Nothing when the block is missing or L is 0 or larger than the block.
std::optional<std::string> readTextBlock(std::uint32_t length);

} // namespace yv::blocks
