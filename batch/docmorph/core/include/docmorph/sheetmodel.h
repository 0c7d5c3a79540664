// A workbook over its worksheet parts: sheets in order, content protection, the used range,
// cells with their kinds, shared and inline strings.
#pragma once

#include "docmorph/package.h"

#include <pugixml.hpp>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace yv::docmorph {

// "A".."Z", "AA".."ZZ", "AAA"... for columns 1, 2, ...
std::string columnName(std::uint32_t column);
// "B7" -> column 2, row 7; nothing for a reference outside the sheet's grid.
struct CellAddress {
    std::uint32_t row = 0;
    std::uint32_t column = 0;
};
std::optional<CellAddress> parseCellReference(std::string_view reference);

class Workbook final {
public:
    // Null with `error` set when the workbook or one of its worksheets cannot be read.
    static std::unique_ptr<Workbook> load(Package& package, std::string& error);

    std::size_t sheetCount() const { return m_sheets.size(); }
    bool contentProtected(std::size_t sheet) const;

    struct Cell {
        pugi::xml_node node;
        CellAddress address;
    };
    // The sheet's cells in row order, then column order.
    std::vector<Cell> cells(std::size_t sheet) const;
    struct Range {
        CellAddress first;
        CellAddress last;
    };
    // The smallest range holding every cell of the sheet; nothing for an empty sheet.
    std::optional<Range> usedRange(std::size_t sheet) const;

    enum class Kind { Empty, Number, String, Formula, Other };
    Kind kind(const Cell& cell) const;
    // The text of a string cell that is no formula.
    std::optional<std::string> stringValue(const Cell& cell) const;
    // Gives the cell a string of its own (a shared string may be used by other cells, so it
    // is never changed in place); the cell keeps its style.
    void setString(std::size_t sheet, const Cell& cell, std::string_view utf8);

private:
    explicit Workbook(Package& package) : m_package(package) {}
    struct Sheet {
        std::string partName;
        pugi::xml_node worksheet;
    };
    Package& m_package;
    std::vector<Sheet> m_sheets;
    std::string m_sharedStringsPart;
    pugi::xml_node m_sharedStringTable;
    std::vector<pugi::xml_node> m_sharedStrings;
};

} // namespace yv::docmorph
