// The program sample from the command line, over a copy of the shipped example data.
#include <Etc.h>

#include <examplestore/store.h>

#include <exampleindex/sampletext.h>

#include <testhome.h>

#include <gtest/gtest.h>

#include <array>
#include <set>
#include <cstdio>
#include <fstream>

#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;
namespace es = yv::examplestore;

struct ProgramRun {
    int status = -1;
    std::string output;
};

ProgramRun runSample(const std::string& arguments)
{
    ProgramRun run;
    const std::string command = std::string(YV_SAMPLE_PROGRAM) + " " + arguments + " 2>/dev/null";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return run;
    std::array<char, 4096> buffer;
    for (std::size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0;)
        run.output.append(buffer.data(), n);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

class SampleCommandLine : public ::testing::Test {
protected:
    SampleCommandLine()
        : dataDir(home.dir() / "例文")
    {
        fs::copy(YV_SHIPPED_DATA_DIR, dataDir, fs::copy_options::recursive);
    }

    std::string data() const { return "--data '" + dataDir.string() + "'"; }

    yv::testing::TestHome home;
    fs::path dataDir;
};

TEST_F(SampleCommandLine, TheShippedDataIsCompleteAndIndexed)
{
    es::SampleStore store(dataDir);
    const auto documents = store.allDocuments();
    EXPECT_GE(documents.size(), 20u);
    int examples = 0;
    std::set<int> folders;
    for (const auto& document : documents) {
        std::ifstream in(store.documentPath(document), std::ios::binary);
        const std::string text{std::istreambuf_iterator<char>(in), {}};
        ASSERT_TRUE(es::documentTitle(text)) << document.fileName;
        const auto lines = yv::exampleindex::splitSampleLines(text);
        for (std::size_t i = 2; i + 1 < lines.size(); i += 3) {
            EXPECT_FALSE(yv::exampleindex::isBlankLine(lines[i]) || yv::exampleindex::isBlankLine(lines[i + 1]));
            ++examples;
        }
        EXPECT_LE(document.number(), es::kLastShippedDocument);
        EXPECT_NE(store.tree().findByNumber(document.folder), es::kNoNode);
        folders.insert(document.folder);
    }
    EXPECT_GE(examples, 400);
    EXPECT_GE(folders.size(), 4u);

    const ProgramRun run = runSample("--search meeting " + data());
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.output.find("【meeting】"), std::string::npos);
    EXPECT_TRUE(run.output.ends_with("文書ヒット\n"));
    EXPECT_EQ(run.output.find('\r'), std::string::npos);
    EXPECT_NE(runSample("--search 予約 --no-mark " + data()).output.find("予約"), std::string::npos);
}

TEST_F(SampleCommandLine, AddsSearchesAndRebuilds)
{
    const fs::path file = home.dir() / "mine.txt";
    std::ofstream(file) << "自作の例文\n\nThe zebrafish swims fast.\nゼブラフィッシュは速く泳ぐ。\n";
    ProgramRun run = runSample("--add '" + file.string() + "' --folder 2 " + data());
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.output.find("fd002/00010001.sam"), std::string::npos);

    run = runSample("--search zebrafish " + data());
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.output.find("ゼブラフィッシュは速く泳ぐ。"), std::string::npos);
    EXPECT_NE(run.output.find("[1]文 / [1]文書ヒット"), std::string::npos);

    fs::remove(dataDir / "User.idx");
    EXPECT_EQ(runSample("--reindex " + data()).status, 0);
    EXPECT_NE(runSample("--search zebrafish " + data()).output.find("[1]文"), std::string::npos);

    EXPECT_EQ(runSample("--add '" + file.string() + "' --folder 1 " + data()).status, 1);  // top level
    // A document of the index that is gone stops the search.
    fs::remove(dataDir / "fd002" / "00000001.sam");
    EXPECT_EQ(runSample("--search 'Good morning' " + data()).status, 2);
}

TEST_F(SampleCommandLine, BeforeTheFirstRunASearchReadsTheMachinesExamples)
{
    // The user's folder is named but still empty, as it is before the first-run set-up copies it.
    const fs::path empty = home.dir() / "empty";
    fs::create_directories(empty);
    SetRegStr(HKEY_CURRENT_USER, "例文", "Path", empty.c_str());
    EXPECT_EQ(runSample("--search meeting").status, 1) << "no machine examples either: said plainly";
    SetRegStr(HKEY_LOCAL_MACHINE, "例文", "Path", dataDir.c_str());
    const ProgramRun run = runSample("--search meeting");
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.output.find("【meeting】"), std::string::npos);
    EXPECT_EQ(run.output.find("[0]文"), std::string::npos);
    // Asked for by name, an empty folder is searched as it is and said to be unusable.
    EXPECT_EQ(runSample("--search meeting --data '" + empty.string() + "'").status, 1);
}

TEST_F(SampleCommandLine, WrongUseFailsWithoutTouchingAnything)
{
    EXPECT_EQ(runSample("--frobnicate").status, 1) << "without arguments it is a window; a wrong one is no use";
    EXPECT_EQ(runSample("--help").status, 0) << "asked for, the usage is no error";
    EXPECT_EQ(runSample("--search x --reindex " + data()).status, 1);
    EXPECT_EQ(runSample("--add x " + data()).status, 1);
    EXPECT_EQ(runSample("--search x --data '" + (home.dir() / "none").string() + "'").status, 1);
}

} // namespace
