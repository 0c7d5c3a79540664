// Word-processing paragraphs and their runs.
#include "docmorph/wordmodel.h"

#include <string_view>

namespace yv::docmorph {

namespace {

constexpr int kMaxNesting = 64;

bool oneOf(std::string_view name, std::initializer_list<std::string_view> names)
{
    for (const auto n : names)
        if (name == n)
            return true;
    return false;
}

void collectParagraphs(pugi::xml_node node, std::vector<pugi::xml_node>& out, int depth)
{
    if (depth > kMaxNesting)
        return;
    for (auto child = node.first_child(); child; child = child.next_sibling()) {
        if (child.type() != pugi::node_element)
            continue;
        const auto name = localName(child);
        if (name == "p")
            out.push_back(child);
        else if (oneOf(name, {"tbl", "tr", "tc", "sdt", "sdtContent", "customXml"}))
            collectParagraphs(child, out, depth + 1);
    }
}

std::string prefixOf(pugi::xml_node node)
{
    const std::string_view name = node.name();
    const auto colon = name.find(':');
    return colon == std::string_view::npos ? std::string() : std::string(name.substr(0, colon + 1));
}

bool holdsInlinePicture(pugi::xml_node node, int depth = 0)
{
    if (depth > kMaxNesting)
        return false;
    for (auto child = node.first_child(); child; child = child.next_sibling()) {
        if (child.type() != pugi::node_element)
            continue;
        if (localName(child) == "inline" || holdsInlinePicture(child, depth + 1))
            return true;
    }
    return false;
}

void collectRunAtoms(pugi::xml_node run, std::vector<WordDocument::Atom>& atoms)
{
    for (auto child = run.first_child(); child; child = child.next_sibling()) {
        if (child.type() != pugi::node_element)
            continue;
        const auto name = localName(child);
        if (name == "t") {
            atoms.push_back({child, child.text().get()});
        } else if (name == "tab") {
            atoms.push_back({child, "\t"});
        } else if (name == "br") {
            const std::string_view type = child.attribute((prefixOf(child) + "type").c_str()).value();
            const char mark = type == "page" ? kPageBreakChar : type == "column" ? kColumnBreakChar : kLineBreakChar;
            atoms.push_back({child, std::string(1, mark)});
        } else if (name == "cr") {
            atoms.push_back({child, std::string(1, kLineBreakChar)});
        } else if (name == "noBreakHyphen") {
            atoms.push_back({child, "\x1e"});
        } else if (name == "softHyphen") {
            atoms.push_back({child, "\x1f"});
        } else if (oneOf(name, {"drawing", "pict", "object", "AlternateContent"})) {
            // A floating (anchored) drawing stands in no place of the text.
            if (name == "pict" || name == "object" || holdsInlinePicture(child))
                atoms.push_back({child, std::string(1, kPictureChar)});
        }
    }
}

void collectAtoms(pugi::xml_node container, std::vector<WordDocument::Atom>& atoms, int depth)
{
    if (depth > kMaxNesting)
        return;
    for (auto child = container.first_child(); child; child = child.next_sibling()) {
        if (child.type() != pugi::node_element)
            continue;
        const auto name = localName(child);
        if (name == "r")
            collectRunAtoms(child, atoms);
        else if (oneOf(name, {"hyperlink", "ins", "smartTag", "sdt", "sdtContent", "fldSimple", "customXml",
                              "moveTo", "dir", "bdo"}))
            collectAtoms(child, atoms, depth + 1);
    }
}

bool isRunContent(pugi::xml_node node)
{
    return node.type() == pugi::node_element && localName(node) != "rPr";
}

// Moves `node` and everything after it in its run into a new run right after that run (with
// the same run properties), unless it already is the run's first content.
void splitRunBefore(pugi::xml_node node)
{
    pugi::xml_node run = node.parent();
    bool contentBefore = false;
    for (auto sibling = node.previous_sibling(); sibling; sibling = sibling.previous_sibling())
        contentBefore = contentBefore || isRunContent(sibling);
    if (!contentBefore)
        return;
    pugi::xml_node tail = run.parent().insert_child_after(run.name(), run);
    if (auto properties = childNamed(run, "rPr"))
        tail.append_copy(properties);
    while (node) {
        pugi::xml_node next = node.next_sibling();
        tail.append_move(node);
        node = next;
    }
}

void appendText(pugi::xml_node run, const std::string& prefix, std::string& pending)
{
    if (pending.empty())
        return;
    auto t = run.append_child((prefix + "t").c_str());
    t.append_attribute("xml:space") = "preserve";
    t.text().set(pending.c_str());
    pending.clear();
}

void fillRun(pugi::xml_node run, const std::string& prefix, std::string_view utf8)
{
    std::string pending;
    for (const char c : utf8) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20) {
            pending += c;
            continue;
        }
        appendText(run, prefix, pending);
        switch (c) {
        case '\t':
            run.append_child((prefix + "tab").c_str());
            break;
        case kLineBreakChar:
        case '\n':
        case '\r':
            run.append_child((prefix + "br").c_str());
            break;
        case kPageBreakChar:
            run.append_child((prefix + "br").c_str()).append_attribute((prefix + "type").c_str()) = "page";
            break;
        case kColumnBreakChar:
            run.append_child((prefix + "br").c_str()).append_attribute((prefix + "type").c_str()) = "column";
            break;
        case '\x1e':
            run.append_child((prefix + "noBreakHyphen").c_str());
            break;
        case '\x1f':
            run.append_child((prefix + "softHyphen").c_str());
            break;
        default:
            break;  // other control characters have no place in a run
        }
    }
    appendText(run, prefix, pending);
}

} // namespace

std::unique_ptr<WordDocument> WordDocument::load(Package& package, std::string& error)
{
    auto partName = package.packageTarget("/officeDocument", error);
    if (!partName)
        return nullptr;
    auto* xml = package.xml(*partName, error);
    if (!xml)
        return nullptr;
    auto body = childNamed(childNamed(*xml, "document"), "body");
    if (!body) {
        error = "no document body in " + *partName;
        return nullptr;
    }
    std::unique_ptr<WordDocument> document(new WordDocument(package, *partName));
    collectParagraphs(body, document->m_paragraphs, 0);
    return document;
}

WordDocument::Paragraph WordDocument::paragraph(std::size_t index) const
{
    Paragraph result;
    if (index >= m_paragraphs.size())
        return result;
    collectAtoms(m_paragraphs[index], result.atoms, 0);
    std::size_t start = 0;
    bool hasText = false;
    for (std::size_t i = 0; i <= result.atoms.size(); ++i) {
        const bool picture = i < result.atoms.size() && result.atoms[i].text.size() == 1
                             && result.atoms[i].text[0] == kPictureChar;
        if (i == result.atoms.size() || picture) {
            if (hasText)
                result.units.emplace_back(start, i);
            start = i + 1;
            hasText = false;
        } else if (!result.atoms[i].text.empty()) {
            hasText = true;
        }
    }
    return result;
}

std::string WordDocument::text(const Paragraph& paragraph, std::size_t unit)
{
    std::string out;
    if (unit >= paragraph.units.size())
        return out;
    for (std::size_t i = paragraph.units[unit].first; i < paragraph.units[unit].second; ++i)
        out += paragraph.atoms[i].text;
    return out;
}

std::string WordDocument::text(const Paragraph& paragraph)
{
    std::string out;
    for (const auto& atom : paragraph.atoms)
        out += atom.text;
    return out;
}

void WordDocument::replace(Paragraph& paragraph, std::size_t unit, std::string_view utf8)
{
    if (unit >= paragraph.units.size())
        return;
    const auto [first, end] = paragraph.units[unit];
    if (end < paragraph.atoms.size())
        splitRunBefore(paragraph.atoms[end].node);
    splitRunBefore(paragraph.atoms[first].node);
    pugi::xml_node firstRun = paragraph.atoms[first].node.parent();
    const std::string prefix = prefixOf(firstRun);
    pugi::xml_node run = firstRun.parent().insert_child_before(firstRun.name(), firstRun);
    if (auto properties = childNamed(firstRun, "rPr"))
        run.append_copy(properties);
    fillRun(run, prefix, utf8);
    for (std::size_t i = first; i < end; ++i) {
        pugi::xml_node node = paragraph.atoms[i].node;
        pugi::xml_node owner = node.parent();
        owner.remove_child(node);
        bool empty = true;
        for (auto child = owner.first_child(); child && empty; child = child.next_sibling())
            empty = !isRunContent(child);
        if (empty)
            owner.parent().remove_child(owner);
        paragraph.atoms[i].node = pugi::xml_node();
    }
    markChanged();
}

} // namespace yv::docmorph
