// The drive scan's list of places to look for a catalog: the mounted local file systems.
#pragma once

#include <filesystem>
#include <string_view>
#include <vector>

namespace yv::book {

// Mount points of a mount table in the /proc/self/mounts layout, in mount order, without
// network and kernel-internal file systems and without repeats.
std::vector<std::filesystem::path> parseMountRoots(std::string_view mountTable);

// The same for this process's mount table.
std::vector<std::filesystem::path> localMountRoots();

} // namespace yv::book
