// Encoding and decoding of the clipboard's pair block.
#include <editorcore/pairblock.h>

#include <algorithm>

namespace yv::editor {

namespace {

constexpr std::size_t kHeaderBytes = 10;

void putLE(std::string& out, std::uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

std::uint32_t getLE(std::string_view in, std::size_t at, int bytes)
{
    std::uint32_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v |= static_cast<std::uint32_t>(static_cast<unsigned char>(in[at + i])) << (8 * i);
    return v;
}

} // namespace

std::string encodePairBlock(const PairBlock& block)
{
    std::string out;
    const std::size_t n = std::min<std::size_t>(block.pairs.size(), 0xFFFF);
    out.reserve(kHeaderBytes + 2 * n);
    putLE(out, block.storeIdentity, 4);
    putLE(out, block.window, 4);
    putLE(out, static_cast<std::uint32_t>(n), 2);
    for (std::size_t i = 0; i < n; ++i)
        putLE(out, block.pairs[i], 2);
    return out;
}

std::optional<PairBlock> decodePairBlock(std::string_view bytes)
{
    if (bytes.size() < kHeaderBytes)
        return std::nullopt;
    PairBlock block;
    block.storeIdentity = getLE(bytes, 0, 4);
    block.window = getLE(bytes, 4, 4);
    const std::size_t n = getLE(bytes, 8, 2);
    // The clipboard may hand back a longer buffer than was put; a shorter one is a lie.
    if (bytes.size() < kHeaderBytes + 2 * n)
        return std::nullopt;
    block.pairs.reserve(n);
    for (std::size_t i = 0; i < n; ++i)
        block.pairs.push_back(static_cast<std::uint16_t>(getLE(bytes, kHeaderBytes + 2 * i, 2)));
    return block;
}

} // namespace yv::editor
