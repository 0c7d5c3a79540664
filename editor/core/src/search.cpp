// Matching, find down / up, replace and replace-all, and the histories.
#include <editorcore/search.h>

#include <editorcore/insertion.h>

namespace yv::editor {

namespace {

constexpr unsigned char asciiUpper(unsigned char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

void selectMatch(EditPane& pane, std::size_t at, std::size_t cells)
{
    pane.setCaret(at);
    pane.select(at, at + cells - 1);
    pane.scrollToCell(at);
}

bool isExactMatchSelected(const EditPane& pane, std::string_view needle, bool matchCase)
{
    if (!pane.hasSelection())
        return false;
    const auto first = static_cast<std::size_t>(pane.selFirst());
    const auto cells = static_cast<std::size_t>(pane.selLast() - pane.selFirst() + 1);
    return matchAt(pane.store(), first, needle, matchCase) == cells;
}

// Replaces the selection by `replacement` as one undoable change.
void replaceSelection(EditPane& pane, const std::vector<CellChar>& replacement)
{
    if (replacement.empty())
        pane.deleteSelection();
    else
        pane.insertChars(replacement, true);
}

} // namespace

std::size_t matchAt(const CellStore& store, std::size_t cell, std::string_view needle, bool matchCase)
{
    if (needle.empty())
        return 0;
    std::size_t i = cell;
    for (std::size_t k = 0; k < needle.size(); ++i) {
        if (i >= store.length())
            return 0;
        const TextCell& c = store[i];
        const auto b = static_cast<unsigned char>(needle[k]);
        if (codec::isLeadByte(b) && k + 1 < needle.size()) {
            if (!isDoubleByte(c) || c.lead != b || c.trail != static_cast<unsigned char>(needle[k + 1]))
                return 0;
            k += 2;
            continue;
        }
        if (isDoubleByte(c))
            return 0;
        if (matchCase ? c.lead != b : asciiUpper(c.lead) != asciiUpper(b))
            return 0;
        ++k;
    }
    return i - cell;
}

bool findDown(EditPane& pane, std::string_view needle, bool matchCase)
{
    if (needle.empty())
        return false;
    const std::size_t start = pane.hasSelection() ? pane.caret() + 1 : pane.caret();
    for (std::size_t i = start; i < pane.length(); ++i) {
        if (const std::size_t cells = matchAt(pane.store(), i, needle, matchCase)) {
            selectMatch(pane, i, cells);
            return true;
        }
    }
    return false;
}

bool findUp(EditPane& pane, std::string_view needle, bool matchCase)
{
    if (needle.empty())
        return false;
    std::size_t start = pane.caret();
    if (pane.hasSelection()) {
        if (pane.selFirst() == 0)
            return false;
        start = static_cast<std::size_t>(pane.selFirst() - 1);
    }
    for (std::size_t i = start + 1; i-- > 0;) {
        if (const std::size_t cells = matchAt(pane.store(), i, needle, matchCase)) {
            selectMatch(pane, i, cells);
            return true;
        }
    }
    return false;
}

bool replaceAndFind(EditPane& pane, std::string_view needle, std::string_view replacement, bool matchCase)
{
    if (isExactMatchSelected(pane, needle, matchCase))
        replaceSelection(pane, normalizeInsertion(replacement));
    return findDown(pane, needle, matchCase);
}

std::size_t replaceAll(EditPane& pane, std::string_view needle, std::string_view replacement, bool matchCase)
{
    if (needle.empty())
        return 0;
    const std::vector<TextCell> added = pane.makeCells(normalizeInsertion(replacement));
    CellStore& store = pane.store();
    const std::size_t n = store.length();

    // Matches on the original text are exactly those a replace-as-you-go would meet, since
    // each search goes on after the inserted text.
    struct Match {
        std::size_t at;
        std::size_t cells;
    };
    std::vector<Match> matches;
    std::size_t length = n;
    for (std::size_t i = 0; i < n;) {
        const std::size_t cells = matchAt(store, i, needle, matchCase);
        if (cells == 0) {
            ++i;
            continue;
        }
        if (length + 1 + added.size() > kStoreCells) {
            pane.reportStoreFull();
            break;
        }
        matches.push_back({i, cells});
        length = length - cells + added.size();
        i += cells;
    }
    if (matches.empty())
        return 0;

    // Build the text before the last replacement, keep it as the undo copy, then make the last.
    pane.clearSelection();
    std::vector<TextCell> text;
    text.reserve(length);
    std::size_t from = 0;
    for (std::size_t k = 0; k + 1 < matches.size(); ++k) {
        text.insert(text.end(), store.cells.begin() + static_cast<std::ptrdiff_t>(from),
                    store.cells.begin() + static_cast<std::ptrdiff_t>(matches[k].at));
        text.insert(text.end(), added.begin(), added.end());
        from = matches[k].at + matches[k].cells;
    }
    const std::size_t lastAt = text.size() + (matches.back().at - from);
    text.insert(text.end(), store.cells.begin() + static_cast<std::ptrdiff_t>(from),
                store.cells.begin() + static_cast<std::ptrdiff_t>(n));
    store.replace(0, n, text);
    store.takeUndoCopy(static_cast<int>(lastAt));
    store.replace(lastAt, matches.back().cells, added);
    pane.setCaret(lastAt + added.size());
    pane.layout();
    pane.scrollToCell(pane.caret());
    pane.changed();
    return matches.size();
}

std::string historyToStore(std::string_view current, const std::vector<std::string>& listed)
{
    std::string out(current);
    std::size_t added = 0;
    for (const std::string& entry : listed) {
        if (added == kHistoryEntries)
            break;
        if (entry == current)
            continue;
        out.push_back(kHistorySeparator);
        out += entry;
        ++added;
    }
    return out;
}

std::vector<std::string> historyFromStore(std::string_view stored)
{
    std::vector<std::string> entries;
    while (!stored.empty() && entries.size() < kHistoryEntries) {
        const std::size_t end = stored.find(kHistorySeparator);
        const std::string_view piece = stored.substr(0, end);
        if (!piece.empty())
            entries.emplace_back(piece);
        if (end == std::string_view::npos)
            break;
        stored.remove_prefix(end + 1);
    }
    return entries;
}

} // namespace yv::editor
