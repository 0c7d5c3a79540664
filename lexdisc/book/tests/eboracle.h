// The EB library as an independent reader of the same books, for tests and benchmarks only.
#pragma once

#include <book/bookformat.h>

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace yv::book::testing {

struct OracleHit {
    TextPosition text;
    TextPosition heading;
};

// The first subbook of the book at `root`, opened through the EB library.
class EbOracle final {
public:
    explicit EbOracle(const std::filesystem::path& root);
    ~EbOracle();
    EbOracle(const EbOracle&) = delete;
    EbOracle& operator=(const EbOracle&) = delete;

    bool isOpen() const { return m_open; }
    // Forward ("word") or backward ("endword") search for a UTF-8 key; every hit it reports.
    std::vector<OracleHit> search(std::string_view utf8Key, bool backward);
    // The heading at a position, in UTF-8.
    std::string heading(TextPosition at);

private:
    struct Book;
    std::unique_ptr<Book> m_book;
    bool m_open = false;
};

} // namespace yv::book::testing
