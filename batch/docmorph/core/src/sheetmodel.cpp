// Workbooks, worksheets and cells.
#include "docmorph/sheetmodel.h"

#include <algorithm>
#include <charconv>
#include <string_view>
#include <utility>

namespace yv::docmorph {

namespace {

constexpr std::uint32_t kMaxRows = 1048576;
constexpr std::uint32_t kMaxColumns = 16384;

std::string prefixOf(pugi::xml_node node)
{
    const std::string_view name = node.name();
    const auto colon = name.find(':');
    return colon == std::string_view::npos ? std::string() : std::string(name.substr(0, colon + 1));
}

// A string item's text: its plain text, or its rich-text runs (phonetic runs left out).
std::string stringItemText(pugi::xml_node item)
{
    std::string out;
    for (auto child = item.first_child(); child; child = child.next_sibling()) {
        const auto name = localName(child);
        if (name == "t")
            out += child.text().get();
        else if (name == "r")
            out += childNamed(child, "t").text().get();
    }
    return out;
}

void setStringItem(pugi::xml_node item, const std::string& prefix, std::string_view utf8)
{
    while (item.first_child())
        item.remove_child(item.first_child());
    auto t = item.append_child((prefix + "t").c_str());
    t.append_attribute("xml:space") = "preserve";
    t.text().set(std::string(utf8).c_str());
}

bool isTrue(const char* value)
{
    const std::string_view v(value);
    return v == "1" || v == "true";
}

} // namespace

std::string columnName(std::uint32_t column)
{
    std::string name;
    while (column > 0) {
        --column;
        name.insert(name.begin(), static_cast<char>('A' + column % 26));
        column /= 26;
    }
    return name;
}

std::optional<CellAddress> parseCellReference(std::string_view reference)
{
    CellAddress address;
    std::size_t i = 0;
    while (i < reference.size() && reference[i] >= 'A' && reference[i] <= 'Z' && i < 4) {
        address.column = address.column * 26 + static_cast<std::uint32_t>(reference[i] - 'A' + 1);
        ++i;
    }
    if (i == 0 || i == reference.size())
        return std::nullopt;
    const auto digits = reference.substr(i);
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), address.row);
    if (ec != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    if (address.row < 1 || address.row > kMaxRows || address.column < 1 || address.column > kMaxColumns)
        return std::nullopt;
    return address;
}

std::unique_ptr<Workbook> Workbook::load(Package& package, std::string& error)
{
    auto partName = package.packageTarget("/officeDocument", error);
    if (!partName)
        return nullptr;
    auto* xml = package.xml(*partName, error);
    if (!xml)
        return nullptr;
    auto workbook = childNamed(*xml, "workbook");
    if (!workbook) {
        error = "no workbook in " + *partName;
        return nullptr;
    }
    std::unique_ptr<Workbook> book(new Workbook(package));
    std::string ignored;
    if (auto strings = package.relationshipOfType(*partName, "/sharedStrings", ignored)) {
        const bool wasOpen = package.isOpen(*strings);  // e.g. the workbook part itself
        auto* table = package.xml(*strings, error);
        if (!table)
            return nullptr;
        book->m_sharedStringsPart = *strings;
        const auto root = childNamed(*table, "sst");
        book->m_hasSharedTable = static_cast<bool>(root);
        book->m_sharedPrefix = prefixOf(root);
        for (auto item : root.children()) {
            if (localName(item) == "si") {
                book->m_shared->text += stringItemText(item);
                book->m_shared->ends.push_back(book->m_shared->text.size());
            }
        }
        book->m_firstNew = book->m_committed = book->m_shared->ends.size();
        if (!wasOpen)
            package.release(*strings);
    }
    const auto targets = package.relationshipsOf(*partName, error);
    // Every sheet is checked now, so that a broken one fails the load; each is let go again
    // but the last, which a workbook of one sheet would otherwise read twice.
    std::string held;
    for (auto sheet : childNamed(workbook, "sheets").children()) {
        if (localName(sheet) != "sheet")
            continue;
        std::string relId;
        for (auto attribute : sheet.attributes())
            if (std::string_view(attribute.name()).ends_with(":id"))
                relId = attribute.value();
        const auto target = targets.find(relId);
        if (target == targets.end()) {
            error = "a sheet of " + *partName + " has no part";
            return nullptr;
        }
        if (!held.empty())
            package.release(std::exchange(held, std::string()));
        const bool wasOpen = package.isOpen(target->second);
        auto* part = package.xml(target->second, error);
        if (!part)
            return nullptr;
        // Chart sheets and dialog sheets are no worksheets.
        if (childNamed(*part, "worksheet"))
            book->m_sheets.push_back(target->second);
        if (!wasOpen)
            held = target->second;
    }
    if (!held.empty()) {
        if (!book->m_sheets.empty() && book->m_sheets.back() == held)
            book->m_open = book->m_sheets.size() - 1;
        else
            package.release(held);
    }
    return book;
}

pugi::xml_node Workbook::worksheet(std::size_t sheet)
{
    if (sheet >= m_sheets.size())
        return {};
    if (m_open != sheet && m_open < m_sheets.size())
        m_package.release(m_sheets[m_open]);
    m_open = sheet;
    std::string error;
    auto* document = m_package.xml(m_sheets[sheet], error);
    return document ? childNamed(*document, "worksheet") : pugi::xml_node();
}

bool Workbook::contentProtected(std::size_t sheet)
{
    if (sheet >= m_sheets.size())
        return false;
    auto protection = childNamed(worksheet(sheet), "sheetProtection");
    return protection && isTrue(protection.attribute("sheet").value());
}

std::vector<Workbook::Cell> Workbook::cells(std::size_t sheet)
{
    std::vector<Cell> out;
    if (sheet >= m_sheets.size())
        return out;
    std::uint32_t row = 0;
    for (auto rowNode : childNamed(worksheet(sheet), "sheetData").children()) {
        if (localName(rowNode) != "row")
            continue;
        std::uint32_t number = rowNode.attribute("r").as_uint(row + 1);
        if (number < 1 || number > kMaxRows)
            continue;
        row = number;
        std::uint32_t column = 0;
        for (auto cell : rowNode.children()) {
            if (localName(cell) != "c")
                continue;
            CellAddress address{row, column + 1};
            if (const char* reference = cell.attribute("r").value(); *reference) {
                auto parsed = parseCellReference(reference);
                if (!parsed)
                    continue;
                address = *parsed;
            }
            if (address.column > kMaxColumns)
                continue;
            column = address.column;
            out.push_back({cell, address});
        }
    }
    std::stable_sort(out.begin(), out.end(), [](const Cell& a, const Cell& b) {
        return a.address.row != b.address.row ? a.address.row < b.address.row : a.address.column < b.address.column;
    });
    return out;
}

std::optional<Workbook::Range> Workbook::usedRange(std::size_t sheet)
{
    const auto all = cells(sheet);
    if (all.empty())
        return std::nullopt;
    Range range{all.front().address, all.front().address};
    for (const auto& cell : all) {
        range.first.row = std::min(range.first.row, cell.address.row);
        range.first.column = std::min(range.first.column, cell.address.column);
        range.last.row = std::max(range.last.row, cell.address.row);
        range.last.column = std::max(range.last.column, cell.address.column);
    }
    return range;
}

Workbook::Kind Workbook::kind(const Cell& cell) const
{
    if (childNamed(cell.node, "f"))
        return Kind::Formula;
    const std::string_view type = cell.node.attribute("t").value();
    if (type == "s" || type == "inlineStr" || type == "str")
        return stringValue(cell) ? Kind::String : Kind::Other;
    if (!childNamed(cell.node, "v"))
        return Kind::Empty;
    if (type.empty() || type == "n")
        return Kind::Number;
    return Kind::Other;
}

std::optional<std::string> Workbook::stringValue(const Cell& cell) const
{
    if (childNamed(cell.node, "f"))
        return std::nullopt;
    const std::string_view type = cell.node.attribute("t").value();
    if (type == "inlineStr")
        return stringItemText(childNamed(cell.node, "is"));
    if (type == "str")
        return std::string(childNamed(cell.node, "v").text().get());
    if (type != "s")
        return std::nullopt;
    auto value = childNamed(cell.node, "v");
    if (!value)
        return std::nullopt;
    const std::string_view digits = value.text().get();
    std::size_t index = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), index);
    if (ec != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    const auto text = sharedString(index);
    return text ? std::optional<std::string>(*text) : std::nullopt;
}

std::optional<std::string_view> Workbook::sharedString(std::size_t index) const
{
    const auto& ends = m_shared->ends;
    if (index >= ends.size())
        return std::nullopt;
    const std::size_t begin = index == 0 ? 0 : ends[index - 1];
    return std::string_view(m_shared->text).substr(begin, ends[index] - begin);
}

void Workbook::setString(std::size_t sheet, const Cell& cell, std::string_view utf8)
{
    if (sheet >= m_sheets.size())
        return;
    const std::string prefix = prefixOf(cell.node);
    const std::string_view type = cell.node.attribute("t").value();
    if (type == "s" && m_hasSharedTable) {
        m_shared->text += utf8;
        m_shared->ends.push_back(m_shared->text.size());
        childNamed(cell.node, "v").text().set(static_cast<unsigned long long>(m_shared->ends.size() - 1));
    } else {
        pugi::xml_node node = cell.node;
        for (auto child = node.first_child(); child;) {
            auto next = child.next_sibling();
            const auto name = localName(child);
            if (name == "v" || name == "is")
                node.remove_child(child);
            child = next;
        }
        auto type = node.attribute("t");
        if (!type)
            type = node.append_attribute("t");
        type.set_value("inlineStr");
        setStringItem(node.append_child((prefix + "is").c_str()), prefix, utf8);
    }
    m_package.markChanged(m_sheets[sheet]);
}

bool Workbook::commit(std::string& error)
{
    const std::size_t count = m_shared->ends.size();
    if (count == m_committed)
        return true;
    // The sheet is let go first, so that its document and the table's are not held at once.
    if (m_open < m_sheets.size())
        m_package.release(m_sheets[m_open]);
    m_open = static_cast<std::size_t>(-1);
    auto* table = m_package.xml(m_sharedStringsPart, error);
    if (!table)
        return false;
    auto root = childNamed(*table, "sst");
    if (!root) {
        error = "no shared string table in " + m_sharedStringsPart;
        return false;
    }
    if (auto unique = root.attribute("uniqueCount"))
        unique.set_value(static_cast<unsigned long long>(count));
    const std::string prefix = m_sharedPrefix;
    auto strings = m_shared;
    const std::size_t first = m_firstNew;
    // One item made as a fresh one would be, its text replaced for each string.
    auto scratch = std::make_shared<pugi::xml_document>();
    auto model = scratch->append_child((prefix + "si").c_str());
    setStringItem(model, prefix, "");
    auto item = [strings, first, scratch, model](std::size_t index, std::string& out) {
        const auto& ends = strings->ends;
        if (first + index >= ends.size())
            return false;
        const std::size_t begin = first + index == 0 ? 0 : ends[first + index - 1];
        const std::string text = strings->text.substr(begin, ends[first + index] - begin);
        model.first_child().text().set(text.c_str());
        printNode(model, out);
        return true;
    };
    if (root == table->document_element()) {
        // Written as the table is saved: ten thousand new strings need no document nodes.
        m_package.appendAtSave(m_sharedStringsPart, std::move(item));
    } else {
        for (std::size_t index = m_committed; index < count; ++index) {
            const std::size_t begin = index == 0 ? 0 : m_shared->ends[index - 1];
            setStringItem(root.append_child((prefix + "si").c_str()), prefix,
                          std::string_view(m_shared->text).substr(begin, m_shared->ends[index] - begin));
        }
    }
    m_package.markChanged(m_sharedStringsPart);
    m_committed = count;
    return true;
}

} // namespace yv::docmorph
