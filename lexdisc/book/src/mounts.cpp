// Mount-table reading for the drive scan.
#include <book/mounts.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <sstream>
#include <string>

namespace yv::book {

namespace {

// Remote file systems are skipped as remote drives are; kernel-internal ones hold no discs.
constexpr std::array<std::string_view, 40> kSkippedTypes = {
    "nfs", "nfs4", "cifs", "smb3", "smbfs", "ncpfs", "afs", "9p", "ceph", "glusterfs", "coda", "lustre",
    "davfs", "fuse.sshfs", "fuse.rclone", "fuse.s3fs", "fuse.gvfsd-fuse", "fuse.davfs2",
    "proc", "sysfs", "devpts", "devtmpfs", "cgroup", "cgroup2", "securityfs", "debugfs", "tracefs",
    "pstore", "bpf", "mqueue", "hugetlbfs", "configfs", "fusectl", "autofs", "binfmt_misc", "efivarfs",
    "rpc_pipefs", "nsfs", "selinuxfs", "ramfs",
};

// Mount points escape space, tab, newline and backslash as three octal digits.
std::string unescape(std::string_view field)
{
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string_view digits = field.substr(i + 1, 3);
            if (std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '7'; })) {
                out.push_back(static_cast<char>((digits[0] - '0') * 64 + (digits[1] - '0') * 8 + (digits[2] - '0')));
                i += 3;
                continue;
            }
        }
        out.push_back(field[i]);
    }
    return out;
}

} // namespace

std::vector<std::filesystem::path> parseMountRoots(std::string_view mountTable)
{
    std::vector<std::filesystem::path> roots;
    std::istringstream lines{std::string(mountTable)};
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string device, mountPoint, type;
        if (!(fields >> device >> mountPoint >> type))
            continue;
        const bool skipped = std::find(kSkippedTypes.begin(), kSkippedTypes.end(), type) != kSkippedTypes.end();
        if (skipped)
            continue;
        std::filesystem::path root(unescape(mountPoint));
        if (std::find(roots.begin(), roots.end(), root) == roots.end())
            roots.push_back(std::move(root));
    }
    return roots;
}

std::vector<std::filesystem::path> localMountRoots()
{
    std::ifstream in("/proc/self/mounts");
    std::stringstream text;
    text << in.rdbuf();
    return parseMountRoots(text.str());
}

} // namespace yv::book
