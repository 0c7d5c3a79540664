// Printing as pure layout: header and footer codes, margins, the two body columns, wrapping
// and paging, in device units. The window draws what this places.
#pragma once

#include "cellstore.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace yv::editor {

enum class PrintAlign : int { Left = 76, Centre = 67, Right = 82 };
enum class PrintWay : int { SideBySide = 1, TranslationOnly = 2 };

// The stored print settings ("プリント設定").
struct PrintSettings {
    int marginTop = 35;     // millimetres
    int marginBottom = 25;
    int marginLeft = 15;
    int marginRight = 15;
    PrintWay way = PrintWay::SideBySide;
    std::string header;     // UTF-8, with codes
    std::string footer;
    PrintAlign headerAlign = PrintAlign::Centre;
    PrintAlign footerAlign = PrintAlign::Centre;
    std::string fontName = "ＭＳ ゴシック";
    int fontSize = 10;      // points
};

// Limits of the stored values: the margins' spin range, and font sizes a page can hold.
inline constexpr int kMaxMarginMillimetres = 32767;
inline constexpr int kMinFontPoints = 1;
inline constexpr int kMaxFontPoints = 500;

// A number stored as decimal text ("35"): `fallback` when the text is not a number, else
// held within [low, high] (so a negative margin reads as 0).
int parseStoredNumber(std::string_view text, int fallback, int low, int high);
// Stored alignment codes and print ways; unknown values read as the defaults.
PrintAlign printAlignFromStored(std::uint32_t code);
PrintWay printWayFromStored(std::uint32_t code);

struct PrintDevice {
    int dpiX = 600;
    int dpiY = 600;
    int width = 0;           // printable area, device units
    int height = 0;
    int unprintableLeft = 0; // the printer's own margins, device units
    int unprintableTop = 0;
    int unprintableRight = 0;
    int unprintableBottom = 0;
};

class PrintMetrics {
public:
    virtual ~PrintMetrics() = default;
    virtual int advance(std::uint8_t lead, std::uint8_t trail) const = 0;
    virtual int textWidth(std::string_view utf8) const = 0;
    virtual int height() const = 0;
    virtual int externalLeading() const = 0;
    virtual int maxCharWidth() const = 0;
};

// The moment printing began, for "&D" and "&T".
struct PrintClock {
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
};

// "&D" " M月 D日", "&T" "H:MM", "&P" the page number, "&F" the title; "&" with any other
// character (or none) is dropped.
std::string expandPrintCodes(std::string_view text, int page, std::string_view title, const PrintClock& clock);

struct PlacedChar {
    int column = 0;          // 0 source, 1 translation
    std::size_t cell = 0;
    int x = 0;
    int y = 0;
};

struct PlacedText {
    std::string text;
    int x = 0;
    int y = 0;
};

struct PrintPage {
    std::optional<PlacedText> header;
    std::optional<PlacedText> footer;
    std::vector<PlacedChar> chars;
};

struct PrintLayout {
    int left = 0, top = 0, right = 0, bottom = 0;  // body area after margins, header and footer
    int linePitch = 0;
    std::vector<PrintPage> pages;                  // at least one
};

PrintLayout layoutPrint(const CellStore& source, const CellStore& translation, const PrintSettings& settings,
                        const PrintDevice& device, const PrintMetrics& metrics, std::string_view title,
                        const PrintClock& clock);

} // namespace yv::editor
