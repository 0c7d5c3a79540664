// A word-processing document over its main XML part: the paragraphs of the body (tables
// included) in order, their text up to the mark, inline pictures as split points, and text
// ranges that can be replaced while the paragraph's and the first run's formatting stay.
#pragma once

#include "docmorph/package.h"

#include <pugixml.hpp>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace yv::docmorph {

// The characters a paragraph's text holds besides plain text.
inline constexpr char kPictureChar = '\x01';
inline constexpr char kLineBreakChar = '\v';
inline constexpr char kPageBreakChar = '\f';
inline constexpr char kColumnBreakChar = '\x0e';

class WordDocument final {
public:
    // Null with `error` set when the package holds no readable main document.
    static std::unique_ptr<WordDocument> load(Package& package, std::string& error);

    std::size_t paragraphCount() const { return m_paragraphs.size(); }

    // One character-bearing element of a paragraph: a text element, a tab, a break, a picture.
    struct Atom {
        pugi::xml_node node;
        std::string text;  // UTF-8; one control character for the non-text kinds
    };
    // A paragraph's atoms and its units (atom ranges [first, end)). A paragraph whose text up
    // to the mark is empty has no units. A paragraph holding inline pictures is split at them:
    // every stretch of text between pictures is a unit of its own, starting right after the
    // picture.
    struct Paragraph {
        std::vector<Atom> atoms;
        std::vector<std::pair<std::size_t, std::size_t>> units;
    };
    Paragraph paragraph(std::size_t index) const;

    static std::string text(const Paragraph& paragraph, std::size_t unit);
    // The paragraph's whole text up to the mark.
    static std::string text(const Paragraph& paragraph);
    // Replaces a unit's text. The new text takes the run formatting of the unit's first run;
    // the paragraph's formatting and everything outside the unit stay. Units of one paragraph
    // are replaced last to first, so that the earlier ones stay valid.
    void replace(Paragraph& paragraph, std::size_t unit, std::string_view utf8);

    void markChanged() { m_package.markChanged(m_partName); }

private:
    WordDocument(Package& package, std::string partName) : m_package(package), m_partName(std::move(partName)) {}
    Package& m_package;
    std::string m_partName;
    std::vector<pugi::xml_node> m_paragraphs;
};

} // namespace yv::docmorph
