// Fuzzes the profile-file reader: any bytes parse, and what is written back reads the same.
#include <platform/profile.h>

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto doc = yv::profile::IniDocument::parse(text);
    // Look up the section and key named by the first line, to reach the matching paths.
    const std::string_view firstLine = text.substr(0, text.find('\n'));
    const auto eq = firstLine.find('=');
    const std::string_view section = firstLine.substr(0, eq);
    const std::string_view key = eq == std::string_view::npos ? std::string_view() : firstLine.substr(eq + 1);
    const auto value = doc.value(section, key);

    auto copy = doc;
    copy.setValue("fuzz", "key", "value");
    const auto reread = yv::profile::IniDocument::parse(copy.serialize());
    if (reread.value("FUZZ", "KEY") != "value")
        std::abort();
    (void)value;
    return 0;
}
