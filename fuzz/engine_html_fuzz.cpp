// Fuzzes the HTML splitter, character references and charset declarations.
#include "html.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view html(reinterpret_cast<const char*>(data), size);
    std::string rebuilt;
    for (const auto& piece : yv::engine::Internal::splitHtml(html)) {
        rebuilt += piece.bytes;
        if (piece.isText)
            (void)yv::engine::Internal::encodeEntities(yv::engine::Internal::decodeEntities(piece.bytes));
    }
    // The pieces cover every byte, in order.
    if (rebuilt != html)
        std::abort();
    (void)yv::engine::Internal::declaredCharset(html);
    return 0;
}
