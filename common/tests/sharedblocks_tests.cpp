// The flag block and the text block.
#include "SharedBlocks.h"

#include <platform/sharedmemory.h>
#include <testhome.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <memory>
#include <string>
#include <thread>

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

TEST_F(SharedBlocks, ClearingAFlagOfNoBlockMakesNone)
{
    setFlag(EngineBusy, 0);
    EXPECT_FALSE(yv::shm::SharedBlock::open(kFlagBlockName, yv::shm::SharedBlock::Access::ReadOnly));
    setFlag(VoiceProbed, 1);
    setFlag(VoiceProbed, 0);
    EXPECT_TRUE(yv::shm::SharedBlock::open(kFlagBlockName, yv::shm::SharedBlock::Access::ReadOnly));
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

// A sender in another process: it writes `text` into the text block, says 'w' (or 'x' when
// it could not), keeps the block until it reads a byte, then says 'd' and ends.
struct OtherSender {
    pid_t pid = -1;
    int commands = -1;
    int reports = -1;

    explicit OtherSender(const char* text)
    {
        int down[2];
        int up[2];
        if (::pipe(down) != 0 || ::pipe(up) != 0)
            return;
        pid = ::fork();
        if (pid == 0) {
            ::close(down[1]);
            ::close(up[0]);
            {
                const auto writer = TextBlockWriter::write(text);
                const char state = writer ? 'w' : 'x';
                (void)!::write(up[1], &state, 1);
                char c = 0;
                (void)!::read(down[0], &c, 1);
            }
            const char done = 'd';
            (void)!::write(up[1], &done, 1);
            ::_exit(0);
        }
        ::close(down[0]);
        ::close(up[1]);
        commands = down[1];
        reports = up[0];
    }
    ~OtherSender()
    {
        ::close(commands);
        ::close(reports);
        if (pid > 0)
            ::waitpid(pid, nullptr, 0);
    }
    char report() const
    {
        char c = 0;
        return ::read(reports, &c, 1) == 1 ? c : '?';
    }
    void finish() const
    {
        const char c = 'f';
        (void)!::write(commands, &c, 1);
    }
};

TEST_F(SharedBlocks, ConcurrentSendersNeitherOverwriteNorRemoveEachOthersText)
{
    const OtherSender first("first sender");
    ASSERT_GT(first.pid, 0);
    ASSERT_EQ(first.report(), 'w');

    // This program sends meanwhile: it waits until the first hand-over is over.
    std::atomic<bool> written{false};
    std::unique_ptr<TextBlockWriter> second;
    std::thread sender([&] {
        second = TextBlockWriter::write("second sender");
        written = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(written) << "the second sender did not wait for the first";
    EXPECT_EQ(readTextBlock(13), "first sender") << "the first sender's receiver lost its text";

    // The first sender is done; its removal of the block leaves the second one's alone.
    first.finish();
    EXPECT_EQ(first.report(), 'd');
    sender.join();
    ASSERT_TRUE(second);
    EXPECT_EQ(readTextBlock(second->length()), "second sender");
    second.reset();
    EXPECT_FALSE(readTextBlock(1));
}

TEST_F(SharedBlocks, ASenderThatDiedOrIsStillSendingOnThisThread)
{
    // A sender killed during its hand-over does not block the next one.
    const OtherSender crashed("never read");
    ASSERT_EQ(crashed.report(), 'w');
    ::kill(crashed.pid, SIGKILL);
    auto writer = TextBlockWriter::write("after the crash");
    ASSERT_TRUE(writer);
    EXPECT_EQ(readTextBlock(writer->length()), "after the crash");

    // A send nested inside this thread's own hand-over cannot wait for it: refused at once.
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(TextBlockWriter::write("nested"));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_EQ(readTextBlock(writer->length()), "after the crash");
}

} // namespace
