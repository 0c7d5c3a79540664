// Test helpers for the example index.
#include "indexfixture.h"

#include <platform/codec.h>

#include <gtest/gtest.h>

#include <fstream>

namespace yv::exampleindex::testing {

std::string sjis(std::string_view utf8)
{
    return codec::utf8ToCp932(utf8);
}

IndexFixture::IndexFixture()
    : m_dir(m_home.dir() / "data")
{
    std::filesystem::create_directories(m_dir);
}

std::filesystem::path IndexFixture::writeDocument(const std::string& name, const std::vector<std::string>& lines) const
{
    std::string text;
    for (const auto& line : lines)
        text += sjis(line) + "\r\n";
    const auto path = m_dir / name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

std::unique_ptr<IndexHandle> IndexFixture::open(Access access) const
{
    auto opened = OpenIndex(indexPath(), access);
    EXPECT_EQ(opened.error, OpenError::None);
    return std::move(opened.handle);
}

std::vector<int> IndexFixture::addAll(const std::vector<std::filesystem::path>& documents) const
{
    auto handle = open(Access::ReadWrite);
    std::vector<int> ids;
    for (const auto& document : documents)
        ids.push_back(AddDocument(*handle, document));
    EXPECT_EQ(CloseIndex(std::move(handle)), kCloseOk);
    return ids;
}

std::vector<Posting> IndexFixture::hits(std::string_view utf8Key) const
{
    auto handle = open(Access::Read);
    return handle ? collectHits(*handle, sjis(utf8Key)) : std::vector<Posting>();
}

std::vector<Posting> collectHits(IndexHandle& handle, std::string_view sjisKey)
{
    std::vector<Posting> found;
    for (auto hit = FirstHit(handle, sjisKey); hit; hit = NextHit(handle))
        found.push_back(*hit);
    return found;
}

} // namespace yv::exampleindex::testing
