// Converting one Office document: the text units are pulled out into a block file, the
// block file is translated, and the translated blocks are written back into the same units
// of the output copy. What the conversion needs from its surroundings comes through Host.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace yv::docmorph {

enum class Stage { Preparing = 1, Translating = 2, Reading = 3, Writing = 4 };

class Host {
public:
    virtual ~Host() = default;
    virtual void postStage(Stage stage) = 0;
    virtual void postProgress(int percent) = 0;
    virtual bool stopRequested() = 0;
    virtual void setStop(bool stop) = 0;
    // A new, reserved temporary file; nothing when none can be made.
    virtual std::optional<std::filesystem::path> tempFile(const char* extension) = 0;
    // Translates the block file into `translated`: the direction used, or -1 when the
    // translation could not be started.
    virtual int translate(const std::filesystem::path& blocks, const std::filesystem::path& translated,
                          int direction) = 0;
    virtual void message(const std::string& text) = 0;
    virtual void trace(const std::string& line) = 0;
    // Lets the caller's events run while the conversion waits for another program.
    virtual void serveEvents() {}
};

enum class Application { None, Word, Slides, Sheets };

struct Kind {
    Application application = Application::None;
    bool legacy = false;    // needs the office suite to turn it into OOXML and back
    bool readOnly = false;  // the suite reads it but cannot write it back (.xlsb)
};
// By the source's extension, without regard to case.
Kind kindOf(const std::filesystem::path& source);

struct Outcome {
    int result = 0;      // 1 success, 0 failure or stop
    bool saved = false;  // the output copy was written
};

// The OOXML conversions. Word reads the source and saves to the output; the presentation and
// the workbook are read from the output copy and saved to it.
Outcome convertWord(Host& host, const std::filesystem::path& source, const std::filesystem::path& output,
                    int direction);
Outcome convertSlides(Host& host, const std::filesystem::path& output, int direction);
Outcome convertSheets(Host& host, const std::filesystem::path& output, int direction);

// Any file: OOXML directly, the legacy formats through the office suite; other extensions
// are left alone with result 1.
int convertDocument(Host& host, const std::filesystem::path& source, const std::filesystem::path& output,
                    int direction);

// False for an existing output that is read-only.
bool outputWritable(const std::filesystem::path& output);

// Text of the user messages.
std::string openFailedMessage(const std::filesystem::path& path);
std::string saveFailedMessage(const std::filesystem::path& path);

} // namespace yv::docmorph
