// The editor's document without its windows: the two panes, the file commands and the state
// of a translation run.
#pragma once

#include "editpane.h"
#include "fontmetrics.h"

#include <platform/codec.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace yv::editor {

enum class Side { Source = 0, Translation = 1 };

// Run state of the translate command; lives as long as the editor (pair numbers stay unique).
struct RunState {
    bool translating = false;
    bool awaitingEndMark = false;    // from the start until the engine's end mark, also after a stop
    int runDirection = 0;            // 1 EJ, 2 JE
    std::uint16_t nextPair = 0;      // never reset
    bool resultsStarted = false;     // a result block has arrived in this editor's life
    bool atBlockStart = false;
    bool haveLastOffset = false;
    long lastOffset = -1;            // source offset of the previous result line of this run
    std::size_t sourceBytes = 0;
    std::size_t progressBytes = 0;
    bool holdsBusyFlag = false;      // this editor set the shared busy flag and has not cleared it
    bool paneFull = false;           // the run was stopped because a result no longer fitted
};

struct SaveAsChoice {
    std::filesystem::path path;
    bool translationOnly = false;    // "訳文のみ保存"
};
// The save dialog; nothing when cancelled.
using SaveAsDialog = std::function<std::optional<SaveAsChoice>()>;

class TransDoc final {
public:
    TransDoc(const FontMetrics& sourceFont, const FontMetrics& translationFont);

    EditPane& pane(Side side) { return side == Side::Source ? m_source : m_translation; }
    EditPane& source() { return m_source; }
    EditPane& translation() { return m_translation; }
    const EditPane& source() const { return m_source; }
    const EditPane& translation() const { return m_translation; }

    bool modified = false;
    RunState run;

    const std::filesystem::path& path() const { return m_path; }
    const std::filesystem::path& lastFile() const { return m_lastFile; }
    const std::string& title() const { return m_title; }
    // The main window's caption: the title, " - " and the product name.
    std::string caption() const;
    // Encoding a text export is written in: that of the imported text, else UTF-8.
    codec::TextEncoding textEncoding() const { return m_textEncoding; }
    // Called when the document path changes (the window enters it in the recent files).
    std::function<void(const std::filesystem::path&)> onPathSet;
    // Called with true before a file is written and with false after it, before any message
    // (the window shows the wait cursor in between).
    std::function<void(bool writing)> onWriting;

    void newDocument();
    // Reads a .tts document, or imports any other file as text (by extension, without case).
    bool openFile(const std::filesystem::path& file);
    bool readTts(const std::filesystem::path& file);
    bool importText(const std::filesystem::path& file);
    bool writeTts(const std::filesystem::path& file);
    bool exportText(const std::filesystem::path& file, bool translationOnly);

    // Save: to the document path when it is this document's own file, else through Save As.
    bool save(const SaveAsDialog& dialog);
    bool saveAs(const SaveAsDialog& dialog);
    // The prompt before New, Open and closing: false when the action must stop. Closing runs
    // Save As on Yes.
    bool promptToSave(const SaveAsDialog& dialog, bool closing);

    // Pair mark from a pane: selects the caret cell's unit in both panes.
    bool pairMark(Side side);
    // A double click in a pane, with the pair mark for linked characters.
    DoubleClickResult doubleClick(Side side, std::size_t cell);

private:
    // Encodes and writes the file between the two onWriting calls.
    bool writeReported(const std::filesystem::path& file, const std::function<std::string()>& content);
    void setTitleFrom(const std::filesystem::path& file);
    void setPath(const std::filesystem::path& file);

    EditPane m_source;
    EditPane m_translation;
    std::filesystem::path m_path;
    std::filesystem::path m_lastFile;
    std::string m_title;
    codec::TextEncoding m_textEncoding = codec::TextEncoding::Utf8;
};

bool hasTtsExtension(const std::filesystem::path& file);

} // namespace yv::editor
