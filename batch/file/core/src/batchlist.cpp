// The list's naming rules, file times and rows.
#include <filebox/batchlist.h>

#include <platform/textutil.h>

#include <algorithm>
#include <array>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace yv::filebox {

namespace {

constexpr std::string_view kOutputSuffix = "_RY";

constexpr std::array<std::string_view, 9> kOfficeExtensions = {".doc", ".docx", ".xls", ".xlsx", ".xlsb",
                                                                ".xlsm", ".ppt", ".pptx", ".ppsx"};

// Rows stay sorted by name as the list control sorts them: letter case does not count first.
bool nameBefore(std::string_view a, std::string_view b)
{
    const auto lower = [](char c) { return static_cast<unsigned char>(text::asciiLower(c)); };
    const bool less = std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                                   [&](char x, char y) { return lower(x) < lower(y); });
    if (less || !text::equalsIgnoringAsciiCase(a, b))
        return less;
    return a < b;
}

} // namespace

SplitPath splitPath(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    const std::size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
    const std::string_view name = path.substr(nameStart);
    const std::size_t dot = name.rfind('.');
    SplitPath split;
    split.folder = std::string(path.substr(0, nameStart));
    split.base = std::string(name.substr(0, dot));
    if (dot != std::string_view::npos)
        split.extension = std::string(name.substr(dot));
    return split;
}

Kind kindOf(std::string_view path)
{
    const std::string extension = splitPath(path).extension;
    if (text::equalsIgnoringAsciiCase(extension, ".txt"))
        return Kind::Text;
    if (text::equalsIgnoringAsciiCase(extension, ".htm") || text::equalsIgnoringAsciiCase(extension, ".html"))
        return Kind::Html;
    for (const std::string_view office : kOfficeExtensions) {
        if (text::equalsIgnoringAsciiCase(extension, office))
            return Kind::Office;
    }
    return Kind::None;
}

std::string outputPath(std::string_view source)
{
    const SplitPath split = splitPath(source);
    return split.folder + split.base + std::string(kOutputSuffix) + split.extension;
}

std::string outputName(std::string_view source)
{
    const SplitPath split = splitPath(source);
    return split.base + std::string(kOutputSuffix) + split.extension;
}

bool isEarlierOutput(std::string_view path)
{
    const std::string base = splitPath(path).base;
    return base.size() > 2
        && text::equalsIgnoringAsciiCase(std::string_view(base).substr(base.size() - kOutputSuffix.size()), kOutputSuffix);
}

std::int64_t fileTime(const std::filesystem::path& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return 0;
    struct stat st {};
    const bool ok = ::fstat(fd, &st) == 0;
    ::close(fd);
    if (!ok)
        return 0;
    return static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

bool outputIsNewer(const std::filesystem::path& source, const std::filesystem::path& output)
{
    return fileTime(output) > fileTime(source);
}

std::vector<std::string> filesToPreload(std::string_view folder)
{
    while (folder.size() > 1 && folder.back() == '/')
        folder.remove_suffix(1);
    std::vector<std::string> files;
    std::error_code error;
    std::filesystem::directory_iterator it(std::filesystem::path(folder), error);
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        std::error_code typeError;
        if (it->is_directory(typeError))
            continue;
        const std::string name = it->path().filename().string();
        if (kindOf(name) != Kind::None && !isEarlierOutput(name))
            files.push_back(std::string(folder) + "/" + name);
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::optional<std::size_t> BatchList::add(const std::string& path)
{
    if (find(path))
        return std::nullopt;
    return add(path, outputIsNewer(path, outputPath(path)));
}

std::optional<std::size_t> BatchList::add(const std::string& path, bool translated)
{
    if (find(path))
        return std::nullopt;
    Row row;
    row.path = path;
    const SplitPath split = splitPath(path);
    row.name = split.base + split.extension;
    row.output = outputName(path);
    row.image = translated ? Image::Translated : Image::NotTranslated;
    row.state = std::string(translated ? kTranslated : kNotTranslated);
    const auto at = std::upper_bound(m_rows.begin(), m_rows.end(), row,
                                     [](const Row& a, const Row& b) { return nameBefore(a.name, b.name); });
    const auto index = static_cast<std::size_t>(at - m_rows.begin());
    m_rows.insert(at, std::move(row));
    return index;
}

void BatchList::remove(std::size_t index)
{
    if (index < m_rows.size())
        m_rows.erase(m_rows.begin() + static_cast<std::ptrdiff_t>(index));
}

std::optional<std::size_t> BatchList::find(std::string_view path) const
{
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (text::equalsIgnoringAsciiCase(m_rows[i].path, path))
            return i;
    }
    return std::nullopt;
}

void BatchList::setState(std::size_t index, Image image, std::string state)
{
    if (index >= m_rows.size())
        return;
    m_rows[index].image = image;
    m_rows[index].state = std::move(state);
}

} // namespace yv::filebox
