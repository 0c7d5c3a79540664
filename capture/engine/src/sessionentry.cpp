// The session start-up entry: finding, adding and removing the marked block.
#include <captureengine/sessionentry.h>

#include <platform/atomicfile.h>

#include <cstdlib>
#include <system_error>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace yv::capture::session {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kBegin = "# >>> yorvane5 capture hook >>>";
// A begin line that also owns the line break before it: the file's last line had none.
constexpr std::string_view kBeginAfterBreak = "# >>> yorvane5 capture hook >>> (line break added above)";
constexpr std::string_view kEnd = "# <<< yorvane5 capture hook <<<";
// A start-up file is a few lines of shell; anything larger is not one to rewrite.
constexpr std::size_t kMaxFileBytes = 1 << 20;

struct Block {
    std::size_t begin = 0;  // offset of the begin line
    std::size_t end = 0;    // just past the end line and its line break
    bool ownsBreakBefore = false;
};

struct Scan {
    std::vector<Block> blocks;
    bool damaged = false;
};

Scan scan(std::string_view text)
{
    Scan result;
    std::optional<Block> open;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t newline = text.find('\n', start);
        const std::size_t stop = newline == std::string_view::npos ? text.size() : newline;
        const std::size_t next = newline == std::string_view::npos ? text.size() : newline + 1;
        const std::string_view line = text.substr(start, stop - start);
        if (line == kBegin || line == kBeginAfterBreak) {
            if (open) {
                result.damaged = true;
                return result;
            }
            open = Block{start, 0, line == kBeginAfterBreak};
        } else if (line == kEnd) {
            if (!open) {
                result.damaged = true;
                return result;
            }
            open->end = next;
            result.blocks.push_back(*open);
            open.reset();
        }
        start = next;
    }
    result.damaged = open.has_value();
    return result;
}

std::string shellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

bool usableHookPath(const fs::path& hook)
{
    const std::string text = hook.string();
    return hook.is_absolute() && text.find_first_of(" :\n\r\t") == std::string::npos;
}

// The file a write goes to: the target of a symbolic link (a dotfile manager's link stays).
fs::path writtenFile(const fs::path& startFile)
{
    std::error_code ec;
    if (fs::is_symlink(startFile, ec)) {
        const fs::path target = fs::weakly_canonical(startFile, ec);
        if (!ec)
            return target;
    }
    return startFile;
}

// The file's bytes: empty when it does not exist, nothing when it cannot be read.
std::optional<std::string> readStartFile(const fs::path& file)
{
    std::error_code ec;
    const fs::file_status status = fs::status(file, ec);
    if (status.type() == fs::file_type::not_found)
        return std::string();
    if (ec || status.type() != fs::file_type::regular)
        return std::nullopt;
    return files::readWhole(file, kMaxFileBytes);
}

Outcome rewrite(const fs::path& startFile, const std::optional<std::string>& before,
                const std::optional<std::string>& after)
{
    if (!before)
        return {Problem::Unreadable, false};
    if (!after)
        return {Problem::Damaged, false};
    if (*after == *before)
        return {};
    const fs::path file = writtenFile(startFile);
    unsigned mode = 0644;
    struct stat st {};
    if (::stat(file.c_str(), &st) == 0) {
        // A file its owner made read-only is not replaced behind their back.
        if (::access(file.c_str(), W_OK) != 0)
            return {Problem::Unwritable, false};
        mode = st.st_mode & 07777;
    }
    if (!files::writeAtomically(file, *after, mode))
        return {Problem::Unwritable, false};
    return {Problem::None, true};
}

} // namespace

std::string entryBlock(const fs::path& hook)
{
    const std::string path = shellQuoted(hook.string());
    return std::string(kBegin) +
           "\n"
           "# Programs started in this X session load the suite's capture hook, which lets the\n"
           "# suite read the words under the mouse pointer. Added and removed by the suite's settings.\n"
           "if [ -r " + path + " ]; then\n"
           "    case \":${LD_PRELOAD:-}:\" in\n"
           "    *[:\\ ]" + path + "[:\\ ]*) ;;\n"
           "    *) LD_PRELOAD=${LD_PRELOAD:+$LD_PRELOAD:}" + path + "; export LD_PRELOAD ;;\n"
           "    esac\n"
           "fi\n" +
           std::string(kEnd) + "\n";
}

EntryState entryState(std::string_view text, const fs::path& hook)
{
    const Scan found = scan(text);
    if (found.damaged)
        return EntryState::Damaged;
    if (found.blocks.empty())
        return EntryState::Absent;
    if (found.blocks.size() > 1)
        return EntryState::Other;
    // Compared without the begin line, whose only variation is the line break it owns.
    const Block& block = found.blocks.front();
    const std::size_t body = text.find('\n', block.begin);
    const std::string wanted = entryBlock(hook);
    const std::string_view wantedBody = std::string_view(wanted).substr(kBegin.size());
    if (body == std::string_view::npos || text.substr(body, block.end - body) != wantedBody)
        return EntryState::Other;
    return EntryState::Present;
}

std::optional<std::string> withoutEntry(std::string_view text)
{
    const Scan found = scan(text);
    if (found.damaged)
        return std::nullopt;
    std::string result(text);
    // From the last block back, so that a block whose followers are gone sees the file's end.
    for (auto it = found.blocks.rbegin(); it != found.blocks.rend(); ++it) {
        result.erase(it->begin, it->end - it->begin);
        if (it->ownsBreakBefore && it->begin == result.size() && it->begin > 0 && result[it->begin - 1] == '\n')
            result.pop_back();
    }
    return result;
}

std::optional<std::string> withEntry(std::string_view text, const fs::path& hook)
{
    const EntryState state = entryState(text, hook);
    if (state == EntryState::Damaged)
        return std::nullopt;
    if (state == EntryState::Present)
        return std::string(text);
    std::optional<std::string> result = withoutEntry(text);
    if (result->empty() || result->back() == '\n')
        return *result + entryBlock(hook);
    return *result + "\n" + std::string(kBeginAfterBreak) + entryBlock(hook).substr(kBegin.size());
}

EntryState installedState(const fs::path& startFile, const fs::path& hook)
{
    const std::optional<std::string> text = readStartFile(startFile);
    return text ? entryState(*text, hook) : EntryState::Unreadable;
}

Outcome install(const fs::path& startFile, const fs::path& hook)
{
    if (!usableHookPath(hook))
        return {Problem::HookPathUnusable, false};
    std::error_code ec;
    if (!fs::is_regular_file(hook, ec))
        return {Problem::HookMissing, false};
    const std::optional<std::string> before = readStartFile(startFile);
    return rewrite(startFile, before, before ? withEntry(*before, hook) : std::nullopt);
}

Outcome remove(const fs::path& startFile)
{
    const std::optional<std::string> before = readStartFile(startFile);
    return rewrite(startFile, before, before ? withoutEntry(*before) : std::nullopt);
}

bool preloads(std::string_view ldPreload, const fs::path& hook)
{
    std::error_code ec;
    for (std::size_t start = 0; start <= ldPreload.size();) {
        std::size_t stop = ldPreload.find_first_of(" :", start);
        if (stop == std::string_view::npos)
            stop = ldPreload.size();
        const fs::path entry(std::string(ldPreload.substr(start, stop - start)));
        if (!entry.empty() && (entry == hook || fs::equivalent(entry, hook, ec)))
            return true;
        start = stop + 1;
    }
    return false;
}

bool sessionHasHook(const fs::path& hook)
{
    const char* value = std::getenv("LD_PRELOAD");
    return value && preloads(value, hook);
}

} // namespace yv::capture::session
