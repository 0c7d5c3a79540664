// A part's XML written out piece by piece, the same bytes as saving the document whole: the
// outer elements' start and end tags apart from their children, the children one by one.
// The zip packs a large part from these pieces without its whole text in memory.
#pragma once

#include <pugixml.hpp>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace yv::docmorph {

// How a part is written: raw, without a declaration of its own (the parsed one is kept).
inline constexpr unsigned kPartSaveFlags = pugi::format_raw | pugi::format_no_declaration;

// Appends a node as pugixml writes it within a part.
void printNode(pugi::xml_node node, std::string& out);

// Items written after the last child of the root element: item `index` appended to `out`,
// false past the last one. Asked again from index 0 each time the part is written.
using RootItems = std::function<bool(std::size_t index, std::string& out)>;

class PartPrinter final {
public:
    explicit PartPrinter(const pugi::xml_document& document, const RootItems* items = nullptr);
    // Appends the next piece to `out`; false once the document is written.
    bool next(std::string& out);
    // The length of the whole text, written once without keeping it.
    static std::uint64_t size(const pugi::xml_document& document, const RootItems* items = nullptr);

private:
    struct Level {
        pugi::xml_node next;
        std::string endTag;
        bool root = false;
    };
    std::vector<Level> m_levels;
    const RootItems* m_items = nullptr;
    pugi::xml_node m_root;  // where the items go
    std::size_t m_item = 0;
};

} // namespace yv::docmorph
