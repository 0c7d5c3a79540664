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

// One worksheet is held in memory at a time: nodes of a sheet stay valid until another one
// is asked for. The shared strings are kept as text, not as a document.
class Workbook final {
public:
    // Null with `error` set when the workbook or one of its worksheets cannot be read.
    static std::unique_ptr<Workbook> load(Package& package, std::string& error);

    std::size_t sheetCount() const { return m_sheets.size(); }
    bool contentProtected(std::size_t sheet);

    struct Cell {
        pugi::xml_node node;
        CellAddress address;
    };
    // The sheet's cells in row order, then column order.
    std::vector<Cell> cells(std::size_t sheet);
    struct Range {
        CellAddress first;
        CellAddress last;
    };
    // The smallest range holding every cell of the sheet; nothing for an empty sheet.
    std::optional<Range> usedRange(std::size_t sheet);

    enum class Kind { Empty, Number, String, Formula, Other };
    Kind kind(const Cell& cell) const;
    // The text of a string cell that is no formula.
    std::optional<std::string> stringValue(const Cell& cell) const;
    // Gives the cell a string of its own (a shared string may be used by other cells, so it
    // is never changed in place); the cell keeps its style.
    void setString(std::size_t sheet, const Cell& cell, std::string_view utf8);
    // Puts the strings given to cells into the shared string table, written as the package is
    // saved. Called once the cells are written, before saving; false when the table cannot be
    // opened again.
    bool commit(std::string& error);

private:
    explicit Workbook(Package& package) : m_package(package) {}
    // The sheet's worksheet element, its part opened (and the sheet held before let go).
    pugi::xml_node worksheet(std::size_t sheet);
    std::optional<std::string_view> sharedString(std::size_t index) const;

    Package& m_package;
    std::vector<std::string> m_sheets;  // part names
    std::size_t m_open = static_cast<std::size_t>(-1);
    std::string m_sharedStringsPart;
    bool m_hasSharedTable = false;
    std::string m_sharedPrefix;
    // The table's strings one after another and where each ends (shared with the save, which
    // writes the new ones, from m_firstNew on).
    struct SharedStrings {
        std::string text;
        std::vector<std::size_t> ends;
    };
    std::shared_ptr<SharedStrings> m_shared = std::make_shared<SharedStrings>();
    std::size_t m_firstNew = 0;
    std::size_t m_committed = 0;  // strings in the table's document or handed to the save
};

} // namespace yv::docmorph
