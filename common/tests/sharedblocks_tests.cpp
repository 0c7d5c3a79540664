// The flag block and the text block.
#include "SharedBlocks.h"

#include <platform/sharedmemory.h>
#include <testhome.h>

#include <gtest/gtest.h>

#include <csignal>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace yv::blocks;

class SharedBlocks : public ::testing::Test {
protected:
    void TearDown() override
    {
        for (std::size_t i = 0; i < kFlagBlockSize; ++i)
            setFlag(i, 0);
        yv::shm::SharedBlock::remove(kFlagBlockName);
    }
    yv::testing::TestHome home;
};

TEST_F(SharedBlocks, FlagsReadZeroUntilSetAndKeepTheirNeighbours)
{
    EXPECT_EQ(readFlag(EngineBusy), 0);
    setFlag(EngineBusy, 1);
    setFlag(VoiceProbed, 1);
    EXPECT_EQ(readFlag(EngineBusy), 1);
    EXPECT_EQ(readFlag(VoiceProbed), 1);
    EXPECT_EQ(readFlag(VoiceAvailable), 0);
    setFlag(EngineBusy, 0);
    EXPECT_EQ(readFlag(EngineBusy), 0);
    EXPECT_EQ(readFlag(VoiceProbed), 1);
    EXPECT_EQ(readFlag(16), 0);
    setFlag(99, 1);  // out of range: ignored
}

// Runs `body` in a child process that reports through a pipe and waits to be killed.
pid_t childThat(void (*body)(), int& readyFd)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        body();
        const char ok = 'k';
        (void)!::write(fds[1], &ok, 1);
        ::pause();
        ::_exit(0);
    }
    ::close(fds[1]);
    readyFd = fds[0];
    char c = 0;
    (void)!::read(readyFd, &c, 1);
    return pid;
}

TEST_F(SharedBlocks, BusyByteOfADeadProcessReadsZero)
{
    int fd = -1;
    const pid_t pid = childThat([] { setFlag(EngineBusy, 1); }, fd);
    ASSERT_GT(pid, 0);
    EXPECT_EQ(readFlag(EngineBusy), 1);  // the setter lives

    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    ::close(fd);
    EXPECT_EQ(readFlag(EngineBusy), 0);  // its byte is still 1, but nobody stands behind it

    // The next setter takes over normally.
    setFlag(EngineBusy, 1);
    EXPECT_EQ(readFlag(EngineBusy), 1);
}

TEST_F(SharedBlocks, FirstWriterCreatesTheBlockZeroed)
{
    // A block left with stale bytes by a crashed instance.
    {
        auto stale = yv::shm::SharedBlock::create(kFlagBlockName, kFlagBlockSize);
        ASSERT_TRUE(stale);
        stale->data()[EngineBusy] = 1;
        stale->data()[VoiceAvailable] = 1;
    }
    EXPECT_EQ(readFlag(EngineBusy), 0);
    EXPECT_EQ(readFlag(VoiceAvailable), 0);
}

TEST_F(SharedBlocks, TextBlockCarriesUpTo65536BytesWithTheNul)
{
    const std::string fits(kTextBlockSize - 1, 'a');
    {
        auto writer = TextBlockWriter::write(fits);
        ASSERT_TRUE(writer);
        EXPECT_EQ(writer->length(), kTextBlockSize);
        const auto read = readTextBlock(writer->length());
        ASSERT_TRUE(read);
        EXPECT_EQ(*read, fits);
    }
    EXPECT_FALSE(readTextBlock(10));  // the sender has closed it
    EXPECT_FALSE(TextBlockWriter::write(fits + "a"));
}

TEST_F(SharedBlocks, ReceiverTrustsNoLength)
{
    auto writer = TextBlockWriter::write("\x93\xFA\x96\x7B");  // 日本
    ASSERT_TRUE(writer);
    EXPECT_EQ(writer->length(), 5u);
    EXPECT_EQ(readTextBlock(5), "\x93\xFA\x96\x7B");
    EXPECT_EQ(readTextBlock(3), "\x93\xFA\x96");  // a short L copies what it says
    EXPECT_EQ(readTextBlock(60000), "\x93\xFA\x96\x7B");  // stops at the NUL
    EXPECT_FALSE(readTextBlock(0));
    EXPECT_FALSE(readTextBlock(kTextBlockSize + 1));
}

} // namespace
