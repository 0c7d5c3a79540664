// Piecewise writing of a part through pugixml's own printing.
#include "docmorph/partprinter.h"

#include <string_view>

namespace yv::docmorph {

namespace {

// Elements this deep or deeper are written whole: a row, a paragraph, a string item.
constexpr std::size_t kSplitLevels = 2;

struct AppendWriter final : pugi::xml_writer {
    explicit AppendWriter(std::string& out) : text(out) {}
    std::string& text;
    void write(const void* data, size_t size) override { text.append(static_cast<const char*>(data), size); }
};

// An element's start tag as pugixml writes it: a copy with the same attributes around a
// marker, the marker and the end tag cut off again. Empty when the copy is not as expected.
std::string startTag(pugi::xml_node element, const std::string& endTag)
{
    constexpr std::string_view kMarker = "m";
    pugi::xml_document scratch;
    auto copy = scratch.append_child(element.name());
    for (auto attribute : element.attributes())
        copy.append_copy(attribute);
    copy.append_child(pugi::node_pcdata).set_value(kMarker.data());
    std::string text;
    printNode(copy, text);
    const std::size_t cut = kMarker.size() + endTag.size();
    if (text.size() <= cut || text.compare(text.size() - cut, cut, std::string(kMarker) + endTag) != 0)
        return {};
    text.resize(text.size() - cut);
    return text;
}

} // namespace

void printNode(pugi::xml_node node, std::string& out)
{
    AppendWriter writer(out);
    node.print(writer, "", kPartSaveFlags, pugi::encoding_utf8);
}

PartPrinter::PartPrinter(const pugi::xml_document& document, const RootItems* items)
{
    // Without any item an empty root stays written as an empty-element tag.
    std::string first;
    m_items = items && *items && (*items)(0, first) ? items : nullptr;
    m_root = document.document_element();
    m_levels.push_back({document.first_child(), std::string()});
}

bool PartPrinter::next(std::string& out)
{
    while (!m_levels.empty()) {
        if (!m_levels.back().next) {
            if (m_levels.back().root && m_items && (*m_items)(m_item, out)) {
                ++m_item;
                return true;
            }
            const bool any = !m_levels.back().endTag.empty();
            out += m_levels.back().endTag;
            m_levels.pop_back();
            if (any)
                return true;
            continue;
        }
        const pugi::xml_node node = m_levels.back().next;
        m_levels.back().next = node.next_sibling();
        const bool root = node == m_root;
        if (node.type() == pugi::node_element && (node.first_child() || (root && m_items))
            && m_levels.size() <= kSplitLevels) {
            std::string endTag = "</" + std::string(node.name()) + ">";
            std::string start = startTag(node, endTag);
            if (!start.empty()) {
                out += start;
                m_levels.push_back({node.first_child(), std::move(endTag), root});
                return true;
            }
        }
        printNode(node, out);
        return true;
    }
    return false;
}

std::uint64_t PartPrinter::size(const pugi::xml_document& document, const RootItems* items)
{
    PartPrinter printer(document, items);
    std::string piece;
    std::uint64_t total = 0;
    while (printer.next(piece)) {
        total += piece.size();
        piece.clear();
    }
    return total;
}

} // namespace yv::docmorph
