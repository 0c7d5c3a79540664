// Test helpers for the example index: sample documents written in Shift_JIS, hits collected.
#pragma once

#include <exampleindex/index.h>

#include <testhome.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace yv::exampleindex::testing {

// UTF-8 text in, Shift_JIS out (the tests are written in UTF-8).
std::string sjis(std::string_view utf8);

class IndexFixture {
public:
    IndexFixture();

    const std::filesystem::path& dir() const { return m_dir; }
    std::filesystem::path indexPath() const { return m_dir / "Test.idx"; }
    // Writes a document (UTF-8 lines joined with CR LF, stored as Shift_JIS).
    std::filesystem::path writeDocument(const std::string& name, const std::vector<std::string>& lines) const;
    std::unique_ptr<IndexHandle> open(Access access) const;
    // Adds the documents in one writing session and closes it; returns their ids.
    std::vector<int> addAll(const std::vector<std::filesystem::path>& documents) const;
    std::vector<Posting> hits(std::string_view utf8Key) const;

private:
    yv::testing::TestHome m_home;
    std::filesystem::path m_dir;
};

std::vector<Posting> collectHits(IndexHandle& handle, std::string_view sjisKey);

} // namespace yv::exampleindex::testing
