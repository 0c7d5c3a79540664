// The document: panes, .tts reading and writing, text import and export, the save rules.
#include <editorcore/transdoc.h>

#include <editorcore/insertion.h>
#include <editorcore/messages.h>
#include <editorcore/ttsformat.h>

#include <platform/atomicfile.h>
#include <platform/messagebox.h>
#include <platform/textutil.h>

#include <system_error>

namespace yv::editor {

namespace {

// Text import refuses 65,536 CP932 bytes or more; no encoding takes more than eight bytes
// of file for one of them, so larger files need not be read to be refused.
constexpr std::size_t kImportReadLimit = 8 * kOutsideTextLimit;

bool isLargerThan(const std::filesystem::path& file, std::size_t limit)
{
    std::error_code ec;
    return std::filesystem::is_regular_file(file, ec) && std::filesystem::file_size(file, ec) > limit;
}

std::string withCrLf(std::string_view cp932)
{
    std::string out;
    out.reserve(cp932.size() + cp932.size() / 16);
    for (const char c : cp932) {
        if (c == '\n')
            out += "\r\n";
        else
            out.push_back(c);
    }
    return out;
}

std::string inEncoding(const std::string& cp932, codec::TextEncoding encoding)
{
    using codec::TextEncoding;
    switch (encoding) {
    case TextEncoding::Cp932:
        return cp932;
    case TextEncoding::Ascii:
        // Plain ASCII stays ASCII; a text that gained other characters is written as UTF-8.
        return codec::cp932ToUtf8(cp932);
    default:
        return codec::fromUtf8(codec::cp932ToUtf8(cp932), encoding);
    }
}

} // namespace

bool hasTtsExtension(const std::filesystem::path& file)
{
    return text::equalsIgnoringAsciiCase(file.extension().string(), ".tts");
}

TransDoc::TransDoc(const FontMetrics& sourceFont, const FontMetrics& translationFont)
    : m_source(sourceFont), m_translation(translationFont), m_title(messages::kUntitled)
{
    m_source.onModified = [this] { modified = true; };
    m_translation.onModified = [this] { modified = true; };
}

std::string TransDoc::caption() const
{
    return m_title + " - " + std::string(msgbox::kProductCaption);
}

void TransDoc::setTitleFrom(const std::filesystem::path& file)
{
    m_title = file.stem().string();
}

void TransDoc::setPath(const std::filesystem::path& file)
{
    m_path = file;
    setTitleFrom(file);
    if (onPathSet)
        onPathSet(file);
}

void TransDoc::newDocument()
{
    m_source.clearAll();
    m_translation.clearAll();
    modified = false;
    m_path.clear();
    m_title = messages::kUntitled;
    m_textEncoding = codec::TextEncoding::Utf8;
}

bool TransDoc::openFile(const std::filesystem::path& file)
{
    return hasTtsExtension(file) ? readTts(file) : importText(file);
}

bool TransDoc::readTts(const std::filesystem::path& file)
{
    const std::string shown = file.string();
    const auto bytes = files::readWhole(file, kTtsMaxBytes);
    if (!bytes) {
        messages::warn(messages::withPath(isLargerThan(file, kTtsMaxBytes) ? messages::kNotADocument : messages::kCannotOpen, shown));
        return false;
    }
    const auto content = decodeTts(*bytes);
    if (!content) {
        messages::warn(messages::withPath(messages::kNotADocument, shown));
        return false;
    }
    m_source.setText(content->source);
    m_translation.setText(content->translation);
    modified = false;
    m_textEncoding = codec::TextEncoding::Utf8;
    setPath(file);
    m_lastFile = file;
    return true;
}

bool TransDoc::importText(const std::filesystem::path& file)
{
    // Read before emptying the panes, so that a file that cannot be read leaves them as they are.
    const auto bytes = files::readWhole(file, kImportReadLimit);
    if (!bytes) {
        if (isLargerThan(file, kImportReadLimit))
            messages::warn(messages::kTextTooLong);
        else
            messages::warn(messages::withPath(messages::kCannotOpen, file.string()));
        return false;
    }
    const codec::TextEncoding encoding = codec::detectEncoding(*bytes);
    const std::string cp932 = encoding == codec::TextEncoding::Cp932 || encoding == codec::TextEncoding::Ascii
                                  ? *bytes
                                  : codec::toCp932(*bytes, encoding);
    if (cp932.size() >= kOutsideTextLimit) {
        messages::warn(messages::kTextTooLong);
        return false;
    }
    m_source.clearAll();
    m_translation.clearAll();
    m_source.insertFromOutside(cp932);
    m_source.setCaret(0);
    m_source.scrollTo(0);
    // A freshly opened text holds nothing that is not in its file yet.
    modified = false;
    setTitleFrom(file);
    m_lastFile = file;
    m_textEncoding = encoding;
    return true;
}

bool TransDoc::writeReported(const std::filesystem::path& file, const std::function<std::string()>& content)
{
    if (onWriting)
        onWriting(true);
    const bool written = files::writeAtomically(file, content());
    if (onWriting)
        onWriting(false);
    return written;
}

bool TransDoc::writeTts(const std::filesystem::path& file)
{
    if (!writeReported(file, [&] { return encodeTts(m_source.store(), m_translation.store()); })) {
        messages::warn(messages::withPath(messages::kCannotCreateDocument, file.string()));
        return false;
    }
    modified = false;
    setPath(file);
    m_lastFile = file;
    return true;
}

bool TransDoc::exportText(const std::filesystem::path& file, bool translationOnly)
{
    const auto content = [&] {
        std::string cp932;
        if (!translationOnly) {
            cp932 = m_source.store().bytes();
            cp932.push_back('\n');
        }
        cp932 += m_translation.store().bytes();
        cp932.push_back('\n');
        if (!translationOnly)
            cp932.push_back('\n');
        return inEncoding(withCrLf(cp932), m_textEncoding);
    };
    if (!writeReported(file, content)) {
        messages::warn(messages::kCannotCreateText);
        return false;
    }
    modified = false;
    return true;
}

bool TransDoc::save(const SaveAsDialog& dialog)
{
    if (m_path.empty())
        return saveAs(dialog);
    if (text::equalsIgnoringAsciiCase(m_path.string(), m_lastFile.string()))
        return writeTts(m_path);
    std::error_code ec;
    if (!std::filesystem::exists(m_path, ec) && !ec)
        return writeTts(m_path);
    return saveAs(dialog);
}

bool TransDoc::saveAs(const SaveAsDialog& dialog)
{
    const auto choice = dialog ? dialog() : std::nullopt;
    if (!choice)
        return false;
    if (hasTtsExtension(choice->path))
        return writeTts(choice->path);
    return exportText(choice->path, choice->translationOnly);
}

bool TransDoc::promptToSave(const SaveAsDialog& dialog, bool closing)
{
    if (!modified)
        return true;
    switch (msgbox::show(0, msgbox::YesNoCancel | msgbox::IconQuestion, messages::kSavePrompt)) {
    case msgbox::IdYes:
        return closing ? saveAs(dialog) : save(dialog);
    case msgbox::IdNo:
        return true;
    default:
        return false;
    }
}

bool TransDoc::pairMark(Side side)
{
    EditPane& here = pane(side);
    EditPane& other = pane(side == Side::Source ? Side::Translation : Side::Source);
    const std::uint16_t pair = here.store()[here.caret()].pair;
    if (pair == 0)
        return false;
    here.selectPair(pair);
    other.selectPair(pair);
    if (other.hasSelection())
        other.scrollToCell(static_cast<std::size_t>(other.selFirst()));
    return true;
}

DoubleClickResult TransDoc::doubleClick(Side side, std::size_t cell)
{
    const DoubleClickResult result = pane(side).doubleClick(cell);
    if (result == DoubleClickResult::PairMark)
        pairMark(side);
    return result;
}

} // namespace yv::editor
