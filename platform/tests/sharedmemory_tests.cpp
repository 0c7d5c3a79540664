// Named shared memory: name spaces, modes, locks as liveness marks.
#include <platform/sharedmemory.h>

#include <testhome.h>

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>

namespace {

using yv::shm::SharedBlock;

TEST(SharedMemory, NamesBelongToTheUserAndTheInstance)
{
    std::string first;
    {
        yv::testing::TestHome home;
        first = yv::shm::objectName("SNRMAP-a/b");
        EXPECT_EQ(first.find('/', 1), std::string::npos);
        EXPECT_EQ(first.rfind("SNRMAP-a_b"), first.size() - 10);
    }
    yv::testing::TestHome other;
    EXPECT_NE(yv::shm::objectName("SNRMAP-a/b"), first);
}

TEST(SharedMemory, CreateOpenAndRemove)
{
    yv::testing::TestHome home;
    EXPECT_FALSE(SharedBlock::open("T", SharedBlock::Access::ReadOnly));
    bool created = false;
    auto block = SharedBlock::create("T", 64, &created);
    ASSERT_TRUE(block);
    EXPECT_TRUE(created);
    block->data()[63] = 9;

    struct stat st {};
    ASSERT_EQ(::stat(("/dev/shm" + yv::shm::objectName("T")).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    auto again = SharedBlock::create("T", 64, &created);
    EXPECT_FALSE(created);
    EXPECT_EQ(again->data()[63], 9);
    auto reader = SharedBlock::open("T", SharedBlock::Access::ReadOnly);
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->size(), 64u);

    SharedBlock::remove("T");
    EXPECT_FALSE(SharedBlock::open("T", SharedBlock::Access::ReadOnly));
    EXPECT_EQ(reader->data()[63], 9);  // still mapped
}

TEST(SharedMemory, HeldBytesAreSeenThroughOtherHandles)
{
    yv::testing::TestHome home;
    auto holder = SharedBlock::create("L", 16);
    auto observer = SharedBlock::open("L", SharedBlock::Access::ReadOnly);
    ASSERT_TRUE(holder && observer);
    EXPECT_FALSE(observer->byteHeld(0));
    EXPECT_TRUE(holder->holdByte(0));
    EXPECT_TRUE(observer->byteHeld(0));
    EXPECT_FALSE(observer->byteHeld(1));
    holder->releaseByte(0);
    EXPECT_FALSE(observer->byteHeld(0));
    EXPECT_TRUE(holder->holdByte(0));
    holder.reset();  // closing the holder drops its locks
    EXPECT_FALSE(observer->byteHeld(0));
    SharedBlock::remove("L");
}

TEST(SharedMemory, ATestHomeRemovesTheNamesOfItsInstanceWhenItEnds)
{
    namespace fs = std::filesystem;
    const auto onDisk = [](const std::string& object) { return fs::exists("/dev/shm" + object); };
    yv::testing::TestHome outer;
    ASSERT_TRUE(SharedBlock::create("KEEP", 16));
    const std::string kept = yv::shm::objectName("KEEP");
    std::string gone;
    {
        yv::testing::TestHome inner;
        const auto block = SharedBlock::create("WAYPOINTS_MAP_FLAG", 16);
        ASSERT_TRUE(block && SharedBlock::create("PSERVER_DATA", 64));
        gone = yv::shm::objectName("WAYPOINTS_MAP_FLAG");
        ASSERT_TRUE(onDisk(gone));
    }
    EXPECT_FALSE(onDisk(gone));
    EXPECT_TRUE(onDisk(kept)) << "another instance's names stay";
}

} // namespace
