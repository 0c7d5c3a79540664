// Test isolation helpers shared by every module's tests.
#include "testhome.h"

#include <platform/settingsstore.h>
#include <platform/sharedmemory.h>

#include <cstdlib>
#include <fstream>

#include <unistd.h>

namespace yv::testing {

namespace fs = std::filesystem;

TestHome::TestHome()
{
    if (const char* old = std::getenv("YORVANE_HOME")) {
        m_oldHome = old;
        m_hadOldHome = true;
    }
    std::string pattern = (fs::temp_directory_path() / "yv5test-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        std::abort();
    m_dir = pattern;
    ::setenv("YORVANE_HOME", m_dir.c_str(), 1);
    settings::Store::instance().closeAll();
}

TestHome::~TestHome()
{
    settings::Store::instance().closeAll();
    shm::removeInstanceNames();
    if (m_hadOldHome)
        ::setenv("YORVANE_HOME", m_oldHome.c_str(), 1);
    else
        ::unsetenv("YORVANE_HOME");
    std::error_code ec;
    fs::permissions(m_dir, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(m_dir, ec);
}

fs::path TestHome::profileDir() const
{
    const fs::path dir = m_dir / "machine" / "profile";
    fs::create_directories(dir);
    return dir;
}

void TestHome::writeFile(const fs::path& relative, std::string_view bytes) const
{
    const fs::path path = m_dir / relative;
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

RecordingPresenter::RecordingPresenter()
    : m_previous(msgbox::setPresenter(this))
{
}

RecordingPresenter::~RecordingPresenter()
{
    msgbox::setPresenter(m_previous);
}

int RecordingPresenter::show(std::uint64_t owner, unsigned style, std::string_view text,
                             std::string_view caption)
{
    messages.push_back({owner, style, std::string(text), std::string(caption)});
    if (answers.empty())
        return msgbox::defaultAnswer(style);
    const int answer = answers.front();
    answers.pop_front();
    return answer;
}

fs::path binDir()
{
    return fs::path(YV_BIN_DIR);
}

} // namespace yv::testing

// Leaks inside system libraries that the suite cannot free (font caches kept for the process).
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}
