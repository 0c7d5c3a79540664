// Locations of the suite's files, all relocatable through YORVANE_HOME.
#include <platform/paths.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

namespace yv::paths {

namespace fs = std::filesystem;

namespace {

std::string env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

fs::path home()
{
    return env("YORVANE_HOME");
}

fs::path userHome()
{
    const std::string h = env("HOME");
    return h.empty() ? fs::path("/") : fs::path(h);
}

} // namespace

fs::path programDir()
{
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::current_path(ec) : exe.parent_path();
}

fs::path moduleDir(const void* address)
{
    Dl_info info {};
    if (::dladdr(address, &info) == 0 || !info.dli_fname)
        return programDir();
    std::error_code ec;
    const fs::path file = fs::canonical(info.dli_fname, ec);
    return ec ? programDir() : file.parent_path();
}

fs::path machineDir()
{
    if (const std::string dir = env("YORVANE_MACHINE_DIR"); !dir.empty())
        return dir;
    if (const fs::path h = home(); !h.empty())
        return h / "machine";
    return (programDir() / ".." / "machine").lexically_normal();
}

fs::path userConfigDir()
{
    if (const fs::path h = home(); !h.empty())
        return h / "config";
    if (const std::string xdg = env("XDG_CONFIG_HOME"); !xdg.empty() && fs::path(xdg).is_absolute())
        return fs::path(xdg) / "yorvane5";
    return userHome() / ".config" / "yorvane5";
}

fs::path userCacheDir()
{
    if (const std::string dir = env("YORVANE_CACHE_DIR"); !dir.empty())
        return dir;
    if (const fs::path h = home(); !h.empty())
        return h / "cache";
    if (const std::string xdg = env("XDG_CACHE_HOME"); !xdg.empty() && fs::path(xdg).is_absolute())
        return fs::path(xdg) / "yorvane5";
    return userHome() / ".cache" / "yorvane5";
}

fs::path userHiveFile()
{
    return userConfigDir() / "user.hive";
}

fs::path classesHiveFile()
{
    return userConfigDir() / "classes.hive";
}

fs::path machineHiveFile()
{
    return machineDir() / "machine.hive";
}

fs::path sessionStartFile()
{
    if (const fs::path h = home(); !h.empty())
        return h / "xsessionrc";
    return userHome() / ".xsessionrc";
}

fs::path profileDir()
{
    if (const std::string dir = env("YORVANE_PROFILE_DIR"); !dir.empty())
        return dir;
    return machineDir() / "profile";
}

bool ensurePrivateDir(const fs::path& dir)
{
    std::error_code ec;
    if (!dir.parent_path().empty())
        fs::create_directories(dir.parent_path(), ec);
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat st {};
    if (::lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
        return false;
    // A directory we own but others can enter is tightened rather than trusted.
    if ((st.st_mode & 0077) != 0 && ::chmod(dir.c_str(), 0700) != 0)
        return false;
    return true;
}

namespace {

fs::path privateDir(const fs::path& dir)
{
    return ensurePrivateDir(dir) ? dir : fs::path();
}

} // namespace

fs::path runtimeDir()
{
    if (const fs::path h = home(); !h.empty())
        return privateDir(h / "run");
    if (const std::string xdg = env("XDG_RUNTIME_DIR"); !xdg.empty() && fs::path(xdg).is_absolute())
        return privateDir(fs::path(xdg) / "yorvane5");
    return privateDir("/tmp/yorvane5-run-" + std::to_string(::geteuid()));
}

fs::path tempDir()
{
    if (const fs::path h = home(); !h.empty())
        return privateDir(h / "tmp");
    std::string base = env("TMPDIR");
    if (base.empty() || !fs::path(base).is_absolute())
        base = "/tmp";
    return privateDir(fs::path(base) / ("yorvane5-" + std::to_string(::geteuid())));
}

std::string instanceTag()
{
    const fs::path h = home();
    if (h.empty())
        return {};
    // FNV-1a of the absolute home: short, stable, and the same in every program of that home.
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (const unsigned char c : fs::absolute(h).lexically_normal().string())
        hash = (hash ^ c) * 0x100000001b3ull;
    char buf[17];
    std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(hash));
    return buf;
}

std::string sharedMemoryPrefix()
{
    const std::string tag = instanceTag();
    return "/yv5-" + std::to_string(::geteuid()) + "-" + (tag.empty() ? "0" : tag) + "-";
}

} // namespace yv::paths
