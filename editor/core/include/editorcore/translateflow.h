// The translate command: starting a run, filling the translation pane from the engine's
// result blocks with pair numbers that link each sentence to its source, ending and stopping.
#pragma once

#include "resultblock.h"
#include "transdoc.h"

#include <string_view>

namespace yv::editor {

// What the run needs from the program around it: the shared busy flag, the settings, the
// engine links and the status display.
class TranslateHost {
public:
    virtual ~TranslateHost() = default;
    virtual bool engineBusy() const = 0;
    virtual void setEngineBusy(bool busy) = 0;
    // "翻訳方向": 0 automatic, 1 EJ, 2 JE.
    virtual int directionSetting() const = 0;
    // Creates the link of the direction on first use, sets the callback and starts the job;
    // false when the engine cannot be reached.
    virtual bool startEngine(int direction, std::string_view cp932Text) = 0;
    virtual void stopEngines() = 0;       // TransStop on the JE link, then the EJ link
    virtual void closeEngines() = 0;      // DC_TransSTR3 on each link that exists
    virtual void runStarted() = 0;        // panes disabled, "翻訳中...", progress shown at 0
    virtual void progress(int percent) = 0;
    virtual void showTranslationCaret() = 0;
    virtual void runEnded() = 0;          // panes enabled, source focused, "翻訳終了", progress hidden
    virtual void runStopped() = 0;        // "翻訳中止", progress hidden
    virtual void readTranslationAloud() = 0;  // after a JE run, when the voice settings ask for it
    virtual void dispatchPendingMessages() = 0;
};

class TranslateFlow final {
public:
    TranslateFlow(TransDoc& doc, TranslateHost& host) : m_doc(doc), m_host(host) {}

    bool start();
    // The engine link's callback: handles one string and returns 0.
    int onCallback(std::string_view text);
    void stop();
    // The End steps where no run ends (an engine not reached for a registration): display
    // reset and links closed, nothing read aloud.
    void endWithoutRun();

    bool canTranslate() const;
    bool canStop() const;
    // From the start until the end mark: results may still arrive, so the document must stay.
    bool runActive() const { return m_doc.run.translating || m_doc.run.awaitingEndMark; }

private:
    void handleResults(const std::vector<ResultLine>& lines);
    void handleUntranslatable(std::size_t sourceLength);
    std::uint16_t takePairNumber();
    std::uint16_t link(const ResultLine& line, std::uint16_t pair);
    // Inserts into the translation pane; false, after stopping the run, when it is full.
    bool insertResult(std::string_view text, std::uint16_t pair);
    bool fitsInTranslation(std::string_view text);
    void stopForFullPane();
    void reportProgress();
    void releaseBusyFlag();
    void end();

    TransDoc& m_doc;
    TranslateHost& m_host;
};

// A source pane worth translating holds something besides ASCII and ideographic spaces.
bool isTranslatable(const CellStore& source);

} // namespace yv::editor
