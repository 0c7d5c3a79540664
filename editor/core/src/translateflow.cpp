// The translate command's run: start, result blocks, untranslatable sentences, end and stop.
#include <editorcore/translateflow.h>

#include <editorcore/insertion.h>
#include <editorcore/messages.h>

#include <etccore/direction.h>
#include <platform/codec.h>
#include <platform/textutil.h>

#include <algorithm>

namespace yv::editor {

namespace {

constexpr long kMaxLinkOffset = 65535;

bool startsWithPunctuation(std::string_view text)
{
    return !text.empty() && std::string_view("!,.:?").find(text.front()) != std::string_view::npos;
}

bool isArticle(std::string_view text)
{
    return text::equalsIgnoringAsciiCase(text, "a") || text::equalsIgnoringAsciiCase(text, "the");
}

const std::string& untranslatableMark()
{
    static const std::string mark = codec::utf8ToCp932(messages::kUntranslatable) + "\n";
    return mark;
}

} // namespace

bool isTranslatable(const CellStore& source)
{
    for (std::size_t i = 0; i < source.length(); ++i) {
        const TextCell& c = source[i];
        const bool blank = c.lead == ' ' || (c.lead == 0x81 && c.trail == 0x40);
        if (!blank)
            return true;
    }
    return false;
}

bool TranslateFlow::canTranslate() const
{
    return isTranslatable(m_doc.source().store()) && !m_host.engineBusy() && !m_doc.run.translating;
}

bool TranslateFlow::canStop() const
{
    return isTranslatable(m_doc.source().store()) && (m_host.engineBusy() || m_doc.run.translating);
}

bool TranslateFlow::start()
{
    EditPane& source = m_doc.source();
    EditPane& translation = m_doc.translation();
    if (!isTranslatable(source.store()))
        return false;
    if (m_host.engineBusy()) {
        messages::warn(messages::kEngineBusy);
        return false;
    }
    RunState& run = m_doc.run;
    run.translating = true;
    run.awaitingEndMark = true;
    m_host.setEngineBusy(true);
    run.holdsBusyFlag = true;
    for (std::size_t i = 0; i < source.length(); ++i)
        source.store()[i].pair = 0;
    source.clearSelection();
    if (translation.length() > 0) {
        translation.select(0, translation.length() - 1);
        translation.deleteSelection();
    }
    m_host.runStarted();

    const std::string text = source.store().bytes();
    int direction = m_host.directionSetting();
    if (direction != etc::kDirectionEJ && direction != etc::kDirectionJE)
        direction = etc::textDirection(text);
    run.runDirection = direction;
    run.sourceBytes = text.size();
    run.progressBytes = 0;
    run.haveLastOffset = false;
    run.paneFull = false;
    if (!m_host.startEngine(direction, text)) {
        messages::warn(direction == etc::kDirectionEJ ? messages::kCannotConnectEJ : messages::kCannotConnectJE);
        end();
        return false;
    }
    return true;
}

int TranslateFlow::onCallback(std::string_view text)
{
    const CallbackMessage message = parseCallback(text);
    switch (message.kind) {
    case CallbackKind::EndMark:
        end();
        break;
    case CallbackKind::Results:
        handleResults(message.lines);
        break;
    case CallbackKind::Untranslatable:
        handleUntranslatable(message.sourceLength);
        break;
    case CallbackKind::Ignored:
        break;
    }
    m_host.dispatchPendingMessages();
    return 0;
}

std::uint16_t TranslateFlow::takePairNumber()
{
    // After 65,535 numbers the counter wraps; 0 means "no pair" and is never given out.
    if (++m_doc.run.nextPair == 0)
        ++m_doc.run.nextPair;
    return m_doc.run.nextPair;
}

std::uint16_t TranslateFlow::link(const ResultLine& line, std::uint16_t pair)
{
    if (line.offset < 0 || line.offset > kMaxLinkOffset || line.length < 0 || isArticle(line.text))
        return 0;
    CellStore& s = m_doc.source().store();
    const std::size_t n = s.length();
    std::size_t i = 0;
    for (std::size_t bytes = 0; i < n && bytes < static_cast<std::size_t>(line.offset); ++i)
        bytes += byteCount(s[i]);
    // An offset past the text links to nothing: the line is inserted without a pair.
    if (i >= n)
        return 0;
    if (s[i].pair != 0)
        return s[i].pair;
    std::size_t counted = 0;
    bool marked = false;
    for (; i < n && counted < static_cast<std::size_t>(line.length); ++i) {
        if (isLineBreak(s[i])) {
            if (marked) {
                s[i].pair = pair;
                s[i].tag = line.tag;
            }
            continue;
        }
        s[i].pair = pair;
        s[i].tag = line.tag;
        marked = true;
        counted += byteCount(s[i]);
    }
    return pair;
}

void TranslateFlow::handleResults(const std::vector<ResultLine>& lines)
{
    RunState& run = m_doc.run;
    // A run stopped for a full pane takes nothing more, whatever the engine still sends.
    if (run.paneFull)
        return;
    EditPane& translation = m_doc.translation();
    const bool firstOfLife = !run.resultsStarted;
    if (firstOfLife)
        translation.store().dropUndoCopy();
    run.resultsStarted = true;
    run.atBlockStart = !firstOfLife;
    translation.clearSelection();
    translation.moveCaretToEnd();

    const bool je = run.runDirection == etc::kDirectionJE;
    bool inserted = false;
    for (const ResultLine& line : lines) {
        const std::uint16_t pair = takePairNumber();
        if (je && pair != 1 && !startsWithPunctuation(line.text)) {
            if (!run.atBlockStart && !insertResult(" ", 0))
                break;
            run.atBlockStart = false;
        }
        // Checked before linking, so that no source is linked to a line that is not inserted.
        if (!fitsInTranslation(line.text))
            break;
        const bool sameOffset = !je && run.haveLastOffset && run.lastOffset == line.offset;
        run.lastOffset = line.offset;
        run.haveLastOffset = true;
        const std::uint16_t linked = sameOffset ? 0 : link(line, pair);
        if (insertResult(line.text, linked))
            inserted = true;
        run.progressBytes += line.sourceLength;
    }
    if (!inserted)
        return;
    m_doc.source().layout();
    if (!run.paneFull)
        insertResult("\n", 0);
    m_doc.modified = true;
    if (!run.paneFull)
        reportProgress();
}

void TranslateFlow::handleUntranslatable(std::size_t sourceLength)
{
    if (m_doc.run.paneFull)
        return;
    EditPane& translation = m_doc.translation();
    takePairNumber();
    translation.clearSelection();
    translation.moveCaretToEnd();
    if (!insertResult(untranslatableMark(), 0))
        return;
    m_doc.run.progressBytes += sourceLength;
    m_doc.modified = true;
    reportProgress();
    m_host.showTranslationCaret();
}

bool TranslateFlow::fitsInTranslation(std::string_view text)
{
    if (m_doc.run.paneFull)
        return false;
    if (m_doc.translation().hasRoomFor(normalizeInsertion(text).size()))
        return true;
    stopForFullPane();
    return false;
}

bool TranslateFlow::insertResult(std::string_view text, std::uint16_t pair)
{
    return fitsInTranslation(text) && m_doc.translation().insert(text, pair, 0, false);
}

void TranslateFlow::stopForFullPane()
{
    // One message for the run, not one per result: the run stops and keeps what it inserted.
    m_doc.run.paneFull = true;
    stop();
    m_doc.translation().reportStoreFull();
}

void TranslateFlow::reportProgress()
{
    const RunState& run = m_doc.run;
    const std::size_t total = std::max<std::size_t>(run.sourceBytes, 1);
    m_host.progress(static_cast<int>(std::min<std::size_t>(run.progressBytes * 100 / total, 100)));
}

void TranslateFlow::releaseBusyFlag()
{
    // Only the flag this editor set is cleared: another program's job keeps its own.
    if (m_doc.run.holdsBusyFlag)
        m_host.setEngineBusy(false);
    m_doc.run.holdsBusyFlag = false;
}

void TranslateFlow::end()
{
    endWithoutRun();
    if (m_doc.run.runDirection == etc::kDirectionJE)
        m_host.readTranslationAloud();
}

void TranslateFlow::endWithoutRun()
{
    m_host.runEnded();
    m_doc.run.translating = false;
    m_doc.run.awaitingEndMark = false;
    releaseBusyFlag();
    m_host.closeEngines();
}

void TranslateFlow::stop()
{
    m_host.stopEngines();
    m_host.runStopped();
    m_doc.run.translating = false;
    releaseBusyFlag();
}

} // namespace yv::editor
