// A settings store with registry semantics over one SQLite database per hive.
//
// Keys form a tree addressed by backslash-separated paths; key and value names compare without
// case; a key can exist without values. Every call is safe from several threads and several
// processes at once (WAL, busy time-out, retried transactions): no write is lost.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace yv::settings {

enum class Hive { CurrentUser, LocalMachine, ClassesRoot };

// The registry's own type numbers, so that exported text reads as users expect.
enum class ValueType : std::uint32_t { Sz = 1, Binary = 3, Dword = 4 };

struct Value {
    ValueType type = ValueType::Binary;
    std::vector<std::uint8_t> data;  // Sz: UTF-8 with its terminating NUL; Dword: 4 bytes LE

    static Value fromString(std::string_view utf8);
    static Value fromDword(std::uint32_t v);
    static Value fromBytes(const void* data, std::size_t size);
    std::optional<std::uint32_t> dword() const;   // when type is Dword and size is 4
    std::optional<std::string> string() const;    // when type is Sz, up to the first NUL
};

struct NamedValue {
    std::string name;  // as first written ("" is the key's default value)
    Value value;
};

enum class Status { Ok, NotFound, Failed };

// Parses "HKCU\...", "HKEY_CURRENT_USER\..." (also HKLM / HKCR); returns the hive and puts
// the rest of the path into `path`.
std::optional<Hive> parseRootedPath(std::string_view rooted, std::string& path);
const char* hiveName(Hive hive);  // "HKEY_CURRENT_USER", ...

// Normalises a key path: empty components and surrounding backslashes dropped.
std::string normalizeKeyPath(std::string_view path);

class Store final {
public:
    // The process-wide store over the hive files of yv::paths (re-read on every call, so a
    // test that changes YORVANE_HOME gets the new hives).
    static Store& instance();

    bool keyExists(Hive hive, std::string_view path);
    std::optional<Value> value(Hive hive, std::string_view path, std::string_view name);
    // Creates the key and its parents as needed.
    Status createKey(Hive hive, std::string_view path);
    Status setValue(Hive hive, std::string_view path, std::string_view name, const Value& value);
    // Read-modify-write in one transaction, so that concurrent updates from other processes
    // are never lost: `update` gets the current value (if any) and returns the new one, or
    // nothing to leave the value as it is. Creates the key as needed.
    using Updater = std::function<std::optional<Value>(const std::optional<Value>& current)>;
    Status updateValue(Hive hive, std::string_view path, std::string_view name,
                       const Updater& update);
    Status deleteValue(Hive hive, std::string_view path, std::string_view name);
    // Deletes the key with all its subkeys and values.
    Status deleteKey(Hive hive, std::string_view path);
    // Names as first written, in case-insensitive order.
    std::vector<std::string> subkeys(Hive hive, std::string_view path);
    std::vector<NamedValue> values(Hive hive, std::string_view path);

    // Drops cached connections (tests, after moving hive files).
    void closeAll();

    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;
    ~Store();

private:
    Store();
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace yv::settings
