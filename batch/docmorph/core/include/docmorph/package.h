// An OOXML package: the zip container and its XML parts, read with bounds against hostile
// files, written to a new file beside the target and renamed over it.
#pragma once

#include "docmorph/partprinter.h"

#include <pugixml.hpp>

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

struct zip_source;
struct zip_error;

namespace yv::docmorph {

// What a package may hold before it is refused: a zip bomb or a runaway part is stopped at
// these sizes, not by the memory running out.
struct PackageLimits {
    std::uint64_t maxFileBytes = 512ull << 20;
    std::uint64_t maxEntries = 20000;
    std::uint64_t maxPartBytes = 128ull << 20;   // one XML part, unpacked
    std::uint64_t maxTotalBytes = 512ull << 20;  // all XML parts read, unpacked
};

class Package final {
public:
    // Null with `error` set when the bytes are not a zip container (or exceed the limits).
    static std::unique_ptr<Package> openBytes(std::string bytes, std::string& error,
                                              const PackageLimits& limits = {});
    static std::unique_ptr<Package> openFile(const std::filesystem::path& path, std::string& error,
                                             const PackageLimits& limits = {});
    ~Package();
    Package(const Package&) = delete;
    Package& operator=(const Package&) = delete;

    bool has(std::string_view name) const;
    // A part's bytes, or nothing when missing, too large or damaged (`error` says which).
    std::optional<std::string> read(std::string_view name, std::string& error);
    // A part parsed as XML and kept for saving; null when missing or broken.
    pugi::xml_document* xml(std::string_view name, std::string& error);
    // Marks a part read by xml() as changed: save() writes it anew.
    void markChanged(std::string_view name);
    bool changed() const { return !m_changed.empty(); }
    // Lets go of a part's document: a changed part is kept as its written text until save(),
    // an unchanged one is dropped. xml() opens it again; nodes taken from it are void.
    void release(std::string_view name);
    // Whether a part's document is held in memory.
    bool isOpen(std::string_view name) const;
    // Items save() writes at the end of an open, changed part's root element, made as they are
    // written: a long run of new items needs no document nodes.
    void appendAtSave(std::string_view name, RootItems items);

    // The target of the package relationship of `typeSuffix` (e.g. "/officeDocument"), and
    // the targets of a part's relationships by id, as part names.
    std::optional<std::string> packageTarget(std::string_view typeSuffix, std::string& error);
    std::map<std::string, std::string> relationshipsOf(std::string_view part, std::string& error);
    std::optional<std::string> relationshipOfType(std::string_view part, std::string_view typeSuffix,
                                                  std::string& error);

    // Writes the package with its changed parts to `target`: through a new file beside it,
    // renamed over it only once complete. The changed parts' documents are let go after a
    // successful save, so the package is spent afterwards.
    bool save(const std::filesystem::path& target, std::string& error);

private:
    Package() = default;
    struct Part {
        pugi::xml_document document;
        bool open = false;
        std::optional<std::string> written;  // a changed part let go before saving
        RootItems items;
    };
    static std::unique_ptr<Package> openSource(std::unique_ptr<Package> package, zip_source* source,
                                               zip_error& zipError, std::string& error, const PackageLimits& limits);
    // A part's bytes in a buffer of pugixml's allocator (it parses them in place and owns them).
    char* unpack(std::string_view name, std::size_t& size, bool count, std::string& error);
    struct Impl;
    std::unique_ptr<Impl> d;
    std::map<std::string, Part, std::less<>> m_parts;
    std::map<std::string, bool, std::less<>> m_changed;
};

// "word/_rels/document.xml.rels" for "word/document.xml".
std::string relationshipsPartOf(std::string_view part);
// A relationship target resolved against the folder of its source part ("../media/a.png").
std::string resolvePartName(std::string_view sourcePart, std::string_view target);
// The name of an element without its namespace prefix.
std::string_view localName(const pugi::xml_node& node);
// The first child element with that local name.
pugi::xml_node childNamed(const pugi::xml_node& node, std::string_view local);

} // namespace yv::docmorph
