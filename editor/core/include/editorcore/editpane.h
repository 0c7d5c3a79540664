// One pane of the editor without its window: the store, caret, selection, layout, editing,
// undo and the clipboard rules. The window draws it and forwards input.
#pragma once

#include "cellstore.h"
#include "fontmetrics.h"
#include "pairblock.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace yv::editor {

// Layout margins: text starts at (2, 2) and a line ends before the width minus 4.
inline constexpr int kTextLeft = 2;
inline constexpr int kTextTop = 2;
inline constexpr int kRightReserve = 4;
inline constexpr int kWheelLines = 3;

enum class DoubleClickResult { Nothing, PairMark, Selected };

struct CutResult {
    std::string text;     // CP932, line breaks as CR LF
    PairBlock pairBlock;
};

class EditPane final {
public:
    explicit EditPane(const FontMetrics& metrics);

    CellStore& store() { return *m_store; }
    const CellStore& store() const { return *m_store; }
    std::size_t length() const { return m_store->length(); }
    const FontMetrics& metrics() const { return m_metrics; }

    // The pane's window handle: part of the clipboard's pair block.
    void setWindow(std::uint32_t window) { m_window = window; }
    std::uint32_t window() const { return m_window; }

    // Called after every change of the text (the document sets its modified flag).
    std::function<void()> onModified;
    // Called when the store is full (the window beeps).
    std::function<void()> onBeep;

    // Geometry, layout and scrolling.
    void setClientSize(int width, int height);
    int clientWidth() const { return m_clientWidth; }
    int clientHeight() const { return m_clientHeight; }
    int lineHeight() const { return m_lineHeight; }
    void layout();
    // Lays out again from the line where a change at `changed` can first show; the cells
    // before it must have been laid out at the present width.
    void layoutAfterChangeAt(std::size_t changed);
    int textHeight() const { return m_store->lineCount * m_lineHeight + 4; }
    int scrollRange() const;  // in lines
    int topLine() const { return m_topLine; }
    int lineOffset() const { return m_topLine * m_lineHeight; }
    void scrollTo(int line);
    void scrollBy(int lines) { scrollTo(m_topLine + lines); }
    // Positive notches scroll towards the start of the text.
    void scrollByWheel(int notches) { scrollBy(-notches * kWheelLines); }
    int pageLines() const;
    void scrollToCell(std::size_t cell);
    int lineOf(std::size_t cell) const;
    // The cell under a point of the text (text coordinates); the terminator beyond the text.
    std::size_t cellAt(int x, int y) const;

    // Caret and selection.
    std::size_t caret() const { return m_caret; }
    bool hasSelection() const { return m_selFirst >= 0; }
    int selFirst() const { return m_selFirst; }
    int selLast() const { return m_selLast; }
    void setCaret(std::size_t cell);
    void select(std::size_t first, std::size_t last);
    void clearSelection();
    void selectPair(std::uint16_t pair);
    // The pair number the pair mark and word choice act on: the first selected cell's, or
    // the caret cell's.
    std::uint16_t currentPair() const;

    void moveRight(bool extend);
    void moveLeft(bool extend);
    void moveUnitRight(bool extend);
    void moveUnitLeft(bool extend);
    void moveDown(bool extend);
    void moveUp(bool extend);
    void moveHome(bool extend);
    void moveEnd(bool extend);

    void click(std::size_t cell);
    void dragTo(std::size_t cell);
    DoubleClickResult doubleClick(std::size_t cell);

    // Editing. Each returns false when nothing changed.
    bool insert(std::string_view cp932, std::uint16_t pair, std::uint8_t tag, bool withUndo);
    bool insertChars(const std::vector<CellChar>& chars, bool withUndo);
    bool insertFromOutside(std::string_view cp932);
    bool typeCharacter(char c);
    bool insertComposition(std::string_view cp932);
    bool insertLineBreak();
    bool deleteSelection();
    bool deleteForward();
    bool deleteBackward();
    bool undo();
    // Word choice: the selected unit replaced by `cp932` (undoable); the new characters keep
    // the pair number and tag of the first selected cell and become the selection.
    bool replaceUnit(std::string_view cp932);
    void clearAll();
    void moveCaretToEnd() { setCaret(length()); }

    // Clipboard: the text of the selection, and the cut with its pair block.
    std::string selectionText() const;
    CutResult cut();
    // Inserts clipboard text; the block's pair numbers go to the new cells when it came from
    // this pane. Returns true when the block was used (it must then be withdrawn).
    bool paste(std::string_view cp932, const PairBlock* block);

    // Replaces the whole text without measuring per insertion (file reading).
    void setText(const std::vector<CellChar>& chars);

    // Cells for `chars` with their widths measured in the pane's font.
    std::vector<TextCell> makeCells(const std::vector<CellChar>& chars) const;
    // False (after the beep and the message) when `added` more cells would not fit.
    bool checkRoom(std::size_t added);
    bool hasRoomFor(std::size_t added) const;
    void reportStoreFull();
    void changed();

private:
    void eraseRange(std::size_t first, std::size_t count);
    void moveCaret(std::size_t to, bool extend);
    void layoutLinesFrom(std::size_t lineStart, int lineY);

    const FontMetrics& m_metrics;
    std::unique_ptr<CellStore> m_store;
    std::uint32_t m_window = 0;
    int m_lineHeight;
    int m_clientWidth = 500;
    int m_clientHeight = 300;
    int m_topLine = 0;
    std::size_t m_caret = 0;
    std::size_t m_anchor = 0;
    int m_selFirst = -1;
    int m_selLast = -1;
};

} // namespace yv::editor
