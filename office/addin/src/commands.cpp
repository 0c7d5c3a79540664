// The Writer, Calc and Impress commands of the add-in.
#include "commands.h"

#include <platform/codec.h>
#include <platform/messagebox.h>
#include <platform/paths.h>

#include <QClipboard>
#include <QGuiApplication>

#include <fcntl.h>
#include <unistd.h>

namespace yv::addin {

namespace {

void noSelection()
{
    msgbox::show(0, msgbox::Ok | msgbox::IconError, kNoSelectionMessage);
}

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Line ends as a text-mode file has them: CR LF.
std::string withCrLf(std::string_view text)
{
    return clipboardTextOfFile(text);
}

bool translateTextDocument(std::string_view text, RequestView& view)
{
    if (text.empty()) {
        noSelection();
        return false;
    }
    CMyTrans request;
    request.kind = RequestKind::TextFile;
    request.source = makeTempFile("Word");
    request.result = makeTempFile("WordResult");
    if (request.source.empty() || request.result.empty())
        return false;
    const int fd = ::open(request.source.c_str(), O_WRONLY | O_TRUNC | O_NOFOLLOW | O_CLOEXEC);
    const bool written = fd >= 0 && writeAll(fd, codec::utf8ToCp932(withCrLf(text)));
    if (fd >= 0)
        ::close(fd);
    if (!written)
        return false;
    return request.DoTranslate(view) == Outcome::Done;
}

bool translateCells(std::string_view handedOver, RequestView& view)
{
    const std::optional<CellGrid> grid = parseCellGrid(handedOver);
    if (!grid || allCellsEmpty(*grid)) {
        noSelection();
        return false;
    }
    // Each cell is a request of its own; the cells' translations are gathered here and go to
    // the clipboard together, so that a stopped run leaves the clipboard as it was.
    CellGrid translated = *grid;
    for (auto& row : translated) {
        for (auto& cell : row) {
            if (cell.empty())
                continue;
            CMyTrans request;
            request.kind = RequestKind::Text;
            request.text = codec::utf8ToCp932(cell);
            request.last = false;
            request.toClipboard = false;
            const Outcome outcome = request.DoTranslate(view);
            if (outcome == Outcome::Cancelled)
                return false;
            // A cell the engine could not translate stays empty; the next cell tries again.
            cell = outcome == Outcome::Done ? request.clipboardText() : std::string();
        }
    }
    QGuiApplication::clipboard()->setText(QString::fromStdString(gridClipboardText(translated)));
    showFinishedNote(view);
    return true;
}

bool translateSelectedText(std::string_view text, RequestView& view)
{
    if (text.empty()) {
        noSelection();
        return false;
    }
    CMyTrans request;
    request.kind = RequestKind::Text;
    request.text = codec::utf8ToCp932(text);
    request.last = true;
    return request.DoTranslate(view) == Outcome::Done;
}

} // namespace

std::optional<Host> hostByName(std::string_view name)
{
    if (name == "writer")
        return Host::Writer;
    if (name == "calc")
        return Host::Calc;
    if (name == "impress")
        return Host::Impress;
    return std::nullopt;
}

bool runCommand(Host host, std::string_view handedOver, RequestView& view)
{
    switch (host) {
    case Host::Writer:
        return translateTextDocument(handedOver, view);
    case Host::Calc:
        return translateCells(handedOver, view);
    case Host::Impress:
        return translateSelectedText(handedOver, view);
    }
    return false;
}

std::filesystem::path makeTempFile(std::string_view name)
{
    const std::filesystem::path dir = paths::tempDir();
    if (dir.empty())
        return {};
    const std::filesystem::path path = dir / ("_LintrelAddin_" + std::string(name) + ".txt");
    // The directory is private to the user: a file of that name is an earlier run's leftover.
    ::unlink(path.c_str());
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return {};
    ::close(fd);
    return path;
}

} // namespace yv::addin
