// kanaconv: writes a CP932 copy of a JIS-, EUC-JP-, UTF-8- or CP932-coded file.
#include <platform/atomicfile.h>
#include <platform/codec.h>

// Files beyond this size are not texts the suite converts.
constexpr std::size_t kMaxFileSize = 64 * 1024 * 1024;

extern "C" __attribute__((visibility("default"))) int JisEucToSjis(const char* source, const char* target)
{
    if (!source || !target)
        return 0;
    const auto bytes = yv::files::readWhole(source, kMaxFileSize);
    if (!bytes)
        return 0;
    const std::string cp932 = yv::codec::toCp932(*bytes, yv::codec::detectEncoding(*bytes));
    return yv::files::writeAtomically(target, cp932, 0600) ? 1 : 0;
}
