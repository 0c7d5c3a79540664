// The add-in's text rules without Qt: engine requests and their answers, the direction of a
// text, what goes to the clipboard, and the spreadsheet selection's grid of cells.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace yv::addin {

// A request to the engine: a text answered in one piece, a text file, an HTML file.
enum class RequestKind { Text = 1, TextFile = 2, HtmlFile = 3 };

// The engine topic of a request kind.
std::string_view topicOf(RequestKind kind);

// The bytes poked to the engine: CP932 text, or the file names separated by TABs (the HTML
// request adds two fixed fields), each with its terminating NUL.
std::string requestData(RequestKind kind, std::string_view cp932Text, std::string_view source,
                        std::string_view result);

// Direction of a text request: 2 (Japanese to English) as soon as a CP932 lead byte occurs,
// else 1.
int textDirection(std::string_view cp932);

// What a file job's advise data says: progress (0..100), the end, or nothing usable.
struct FileJobAnswer {
    bool ended = false;
    std::optional<int> percent;
};
FileJobAnswer readFileJobAnswer(std::string_view data);

// A text translation for the clipboard: trailing line ends removed and every line end inside
// (CR LF, and a lone CR or LF as well) one blank, so that a cell's translation stays on its row.
std::string clipboardTextOfTranslation(std::string_view text);

// A result file for the clipboard: each line end (CR LF, LF, or a lone CR) written as CR LF.
std::string clipboardTextOfFile(std::string_view bytes);

// The spreadsheet selection: rows of cells of equal length, each cell its displayed text.
using CellGrid = std::vector<std::vector<std::string>>;

// Most cells a selection may hand over: each cell is one engine request.
inline constexpr std::size_t kMaxCells = 65536;

// The grid as the office side hands it over: cells separated by TAB, rows ended by LF, and
// inside a cell "\\", "\t", "\n" and "\r" stand for a backslash, TAB, LF and CR. Short rows are
// padded with empty cells. Nothing for malformed input or more than kMaxCells cells.
std::optional<CellGrid> parseCellGrid(std::string_view text);
// The inverse, for the office side and for tests.
std::string formatCellGrid(const CellGrid& grid);

bool allCellsEmpty(const CellGrid& grid);

// The clipboard text of translated cells: TAB between the cells of a row, CR LF after every row.
std::string gridClipboardText(const CellGrid& translated);

} // namespace yv::addin
