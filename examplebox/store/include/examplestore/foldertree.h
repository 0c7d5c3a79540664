// The folder tree of the example store and its file base.dat.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace yv::examplestore {

using NodeId = int;
inline constexpr NodeId kNoNode = -1;

// A folder owns the directory "fd%03d" of its number; -1 owns none.
inline constexpr int kNoFolderNumber = -1;
inline constexpr int kRecycleBinNumber = 0;
// Folder numbers live in the high half of a SampleRef, where 0xFFFF marks a sub-folder entry.
inline constexpr int kMaxFolderNumber = 0xFFFE;
// Counted in Shift_JIS bytes, as the name is stored.
inline constexpr std::size_t kMaxFolderNameBytes = 128;

struct FolderNode {
    std::string name;  // UTF-8
    int number = kNoFolderNumber;
    NodeId parent = kNoNode;
    NodeId firstChild = kNoNode;
    NodeId nextSibling = kNoNode;
};

class FolderTree final {
public:
    // Reads base.dat as leniently as it was ever written: text outside quotes is skipped up
    // to the next "(", a name runs between two quotes, "=fd" and a number may follow it, "("
    // opens a child and ")" closes a node. The file is Shift_JIS; any bytes give some tree.
    static FolderTree parse(std::string_view bytes);
    // base.dat in Shift_JIS: each node on its own line, four spaces per level, a node with
    // children closing on a line of its own; CR LF line ends.
    std::string serialize() const;

    // One more than the largest folder number the tree has held; advances when a number is taken.
    int nextFreeNumber() const { return m_nextNumber; }
    void reserveNumbersBelow(int number);
    int takeFolderNumber();

    bool isValid(NodeId id) const;
    const FolderNode& node(NodeId id) const { return m_nodes[static_cast<std::size_t>(id)]; }
    std::vector<NodeId> topNodes() const;
    std::vector<NodeId> children(NodeId id) const;
    bool isTopLevel(NodeId id) const { return node(id).parent == kNoNode; }
    bool isRecycleBin(NodeId id) const { return node(id).number == kRecycleBinNumber; }
    // True when `id` is `ancestor` or lies below it.
    bool isWithin(NodeId id, NodeId ancestor) const;
    // The first node carrying the number, or kNoNode.
    NodeId findByNumber(int number) const;
    // The subtree of `id`, children before their parents.
    std::vector<NodeId> subtreeChildrenFirst(NodeId id) const;

    // Appends as the last child (or last top node for kNoNode); its number counts as taken.
    NodeId append(NodeId parent, std::string name, int number);
    void rename(NodeId id, std::string name);
    void remove(NodeId id);
    void move(NodeId id, NodeId newParent);

private:
    void unlink(NodeId id);

    std::vector<FolderNode> m_nodes;
    std::vector<bool> m_removed;
    NodeId m_firstTop = kNoNode;
    int m_nextNumber = 1;
};

// "新しいﾌｫﾙﾀﾞ", or "新しいﾌｫﾙﾀﾞ(n)" past every such name among the siblings.
std::string newFolderName(const std::vector<std::string>& siblingNames);

// The name's length as base.dat stores it (Shift_JIS bytes).
std::size_t storedNameLength(std::string_view utf8Name);

} // namespace yv::examplestore
