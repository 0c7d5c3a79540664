// The character store of one pane: a fixed array of cells ended by a terminator cell, and
// its one-level undo copy.
#pragma once

#include <platform/codec.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace yv::editor {

// One character of a pane.
struct TextCell {
    std::int32_t x = 0;       // left edge, set by layout
    std::int32_t y = 0;       // top of the line from the top of the text, set by layout
    std::uint8_t width = 0;   // advance width; 0 for a line break
    std::uint8_t lead = 0;    // single byte or CP932 lead byte; 0 in the terminator
    std::uint8_t trail = 0;   // trail byte of a double-byte character, else 0
    std::uint16_t pair = 0;   // sentence pair number; 0 = none
    std::uint8_t tag = 0;     // the engine's per-sentence value
    std::uint32_t flags = 0;  // kCellSelected
};

inline constexpr std::uint32_t kCellSelected = 1u;
inline constexpr std::uint8_t kLineBreak = 0x0A;

// Cells of a store, the terminator included: a pane holds at most 65,535 characters.
inline constexpr std::size_t kStoreCells = 65536;
inline constexpr std::size_t kMaxCharacters = kStoreCells - 1;

// Stored lead bytes always come with their trail byte (the normaliser and the file reader
// see to it), so the lead-byte test decides.
constexpr bool isDoubleByte(const TextCell& cell) { return codec::isLeadByte(cell.lead); }
constexpr bool isLineBreak(const TextCell& cell) { return cell.lead == kLineBreak; }
constexpr std::size_t byteCount(const TextCell& cell) { return isDoubleByte(cell) ? 2 : 1; }

// The character part of a cell, as a normaliser or a file reader produces it.
struct CellChar {
    std::uint8_t lead = 0;
    std::uint8_t trail = 0;
    std::uint16_t pair = 0;
    std::uint8_t tag = 0;
};

class CellStore final {
public:
    CellStore();

    // Identity of this store for the clipboard's pair block; unique within the process and
    // unlikely to meet another process's.
    std::uint32_t identity() const { return m_identity; }

    // Characters before the terminator.
    std::size_t length() const { return m_length; }
    const TextCell& operator[](std::size_t i) const { return cells[i]; }
    TextCell& operator[](std::size_t i) { return cells[i]; }

    // Replaces cells [first, first + removed) by `added`; the caller has checked the limit.
    void replace(std::size_t first, std::size_t removed, const std::vector<TextCell>& added);
    // Empties text, selection flags and the undo copy.
    void clear();

    void takeUndoCopy(int caret);
    bool canUndo() const { return undoCaret >= 0; }
    // Restores the undo copy and returns its caret; the copy is then empty.
    int restoreUndoCopy();
    void dropUndoCopy();

    // The text's bytes in order, line breaks as 0x0A.
    std::string bytes(std::size_t first, std::size_t last) const;
    std::string bytes() const { return bytes(0, m_length); }

    std::vector<TextCell> cells;
    std::vector<TextCell> undoCells;
    int undoCaret = -1;
    int lineCount = 0;

private:
    std::uint32_t m_identity;
    std::size_t m_length = 0;
    std::size_t m_undoLength = 0;
};

} // namespace yv::editor
