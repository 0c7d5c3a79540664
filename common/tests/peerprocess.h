// Test helper: runs the bus peer (or another program) as a child process and reads its log.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace yv::testing {

class ChildProcess final {
public:
    ChildProcess(const std::string& program, const std::vector<std::string>& args)
    {
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        // Peers show real windows when there is a display, so that activation can be checked.
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e) {
            if (std::string(*e).rfind("QT_QPA_PLATFORM=", 0) != 0)
                env.emplace_back(*e);
        }
        env.emplace_back(std::getenv("DISPLAY") ? "QT_QPA_PLATFORM=xcb" : "QT_QPA_PLATFORM=offscreen");
        std::vector<char*> envp;
        for (std::string& e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        if (posix_spawn(&m_pid, program.c_str(), nullptr, nullptr, argv.data(), envp.data()) != 0)
            m_pid = -1;
    }
    ~ChildProcess()
    {
        if (m_pid <= 0 || m_exited)
            return;
        // Asked first, then made to: a test never waits for a child that does not end.
        ::kill(m_pid, SIGTERM);
        if (!waitForExit(2000)) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return m_pid > 0; }
    pid_t pid() const { return m_pid; }

    // True when the process ended within `ms`.
    bool waitForExit(int ms)
    {
        for (int waited = 0; waited <= ms; waited += 10) {
            if (::waitpid(m_pid, &m_status, WNOHANG) == m_pid) {
                m_exited = true;
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

private:
    pid_t m_pid = -1;
    int m_status = 0;
    bool m_exited = false;
};

// Sent to the bus peer with a hand-over of UTF-8 text: the peer makes the text its PRIMARY
// selection, as a program where the user has selected it.
inline constexpr std::uint32_t kPeerSelectMessage = 0x0400 + 0x60;

// Bytes as lower-case hexadecimal, as the peer logs what it received.
inline std::string hex(std::string_view bytes)
{
    std::string out;
    char buf[3];
    for (const unsigned char c : bytes) {
        std::snprintf(buf, sizeof buf, "%02x", c);
        out += buf;
    }
    return out;
}

inline std::vector<std::string> readLines(const std::string& path)
{
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

} // namespace yv::testing
