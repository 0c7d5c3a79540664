// Word choice: the unit, the replacement and the registration steps.
#include <editorcore/wordchoice.h>

#include <editorcore/messages.h>

#include <etccore/direction.h>
#include <platform/codec.h>

#include <algorithm>

namespace yv::editor {

int wordDirection(std::string_view cp932)
{
    const bool japanese = std::any_of(cp932.begin(), cp932.end(),
                                      [](char c) { return codec::isLeadByte(static_cast<unsigned char>(c)); });
    return japanese ? etc::kDirectionJE : etc::kDirectionEJ;
}

std::optional<WordChoiceUnit> selectWordChoiceUnit(TransDoc& doc, Side side)
{
    EditPane& here = doc.pane(side);
    const std::uint16_t pair = here.currentPair();
    if (pair == 0) {
        messages::warn(messages::kNoWordChoice);
        return std::nullopt;
    }
    EditPane& other = doc.pane(side == Side::Source ? Side::Translation : Side::Source);
    here.selectPair(pair);
    other.selectPair(pair);
    if (other.hasSelection())
        other.scrollToCell(static_cast<std::size_t>(other.selFirst()));

    WordChoiceUnit unit;
    unit.pair = pair;
    const EditPane& source = doc.source();
    if (source.hasSelection())
        unit.tag = source.store()[static_cast<std::size_t>(source.selFirst())].tag;
    unit.source = source.selectionText();
    unit.translation = doc.translation().selectionText();
    return unit;
}

bool applyWordChoice(TransDoc& doc, const WordChoiceUnit& unit, std::string_view cp932)
{
    EditPane& translation = doc.translation();
    if (!translation.hasSelection() || !translation.replaceUnit(cp932))
        return false;
    // The translation pane's own cells carry no tag; the unit keeps its source's.
    for (auto i = static_cast<std::size_t>(translation.selFirst()); i <= static_cast<std::size_t>(translation.selLast()); ++i)
        translation.store()[i].tag = unit.tag;
    doc.modified = true;
    return true;
}

std::string headwordToRegister(std::string_view firstColumn)
{
    const std::size_t start = firstColumn.find_first_not_of("<>");
    if (start == std::string_view::npos)
        return {};
    firstColumn.remove_prefix(start);
    return std::string(firstColumn.substr(0, firstColumn.find_first_of("<>")));
}

Registration registerWord(RegistrationHost& host, std::string_view cp932Word)
{
    if (host.engineBusy()) {
        messages::warn(messages::kEngineBusy);
        return Registration::EngineBusy;
    }
    int direction = 0;
    if (!cp932Word.empty()) {
        if (cp932Word.size() > kMaxHeadwordBytes) {
            messages::warn(messages::kHeadwordTooLong);
            return Registration::TooLong;
        }
        direction = wordDirection(cp932Word);
    } else {
        direction = host.askDictionaryDirection();
        if (direction != etc::kDirectionEJ && direction != etc::kDirectionJE)
            return Registration::Cancelled;
    }
    const bool ej = direction == etc::kDirectionEJ;
    // An empty setting names no dictionary either: the engine could do nothing with it.
    const std::optional<std::string> dictionary = host.userDictionary(direction);
    if (!dictionary || dictionary->empty()) {
        messages::warn(ej ? messages::kNoUserDictionaryEJ : messages::kNoUserDictionaryJE);
        return Registration::NoDictionary;
    }
    if (!host.openRegistration(direction, cp932Word, *dictionary)) {
        messages::warn(ej ? messages::kCannotConnectEJ : messages::kCannotConnectJE);
        host.registrationFailed();
        return Registration::NotConnected;
    }
    return Registration::Opened;
}

} // namespace yv::editor
