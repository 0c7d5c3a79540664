// Word choice and word registration without their dialogs: the unit to choose for, the
// replacement of its translation, and the registration's checks in order.
#pragma once

#include "transdoc.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace yv::editor {

// Longest headword the engines' user dictionaries take, in bytes.
inline constexpr std::size_t kMaxHeadwordBytes = 125;

// The direction of a look-up or registration: JE when the text holds a CP932 lead byte.
int wordDirection(std::string_view cp932);

struct WordChoiceUnit {
    std::uint16_t pair = 0;
    std::uint8_t tag = 0;     // of the first selected source character
    std::string source;       // CP932, line breaks as CR LF
    std::string translation;
};

// The unit at the start of the selection (or the caret) of `side`, selected in both panes.
// Nothing, after the message, when that character belongs to no unit.
std::optional<WordChoiceUnit> selectWordChoiceUnit(TransDoc& doc, Side side);

// "選択": the translation pane's selected unit becomes `cp932` (undoable), keeping the unit's
// pair number and source tag; the new text is selected and the document modified.
bool applyWordChoice(TransDoc& doc, const WordChoiceUnit& unit, std::string_view cp932);

// "訳語追加": the first piece of a list text cut at "<" and ">" ("<run>" gives "run").
std::string headwordToRegister(std::string_view firstColumn);

// What a registration needs from the program: the busy flag, the direction question, the
// engine settings and the engine link.
class RegistrationHost {
public:
    virtual ~RegistrationHost() = default;
    virtual bool engineBusy() const = 0;
    // "日英/英日の選択": 1 EJ, 2 JE, 0 when cancelled.
    virtual int askDictionaryDirection() = 0;
    // "DIC1" of the direction's engine key; nothing when that key cannot be opened.
    virtual std::optional<std::string> userDictionary(int direction) = 0;
    // Opens the engine's registration through the document's link; false when not reached.
    virtual bool openRegistration(int direction, std::string_view cp932Word, std::string_view dictionary) = 0;
    // The editor's end-of-run steps after an engine could not be reached.
    virtual void registrationFailed() = 0;
};

enum class Registration { Opened, EngineBusy, TooLong, Cancelled, NoDictionary, NotConnected };

// Registers `cp932Word` (empty: asks for the direction) with the messages of each failure.
Registration registerWord(RegistrationHost& host, std::string_view cp932Word);

} // namespace yv::editor
