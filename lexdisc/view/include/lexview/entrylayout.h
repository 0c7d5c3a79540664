// An entry on the display: lines with indents and wrapping, the key's occurrences, the
// clickable items, hit tests and the text a copy takes.
#pragma once

#include <book/displaymodel.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace yv::lexview {

// What a cell carries from the model's ranges.
namespace CellStyle {
inline constexpr std::uint8_t HalfWidth = 0x01;
inline constexpr std::uint8_t Subscript = 0x02;
inline constexpr std::uint8_t Superscript = 0x04;
inline constexpr std::uint8_t Emphasis = 0x08;
inline constexpr std::uint8_t NoBreak = 0x10;
inline constexpr std::uint8_t NoWrap = 0x20;
inline constexpr std::uint8_t Clickable = 0x40;
} // namespace CellStyle

// The font a cell is drawn with: narrow for double-byte characters of a half-width range,
// small for subscripts and superscripts.
enum class CellFont : std::uint8_t { Normal, Narrow, Small };

CellFont fontOf(const book::DisplayCell& cell, std::uint8_t style);

// The widths the display's fonts give; external characters are as wide as their glyphs are
// drawn.
class CellMetrics {
public:
    virtual ~CellMetrics() = default;
    virtual int width(const book::DisplayCell& cell, CellFont font) const = 0;
    virtual int spaceWidth() const = 0;
    virtual int lineHeight() const = 0;
};

// A line is wrapped before it passes the client width less this margin.
inline constexpr int kRightMargin = 20;

struct CellBox {
    int x = 0;
    int y = 0;  // top of the cell's line
    int width = 0;
};

struct EntryLayout {
    std::vector<CellBox> boxes;  // one per cell
    std::vector<std::uint8_t> styles;
    int lineHeight = 1;
    int width = 0;   // of the widest line
    int height = 0;  // of all lines
};

// The style of every cell; ranges reaching past the cells are cut at the last one.
std::vector<std::uint8_t> cellStyles(const book::DisplayModel& model);

// A line break starts a line at its indent (in spaces); a cell that would pass the client
// width less the margin starts a line at the current indent, except inside a no-wrap range;
// a no-break range that does not fit on its line moves to the next whole (and is wrapped
// there like other text when it is longer than a line).
EntryLayout layoutEntry(const book::DisplayModel& model, const CellMetrics& metrics, int clientWidth);

// The cell at a point of the layout: on the point's line, the one under x, else the first or
// last of that line; nothing above or below every line.
std::optional<std::size_t> cellAt(const EntryLayout& layout, int x, int y);

// Marks the occurrences of the title in the text: middle dots (･ ・) in the text are passed
// over, single-byte letters compare without case, and the character after an occurrence must
// be a double-byte character or not a letter.
void highlightKey(book::DisplayModel& model, std::string_view sjisTitle);

struct CopiedText {
    std::string sjis;
    bool hadExternal = false;  // an external character became "@"
};

// The text of cells first to last (included): a CR LF wherever the layout starts a new line
// (the entry's own line breaks included), "@" for an external character.
CopiedText copyText(const book::DisplayModel& model, const EntryLayout& layout, std::size_t first, std::size_t last);

enum class ItemKind { None, Reference, CdAudio, Wave, MonochromeGraphic, ColourGraphic };

struct ItemHit {
    ItemKind kind = ItemKind::None;
    std::size_t index = 0;  // into the model's list of that kind
};

// The clickable item a cell belongs to.
ItemHit itemAt(const book::DisplayModel& model, std::size_t cell);

// The Shift_JIS text of cells first to last, external characters counted: for the key a
// double click searches (nothing when it holds an external character).
std::optional<std::string> selectionKey(const book::DisplayModel& model, std::size_t first, std::size_t last);

} // namespace yv::lexview
