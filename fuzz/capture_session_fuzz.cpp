// Fuzzes the reading of a user's session start-up file: the suite's block is found or the file
// refused, adding it is idempotent, and taking it out gives back the user's bytes exactly.
#include <captureengine/sessionentry.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace yv::capture::session;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string hook = "/opt/yorvane5/lib/" + std::string(kHookFile);

    const EntryState state = entryState(text, hook);
    const std::optional<std::string> added = withEntry(text, hook);
    const std::optional<std::string> removed = withoutEntry(text);
    if ((state == EntryState::Damaged) != !added || added.has_value() != removed.has_value())
        std::abort();
    if (!added)
        return 0;
    if (entryState(*added, hook) != EntryState::Present || withEntry(*added, hook) != *added)
        std::abort();
    if (state == EntryState::Absent && (*removed != text || withoutEntry(*added) != text))
        std::abort();
    if (withoutEntry(*added) != *removed || entryState(*removed, hook) != EntryState::Absent)
        std::abort();
    return 0;
}
