// Scratch directories of the fuzz targets that write files: memory-backed where the system has
// it, removed when the fuzzer exits.
#pragma once

#include <filesystem>
#include <system_error>

namespace yv::fuzzing {

inline std::filesystem::path scratchRoot()
{
    std::error_code ec;
    return std::filesystem::is_directory("/dev/shm", ec) ? std::filesystem::path("/dev/shm")
                                                          : std::filesystem::temp_directory_path();
}

struct ScratchDirectory {
    std::filesystem::path dir;
    ~ScratchDirectory()
    {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
};

} // namespace yv::fuzzing
