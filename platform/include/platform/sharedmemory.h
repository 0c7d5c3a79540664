// Named shared memory of one user and one suite instance (POSIX shm, mode 0600).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace yv::shm {

// The POSIX object name for a block name of the suite ("WAYPOINTS_MAP_FILE" ...).
std::string objectName(std::string_view blockName);

// Removes every name of this user and instance (a test home's, when it ends). Without an
// isolated instance (YORVANE_HOME) it does nothing: the user's own suite keeps its blocks.
void removeInstanceNames();

class SharedBlock final {
public:
    enum class Access { ReadOnly, ReadWrite };

    // Opens or creates the block with `size` bytes (new bytes are zero). `created` tells
    // whether this call made it.
    static std::unique_ptr<SharedBlock> create(std::string_view name, std::size_t size,
                                               bool* created = nullptr);
    // Opens an existing block; null when it does not exist.
    static std::unique_ptr<SharedBlock> open(std::string_view name, Access access);
    // Removes the name; blocks still mapped stay valid until closed.
    static void remove(std::string_view name);
    // Removes the name only while it still refers to this block (not to one made afresh
    // under the same name since); true when it did.
    bool removeOwnName(std::string_view name) const;

    ~SharedBlock();
    SharedBlock(const SharedBlock&) = delete;
    SharedBlock& operator=(const SharedBlock&) = delete;

    std::uint8_t* data() { return m_data; }
    const std::uint8_t* data() const { return m_data; }
    std::size_t size() const { return m_size; }

    // Advisory shared lock on one byte, held by this handle until released or closed: it
    // tells other processes that the holder is alive and stands behind that byte.
    bool holdByte(std::size_t offset);
    void releaseByte(std::size_t offset);
    // True when another handle (this process's other handles included) holds the byte;
    // the locks of this very handle do not count.
    bool byteHeld(std::size_t offset) const;

private:
    SharedBlock(int fd, std::uint8_t* data, std::size_t size);
    int m_fd;
    std::uint8_t* m_data;
    std::size_t m_size;
};

// An exclusive lock of this user and instance between processes and threads alike, held
// from `acquire` until destroyed; the system drops it when its holder dies. It lives beside
// the blocks, as the name `<name>.lock`.
class NamedLock final {
public:
    // Null when the lock was not free within `waitMs` milliseconds.
    static std::unique_ptr<NamedLock> acquire(std::string_view name, int waitMs);
    ~NamedLock();
    NamedLock(const NamedLock&) = delete;
    NamedLock& operator=(const NamedLock&) = delete;

private:
    explicit NamedLock(int fd);
    int m_fd;
};

} // namespace yv::shm
