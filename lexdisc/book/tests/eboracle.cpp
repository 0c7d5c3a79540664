// The EB library behind the oracle interface.
#include "eboracle.h"

#include <platform/codec.h>

#include <eb/eb.h>
#include <eb/error.h>
#include <eb/text.h>

#include <memory>

namespace yv::book::testing {

namespace {

constexpr int kHitsPerCall = 256;
constexpr std::size_t kHeadingMax = 1024;

} // namespace

struct EbOracle::Book {
    EB_Book book;
    EB_Hookset hooks;
};

EbOracle::EbOracle(const std::filesystem::path& root) : m_book(std::make_unique<Book>())
{
    eb_initialize_library();
    eb_initialize_book(&m_book->book);
    eb_initialize_hookset(&m_book->hooks);
    EB_Subbook_Code codes[EB_MAX_SUBBOOKS];
    int count = 0;
    m_open = eb_bind(&m_book->book, root.c_str()) == EB_SUCCESS
          && eb_subbook_list(&m_book->book, codes, &count) == EB_SUCCESS && count > 0
          && eb_set_subbook(&m_book->book, codes[0]) == EB_SUCCESS;
}

EbOracle::~EbOracle()
{
    eb_finalize_hookset(&m_book->hooks);
    eb_finalize_book(&m_book->book);
    eb_finalize_library();
}

std::vector<OracleHit> EbOracle::search(std::string_view utf8Key, bool backward)
{
    std::vector<OracleHit> found;
    const std::string key = codec::fromUtf8(utf8Key, codec::TextEncoding::EucJp);
    const EB_Error_Code started = backward ? eb_search_endword(&m_book->book, key.c_str())
                                           : eb_search_word(&m_book->book, key.c_str());
    if (started != EB_SUCCESS)
        return found;
    for (;;) {
        EB_Hit hits[kHitsPerCall];
        int count = 0;
        if (eb_hit_list(&m_book->book, kHitsPerCall, hits, &count) != EB_SUCCESS || count == 0)
            break;
        for (int i = 0; i < count; ++i) {
            found.push_back({{static_cast<std::uint32_t>(hits[i].text.page), static_cast<std::uint16_t>(hits[i].text.offset)},
                             {static_cast<std::uint32_t>(hits[i].heading.page),
                              static_cast<std::uint16_t>(hits[i].heading.offset)}});
        }
    }
    return found;
}

std::string EbOracle::heading(TextPosition at)
{
    EB_Position position{static_cast<int>(at.block), static_cast<int>(at.offset)};
    if (eb_seek_text(&m_book->book, &position) != EB_SUCCESS)
        return {};
    char text[kHeadingMax + 1];
    ssize_t length = 0;
    if (eb_read_heading(&m_book->book, nullptr, &m_book->hooks, nullptr, kHeadingMax, text, &length) != EB_SUCCESS)
        return {};
    return codec::toUtf8(std::string_view(text, static_cast<std::size_t>(length)), codec::TextEncoding::EucJp);
}

} // namespace yv::book::testing
