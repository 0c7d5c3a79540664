// The zip container through libzip, the XML parts through pugixml.
#include "docmorph/package.h"

#include "docmorph/partprinter.h"

#include <zip.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <fstream>
#include <set>
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
    std::set<std::string, std::less<>> counted;  // parts read through xml() so far

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

// A changed part handed to the output zip: its text is made piece by piece as the zip packs
// it (from the start again should the zip read it twice).
struct PartSource {
    pugi::xml_document* document = nullptr;
    const RootItems* items = nullptr;
    std::optional<std::uint64_t> size;
    std::optional<PartPrinter> printer;
    std::string piece;
    std::size_t at = 0;
    zip_error_t error;
};

zip_int64_t partSourceCallback(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command)
{
    auto& source = *static_cast<PartSource*>(state);
    switch (command) {
    case ZIP_SOURCE_OPEN:
        source.printer.emplace(*source.document, source.items);
        source.piece.clear();
        source.at = 0;
        return 0;
    case ZIP_SOURCE_READ: {
        auto* out = static_cast<char*>(data);
        zip_uint64_t done = 0;
        while (done < length) {
            if (source.at == source.piece.size()) {
                source.piece.clear();
                source.at = 0;
                if (!source.printer || !source.printer->next(source.piece))
                    break;
                continue;
            }
            const std::size_t n = std::min<std::size_t>(length - done, source.piece.size() - source.at);
            std::memcpy(out + done, source.piece.data() + source.at, n);
            source.at += n;
            done += n;
        }
        return static_cast<zip_int64_t>(done);
    }
    case ZIP_SOURCE_CLOSE:
        source.printer.reset();
        std::string().swap(source.piece);
        return 0;
    case ZIP_SOURCE_STAT: {
        // The size is known up front: without it the zip would give the entry Zip64 fields.
        if (!source.size)
            source.size = PartPrinter::size(*source.document, source.items);
        auto* stat = static_cast<zip_stat_t*>(data);
        zip_stat_init(stat);
        stat->size = *source.size;
        stat->mtime = std::time(nullptr);
        stat->valid |= ZIP_STAT_SIZE | ZIP_STAT_MTIME;
        return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&source.error, data, length);
    case ZIP_SOURCE_FREE:
        zip_error_fini(&source.error);
        return 0;
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                              ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
    default:
        zip_error_set(&source.error, ZIP_ER_OPNOTSUPP, 0);
        return -1;
    }
}

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
    package->d->bytes = std::move(bytes);
    zip_error_t zipError;
    zip_error_init(&zipError);
    zip_source_t* source = zip_source_buffer_create(package->d->bytes.data(), package->d->bytes.size(), 0, &zipError);
    return openSource(std::move(package), source, zipError, error, limits);
}

std::unique_ptr<Package> Package::openSource(std::unique_ptr<Package> package, zip_source_t* source,
                                             zip_error_t& zipError, std::string& error, const PackageLimits& limits)
{
    if (!source) {
        error = zip_error_strerror(&zipError);
        zip_error_fini(&zipError);
        return nullptr;
    }
    Impl& d = *package->d;
    d.limits = limits;
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
    char head[4] = {};
    in.read(head, sizeof head);
    if (in.gcount() != sizeof head || head[0] != 'P' || head[1] != 'K') {
        error = "not a zip container";
        return nullptr;
    }
    // The container is read from the file as its parts are asked for, not held whole; its
    // length is fixed now.
    std::unique_ptr<Package> package(new Package);
    package->d = std::make_unique<Impl>();
    zip_error_t zipError;
    zip_error_init(&zipError);
    zip_source_t* source = zip_source_file_create(path.c_str(), 0, static_cast<zip_int64_t>(size), &zipError);
    return openSource(std::move(package), source, zipError, error, limits);
}

bool Package::has(std::string_view name) const
{
    return zip_name_locate(d->archive, std::string(name).c_str(), 0) >= 0;
}

char* Package::unpack(std::string_view name, std::size_t& size, bool count, std::string& error)
{
    const std::string key(name);
    const zip_int64_t index = zip_name_locate(d->archive, key.c_str(), 0);
    if (index < 0) {
        error = "missing part " + key;
        return nullptr;
    }
    zip_stat_t stat;
    if (zip_stat_index(d->archive, static_cast<zip_uint64_t>(index), 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE)) {
        error = "damaged part " + key;
        return nullptr;
    }
    if (stat.size > d->limits.maxPartBytes || (count && d->bytesRead + stat.size > d->limits.maxTotalBytes)) {
        error = "part " + key + " unpacks too large";
        return nullptr;
    }
    // Never trust the declared size: read one byte more than it to catch a lying entry.
    const std::size_t capacity = static_cast<std::size_t>(stat.size) + 1;
    char* data = static_cast<char*>(pugi::get_memory_allocation_function()(capacity));
    if (!data) {
        error = "part " + key + " does not fit in memory";
        return nullptr;
    }
    zip_file_t* file = zip_fopen_index(d->archive, static_cast<zip_uint64_t>(index), 0);
    if (!file) {
        pugi::get_memory_deallocation_function()(data);
        error = "part " + key + " cannot be unpacked: " + zip_strerror(d->archive);
        return nullptr;
    }
    std::size_t have = 0;
    bool failed = false;
    while (have < capacity) {
        const zip_int64_t n = zip_fread(file, data + have, capacity - have);
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
        pugi::get_memory_deallocation_function()(data);
        error = "part " + key + " is damaged" + (fileError.empty() ? std::string() : ": " + fileError);
        return nullptr;
    }
    if (count)
        d->bytesRead += have;
    size = have;
    return data;
}

std::optional<std::string> Package::read(std::string_view name, std::string& error)
{
    std::size_t size = 0;
    char* data = unpack(name, size, true, error);
    if (!data)
        return std::nullopt;
    std::string bytes(data, size);
    pugi::get_memory_deallocation_function()(data);
    return bytes;
}

pugi::xml_document* Package::xml(std::string_view name, std::string& error)
{
    auto found = m_parts.find(name);
    if (found != m_parts.end() && found->second.open)
        return &found->second.document;
    if (found == m_parts.end())
        found = m_parts.try_emplace(std::string(name)).first;
    Part& part = found->second;
    pugi::xml_parse_result result;
    if (part.written) {
        result = part.document.load_buffer(part.written->data(), part.written->size(), kParseOptions,
                                           pugi::encoding_utf8);
        part.written.reset();
    } else {
        // A part is counted against the total once, however often it is opened again.
        const bool counted = d->counted.count(name) != 0;
        std::size_t size = 0;
        char* data = unpack(name, size, !counted, error);
        if (!data) {
            m_parts.erase(found);
            return nullptr;
        }
        d->counted.emplace(name);
        // Parsed where it was unpacked: the document's strings point into the buffer it owns.
        result = part.document.load_buffer_inplace_own(data, size, kParseOptions, pugi::encoding_auto);
    }
    if (!result) {
        error = "broken XML in " + std::string(name) + ": " + result.description();
        m_parts.erase(found);
        return nullptr;
    }
    part.open = true;
    return &part.document;
}

bool Package::isOpen(std::string_view name) const
{
    const auto found = m_parts.find(name);
    return found != m_parts.end() && found->second.open;
}

void Package::appendAtSave(std::string_view name, RootItems items)
{
    if (auto found = m_parts.find(name); found != m_parts.end() && found->second.open)
        found->second.items = std::move(items);
}

void Package::release(std::string_view name)
{
    const auto found = m_parts.find(name);
    if (found == m_parts.end() || !found->second.open)
        return;
    if (!m_changed.count(name)) {
        m_parts.erase(found);
        return;
    }
    Part& part = found->second;
    std::string text;
    text.reserve(static_cast<std::size_t>(PartPrinter::size(part.document, &part.items)));
    PartPrinter printer(part.document, &part.items);
    while (printer.next(text)) {
    }
    part.written = std::move(text);
    part.items = nullptr;
    part.document.reset();
    part.open = false;
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
    std::vector<std::unique_ptr<PartSource>> sources;  // libzip reads them when it closes
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
        const auto part = m_changed.count(entry) ? m_parts.find(entry) : m_parts.end();
        if (part != m_parts.end() && part->second.written) {
            source = zip_source_buffer(out, part->second.written->data(), part->second.written->size(), 0);
        } else if (part != m_parts.end() && part->second.open) {
            auto state = std::make_unique<PartSource>();
            state->document = &part->second.document;
            state->items = &part->second.items;
            zip_error_init(&state->error);
            source = zip_source_function(out, partSourceCallback, state.get());
            if (source)
                sources.push_back(std::move(state));
            else
                zip_error_fini(&state->error);
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
    for (const auto& [name, changed] : m_changed)
        m_parts.erase(name);
    m_changed.clear();
    return true;
}

} // namespace yv::docmorph
