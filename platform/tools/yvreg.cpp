// yvreg: reads and changes the suite's settings from the command line, with the verbs,
// options and output layout that users know from the registry on Windows.
#include <platform/atomicfile.h>
#include <platform/settingsstore.h>
#include <platform/textutil.h>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace yv::settings;
namespace fs = std::filesystem;
using yv::text::equalsIgnoringAsciiCase;

constexpr const char* kUsage = R"(yvreg - reads and changes the Yorvane5 settings.

  yvreg query  KEY [/v NAME | /ve] [/s]
  yvreg add    KEY [/v NAME | /ve] [/t TYPE] [/d DATA] [/f]
  yvreg delete KEY [/v NAME | /ve | /va] [/f]
  yvreg export KEY FILE [/y]

  KEY    HKCU\path, HKLM\path or HKCR\path (or HKEY_CURRENT_USER\..., HKEY_LOCAL_MACHINE\...,
         HKEY_CLASSES_ROOT\...). Quote it in the shell: the separator is a backslash.
  /v     the value NAME          /ve  the default value          /va  every value of KEY
  /s     also every subkey       /f   do not ask before overwriting or deleting
  /t     REG_SZ (the default), REG_DWORD or REG_BINARY
  /d     DATA: text for REG_SZ; decimal or 0x-hex for REG_DWORD; hex digit pairs for REG_BINARY
  /y     replace FILE if it exists

  export writes REGEDIT4 text in UTF-8 with LF line ends (not the ANSI code page).
  Without /f, yvreg asks on the terminal; when standard input is not a terminal it refuses.
  Exit status: 0 on success, 1 on failure.
)";

constexpr const char* kNotFound = "ERROR: The system was unable to find the specified registry key or value.";
constexpr const char* kDone = "The operation completed successfully.";

int fail(const std::string& message)
{
    std::cerr << message << '\n';
    return 1;
}

int syntaxError(const std::string& detail)
{
    return fail("ERROR: Invalid syntax. " + detail + "\nType \"yvreg /?\" for usage.");
}

struct Args {
    std::vector<std::string> positional;
    std::optional<std::string> valueName;  // "" for the default value
    std::optional<std::string> type;
    std::optional<std::string> data;
    bool allValues = false;
    bool recursive = false;
    bool force = false;
    bool replaceFile = false;
    bool help = false;
};

// Options are accepted with '/' or '-' in any case; anything else is positional (so that
// absolute file names pass).
std::optional<std::string> parseArgs(int argc, char** argv, std::string_view allowed, Args& a)
{
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool option = arg.size() >= 2 && (arg[0] == '/' || arg[0] == '-');
        std::string name = option ? arg.substr(1) : std::string();
        for (char& c : name)
            c = yv::text::asciiLower(c);
        const auto known = [&](std::string_view n) { return name == n; };
        if (!option || !(known("v") || known("ve") || known("va") || known("s") || known("f") ||
                         known("y") || known("t") || known("d") || known("?"))) {
            a.positional.push_back(arg);
            continue;
        }
        if (name == "?") {
            a.help = true;
            continue;
        }
        if (allowed.find(" " + name + " ") == std::string_view::npos)
            return "Option " + arg + " does not belong here.";
        const auto takeNext = [&](std::optional<std::string>& slot) -> bool {
            if (slot || i + 1 >= argc)
                return false;
            slot = argv[++i];
            return true;
        };
        const auto setOnce = [](bool& flag) {
            const bool first = !flag;
            flag = true;
            return first;
        };
        bool ok = true;
        if (name == "v")
            ok = takeNext(a.valueName);
        else if (name == "ve") {
            ok = !a.valueName;
            a.valueName = std::string();
        }
        else if (name == "t")
            ok = takeNext(a.type);
        else if (name == "d")
            ok = takeNext(a.data);
        else if (name == "va")
            ok = setOnce(a.allValues);
        else if (name == "s")
            ok = setOnce(a.recursive);
        else if (name == "f")
            ok = setOnce(a.force);
        else if (name == "y")
            ok = setOnce(a.replaceFile);
        if (!ok)
            return "Option " + arg + " is repeated, clashes with another or lacks its argument.";
    }
    if (a.allValues && a.valueName)
        return "/va cannot go with /v or /ve.";
    return std::nullopt;
}

struct Key {
    Hive hive;
    std::string path;
    std::string display() const
    {
        return path.empty() ? std::string(hiveName(hive)) : std::string(hiveName(hive)) + '\\' + path;
    }
    Key child(const std::string& name) const
    {
        return {hive, path.empty() ? name : path + '\\' + name};
    }
};

std::optional<Key> parseKey(const std::string& text)
{
    Key key{};
    const auto hive = parseRootedPath(text, key.path);
    if (!hive)
        return std::nullopt;
    key.hive = *hive;
    return key;
}

// The key and its subkeys, parents first, siblings in the store's order. Iterative, so that
// a very deep tree cannot exhaust the stack.
std::vector<Key> subtree(const Key& top)
{
    std::vector<Key> order;
    std::vector<Key> pending{top};
    Store& store = Store::instance();
    while (!pending.empty()) {
        Key key = std::move(pending.back());
        pending.pop_back();
        const auto names = store.subkeys(key.hive, key.path);
        for (auto it = names.rbegin(); it != names.rend(); ++it)
            pending.push_back(key.child(*it));
        order.push_back(std::move(key));
    }
    return order;
}

std::string hexBytes(const std::vector<std::uint8_t>& data, const char* digits, std::string_view sep)
{
    std::string out;
    for (std::size_t i = 0; i < data.size(); ++i) {
        if (i)
            out += sep;
        out += digits[data[i] >> 4];
        out += digits[data[i] & 0xF];
    }
    return out;
}

std::string displayName(const std::string& name)
{
    return name.empty() ? "(Default)" : name;
}

std::string queryLine(const NamedValue& nv)
{
    const Value& v = nv.value;
    std::string type = "REG_BINARY";
    std::string data = hexBytes(v.data, "0123456789ABCDEF", "");
    if (const auto s = v.string()) {
        type = "REG_SZ";
        data = *s;
    } else if (v.type == ValueType::Dword) {
        type = "REG_DWORD";
        if (const auto dw = v.dword()) {
            char buf[16];
            std::snprintf(buf, sizeof buf, "0x%x", *dw);
            data = buf;
        }
    } else if (v.type != ValueType::Binary) {
        type = "REG_UNKNOWN(" + std::to_string(static_cast<std::uint32_t>(v.type)) + ")";
    }
    return "    " + displayName(nv.name) + "    " + type + "    " + data + "\n";
}

int queryVerb(const Args& a, const Key& key)
{
    Store& store = Store::instance();
    if (!store.keyExists(key.hive, key.path))
        return fail(kNotFound);
    std::string out;
    if (a.valueName) {
        int matches = 0;
        for (const Key& k : a.recursive ? subtree(key) : std::vector<Key>{key}) {
            if (const auto v = store.value(k.hive, k.path, *a.valueName)) {
                out += "\n" + k.display() + "\n" + queryLine({*a.valueName, *v});
                ++matches;
            }
        }
        if (!matches)
            return fail(kNotFound);
        if (a.recursive)
            out += "\nEnd of search: " + std::to_string(matches) + " match(es) found.\n";
        std::cout << out;
        return 0;
    }
    if (a.recursive) {
        for (const Key& k : subtree(key)) {
            out += "\n" + k.display() + "\n";
            for (const NamedValue& nv : store.values(k.hive, k.path))
                out += queryLine(nv);
        }
    } else {
        out += "\n" + key.display() + "\n";
        const auto values = store.values(key.hive, key.path);
        for (const NamedValue& nv : values)
            out += queryLine(nv);
        if (!values.empty())
            out += "\n";
        for (const std::string& name : store.subkeys(key.hive, key.path))
            out += key.child(name).display() + "\n";
    }
    std::cout << out;
    return 0;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::optional<std::uint32_t> parseDword(std::string_view s)
{
    const bool hex = s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X');
    if (hex)
        s.remove_prefix(2);
    if (s.empty())
        return std::nullopt;
    std::uint64_t v = 0;
    for (const char c : s) {
        const int digit = hex ? hexDigit(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
        if (digit < 0)
            return std::nullopt;
        v = v * (hex ? 16 : 10) + std::uint64_t(digit);
        if (v > 0xFFFFFFFFu)
            return std::nullopt;
    }
    return std::uint32_t(v);
}

std::optional<std::vector<std::uint8_t>> parseHex(std::string_view s)
{
    if (s.size() % 2)
        return std::nullopt;
    std::vector<std::uint8_t> out;
    out.reserve(s.size() / 2);
    for (std::size_t i = 0; i < s.size(); i += 2) {
        const int hi = hexDigit(s[i]);
        const int lo = hexDigit(s[i + 1]);
        if (hi < 0 || lo < 0)
            return std::nullopt;
        out.push_back(std::uint8_t(hi << 4 | lo));
    }
    return out;
}

// Asks on the terminal; refuses when nobody can answer. Returns true to go ahead.
bool confirm(const std::string& question, const std::string& refusal)
{
    if (!::isatty(STDIN_FILENO)) {
        std::cerr << "ERROR: " << refusal << " Standard input is not a terminal; add /f to go ahead.\n";
        return false;
    }
    std::string line;
    for (;;) {
        std::cout << question << ' ' << std::flush;
        if (!std::getline(std::cin, line))
            break;
        const std::string_view answer = yv::text::trimBlanks(line);
        if (equalsIgnoringAsciiCase(answer, "yes") || equalsIgnoringAsciiCase(answer, "y"))
            return true;
        if (equalsIgnoringAsciiCase(answer, "no") || equalsIgnoringAsciiCase(answer, "n"))
            break;
    }
    std::cerr << "The operation was cancelled.\n";
    return false;
}

int addVerb(const Args& a, const Key& key)
{
    Store& store = Store::instance();
    if (!a.valueName && !a.type && !a.data) {
        if (store.createKey(key.hive, key.path) != Status::Ok)
            return fail("ERROR: Could not create " + key.display() + ".");
        std::cout << kDone << '\n';
        return 0;
    }
    // As on Windows, /t or /d without /v sets the default value.
    const std::string name = a.valueName.value_or(std::string());
    const std::string typeName = a.type.value_or("REG_SZ");
    Value value;
    if (equalsIgnoringAsciiCase(typeName, "REG_SZ")) {
        value = Value::fromString(a.data.value_or(std::string()));
    } else if (equalsIgnoringAsciiCase(typeName, "REG_DWORD")) {
        const auto dw = parseDword(a.data.value_or("0"));
        if (!dw)
            return fail("ERROR: REG_DWORD data must be a decimal or 0x-hex number up to 4294967295.");
        value = Value::fromDword(*dw);
    } else if (equalsIgnoringAsciiCase(typeName, "REG_BINARY")) {
        const auto bytes = parseHex(a.data.value_or(std::string()));
        if (!bytes)
            return fail("ERROR: REG_BINARY data must be pairs of hex digits.");
        value = Value::fromBytes(bytes->data(), bytes->size());
    } else {
        return fail("ERROR: Unsupported type " + typeName + "; use REG_SZ, REG_DWORD or REG_BINARY.");
    }
    if (!a.force && store.value(key.hive, key.path, name) &&
        !confirm("Value " + displayName(name) + " exists, overwrite(Yes/No)?",
                 "Value " + displayName(name) + " exists."))
        return 1;
    if (store.setValue(key.hive, key.path, name, value) != Status::Ok)
        return fail("ERROR: Could not write to " + key.display() + ".");
    std::cout << kDone << '\n';
    return 0;
}

int deleteVerb(const Args& a, const Key& key)
{
    Store& store = Store::instance();
    if (!store.keyExists(key.hive, key.path))
        return fail(kNotFound);
    Status status = Status::Ok;
    if (a.allValues) {
        if (!a.force && !confirm("Delete all values under the registry key " + key.display() + " (Yes/No)?",
                                 "Not deleting the values of " + key.display() + "."))
            return 1;
        for (const NamedValue& nv : store.values(key.hive, key.path))
            if (const Status s = store.deleteValue(key.hive, key.path, nv.name); s == Status::Failed)
                status = s;
    } else if (a.valueName) {
        if (!store.value(key.hive, key.path, *a.valueName))
            return fail(kNotFound);
        if (!a.force && !confirm("Delete the registry value " + displayName(*a.valueName) + " (Yes/No)?",
                                 "Not deleting the value " + displayName(*a.valueName) + "."))
            return 1;
        status = store.deleteValue(key.hive, key.path, *a.valueName);
    } else {
        if (key.path.empty())
            return fail("ERROR: The root of a hive cannot be deleted.");
        if (!a.force && !confirm("Delete the registry key " + key.display() + " (Yes/No)?",
                                 "Not deleting " + key.display() + "."))
            return 1;
        status = store.deleteKey(key.hive, key.path);
    }
    if (status == Status::NotFound)
        return fail(kNotFound);
    if (status != Status::Ok)
        return fail("ERROR: Could not delete from " + key.display() + ".");
    std::cout << kDone << '\n';
    return 0;
}

std::string regString(std::string_view s)
{
    std::string out = "\"";
    for (const char c : s) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out + '"';
}

// One value in REGEDIT4 form; data that a plain string or dword cannot carry exactly (no
// final NUL, inner NULs or line breaks, odd sizes) goes out as hex(type) so nothing is lost.
std::string exportLine(const NamedValue& nv)
{
    const Value& v = nv.value;
    std::string line = (nv.name.empty() ? std::string("@") : regString(nv.name)) + "=";
    if (v.type == ValueType::Sz && !v.data.empty() && v.data.back() == 0) {
        const std::string_view text(reinterpret_cast<const char*>(v.data.data()), v.data.size() - 1);
        if (text.find_first_of(std::string_view("\0\r\n", 3)) == std::string_view::npos)
            return line + regString(text) + "\n";
    }
    if (const auto dw = v.dword()) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "dword:%08x", *dw);
        return line + buf + "\n";
    }
    if (v.type == ValueType::Binary)
        line += "hex:";
    else
        line += "hex(" + std::to_string(static_cast<std::uint32_t>(v.type)) + "):";
    return line + hexBytes(v.data, "0123456789abcdef", ",") + "\n";
}

unsigned newFileMode(const fs::path& file)
{
    struct stat st {};
    if (::stat(file.c_str(), &st) == 0)
        return st.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

int exportVerb(const Args& a, const Key& key, const fs::path& file)
{
    Store& store = Store::instance();
    if (!store.keyExists(key.hive, key.path))
        return fail(kNotFound);
    std::error_code ec;
    if (!a.replaceFile && fs::symlink_status(file, ec).type() != fs::file_type::not_found)
        return fail("ERROR: " + file.string() + " exists; add /y to replace it.");
    std::string text = "REGEDIT4\n\n";
    for (const Key& k : subtree(key)) {
        text += "[" + k.display() + "]\n";
        for (const NamedValue& nv : store.values(k.hive, k.path))
            text += exportLine(nv);
        text += "\n";
    }
    if (!yv::files::writeAtomically(file, text, newFileMode(file)))
        return fail("ERROR: Could not write " + file.string() + ".");
    std::cout << kDone << '\n';
    return 0;
}

int run(int argc, char** argv)
{
    if (argc < 2) {
        std::cout << kUsage;
        return 1;
    }
    const std::string verb = argv[1];
    if (verb == "/?" || verb == "-?" || verb == "--help" || equalsIgnoringAsciiCase(verb, "/h")) {
        std::cout << kUsage;
        return 0;
    }
    struct Verb {
        const char* name;
        const char* options;  // space-separated, padded
        std::size_t positional;
    };
    static constexpr Verb kVerbs[] = {
        {"query", " v ve s ", 1},
        {"add", " v ve t d f ", 1},
        {"delete", " v ve va f ", 1},
        {"export", " y ", 2},
    };
    const Verb* selected = nullptr;
    for (const Verb& v : kVerbs)
        if (equalsIgnoringAsciiCase(verb, v.name))
            selected = &v;
    if (!selected)
        return syntaxError("Unknown operation " + verb + ".");
    Args args;
    if (const auto error = parseArgs(argc, argv, selected->options, args))
        return syntaxError(*error);
    if (args.help) {
        std::cout << kUsage;
        return 0;
    }
    if (args.positional.size() != selected->positional)
        return syntaxError(std::string("Wrong number of arguments for ") + selected->name + ".");
    const auto key = parseKey(args.positional[0]);
    if (!key)
        return fail("ERROR: Invalid key name " + args.positional[0] +
                    "; it must start with HKCU\\, HKLM\\ or HKCR\\.");
    const std::string_view name = selected->name;
    if (name == "query")
        return queryVerb(args, *key);
    if (name == "add")
        return addVerb(args, *key);
    if (name == "delete")
        return deleteVerb(args, *key);
    if (args.positional[1].empty())
        return syntaxError("The file name is empty.");
    return exportVerb(args, *key, args.positional[1]);
}

} // namespace

int main(int argc, char** argv)
{
    try {
        return run(argc, argv);
    } catch (const std::exception& e) {
        return fail(std::string("ERROR: ") + e.what());
    } catch (...) {
        return fail("ERROR: Unexpected failure.");
    }
}
