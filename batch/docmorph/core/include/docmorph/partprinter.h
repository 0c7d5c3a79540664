// A part's XML written out piece by piece, the same bytes as saving the document whole: the
// outer elements' start and end tags apart from their children, the children one by one.
// The zip packs a large part from these pieces without its whole text in memory.
#pragma once

#include <pugixml.hpp>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace yv::docmorph {

// How a part is written: raw, without a declaration of its own (the parsed one is kept).
inline constexpr unsigned kPartSaveFlags = pugi::format_raw | pugi::format_no_declaration;

class PartPrinter final {
public:
    explicit PartPrinter(const pugi::xml_document& document);
    // Appends the next piece to `out`; false once the document is written.
    bool next(std::string& out);
    // The length of the whole text, written once without keeping it.
    static std::uint64_t size(const pugi::xml_document& document);

private:
    struct Level {
        pugi::xml_node next;
        std::string endTag;
    };
    std::vector<Level> m_levels;
};

} // namespace yv::docmorph
