// Test helper: one of several processes writing into the same hive at once.
// Usage: etc_writer ID COUNT
#include "Etc.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    const int id = std::atoi(argv[1]);
    const int count = std::atoi(argv[2]);
    for (int i = 0; i < count; ++i) {
        const std::string name = "w" + std::to_string(id) + "-" + std::to_string(i);
        SetRegDWORD(HKEY_CURRENT_USER, "race", name.c_str(), static_cast<uint32_t>(i));
        MemorizeKey(HKEY_CURRENT_USER, "race", "history", name.c_str());
    }
    return 0;
}
