// Test isolation: a private YORVANE_HOME per test, and a message seam that records.
#pragma once

#include <platform/messagebox.h>

#include <deque>
#include <filesystem>
#include <string>
#include <vector>

namespace yv::testing {

// Points YORVANE_HOME at a fresh directory for the lifetime of the object (and drops the
// settings store's cached connections on both ends), so that settings, profile files, shared
// memory and temp files of a test never meet another's or the user's. Its shared-memory names
// and its directory are removed when it ends.
class TestHome final {
public:
    TestHome();
    ~TestHome();
    TestHome(const TestHome&) = delete;
    TestHome& operator=(const TestHome&) = delete;

    const std::filesystem::path& dir() const { return m_dir; }
    std::filesystem::path profileDir() const;  // created
    void writeFile(const std::filesystem::path& relative, std::string_view bytes) const;

private:
    std::filesystem::path m_dir;
    std::string m_oldHome;
    bool m_hadOldHome = false;
};

struct RecordedMessage {
    std::uint64_t owner;
    unsigned style;
    std::string text;
    std::string caption;
};

// Records every message box and answers from a queue (the style's default when empty).
class RecordingPresenter final : public msgbox::Presenter {
public:
    RecordingPresenter();
    ~RecordingPresenter() override;
    int show(std::uint64_t owner, unsigned style, std::string_view text,
             std::string_view caption) override;

    std::vector<RecordedMessage> messages;
    std::deque<int> answers;

private:
    msgbox::Presenter* m_previous;
};

// Directory of the suite's programs in the build tree.
std::filesystem::path binDir();

} // namespace yv::testing
