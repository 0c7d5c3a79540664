// Read-only file access with names matched without case.
#include <book/bookfile.h>

#include <platform/textutil.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace yv::book {

namespace fs = std::filesystem;

std::optional<fs::path> findIgnoringCase(const fs::path& base, std::string_view relative)
{
    fs::path current = base;
    while (!relative.empty()) {
        const auto slash = relative.find('/');
        const std::string_view name = relative.substr(0, slash);
        relative = slash == std::string_view::npos ? std::string_view() : relative.substr(slash + 1);
        if (name.empty())
            continue;
        std::error_code ec;
        fs::path exact = current / std::string(name);
        if (fs::exists(exact, ec)) {
            current = std::move(exact);
            continue;
        }
        bool found = false;
        for (fs::directory_iterator it(current, ec), end; !ec && it != end; it.increment(ec)) {
            if (text::equalsIgnoringAsciiCase(it->path().filename().native(), name)) {
                current = it->path();
                found = true;
                break;
            }
        }
        if (!found)
            return std::nullopt;
    }
    return current;
}

BookFile::BookFile(const fs::path& path)
{
    do {
        m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    } while (m_fd < 0 && errno == EINTR);
}

BookFile::~BookFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

BookFile::BookFile(BookFile&& other) noexcept : m_fd(other.m_fd)
{
    other.m_fd = -1;
}

BookFile& BookFile::operator=(BookFile&& other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = other.m_fd;
        other.m_fd = -1;
    }
    return *this;
}

std::optional<std::size_t> BookFile::readAt(std::uint64_t offset, std::span<std::uint8_t> out) const
{
    if (m_fd < 0)
        return std::nullopt;
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t n = ::pread(m_fd, out.data() + done, out.size() - done,
                                  static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return std::nullopt;
        }
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

std::pair<std::uint64_t, std::int64_t> BookFile::stamp() const
{
    struct stat st {};
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0)
        return {0, 0};
    return {static_cast<std::uint64_t>(st.st_size), st.st_mtim.tv_sec * 1'000'000'000LL + st.st_mtim.tv_nsec};
}

bool BookFile::readExactly(std::uint64_t offset, std::span<std::uint8_t> out) const
{
    const auto n = readAt(offset, out);
    return n && *n == out.size();
}

} // namespace yv::book
