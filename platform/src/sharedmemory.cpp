// Named shared memory over POSIX shm, with per-byte advisory locks as liveness marks.
#include <platform/sharedmemory.h>

#include <platform/paths.h>

#include <cerrno>
#include <chrono>
#include <string_view>
#include <thread>

#include <dirent.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace yv::shm {

namespace {

// Open-file-description locks belong to the handle, not the process: another handle of the
// same process sees them too, and they vanish when the holder dies.
bool lockByte(int fd, short type, std::size_t offset)
{
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = static_cast<off_t>(offset);
    fl.l_len = 1;
    return ::fcntl(fd, F_OFD_SETLK, &fl) == 0;
}

std::uint8_t* mapBlock(int fd, std::size_t size, bool writable)
{
    void* p = ::mmap(nullptr, size, writable ? PROT_READ | PROT_WRITE : PROT_READ, MAP_SHARED, fd, 0);
    return p == MAP_FAILED ? nullptr : static_cast<std::uint8_t*>(p);
}

} // namespace

std::string objectName(std::string_view blockName)
{
    std::string name = paths::sharedMemoryPrefix();
    for (const char c : blockName)
        name += (c == '/' || c == '\0') ? '_' : c;
    return name;
}

void removeInstanceNames()
{
    if (paths::instanceTag().empty())
        return;
    // POSIX shm names are the files of /dev/shm, without the leading slash.
    const std::string prefix = paths::sharedMemoryPrefix().substr(1);
    DIR* dir = ::opendir("/dev/shm");
    if (!dir)
        return;
    while (const dirent* entry = ::readdir(dir)) {
        if (std::string_view(entry->d_name).starts_with(prefix))
            ::shm_unlink(("/" + std::string(entry->d_name)).c_str());
    }
    ::closedir(dir);
}

SharedBlock::SharedBlock(int fd, std::uint8_t* data, std::size_t size)
    : m_fd(fd)
    , m_data(data)
    , m_size(size)
{
}

SharedBlock::~SharedBlock()
{
    ::munmap(m_data, m_size);
    ::close(m_fd);
}

std::unique_ptr<SharedBlock> SharedBlock::create(std::string_view name, std::size_t size, bool* created)
{
    if (size == 0)
        return nullptr;
    const std::string object = objectName(name);
    bool madeIt = true;
    int fd = ::shm_open(object.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0 && errno == EEXIST) {
        madeIt = false;
        fd = ::shm_open(object.c_str(), O_RDWR | O_CLOEXEC, 0600);
    }
    if (fd < 0)
        return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || st.st_uid != ::geteuid()) {
        ::close(fd);
        return nullptr;
    }
    // Growing zero-fills; an existing larger block keeps its size.
    if (static_cast<std::size_t>(st.st_size) < size && ::ftruncate(fd, static_cast<off_t>(size)) != 0) {
        ::close(fd);
        return nullptr;
    }
    std::uint8_t* data = mapBlock(fd, size, true);
    if (!data) {
        ::close(fd);
        return nullptr;
    }
    if (created)
        *created = madeIt;
    return std::unique_ptr<SharedBlock>(new SharedBlock(fd, data, size));
}

std::unique_ptr<SharedBlock> SharedBlock::open(std::string_view name, Access access)
{
    const bool writable = access == Access::ReadWrite;
    const int fd = ::shm_open(objectName(name).c_str(), (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC, 0);
    if (fd < 0)
        return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || st.st_uid != ::geteuid() || st.st_size <= 0) {
        ::close(fd);
        return nullptr;
    }
    const auto size = static_cast<std::size_t>(st.st_size);
    std::uint8_t* data = mapBlock(fd, size, writable);
    if (!data) {
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<SharedBlock>(new SharedBlock(fd, data, size));
}

void SharedBlock::remove(std::string_view name)
{
    ::shm_unlink(objectName(name).c_str());
}

bool SharedBlock::removeOwnName(std::string_view name) const
{
    const std::string object = objectName(name);
    const int fd = ::shm_open(object.c_str(), O_RDONLY | O_CLOEXEC, 0);
    if (fd < 0)
        return false;
    struct stat named {};
    struct stat mine {};
    const bool same = ::fstat(fd, &named) == 0 && ::fstat(m_fd, &mine) == 0 && named.st_dev == mine.st_dev
                      && named.st_ino == mine.st_ino;
    ::close(fd);
    return same && ::shm_unlink(object.c_str()) == 0;
}

bool SharedBlock::holdByte(std::size_t offset)
{
    return lockByte(m_fd, F_RDLCK, offset);
}

void SharedBlock::releaseByte(std::size_t offset)
{
    lockByte(m_fd, F_UNLCK, offset);
}

bool SharedBlock::byteHeld(std::size_t offset) const
{
    struct flock fl {};
    fl.l_type = F_WRLCK;  // a would-be writer conflicts with any holder's shared lock
    fl.l_whence = SEEK_SET;
    fl.l_start = static_cast<off_t>(offset);
    fl.l_len = 1;
    if (::fcntl(m_fd, F_OFD_GETLK, &fl) != 0)
        return false;
    return fl.l_type != F_UNLCK;
}

NamedLock::NamedLock(int fd)
    : m_fd(fd)
{
}

NamedLock::~NamedLock()
{
    ::close(m_fd);  // drops the lock
}

std::unique_ptr<NamedLock> NamedLock::acquire(std::string_view name, int waitMs)
{
    const std::string object = objectName(std::string(name) + ".lock");
    const int fd = ::shm_open(object.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || st.st_uid != ::geteuid()) {
        ::close(fd);
        return nullptr;
    }
    // Open-file-description locks: another handle of this very process conflicts too, so
    // threads wait for each other as processes do.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        if (lockByte(fd, F_WRLCK, 0))
            return std::unique_ptr<NamedLock>(new NamedLock(fd));
        if (errno != EAGAIN && errno != EACCES && errno != EINTR)
            break;
        if (std::chrono::steady_clock::now() >= deadline)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ::close(fd);
    return nullptr;
}

} // namespace yv::shm
