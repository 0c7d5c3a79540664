// Fuzzes the reader of the example store's folder tree (base.dat): any bytes give a tree, and
// what is written from it reads back to the same file.
#include <examplestore/foldertree.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace yv::examplestore;
    FolderTree tree = FolderTree::parse(std::string_view(reinterpret_cast<const char*>(data), size));
    const std::string written = tree.serialize();
    if (FolderTree::parse(written).serialize() != written)
        std::abort();

    const auto tops = tree.topNodes();
    if (tops.empty())
        return 0;
    std::vector<std::string> names;
    for (const NodeId child : tree.children(tops.front()))
        names.push_back(tree.node(child).name);
    const NodeId created = tree.append(tops.front(), newFolderName(names), tree.takeFolderNumber());
    const auto subtree = tree.subtreeChildrenFirst(tops.back());
    if (subtree.size() > 1 && !tree.isWithin(created, subtree.front()))
        tree.move(created, subtree.front());
    tree.remove(subtree.back());
    (void)tree.serialize();
    return 0;
}
