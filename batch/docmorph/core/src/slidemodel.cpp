// Presentation slides and their text shapes.
#include "docmorph/slidemodel.h"

#include <algorithm>
#include <string_view>

namespace yv::docmorph {

namespace {

constexpr int kMaxGroupNesting = 64;

std::string prefixOf(pugi::xml_node node)
{
    const std::string_view name = node.name();
    const auto colon = name.find(':');
    return colon == std::string_view::npos ? std::string() : std::string(name.substr(0, colon + 1));
}

std::string paragraphText(pugi::xml_node paragraph)
{
    std::string out;
    for (auto child = paragraph.first_child(); child; child = child.next_sibling()) {
        const auto name = localName(child);
        if (name == "r" || name == "fld")
            out += childNamed(child, "t").text().get();
        else if (name == "br")
            out += '\v';
    }
    return out;
}

// Auto shapes, placeholders and text boxes are all "sp" elements; groups are "grpSp".
void walkShapes(pugi::xml_node tree, std::vector<pugi::xml_node>& bodies, std::size_t& shapes, int depth)
{
    if (depth > kMaxGroupNesting)
        return;
    for (auto shape = tree.first_child(); shape; shape = shape.next_sibling()) {
        if (shape.type() != pugi::node_element)
            continue;
        const auto name = localName(shape);
        if (name == "nvGrpSpPr" || name == "grpSpPr" || name == "extLst")
            continue;
        ++shapes;
        if (name == "grpSp") {
            walkShapes(shape, bodies, shapes, depth + 1);
        } else if (name == "sp") {
            auto body = childNamed(shape, "txBody");
            if (body && !SlideDeck::text(body).empty())
                bodies.push_back(body);
        }
    }
}

void appendRun(pugi::xml_node paragraph, const std::string& prefix, pugi::xml_node properties, std::string_view text)
{
    if (text.empty())
        return;
    auto run = paragraph.append_child((prefix + "r").c_str());
    if (properties)
        run.append_copy(properties);
    run.append_child((prefix + "t").c_str()).text().set(std::string(text).c_str());
}

pugi::xml_node shapeTreeOf(const pugi::xml_document& slide)
{
    return childNamed(childNamed(childNamed(slide, "sld"), "cSld"), "spTree");
}

} // namespace

std::unique_ptr<SlideDeck> SlideDeck::load(Package& package, std::string& error)
{
    auto partName = package.packageTarget("/officeDocument", error);
    if (!partName)
        return nullptr;
    auto* xml = package.xml(*partName, error);
    if (!xml)
        return nullptr;
    auto presentation = childNamed(*xml, "presentation");
    if (!presentation) {
        error = "no presentation in " + *partName;
        return nullptr;
    }
    const auto targets = package.relationshipsOf(*partName, error);
    std::unique_ptr<SlideDeck> deck(new SlideDeck(package));
    for (auto id : childNamed(presentation, "sldIdLst").children()) {
        if (localName(id) != "sldId")
            continue;
        std::string relId;
        for (auto attribute : id.attributes())
            if (std::string_view(attribute.name()).ends_with(":id"))
                relId = attribute.value();
        const auto target = targets.find(relId);
        if (target == targets.end()) {
            error = "a slide of " + *partName + " has no part";
            return nullptr;
        }
        // Every slide is checked now, so that a broken one fails the load; it is let go
        // again until the walk comes to it.
        const bool wasOpen = package.isOpen(target->second);  // e.g. the presentation itself
        auto* slide = package.xml(target->second, error);
        if (!slide)
            return nullptr;
        const bool hasShapes = shapeTreeOf(*slide);
        if (!wasOpen)
            package.release(target->second);
        if (!hasShapes) {
            error = "no shapes in " + target->second;
            return nullptr;
        }
        deck->m_slides.push_back(target->second);
    }
    return deck;
}

pugi::xml_node SlideDeck::shapeTree(std::size_t slide)
{
    if (slide >= m_slides.size())
        return {};
    if (m_open != slide && m_open < m_slides.size())
        m_package.release(m_slides[m_open]);
    m_open = slide;
    std::string error;
    auto* document = m_package.xml(m_slides[slide], error);
    return document ? shapeTreeOf(*document) : pugi::xml_node();
}

std::vector<pugi::xml_node> SlideDeck::textBodies(std::size_t slide)
{
    std::vector<pugi::xml_node> bodies;
    std::size_t shapes = 0;
    walkShapes(shapeTree(slide), bodies, shapes, 0);
    return bodies;
}

std::size_t SlideDeck::shapeCount(std::size_t slide)
{
    std::vector<pugi::xml_node> bodies;
    std::size_t shapes = 0;
    walkShapes(shapeTree(slide), bodies, shapes, 0);
    return shapes;
}

std::string SlideDeck::text(pugi::xml_node body)
{
    std::string out;
    bool first = true;
    for (auto paragraph = body.first_child(); paragraph; paragraph = paragraph.next_sibling()) {
        if (localName(paragraph) != "p")
            continue;
        if (!first)
            out += '\r';
        out += paragraphText(paragraph);
        first = false;
    }
    // Empty paragraphs alone are no text.
    if (std::all_of(out.begin(), out.end(), [](char c) { return c == '\r'; }))
        out.clear();
    return out;
}

void SlideDeck::setText(std::size_t slide, pugi::xml_node body, std::string_view utf8)
{
    std::vector<pugi::xml_node> old;
    for (auto paragraph = body.first_child(); paragraph; paragraph = paragraph.next_sibling())
        if (localName(paragraph) == "p")
            old.push_back(paragraph);
    if (old.empty() || slide >= m_slides.size())
        return;
    pugi::xml_node anyRunProperties;
    for (auto paragraph : old)
        for (auto run = paragraph.first_child(); run && !anyRunProperties; run = run.next_sibling())
            if (localName(run) == "r")
                anyRunProperties = childNamed(run, "rPr");
    const std::string prefix = prefixOf(old.front());
    std::size_t index = 0;
    while (true) {
        const auto end = utf8.find('\r');
        const std::string_view line = utf8.substr(0, end);
        const pugi::xml_node model = old[std::min(index, old.size() - 1)];
        pugi::xml_node runProperties;
        for (auto run = model.first_child(); run && !runProperties; run = run.next_sibling())
            if (localName(run) == "r")
                runProperties = childNamed(run, "rPr");
        if (!runProperties)
            runProperties = anyRunProperties;
        auto paragraph = body.insert_child_before(old.front().name(), old.front());
        if (auto properties = childNamed(model, "pPr"))
            paragraph.append_copy(properties);
        std::size_t at = 0;
        while (at <= line.size()) {
            auto brk = line.find_first_of("\v\n", at);
            appendRun(paragraph, prefix, runProperties, line.substr(at, brk == std::string_view::npos ? brk : brk - at));
            if (brk == std::string_view::npos)
                break;
            auto br = paragraph.append_child((prefix + "br").c_str());
            if (runProperties)
                br.append_copy(runProperties);
            at = brk + 1;
        }
        if (auto endProperties = childNamed(model, "endParaRPr"))
            paragraph.append_copy(endProperties);
        ++index;
        if (end == std::string_view::npos)
            break;
        utf8.remove_prefix(end + 1);
    }
    for (auto paragraph : old)
        body.remove_child(paragraph);
    m_package.markChanged(m_slides[slide]);
}

} // namespace yv::docmorph
