// Profile (INI) files in the profile directory, read and written like the Windows
// private-profile calls: file, section and key names compare without case.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace yv::profile {

// A file name without a directory is looked up in yv::paths::profileDir(), matching the
// name without case; a name with a directory is taken as it stands.
std::filesystem::path resolve(std::string_view fileName);

// The parsed contents of one INI text: sections in file order, keys in file order.
class IniDocument final {
public:
    static IniDocument parse(std::string_view text);
    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    void setValue(std::string_view section, std::string_view key, std::string_view value);
    std::string serialize() const;

private:
    struct Entry {
        std::string key;
        std::string value;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
    };
    std::vector<Section> m_sections;
};

// Copies the value (or `def` when the file, section or key is missing) into `buffer`, at most
// `size` - 1 bytes, never splitting a UTF-8 character; returns the bytes copied. The value is
// trimmed of blanks, and one pair of surrounding quotes is removed.
std::size_t getString(std::string_view section, std::string_view key, std::string_view def,
                      char* buffer, std::size_t size, std::string_view fileName);
std::string getString(std::string_view section, std::string_view key, std::string_view def,
                      std::string_view fileName);
// Writes the value, creating file and section as needed; the file is replaced atomically.
bool writeString(std::string_view section, std::string_view key, std::string_view value,
                 std::string_view fileName);

} // namespace yv::profile
