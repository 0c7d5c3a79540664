// The zip container through libzip, the XML parts through pugixml.
#include "docmorph/package.h"

#include <zip.h>

#include <fstream>
#include <system_error>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace yv::docmorph {

namespace fs = std::filesystem;

struct Package::Impl {
    std::string bytes;
    zip_t* archive = nullptr;
    PackageLimits limits;
    std::uint64_t bytesRead = 0;

    ~Impl()
    {
        if (archive)
            zip_discard(archive);
    }
};

namespace {

std::string zipErrorText(int code)
{
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::string text = zip_error_strerror(&error);
    zip_error_fini(&error);
    return text;
}

// Whitespace in text runs is content: keep every whitespace-only text node.
constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_ws_pcdata | pugi::parse_declaration;

struct StringWriter final : pugi::xml_writer {
    std::string text;
    void write(const void* data, size_t size) override { text.append(static_cast<const char*>(data), size); }
};

} // namespace

Package::~Package() = default;

std::unique_ptr<Package> Package::openBytes(std::string bytes, std::string& error, const PackageLimits& limits)
{
    if (bytes.size() > limits.maxFileBytes) {
        error = "the file is too large";
        return nullptr;
    }
    if (bytes.size() < 4 || bytes.compare(0, 2, "PK") != 0) {
        error = "not a zip container";
        return nullptr;
    }
    std::unique_ptr<Package> package(new Package);
    package->d = std::make_unique<Impl>();
    Impl& d = *package->d;
    d.bytes = std::move(bytes);
    d.limits = limits;
    zip_error_t zipError;
    zip_error_init(&zipError);
    zip_source_t* source = zip_source_buffer_create(d.bytes.data(), d.bytes.size(), 0, &zipError);
    if (!source) {
        error = zip_error_strerror(&zipError);
        zip_error_fini(&zipError);
        return nullptr;
    }
    d.archive = zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &zipError);
    if (!d.archive) {
        error = std::string("damaged zip container: ") + zip_error_strerror(&zipError);
        zip_source_free(source);
        zip_error_fini(&zipError);
        return nullptr;
    }
    zip_error_fini(&zipError);
    const zip_int64_t entries = zip_get_num_entries(d.archive, 0);
    if (entries < 0 || static_cast<std::uint64_t>(entries) > limits.maxEntries) {
        error = "too many entries in the zip container";
        return nullptr;
    }
    return package;
}

std::unique_ptr<Package> Package::openFile(const fs::path& path, std::string& error, const PackageLimits& limits)
{
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        error = "not a readable file";
        return nullptr;
    }
    const auto size = fs::file_size(path, ec);
    if (ec || size > limits.maxFileBytes) {
        error = ec ? "not a readable file" : "the file is too large";
        return nullptr;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "the file cannot be read";
        return nullptr;
    }
    std::string bytes(size, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(size));
    if (static_cast<std::uint64_t>(in.gcount()) != size) {
        error = "the file cannot be read";
        return nullptr;
    }
    return openBytes(std::move(bytes), error, limits);
}

bool Package::has(std::string_view name) const
{
    return zip_name_locate(d->archive, std::string(name).c_str(), 0) >= 0;
}

std::optional<std::string> Package::read(std::string_view name, std::string& error)
{
    const std::string key(name);
    const zip_int64_t index = zip_name_locate(d->archive, key.c_str(), 0);
    if (index < 0) {
        error = "missing part " + key;
        return std::nullopt;
    }
    zip_stat_t stat;
    if (zip_stat_index(d->archive, static_cast<zip_uint64_t>(index), 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE)) {
        error = "damaged part " + key;
        return std::nullopt;
    }
    if (stat.size > d->limits.maxPartBytes || d->bytesRead + stat.size > d->limits.maxTotalBytes) {
        error = "part " + key + " unpacks too large";
        return std::nullopt;
    }
    zip_file_t* file = zip_fopen_index(d->archive, static_cast<zip_uint64_t>(index), 0);
    if (!file) {
        error = "part " + key + " cannot be unpacked: " + zip_strerror(d->archive);
        return std::nullopt;
    }
    // Never trust the declared size: read one byte more than it to catch a lying entry.
    std::string data(static_cast<std::size_t>(stat.size) + 1, '\0');
    std::size_t have = 0;
    bool failed = false;
    while (have < data.size()) {
        const zip_int64_t n = zip_fread(file, data.data() + have, data.size() - have);
        if (n < 0) {
            failed = true;
            break;
        }
        if (n == 0)
            break;
        have += static_cast<std::size_t>(n);
    }
    const std::string fileError = failed ? zip_file_strerror(file) : std::string();
    zip_fclose(file);
    if (failed || have != stat.size) {
        error = "part " + key + " is damaged" + (fileError.empty() ? std::string() : ": " + fileError);
        return std::nullopt;
    }
    data.resize(have);
    d->bytesRead += have;
    return data;
}

pugi::xml_document* Package::xml(std::string_view name, std::string& error)
{
    if (auto found = m_parts.find(name); found != m_parts.end())
        return &found->second;
    auto bytes = read(name, error);
    if (!bytes)
        return nullptr;
    pugi::xml_document document;
    const auto result = document.load_buffer(bytes->data(), bytes->size(), kParseOptions, pugi::encoding_auto);
    if (!result) {
        error = "broken XML in " + std::string(name) + ": " + result.description();
        return nullptr;
    }
    auto [at, inserted] = m_parts.emplace(std::string(name), pugi::xml_document());
    at->second.reset(document);
    return &at->second;
}

void Package::markChanged(std::string_view name)
{
    m_changed[std::string(name)] = true;
}

std::string relationshipsPartOf(std::string_view part)
{
    const auto slash = part.rfind('/');
    const std::string folder(slash == std::string_view::npos ? std::string_view() : part.substr(0, slash + 1));
    const std::string file(slash == std::string_view::npos ? part : part.substr(slash + 1));
    return folder + "_rels/" + file + ".rels";
}

std::string resolvePartName(std::string_view sourcePart, std::string_view target)
{
    std::vector<std::string> segments;
    if (!target.empty() && target.front() == '/') {
        target.remove_prefix(1);
    } else {
        const auto slash = sourcePart.rfind('/');
        std::string_view folder = slash == std::string_view::npos ? std::string_view() : sourcePart.substr(0, slash);
        while (!folder.empty()) {
            const auto next = folder.find('/');
            segments.emplace_back(folder.substr(0, next));
            folder = next == std::string_view::npos ? std::string_view() : folder.substr(next + 1);
        }
    }
    while (!target.empty()) {
        const auto next = target.find('/');
        const std::string_view segment = target.substr(0, next);
        if (segment == "..") {
            if (!segments.empty())
                segments.pop_back();
        } else if (!segment.empty() && segment != ".") {
            segments.emplace_back(segment);
        }
        target = next == std::string_view::npos ? std::string_view() : target.substr(next + 1);
    }
    std::string name;
    for (const auto& segment : segments)
        name += (name.empty() ? "" : "/") + segment;
    return name;
}

std::string_view localName(const pugi::xml_node& node)
{
    const std::string_view name = node.name();
    const auto colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

pugi::xml_node childNamed(const pugi::xml_node& node, std::string_view local)
{
    for (auto child = node.first_child(); child; child = child.next_sibling())
        if (child.type() == pugi::node_element && localName(child) == local)
            return child;
    return {};
}

std::map<std::string, std::string> Package::relationshipsOf(std::string_view part, std::string& error)
{
    std::map<std::string, std::string> targets;
    const std::string relsName = part.empty() ? std::string("_rels/.rels") : relationshipsPartOf(part);
    if (!has(relsName))
        return targets;
    auto* rels = xml(relsName, error);
    if (!rels)
        return targets;
    for (auto rel : childNamed(*rels, "Relationships").children()) {
        if (localName(rel) != "Relationship" || std::string_view(rel.attribute("TargetMode").value()) == "External")
            continue;
        targets[rel.attribute("Id").value()] = resolvePartName(part, rel.attribute("Target").value());
    }
    return targets;
}

std::optional<std::string> Package::relationshipOfType(std::string_view part, std::string_view typeSuffix,
                                                       std::string& error)
{
    const std::string relsName = part.empty() ? std::string("_rels/.rels") : relationshipsPartOf(part);
    if (!has(relsName)) {
        error = "missing part " + relsName;
        return std::nullopt;
    }
    auto* rels = xml(relsName, error);
    if (!rels)
        return std::nullopt;
    for (auto rel : childNamed(*rels, "Relationships").children()) {
        const std::string_view type = rel.attribute("Type").value();
        if (localName(rel) == "Relationship" && type.size() >= typeSuffix.size()
            && type.substr(type.size() - typeSuffix.size()) == typeSuffix)
            return resolvePartName(part, rel.attribute("Target").value());
    }
    error = "no relationship of type " + std::string(typeSuffix);
    return std::nullopt;
}

std::optional<std::string> Package::packageTarget(std::string_view typeSuffix, std::string& error)
{
    return relationshipOfType("", typeSuffix, error);
}

bool Package::save(const fs::path& target, std::string& error)
{
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::string hidden = ".";  // built piecewise: GCC 12 warns falsely on "." + string at -O2
    hidden += target.filename().string();
    hidden += ".XXXXXX";
    std::string pattern = (folder / hidden).string();
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        error = "cannot write in " + folder.string();
        return false;
    }
    ::close(fd);
    const fs::path temp = pattern;
    auto fail = [&](const std::string& why) {
        std::error_code ec;
        fs::remove(temp, ec);
        error = why;
        return false;
    };
    int zipError = 0;
    zip_t* out = zip_open(temp.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &zipError);
    if (!out)
        return fail("cannot write " + temp.string() + ": " + zipErrorText(zipError));
    std::vector<std::string> written;  // libzip reads the buffers when it closes
    written.reserve(m_changed.size());
    const zip_int64_t entries = zip_get_num_entries(d->archive, 0);
    for (zip_int64_t i = 0; i < entries; ++i) {
        const char* name = zip_get_name(d->archive, static_cast<zip_uint64_t>(i), 0);
        if (!name) {
            zip_discard(out);
            return fail("damaged entry in the zip container");
        }
        const std::string_view entry(name);
        if (!entry.empty() && entry.back() == '/') {
            zip_dir_add(out, name, ZIP_FL_ENC_UTF_8);
            continue;
        }
        zip_source_t* source = nullptr;
        if (m_changed.count(entry)) {
            StringWriter writer;
            m_parts.find(entry)->second.save(writer, "", pugi::format_raw | pugi::format_no_declaration,
                                             pugi::encoding_utf8);
            written.push_back(std::move(writer.text));
            source = zip_source_buffer(out, written.back().data(), written.back().size(), 0);
        } else {
            source = zip_source_zip(out, d->archive, static_cast<zip_uint64_t>(i), 0, 0, -1);
        }
        if (!source || zip_file_add(out, name, source, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE) < 0) {
            if (source)
                zip_source_free(source);
            const std::string why = zip_strerror(out);
            zip_discard(out);
            return fail("cannot write the zip container: " + why);
        }
    }
    if (zip_close(out) != 0) {
        const std::string why = zip_strerror(out);
        zip_discard(out);
        return fail("cannot write " + target.string() + ": " + why);
    }
    struct stat old;
    if (::stat(target.c_str(), &old) == 0)
        ::chmod(temp.c_str(), old.st_mode & 07777);
    std::error_code ec;
    fs::rename(temp, target, ec);
    if (ec)
        return fail("cannot write " + target.string() + ": " + ec.message());
    m_changed.clear();
    return true;
}

} // namespace yv::docmorph
