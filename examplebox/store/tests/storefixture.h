// A data directory for store tests: a small tree, Shift_JIS documents written from UTF-8.
#pragma once

#include <examplestore/store.h>

#include <platform/codec.h>

#include <testhome.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace yv::examplestore::testing {

inline std::string sjis(std::string_view utf8)
{
    return codec::utf8ToCp932(utf8);
}

inline std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// 例文(1) { ごみ箱(0), A(2) { A1(3) }, B(4), NoDir { C(5) } }
class StoreFixture : public ::testing::Test {
protected:
    StoreFixture()
        : dataDir(home.dir() / "例文")
    {
        std::filesystem::create_directories(dataDir);
        std::ofstream(dataDir / "base.dat", std::ios::binary)
            << sjis("(\"例文\"=fd001\n    (\"ごみ箱\"=fd000)\n    (\"A\"=fd002\n        (\"A1\"=fd003)\n    )\n"
                    "    (\"B\"=fd004)\n    (\"NoDir\"\n        (\"C\"=fd005)\n    )\n)\n");
    }

    std::filesystem::path writeDocument(int folder, int number, const std::vector<std::string>& lines) const
    {
        char name[32];
        std::snprintf(name, sizeof name, "fd%03d/%08d.sam", folder, number);
        std::filesystem::create_directories((dataDir / name).parent_path());
        std::string text;
        for (const auto& line : lines)
            text += sjis(line) + "\r\n";
        std::ofstream(dataDir / name, std::ios::binary) << text;
        return dataDir / name;
    }

    NodeId node(const SampleStore& store, int number) const { return store.tree().findByNumber(number); }

    NodeId nodeNamed(const SampleStore& store, std::string_view name) const
    {
        for (NodeId id = 0; id < 256; ++id) {
            if (store.tree().isValid(id) && store.tree().node(id).name == name)
                return id;
        }
        return kNoNode;
    }

    yv::testing::TestHome home;
    std::filesystem::path dataDir;
};

} // namespace yv::examplestore::testing
