// The capture API as a client loads it: version, initialisation rules, the reference count and
// exclusivity shared between processes, and the library's refusal to run from a stray folder.
#include <SnrApi32.h>

#include <peerprocess.h>
#include <testhome.h>

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

// The library loaded after the test's home is in place, so that its shared names are the test's.
class Api final {
public:
    explicit Api(const fs::path& file = yv::testing::binDir() / "libSnrApi32.so")
        : m_handle(::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL))
    {
    }
    ~Api()
    {
        if (m_handle)
            ::dlclose(m_handle);
    }
    Api(const Api&) = delete;
    Api& operator=(const Api&) = delete;

    template <typename F>
    F* call(const char* name) const
    {
        return reinterpret_cast<F*>(::dlsym(m_handle, name));
    }
    bool loaded() const { return m_handle && call<int()>("SNRIsLoaded")(); }
    int init(const CaptureInitInfo* info) const { return call<int(const CaptureInitInfo*)>("SNRInitCaptureEx")(info); }
    int refCount() const { return call<int()>("SNRGetRefCount")(); }

private:
    void* m_handle;
};

CaptureInitInfo initInfo(bool exclusive)
{
    CaptureInitInfo info{};
    info.size = sizeof info;
    info.exclusive = exclusive ? 1 : 0;
    return info;
}

// Another process with the library loaded; its first line tells its initialisation's result
// and the reference count it saw.
class Peer final {
public:
    Peer(const yv::testing::TestHome& home, const char* name, bool exclusive)
        : m_file((home.dir() / name).string())
        , m_child(PEER, exclusive ? std::vector<std::string>{m_file, "exclusive"} : std::vector<std::string>{m_file})
    {
    }
    std::string report()
    {
        for (int waited = 0; waited < 10000 && !fs::exists(m_file); waited += 10)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::ifstream in(m_file);
        std::string line;
        std::getline(in, line);
        return line;
    }
    void end()
    {
        ::kill(m_child.pid(), SIGTERM);
        m_child.waitForExit(5000);
    }

private:
    std::string m_file;
    yv::testing::ChildProcess m_child;
};

TEST(CaptureApi, VersionAndInitialisationArguments)
{
    yv::testing::TestHome home;
    Api api;
    ASSERT_TRUE(api.loaded());
    EXPECT_EQ(api.call<int()>("SNRGetVersion")(), 0x20000);
    EXPECT_EQ(api.init(nullptr), 1);
    CaptureInitInfo info = initInfo(false);
    info.size = 24;
    EXPECT_EQ(api.init(&info), 0);
    info = initInfo(false);
    info.ownerWindow = 0x1234;
    EXPECT_EQ(api.init(&info), 1);
    EXPECT_EQ(api.call<uint32_t()>("SNRGetOwnerWindow")(), 0x1234u);
}

TEST(CaptureApi, ReferenceCountFollowsTheLiveProcesses)
{
    yv::testing::TestHome home;
    Api api;
    ASSERT_TRUE(api.loaded());
    EXPECT_EQ(api.refCount(), 1);
    Peer peer(home, "peer", false);
    EXPECT_EQ(peer.report(), "1 2");
    EXPECT_EQ(api.refCount(), 2);
    // A user that dies without unloading no longer counts.
    peer.end();
    EXPECT_EQ(api.refCount(), 1);
}

TEST(CaptureApi, ExclusiveInitialisationNeedsToBeAloneAndThenRefusesOthers)
{
    yv::testing::TestHome home;
    {
        Api api;
        ASSERT_TRUE(api.loaded());
        Peer peer(home, "peer", false);
        ASSERT_EQ(peer.report(), "1 2");
        const CaptureInitInfo exclusive = initInfo(true);
        EXPECT_EQ(api.init(&exclusive), 0);  // two users
        peer.end();
        EXPECT_EQ(api.init(&exclusive), 1);
        Peer second(home, "second", true);
        EXPECT_EQ(second.report(), "0 2");
        Peer third(home, "third", false);
        EXPECT_EQ(third.report(), "0 3");
    }
    // Unloading ends the exclusivity.
    Api again;
    const CaptureInitInfo plain = initInfo(false);
    EXPECT_EQ(again.init(&plain), 1);
}

TEST(CaptureApi, RefusesToRunFromAFolderOthersCanWrite)
{
    yv::testing::TestHome home;
    const fs::path stray = home.dir() / "stray";
    fs::create_directories(stray);
    for (const char* file : {"libSnrApi32.so", "libSNRCAPNT.so", "libSNRCBK32.so"})
        fs::copy_file(yv::testing::binDir() / file, stray / file);
    fs::permissions(stray, fs::perms::others_write, fs::perm_options::add);
    Api api(stray / "libSnrApi32.so");
    EXPECT_FALSE(api.loaded());
    SNRRect rect{};
    char words[16] = {};
    EXPECT_EQ(api.call<int(int, int, SNRRect*, char*, int, char*, int)>("SNRGetWords")(1, 1, &rect, words, 16, words, 16), 0);
}

} // namespace
