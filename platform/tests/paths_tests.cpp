// Locations: one variable relocates everything; private directories stay private.
#include <platform/paths.h>

#include <testhome.h>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

TEST(Paths, HomeRelocatesEveryLocation)
{
    yv::testing::TestHome home;
    for (const fs::path& p : {yv::paths::userHiveFile(), yv::paths::classesHiveFile(),
                              yv::paths::machineHiveFile(), yv::paths::profileDir(),
                              yv::paths::runtimeDir(), yv::paths::tempDir()}) {
        EXPECT_EQ(p.string().rfind(home.dir().string(), 0), 0u) << p;
    }
    EXPECT_NE(yv::paths::userHiveFile(), yv::paths::machineHiveFile());
}

TEST(Paths, PrivateDirectoriesAreTightened)
{
    yv::testing::TestHome home;
    const fs::path dir = home.dir() / "loose";
    fs::create_directory(dir);
    fs::permissions(dir, fs::perms::all);
    EXPECT_TRUE(yv::paths::ensurePrivateDir(dir));
    struct stat st {};
    ASSERT_EQ(::stat(dir.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    // A file, or a link to somewhere else, is no private directory.
    home.writeFile("file", "x");
    EXPECT_FALSE(yv::paths::ensurePrivateDir(home.dir() / "file"));
    fs::create_directory_symlink(dir, home.dir() / "link");
    EXPECT_FALSE(yv::paths::ensurePrivateDir(home.dir() / "link"));
}

} // namespace
