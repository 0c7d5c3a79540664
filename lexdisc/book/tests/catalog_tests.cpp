// Catalogs, index tables and the mount table of the drive scan.
#include <book/catalog.h>
#include <book/indextable.h>
#include <book/mounts.h>

#include "testbook.h"

#include <platform/codec.h>

#include <gtest/gtest.h>

namespace yv::book {
namespace {

using namespace testing;

TEST(BookCatalogTest, ParsesEntriesFieldByField)
{
    const ByteVector data = catalogFile({{"辞書", "DICT", 3, 0x60, "GAI16F", "GAI16H"},
                                         {"ガイド", "GUIDE", 1, kUnselectableKind, "", ""}});
    const auto catalog = parseCatalog(data);
    ASSERT_TRUE(catalog);
    ASSERT_EQ(catalog->entries.size(), 2u);
    const SubbookEntry& first = catalog->entries[0];
    EXPECT_EQ(codec::cp932ToUtf8(first.titleSjis()), "辞書");
    EXPECT_EQ(first.directoryName(), "DICT");
    EXPECT_EQ(first.indexPage, 3);
    EXPECT_STREQ(first.fullFontNames[0].data(), "GAI16F");
    EXPECT_STREQ(first.halfFontNames[0].data(), "GAI16H");
    EXPECT_TRUE(first.selectable());
    EXPECT_FALSE(catalog->entries[1].selectable());
}

TEST(BookCatalogTest, EmptyCatalogParsesAndShortOnesDoNot)
{
    const auto empty = parseCatalog(catalogFile({}));
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->entries.empty());

    ByteVector lying = catalogFile({{"辞書", "DICT"}});
    lying[1] = 2;  // claims a second entry that is not there
    EXPECT_FALSE(parseCatalog(lying));
    EXPECT_FALSE(parseCatalog(ByteVector(10, 0)));
}

TEST(BookCatalogTest, IndexTableKeepsDescriptorsAndTellsWhoseFlagsCount)
{
    const ByteVector page = indexTablePage(0, {{0x91, 6, 2, 2, {0x41, 0x55, 0x54}}, {0x71, 8, 1, 1, {0x41, 0, 0}}});
    const auto table = parseIndexTable(page);
    ASSERT_TRUE(table);
    const IndexDescriptor* forward = table->find(IndexId::ForwardOther);
    ASSERT_TRUE(forward);
    EXPECT_EQ(forward->startBlock, 6u);
    EXPECT_EQ(forward->blockCount, 2u);
    EXPECT_EQ(forward->flag1, 0x41);
    EXPECT_TRUE(table->flagsInForce(*forward));
    EXPECT_FALSE(table->flagsInForce(*table->find(IndexId::BackwardOther)));
    EXPECT_FALSE(table->find(IndexId::ExactKana));

    ByteVector globalOne = page;
    globalOne[4] = 1;
    EXPECT_FALSE(parseIndexTable(globalOne)->flagsInForce(*forward));

    ByteVector lying = page;
    lying[1] = 200;
    EXPECT_FALSE(parseIndexTable(lying));
}

TEST(BookMountTest, LocalFileSystemsInMountOrder)
{
    const std::string table = "/dev/sda1 / ext4 rw 0 0\n"
                              "proc /proc proc rw 0 0\n"
                              "server:/export /mnt/nfs nfs4 rw 0 0\n"
                              "//host/share /mnt/smb cifs rw 0 0\n"
                              "/dev/sr0 /media/cd\\040rom iso9660 ro 0 0\n"
                              "tmpfs /tmp tmpfs rw 0 0\n"
                              "/dev/sda1 / ext4 rw 0 0\n"
                              "broken\n";
    const auto roots = parseMountRoots(table);
    ASSERT_EQ(roots.size(), 3u);
    EXPECT_EQ(roots[0], "/");
    EXPECT_EQ(roots[1], "/media/cd rom");
    EXPECT_EQ(roots[2], "/tmp");
}

} // namespace
} // namespace yv::book
