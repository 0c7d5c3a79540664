// Profile (INI) files: case-insensitive names, first match wins, atomic rewrites.
#include <platform/profile.h>

#include <platform/atomicfile.h>
#include <platform/paths.h>
#include <platform/textutil.h>

#include <sstream>

namespace yv::profile {

namespace fs = std::filesystem;

namespace {

// Profile files are a few lines; anything larger is not one of ours.
constexpr std::size_t kMaxProfileSize = 4 * 1024 * 1024;

std::string_view unquote(std::string_view v)
{
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

} // namespace

fs::path resolve(std::string_view fileName)
{
    const fs::path name(fileName);
    if (name.has_parent_path())
        return name;
    const fs::path dir = paths::profileDir();
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        if (text::equalsIgnoringAsciiCase(it->path().filename().string(), fileName))
            return it->path();
    }
    return dir / name;
}

IniDocument IniDocument::parse(std::string_view text)
{
    IniDocument doc;
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    Section* current = nullptr;
    while (!text.empty()) {
        const auto eol = text.find('\n');
        std::string_view line = text.substr(0, eol);
        text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);
        line = text::trimBlanks(line);
        if (line.empty() || line.front() == ';' || line.front() == '#')
            continue;
        if (line.front() == '[') {
            const auto close = line.find(']');
            const std::string_view name =
                text::trimBlanks(line.substr(1, close == std::string_view::npos ? line.size() - 1 : close - 1));
            doc.m_sections.push_back({std::string(name), {}});
            current = &doc.m_sections.back();
            continue;
        }
        const auto eq = line.find('=');
        if (!current || eq == std::string_view::npos)
            continue;
        current->entries.push_back({std::string(text::trimBlanks(line.substr(0, eq))),
                                    std::string(text::trimBlanks(line.substr(eq + 1)))});
    }
    return doc;
}

std::optional<std::string> IniDocument::value(std::string_view section, std::string_view key) const
{
    for (const Section& s : m_sections) {
        if (!text::equalsIgnoringAsciiCase(s.name, section))
            continue;
        for (const Entry& e : s.entries) {
            if (text::equalsIgnoringAsciiCase(e.key, key))
                return std::string(unquote(e.value));
        }
    }
    return std::nullopt;
}

void IniDocument::setValue(std::string_view section, std::string_view key, std::string_view value)
{
    Section* target = nullptr;
    for (Section& s : m_sections) {
        if (text::equalsIgnoringAsciiCase(s.name, section)) {
            target = &s;
            break;
        }
    }
    if (!target) {
        m_sections.push_back({std::string(section), {}});
        target = &m_sections.back();
    }
    for (Entry& e : target->entries) {
        if (text::equalsIgnoringAsciiCase(e.key, key)) {
            e.value = value;
            return;
        }
    }
    target->entries.push_back({std::string(key), std::string(value)});
}

std::string IniDocument::serialize() const
{
    std::ostringstream out;
    bool first = true;
    for (const Section& s : m_sections) {
        if (!first)
            out << "\r\n";
        first = false;
        out << '[' << s.name << "]\r\n";
        for (const Entry& e : s.entries)
            out << e.key << '=' << e.value << "\r\n";
    }
    return out.str();
}

std::string getString(std::string_view section, std::string_view key, std::string_view def,
                      std::string_view fileName)
{
    if (const auto text = files::readWhole(resolve(fileName), kMaxProfileSize)) {
        if (auto v = IniDocument::parse(*text).value(section, key))
            return *v;
    }
    return std::string(def);
}

std::size_t getString(std::string_view section, std::string_view key, std::string_view def,
                      char* buffer, std::size_t size, std::string_view fileName)
{
    return text::copyToBuffer(getString(section, key, def, fileName), buffer, size);
}

bool writeString(std::string_view section, std::string_view key, std::string_view value,
                 std::string_view fileName)
{
    const fs::path path = resolve(fileName);
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    IniDocument doc;
    if (const auto text = files::readWhole(path, kMaxProfileSize))
        doc = IniDocument::parse(*text);
    doc.setValue(section, key, value);
    return files::writeAtomically(path, doc.serialize());
}

} // namespace yv::profile
