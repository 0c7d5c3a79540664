// Publishing the dictionary file in shared memory. POSIX shared memory outlives its processes,
// so the block carries the identity of the file it was copied from, and "hT" is written last:
// a block whose first bytes are not yet "hT" is still being filled in.
#include "dictionarymapping.h"

#include <platform/paths.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace yv::capture::Internal {

namespace {

// Follows the dictionary bytes: device, inode, size, modification seconds and nanoseconds.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t seconds = 0;
    std::uint64_t nanoseconds = 0;

    bool operator==(const FileIdentity&) const = default;
};
constexpr std::size_t kTrailerBytes = sizeof(FileIdentity);

// The byte whose lock tells that a live process is filling the block in.
constexpr std::size_t kFillingByte = 0;

struct DictionaryFile {
    std::string bytes;
    FileIdentity identity;
};

bool acceptable(const struct stat& st)
{
    return S_ISREG(st.st_mode) && st.st_size > 0 && static_cast<std::uint64_t>(st.st_size) <= kMaxDictionaryFileBytes;
}

FileIdentity identityOf(const struct stat& st)
{
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
            static_cast<std::uint64_t>(st.st_size), static_cast<std::int64_t>(st.st_mtim.tv_sec),
            static_cast<std::uint64_t>(st.st_mtim.tv_nsec)};
}

std::optional<FileIdentity> currentIdentity(const std::filesystem::path& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !acceptable(st))
        return std::nullopt;
    return identityOf(st);
}

// The identity comes from the descriptor the bytes are read from, so that the two agree.
std::optional<DictionaryFile> readDictionaryFile(const std::filesystem::path& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    DictionaryFile file;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && acceptable(st);
    if (ok) {
        file.identity = identityOf(st);
        file.bytes.resize(static_cast<std::size_t>(st.st_size));
    }
    std::size_t done = 0;
    while (ok && done < file.bytes.size()) {
        const ssize_t n = ::read(fd, file.bytes.data() + done, file.bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        if (ok)
            done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    const auto* data = reinterpret_cast<const std::uint8_t*>(file.bytes.data());
    if (!ok || !SubstitutionDictionary::open({data, file.bytes.size()}))
        return std::nullopt;
    return file;
}

bool isComplete(const shm::SharedBlock& block)
{
    const std::uint8_t* data = block.data();
    return block.size() >= SubstitutionDictionary::kHeaderBytes + kTrailerBytes
        && __atomic_load_n(&data[1], __ATOMIC_ACQUIRE) == 'T' && data[0] == 'h';
}

FileIdentity publishedIdentity(const shm::SharedBlock& block)
{
    FileIdentity identity;
    std::memcpy(&identity, block.data() + block.size() - kTrailerBytes, kTrailerBytes);
    return identity;
}

} // namespace

std::filesystem::path dictionaryFile()
{
    return paths::machineDir() / kDictionaryFileName;
}

bool publishDictionary(const std::filesystem::path& path)
{
    const std::optional<FileIdentity> current = currentIdentity(path);
    if (const auto existing = shm::SharedBlock::open(kDictionaryBlockName, shm::SharedBlock::Access::ReadOnly)) {
        if (isComplete(*existing)) {
            if (current && publishedIdentity(*existing) == *current)
                return true;
        } else if (existing->byteHeld(kFillingByte)) {
            return true;
        }
        shm::SharedBlock::remove(kDictionaryBlockName);
    }
    const std::optional<DictionaryFile> file = current ? readDictionaryFile(path) : std::nullopt;
    if (!file)
        return false;

    bool created = false;
    const auto block = shm::SharedBlock::create(kDictionaryBlockName, file->bytes.size() + kTrailerBytes, &created);
    if (!block)
        return false;
    if (!created)
        return true;  // another process got there first and fills it in
    block->holdByte(kFillingByte);
    std::uint8_t* data = block->data();
    std::memcpy(data + 2, file->bytes.data() + 2, file->bytes.size() - 2);
    std::memcpy(data + file->bytes.size(), &file->identity, kTrailerBytes);
    data[0] = 'h';
    __atomic_store_n(&data[1], static_cast<std::uint8_t>('T'), __ATOMIC_RELEASE);
    block->releaseByte(kFillingByte);
    return true;
}

PublishedDictionary::PublishedDictionary(std::unique_ptr<shm::SharedBlock> block,
                                         const SubstitutionDictionary& dictionary)
    : m_block(std::move(block))
    , m_dictionary(dictionary)
{
}

std::unique_ptr<PublishedDictionary> PublishedDictionary::open()
{
    auto block = shm::SharedBlock::open(kDictionaryBlockName, shm::SharedBlock::Access::ReadOnly);
    if (!block || !isComplete(*block))
        return nullptr;
    const std::optional<SubstitutionDictionary> dictionary
        = SubstitutionDictionary::open({block->data(), block->size() - kTrailerBytes});
    if (!dictionary)
        return nullptr;
    return std::make_unique<PublishedDictionary>(std::move(block), *dictionary);
}

} // namespace yv::capture::Internal
