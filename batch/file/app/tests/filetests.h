// Shared by the batch box's tests: files to translate, the program run headless with its
// standard error in a file, and Office fixtures saved by the office suite.
#pragma once

#include <filebox/batchlist.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace yv::filebox::testing {

namespace fs = std::filesystem;

inline void writeFile(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline bool hasJapanese(const std::string& utf8)
{
    for (const char c : utf8) {
        if (static_cast<unsigned char>(c) >= 0xE3)
            return true;
    }
    return false;
}

struct RunResult {
    int status = -1;     // exit status, -1 when it did not end in time or was killed
    std::string errors;  // standard error
};

// Runs `argv` to its end (at most `seconds`), standard error into a file: the engines the run
// starts inherit it and outlive the run, so a pipe would never end.
inline RunResult runToEnd(const std::vector<std::string>& args, const fs::path& errorFile, int seconds = 240)
{
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    RunResult result;
    if (spawned != 0)
        return result;
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (::waitpid(pid, &status, WNOHANG) != pid) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            result.errors = readFile(errorFile);
            return result;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.errors = readFile(errorFile);
    return result;
}

} // namespace yv::filebox::testing
