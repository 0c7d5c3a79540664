// A presentation over its slide parts: slides in order, their shapes (auto shapes,
// placeholders, text boxes and groups, walked depth first) and the shapes' text frames.
// One slide is held in memory at a time: nodes of a slide stay valid until another one is
// asked for.
#pragma once

#include "docmorph/package.h"

#include <pugixml.hpp>

#include <memory>
#include <string>
#include <vector>

namespace yv::docmorph {

class SlideDeck final {
public:
    // Null with `error` set when the presentation or one of its slides cannot be read.
    static std::unique_ptr<SlideDeck> load(Package& package, std::string& error);

    std::size_t slideCount() const { return m_slides.size(); }
    // The text bodies of the slide's text shapes that hold text, in walk order.
    std::vector<pugi::xml_node> textBodies(std::size_t slide);
    // Shapes of every kind on the slide, groups counted with their members.
    std::size_t shapeCount(std::size_t slide);

    // A text body's text: paragraphs ended by '\r' (none after the last), line breaks '\v'.
    static std::string text(pugi::xml_node body);
    // Puts new text in place of the body's paragraphs. Paragraph k of the new text takes the
    // paragraph and first-run formatting of old paragraph k (the last one past their count).
    void setText(std::size_t slide, pugi::xml_node body, std::string_view utf8);

private:
    explicit SlideDeck(Package& package) : m_package(package) {}
    // The slide's shape tree, its part opened (and the slide held before let go).
    pugi::xml_node shapeTree(std::size_t slide);
    Package& m_package;
    std::vector<std::string> m_slides;  // part names
    std::size_t m_open = static_cast<std::size_t>(-1);
};

} // namespace yv::docmorph
