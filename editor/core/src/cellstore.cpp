// The pane's character store and its undo copy.
#include <editorcore/cellstore.h>

#include <algorithm>
#include <atomic>
#include <random>

namespace yv::editor {

namespace {

std::uint32_t nextIdentity()
{
    // Seeded once per process, so that stores of two editors rarely share an identity.
    static std::atomic<std::uint32_t> counter{std::random_device{}() | 1u};
    return counter.fetch_add(1);
}

} // namespace

CellStore::CellStore()
    : cells(kStoreCells), undoCells(kStoreCells), m_identity(nextIdentity())
{
}

void CellStore::replace(std::size_t first, std::size_t removed, const std::vector<TextCell>& added)
{
    const std::size_t tailFrom = first + removed;
    const std::size_t tailCount = m_length + 1 - tailFrom;  // with the terminator
    const std::size_t newLength = m_length - removed + added.size();
    const auto from = cells.begin() + static_cast<std::ptrdiff_t>(tailFrom);
    const auto to = cells.begin() + static_cast<std::ptrdiff_t>(first + added.size());
    const auto count = static_cast<std::ptrdiff_t>(tailCount);
    if (added.size() > removed)
        std::copy_backward(from, from + count, to + count);
    else if (added.size() < removed)
        std::copy(from, from + count, to);
    std::copy(added.begin(), added.end(), cells.begin() + static_cast<std::ptrdiff_t>(first));
    // Cells beyond the terminator are left as zeros, as a fresh store has them.
    if (newLength < m_length)
        std::fill(cells.begin() + static_cast<std::ptrdiff_t>(newLength + 1),
                  cells.begin() + static_cast<std::ptrdiff_t>(m_length + 1), TextCell{});
    m_length = newLength;
}

void CellStore::clear()
{
    std::fill(cells.begin(), cells.begin() + static_cast<std::ptrdiff_t>(m_length + 1), TextCell{});
    m_length = 0;
    dropUndoCopy();
}

void CellStore::takeUndoCopy(int caret)
{
    std::copy(cells.begin(), cells.begin() + static_cast<std::ptrdiff_t>(m_length + 1), undoCells.begin());
    m_undoLength = m_length;
    undoCaret = caret;
}

int CellStore::restoreUndoCopy()
{
    const int caret = undoCaret;
    if (m_undoLength < m_length)
        std::fill(cells.begin() + static_cast<std::ptrdiff_t>(m_undoLength + 1),
                  cells.begin() + static_cast<std::ptrdiff_t>(m_length + 1), TextCell{});
    std::copy(undoCells.begin(), undoCells.begin() + static_cast<std::ptrdiff_t>(m_undoLength + 1), cells.begin());
    m_length = m_undoLength;
    dropUndoCopy();
    return caret;
}

void CellStore::dropUndoCopy()
{
    undoCaret = -1;
    m_undoLength = 0;
}

std::string CellStore::bytes(std::size_t first, std::size_t last) const
{
    std::string out;
    out.reserve((last - first) * 2);
    for (std::size_t i = first; i < last; ++i) {
        out.push_back(static_cast<char>(cells[i].lead));
        if (isDoubleByte(cells[i]))
            out.push_back(static_cast<char>(cells[i].trail));
    }
    return out;
}

} // namespace yv::editor
