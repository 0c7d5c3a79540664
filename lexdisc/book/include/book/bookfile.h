// Read-only access to the files of a disc: names matched without case, reads by position.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string_view>
#include <utility>

namespace yv::book {

// Finds `relative` ("data/honmon") under `base`, matching each name without ASCII case, as
// discs are written in upper case and copies often in lower case. Nothing when absent.
std::optional<std::filesystem::path> findIgnoringCase(const std::filesystem::path& base,
                                                      std::string_view relative);

// A file opened read-only; closed with the object.
class BookFile final {
public:
    BookFile() = default;
    explicit BookFile(const std::filesystem::path& path);
    ~BookFile();
    BookFile(BookFile&& other) noexcept;
    BookFile& operator=(BookFile&& other) noexcept;
    BookFile(const BookFile&) = delete;
    BookFile& operator=(const BookFile&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    // Reads up to out.size() bytes at `offset`; the count read, or nothing on an I/O error.
    std::optional<std::size_t> readAt(std::uint64_t offset, std::span<std::uint8_t> out) const;
    // Size and modification time, to tell whether the file changed; 0 and 0 when unknown.
    std::pair<std::uint64_t, std::int64_t> stamp() const;
    // Reads exactly out.size() bytes; false when the file ends first or fails.
    bool readExactly(std::uint64_t offset, std::span<std::uint8_t> out) const;

private:
    int m_fd = -1;
};

} // namespace yv::book
