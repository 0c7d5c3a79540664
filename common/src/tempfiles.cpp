// Temporary files reserved in the user's private temporary directory.
#include "Etc.h"

#include <platform/paths.h>
#include <platform/textutil.h>

#include <cstdio>
#include <ctime>
#include <string>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kAttempts = 1024;
constexpr int kStep = 3;
constexpr std::string_view kTempPrefix = "_wypts_";

unsigned tickCount()
{
    timespec ts {};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<unsigned>(ts.tv_sec * 1000 + ts.tv_nsec / 1000000);
}

} // namespace

extern "C" {

char* TempFileName(const char* extension, char* out)
{
    if (!out)
        return nullptr;
    const std::filesystem::path dir = yv::paths::tempDir();
    if (dir.empty())
        return nullptr;
    const std::string ext = extension ? extension : "";
    unsigned counter = tickCount();
    for (int attempt = 0; attempt < kAttempts; ++attempt, counter += kStep) {
        char name[32];
        std::snprintf(name, sizeof name, "_wypts_%04u", counter % 1000);
        const std::string path = (dir / (name + ext)).string();
        if (path.size() >= ETC_MAX_PATH)
            return nullptr;
        // Exclusive creation: a name another program (or an attacker) holds is never reused.
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0)
            continue;
        ::close(fd);
        yv::text::copyToBuffer(path, out, ETC_MAX_PATH);
        return out;
    }
    return nullptr;
}

void ClearTempFile(void)
{
    const std::filesystem::path dir = yv::paths::tempDir();
    if (dir.empty())
        return;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code typeError;
        if (name.starts_with(kTempPrefix) && !it->is_directory(typeError))
            std::filesystem::remove(it->path(), typeError);
    }
}

} // extern "C"
