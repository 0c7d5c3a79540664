// Small text helpers shared by the platform layer and the cores.
#include <platform/textutil.h>

#include <cstring>

namespace yv::text {

std::size_t copyToBuffer(std::string_view s, char* buffer, std::size_t size)
{
    if (!buffer || size == 0)
        return 0;
    const std::size_t n = utf8PrefixLength(s, size - 1);
    std::memcpy(buffer, s.data(), n);
    buffer[n] = '\0';
    return n;
}

} // namespace yv::text
