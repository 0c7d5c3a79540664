// The search-key history values of the boxes' search fields.
#include "registry_p.h"

#include <etccore/keyhistory.h>

#include <cstring>
#include <vector>

using namespace yv;
using namespace yv::etc::internal;

extern "C" {

void MemorizeKey(HKEY root, const char* subkey, const char* name, const char* key)
{
    const auto hive = hiveForWrite(root);
    if (!hive)
        return;
    // One read-modify-write transaction: programs remembering keys at once lose none.
    settings::Store::instance().updateValue(
        *hive, productKeyPath(subkey), nameOf(name),
        [key](const std::optional<settings::Value>& current) -> std::optional<settings::Value> {
            if (!key)
                return settings::Value::fromString("");
            const std::string stored = current ? current->string().value_or("") : std::string();
            return settings::Value::fromString(etc::rememberKey(stored, key));
        });
}

char** GetKeyList(HKEY root, const char* subkey, const char* name, char* buffer, uint32_t size)
{
    thread_local std::vector<char*> list;
    list.clear();
    if (buffer && size > 0) {
        std::string stored = readString(root, productKeyPath(subkey), name).text.value_or("");
        // A history longer than the buffer keeps whole keys only.
        if (stored.size() >= size) {
            const auto lastLf = size >= 2 ? stored.rfind('\n', size - 2) : std::string::npos;
            stored.resize(lastLf == std::string::npos ? 0 : lastLf + 1);
        }
        std::memcpy(buffer, stored.data(), stored.size());
        buffer[stored.size()] = '\0';
        const std::size_t usable = stored.size();
        for (const std::string_view key : etc::splitHistory(std::string_view(buffer, usable))) {
            char* start = buffer + (key.data() - buffer);
            start[key.size()] = '\0';  // the line feed after it, or the end
            list.push_back(start);
        }
    }
    list.push_back(nullptr);
    return list.data();
}

} // extern "C"
