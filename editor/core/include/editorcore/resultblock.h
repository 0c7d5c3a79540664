// The strings the engine link's callback hands to the editor: result blocks, the end mark
// and untranslatable sentences.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace yv::editor {

inline constexpr std::string_view kEndMark = "$$$";

// One translated sentence or piece of a result block.
struct ResultLine {
    std::string text;              // field 1, CP932
    std::uint8_t tag = 0;          // field 2
    std::size_t sourceLength = 0;  // byte length of field 3
    long offset = -1;              // field 4; -1 when missing or not a number
    long length = -1;              // field 5; -1 when missing or not a number
};

enum class CallbackKind { EndMark, Results, Untranslatable, Ignored };

struct CallbackMessage {
    CallbackKind kind = CallbackKind::Ignored;
    std::vector<ResultLine> lines;     // Results
    std::size_t sourceLength = 0;      // Untranslatable: the sentence without its line feed
};

CallbackMessage parseCallback(std::string_view text);

} // namespace yv::editor
