// The folder tree and base.dat.
#include <examplestore/foldertree.h>

#include <platform/codec.h>

#include <gtest/gtest.h>

namespace {

using namespace yv::examplestore;
using yv::codec::utf8ToCp932;

std::vector<std::string> namesOf(const FolderTree& tree, const std::vector<NodeId>& ids)
{
    std::vector<std::string> names;
    for (const NodeId id : ids)
        names.push_back(tree.node(id).name);
    return names;
}

TEST(ExampleFolderTree, WritesBaseDatLineByLine)
{
    FolderTree tree;
    const NodeId top = tree.append(kNoNode, "例文", 1);
    tree.append(top, "ごみ箱", 0);
    EXPECT_EQ(tree.serialize(), utf8ToCp932("(\"例文\"=fd001\r\n    (\"ごみ箱\"=fd000)\r\n)\r\n"));

    const NodeId work = tree.append(top, "仕事", 12);
    tree.append(work, "無番号", kNoFolderNumber);
    const NodeId deep = tree.append(work, "深い", 1000);
    tree.append(deep, "x", 3);
    EXPECT_EQ(tree.serialize(), utf8ToCp932("(\"例文\"=fd001\r\n"
                                            "    (\"ごみ箱\"=fd000)\r\n"
                                            "    (\"仕事\"=fd012\r\n"
                                            "        (\"無番号\")\r\n"
                                            "        (\"深い\"=fd1000\r\n"
                                            "            (\"x\"=fd003)\r\n"
                                            "        )\r\n"
                                            "    )\r\n"
                                            ")\r\n"));
}

TEST(ExampleFolderTree, ReadsLeniently)
{
    const std::string text = utf8ToCp932("junk (\"例文\"=fd001 text\n"
                                         "  (\"新しいﾌｫﾙﾀﾞ(2)\"=fd07)(\"no number\")\r\n"
                                         "  (\"big\"=fd99999999999) (\"neg\"=fd-5)\n"
                                         "  (\"ごみ箱\" =fd000))) extra ) (\"second top\"=fd004\n");
    const FolderTree tree = FolderTree::parse(text);
    const auto tops = tree.topNodes();
    ASSERT_EQ(namesOf(tree, tops), (std::vector<std::string>{"例文", "second top"}));
    const auto children = tree.children(tops[0]);
    EXPECT_EQ(namesOf(tree, children),
              (std::vector<std::string>{"新しいﾌｫﾙﾀﾞ(2)", "no number", "big", "neg", "ごみ箱"}));
    EXPECT_EQ(tree.node(children[0]).number, 7);
    EXPECT_EQ(tree.node(children[1]).number, kNoFolderNumber);
    EXPECT_EQ(tree.node(children[2]).number, kNoFolderNumber);  // out of range
    EXPECT_EQ(tree.node(children[3]).number, kNoFolderNumber);
    EXPECT_TRUE(tree.isRecycleBin(children[4]));
    EXPECT_EQ(tree.nextFreeNumber(), 8);

    // What is written reads back the same.
    EXPECT_EQ(FolderTree::parse(tree.serialize()).serialize(), tree.serialize());
    // Names of half-width katakana alone stay what they are.
    const FolderTree kana = FolderTree::parse(utf8ToCp932("(\"ﾒﾓ\"=fd009)"));
    EXPECT_EQ(kana.node(kana.topNodes()[0]).name, "ﾒﾓ");
    EXPECT_TRUE(FolderTree::parse("").topNodes().empty());
}

TEST(ExampleFolderTree, NewFolderNamesPassTheNumberedOnes)
{
    EXPECT_EQ(newFolderName({"a", "b"}), "新しいﾌｫﾙﾀﾞ");
    EXPECT_EQ(newFolderName({"新しいﾌｫﾙﾀﾞ"}), "新しいﾌｫﾙﾀﾞ(2)");
    EXPECT_EQ(newFolderName({"新しいﾌｫﾙﾀﾞ", "新しいﾌｫﾙﾀﾞ(3)"}), "新しいﾌｫﾙﾀﾞ(4)");
    EXPECT_EQ(newFolderName({"新しいﾌｫﾙﾀﾞ(9)", "新しいﾌｫﾙﾀﾞ"}), "新しいﾌｫﾙﾀﾞ(10)");
    EXPECT_EQ(newFolderName({"新しいﾌｫﾙﾀﾞ(x)", "新しいフォルダ"}), "新しいﾌｫﾙﾀﾞ");
}

TEST(ExampleFolderTree, EditsKeepTheTreeConsistent)
{
    FolderTree tree;
    const NodeId top = tree.append(kNoNode, "top", 1);
    const NodeId a = tree.append(top, "a", 2);
    const NodeId a1 = tree.append(a, "a1", 3);
    const NodeId b = tree.append(top, "b", 4);
    EXPECT_EQ(tree.subtreeChildrenFirst(top), (std::vector<NodeId>{a1, a, b, top}));
    EXPECT_TRUE(tree.isWithin(a1, top));
    EXPECT_FALSE(tree.isWithin(b, a));

    tree.move(a, b);
    EXPECT_EQ(tree.children(top), std::vector<NodeId>{b});
    EXPECT_EQ(tree.children(b), std::vector<NodeId>{a});
    EXPECT_TRUE(tree.isWithin(a1, b));

    tree.remove(a);
    EXPECT_FALSE(tree.isValid(a));
    EXPECT_FALSE(tree.isValid(a1));
    EXPECT_TRUE(tree.children(b).empty());
    EXPECT_EQ(tree.findByNumber(3), kNoNode);
    EXPECT_EQ(tree.takeFolderNumber(), 5);  // numbers of removed folders are not given again
}

} // namespace
