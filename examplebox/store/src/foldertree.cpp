// The folder tree: base.dat reading and writing, and the tree edits of the store.
#include <examplestore/foldertree.h>

#include <examplestore/messages.h>

#include <platform/codec.h>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <utility>

namespace yv::examplestore {

namespace {

// Deeper nesting in a damaged file is flattened at this depth (and writing stays linear).
constexpr std::size_t kMaxDepth = 256;
constexpr std::size_t kIndentPerLevel = 4;

// Decimal digits at `at`, or -1 when there are none or the value is out of range.
int readNumber(std::string_view text, std::size_t at, int maxValue)
{
    long long value = 0;
    std::size_t i = at;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        value = std::min<long long>(value * 10 + (text[i] - '0'), static_cast<long long>(maxValue) + 1);
        ++i;
    }
    if (i == at || value > maxValue)
        return -1;
    return static_cast<int>(value);
}

} // namespace

FolderTree FolderTree::parse(std::string_view bytes)
{
    // Always Shift_JIS: guessing would misread names of half-width katakana alone.
    const std::string text = codec::cp932ToUtf8(bytes);
    FolderTree tree;
    std::vector<NodeId> open;
    std::size_t flattened = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i++];
        if (c == ')') {
            if (flattened > 0)
                --flattened;
            else if (!open.empty())
                open.pop_back();
            continue;
        }
        if (c != '(')
            continue;
        std::string name;
        const auto q1 = text.find('"', i);
        if (q1 != std::string::npos) {
            const auto q2 = text.find('"', q1 + 1);
            name = text.substr(q1 + 1, q2 == std::string::npos ? std::string::npos : q2 - q1 - 1);
            i = q2 == std::string::npos ? text.size() : q2 + 1;
        }
        int number = kNoFolderNumber;
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
            ++i;
        if (i < text.size() && text[i] == '=') {
            // "=fd" and the number: the two characters after "=" are skipped.
            const std::size_t digits = std::min(i + 3, text.size());
            number = readNumber(text, digits, kMaxFolderNumber);
            i = digits;
        }
        const NodeId id = tree.append(open.empty() ? kNoNode : open.back(), std::move(name), number);
        if (open.size() < kMaxDepth)
            open.push_back(id);
        else
            ++flattened;
    }
    return tree;
}

std::string FolderTree::serialize() const
{
    struct Step {
        NodeId id;
        std::size_t depth;
        bool closing;
    };
    std::string out;
    std::vector<Step> stack;
    const auto tops = topNodes();
    for (auto it = tops.rbegin(); it != tops.rend(); ++it)
        stack.push_back({*it, 0, false});
    bool first = true;
    while (!stack.empty()) {
        const Step step = stack.back();
        stack.pop_back();
        const std::string indent(step.depth * kIndentPerLevel, ' ');
        if (step.closing) {
            out += "\r\n" + indent + ")";
            continue;
        }
        if (!first)
            out += "\r\n" + indent;
        first = false;
        const FolderNode& n = node(step.id);
        std::string name = codec::utf8ToCp932(n.name);
        std::erase(name, '"');
        out += "(\"" + name + "\"";
        if (n.number != kNoFolderNumber) {
            char number[16];
            std::snprintf(number, sizeof number, "=fd%03d", n.number);
            out += number;
        }
        const auto kids = children(step.id);
        if (kids.empty()) {
            out += ")";
            continue;
        }
        stack.push_back({step.id, step.depth, true});
        for (auto it = kids.rbegin(); it != kids.rend(); ++it)
            stack.push_back({*it, step.depth + 1, false});
    }
    out += "\r\n";
    return out;
}

void FolderTree::reserveNumbersBelow(int number)
{
    m_nextNumber = std::max(m_nextNumber, number);
}

int FolderTree::takeFolderNumber()
{
    if (m_nextNumber > kMaxFolderNumber)
        return kNoFolderNumber;
    return m_nextNumber++;
}

bool FolderTree::isValid(NodeId id) const
{
    return id >= 0 && static_cast<std::size_t>(id) < m_nodes.size() && !m_removed[static_cast<std::size_t>(id)];
}

std::vector<NodeId> FolderTree::topNodes() const
{
    std::vector<NodeId> ids;
    for (NodeId id = m_firstTop; id != kNoNode; id = node(id).nextSibling)
        ids.push_back(id);
    return ids;
}

std::vector<NodeId> FolderTree::children(NodeId id) const
{
    std::vector<NodeId> ids;
    for (NodeId child = node(id).firstChild; child != kNoNode; child = node(child).nextSibling)
        ids.push_back(child);
    return ids;
}

bool FolderTree::isWithin(NodeId id, NodeId ancestor) const
{
    for (NodeId at = id; at != kNoNode; at = node(at).parent) {
        if (at == ancestor)
            return true;
    }
    return false;
}

NodeId FolderTree::findByNumber(int number) const
{
    for (std::size_t i = 0; i < m_nodes.size(); ++i) {
        if (!m_removed[i] && m_nodes[i].number == number)
            return static_cast<NodeId>(i);
    }
    return kNoNode;
}

std::vector<NodeId> FolderTree::subtreeChildrenFirst(NodeId id) const
{
    std::vector<NodeId> order;
    std::vector<std::pair<NodeId, bool>> stack{{id, false}};
    while (!stack.empty()) {
        const auto [at, expanded] = stack.back();
        stack.pop_back();
        if (expanded) {
            order.push_back(at);
            continue;
        }
        stack.push_back({at, true});
        const auto kids = children(at);
        for (auto it = kids.rbegin(); it != kids.rend(); ++it)
            stack.push_back({*it, false});
    }
    return order;
}

NodeId FolderTree::append(NodeId parent, std::string name, int number)
{
    const auto id = static_cast<NodeId>(m_nodes.size());
    m_nodes.push_back(FolderNode{std::move(name), number, parent, kNoNode, kNoNode});
    m_removed.push_back(false);
    if (number != kNoFolderNumber)
        m_nextNumber = std::max(m_nextNumber, number + 1);
    NodeId* link = parent == kNoNode ? &m_firstTop : &m_nodes[static_cast<std::size_t>(parent)].firstChild;
    while (*link != kNoNode)
        link = &m_nodes[static_cast<std::size_t>(*link)].nextSibling;
    *link = id;
    return id;
}

void FolderTree::rename(NodeId id, std::string name)
{
    m_nodes[static_cast<std::size_t>(id)].name = std::move(name);
}

void FolderTree::unlink(NodeId id)
{
    const NodeId parent = node(id).parent;
    NodeId* link = parent == kNoNode ? &m_firstTop : &m_nodes[static_cast<std::size_t>(parent)].firstChild;
    while (*link != id)
        link = &m_nodes[static_cast<std::size_t>(*link)].nextSibling;
    *link = node(id).nextSibling;
    m_nodes[static_cast<std::size_t>(id)].nextSibling = kNoNode;
}

void FolderTree::remove(NodeId id)
{
    const auto subtree = subtreeChildrenFirst(id);
    unlink(id);
    for (const NodeId gone : subtree)
        m_removed[static_cast<std::size_t>(gone)] = true;
}

void FolderTree::move(NodeId id, NodeId newParent)
{
    unlink(id);
    FolderNode& moved = m_nodes[static_cast<std::size_t>(id)];
    moved.parent = newParent;
    NodeId* link = newParent == kNoNode ? &m_firstTop : &m_nodes[static_cast<std::size_t>(newParent)].firstChild;
    while (*link != kNoNode)
        link = &m_nodes[static_cast<std::size_t>(*link)].nextSibling;
    *link = id;
}

std::string newFolderName(const std::vector<std::string>& siblingNames)
{
    const std::string numbered = std::string(messages::kNewFolderName) + "(";
    int n = 0;
    for (const auto& name : siblingNames) {
        if (name == messages::kNewFolderName) {
            n = std::max(n, 2);
        } else if (name.starts_with(numbered)) {
            const int k = readNumber(name, numbered.size(), std::numeric_limits<int>::max() - 1);
            if (k >= 0)
                n = std::max(n, k + 1);
        }
    }
    if (n == 0)
        return std::string(messages::kNewFolderName);
    return numbered + std::to_string(n) + ")";
}

std::size_t storedNameLength(std::string_view utf8Name)
{
    return codec::utf8ToCp932(utf8Name).size();
}

} // namespace yv::examplestore
