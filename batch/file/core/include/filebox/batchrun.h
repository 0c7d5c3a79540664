// One run of the batch box: which rows it takes in which order, what one file goes through
// (the checks, the engine or the converter, the output's time), and how each result marks its row.
#pragma once

#include <filebox/batchlist.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace yv::filebox {

namespace texts {
inline constexpr std::string_view kMissingSource = "指定のファイルは既に存在しません。";
inline constexpr std::string_view kEngineBusy = "翻訳エンジンがビジーです。翻訳が終了してから再度実行してください。";
inline constexpr std::string_view kUnknownExtension = "翻訳できない拡張子のﾌｧｲﾙです。";
inline constexpr std::string_view kNotAccepted = "この拡張子のﾌｧｲﾙは翻訳できません。";
inline constexpr std::string_view kNoOutput = "出力ファイルを作成できません。ファイルが使用中でないか確認してください。";
inline constexpr std::string_view kCannotOpen = "オープンできません。";
inline constexpr std::string_view kNoSelection = "翻訳するファイルを指定してください。";
inline constexpr std::string_view kEjEngine = "英日翻訳エンジンに接続できません。";
inline constexpr std::string_view kJeEngine = "日英翻訳エンジンに接続できません。";
} // namespace texts

struct Job {
    std::uint64_t id = 0;
    std::string source;
    std::string output;
    Kind kind = Kind::None;
};

enum class Outcome { Translated, Failed, Stopped };

struct FileResult {
    Outcome outcome = Outcome::Failed;
    std::string message;  // what went wrong, without the path
};

// How an engine job ended.
enum class EngineEnd { Done, NotStarted, EngineGone, Stopped };

// What translating one file needs from the world: the busy flag, the engines, the converter.
class FileHost {
public:
    virtual ~FileHost() = default;
    virtual bool engineBusy() = 0;
    virtual void setEngineBusy(bool busy) = 0;
    // 1 EJ, 2 JE; 0 when the file cannot be read; -1 for a frame set (HTML).
    virtual int textDirection(const std::string& path) = 0;
    virtual int htmlDirection(const std::string& path) = 0;
    virtual std::optional<std::string> tempFile(const char* extension) = 0;
    // A Shift_JIS copy of a page in any Japanese coding.
    virtual bool toShiftJis(const std::string& source, const std::string& target) = 0;
    // Text (Kind::Text) or HTML (Kind::Html) through the engine of the direction, to its end.
    virtual EngineEnd runEngine(Kind kind, int direction, const std::string& source, const std::string& output) = 0;
    // The Office converter over the output copy; `message` gets what it reported.
    virtual bool runOffice(const std::string& source, const std::string& output, int direction,
                           std::string& message) = 0;
    virtual bool stopRequested() = 0;
};

// Translates one file (direction 0 detects it from the file). The busy flag is set for the
// engine's work and cleared afterwards, whatever happened.
FileResult translateFile(FileHost& host, const Job& job, int direction);

enum class RunMode { Idle = 0, Selection = 1, All = 2 };

class BatchRun final {
public:
    explicit BatchRun(BatchList& list) : m_list(list) {}

    // Selection takes the given paths in list order; All takes every row that is not
    // "翻訳済". False while a run is going.
    bool start(RunMode mode, const std::vector<std::string>& selected = {});
    RunMode mode() const { return m_mode; }
    // The next file, its row marked as being translated; nothing once the run is over.
    std::optional<Job> next();
    // Marks the row of job `id`: translated, or the message with its former icon. A failure
    // ends a run of the selection; a stop ends any run.
    void finish(std::uint64_t id, const FileResult& result);
    // The stop command: the current row becomes "未翻訳" and the run ends; the file's own
    // result, when it comes, changes nothing.
    void stop();

    std::size_t translatedCount() const { return m_translated; }
    std::size_t failedCount() const { return m_failed; }

private:
    void end();

    BatchList& m_list;
    RunMode m_mode = RunMode::Idle;
    std::vector<std::string> m_queue;
    std::size_t m_position = 0;
    std::optional<Job> m_current;
    Image m_formerImage = Image::NotTranslated;
    std::uint64_t m_nextId = 1;
    std::size_t m_translated = 0;
    std::size_t m_failed = 0;
};

} // namespace yv::filebox
