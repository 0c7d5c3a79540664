// The list's rules and one file's way through a run, with a host that stands for the engines.
#include <filebox/batchlist.h>
#include <filebox/batchrun.h>

#include <testhome.h>

#include <gtest/gtest.h>

#include <fstream>
#include <thread>

namespace yv::filebox {
namespace {

namespace fs = std::filesystem;

void writeFile(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

void setTime(const fs::path& path, int secondsFromNow)
{
    fs::last_write_time(path, fs::file_time_type::clock::now() + std::chrono::seconds(secondsFromNow));
}

TEST(FileNames, OutputsKindsAndEarlierOutputs)
{
    EXPECT_EQ(outputPath("/d/report.doc"), "/d/report_RY.doc");
    EXPECT_EQ(outputPath("/d/a.b/archive.tar.TXT"), "/d/a.b/archive.tar_RY.TXT");
    EXPECT_EQ(outputName("/d/メモ 1.txt"), "メモ 1_RY.txt");
    EXPECT_EQ(outputPath("/d/.txt"), "/d/_RY.txt");
    EXPECT_EQ(kindOf("/d/A.TXT"), Kind::Text);
    EXPECT_EQ(kindOf("/d/a.Html"), Kind::Html);
    EXPECT_EQ(kindOf("/d/a.htm"), Kind::Html);
    for (const char* office : {"a.doc", "a.docx", "a.XLS", "a.xlsx", "a.xlsb", "a.xlsm", "a.ppt", "a.pptx", "a.ppsx"})
        EXPECT_EQ(kindOf(office), Kind::Office) << office;
    EXPECT_EQ(kindOf("/d.txt/readme"), Kind::None);
    EXPECT_EQ(kindOf("a.pdf"), Kind::None);
    EXPECT_TRUE(isEarlierOutput("/d/report_ry.txt"));
    EXPECT_TRUE(isEarlierOutput("x_RY.docx"));
    EXPECT_FALSE(isEarlierOutput("RY.txt")) << "short base names always pass";
    EXPECT_FALSE(isEarlierOutput("report.txt"));
}

TEST(FileList, DuplicatesOrderAndStateFromTimes)
{
    yv::testing::TestHome home;
    const fs::path dir = home.dir();
    writeFile(dir / "b.txt", "b");
    writeFile(dir / "b_RY.txt", "B");
    setTime(dir / "b_RY.txt", 5);
    writeFile(dir / "a.txt", "a");
    writeFile(dir / "a_RY.txt", "A");
    setTime(dir / "a_RY.txt", -5);
    writeFile(dir / "C.txt", "c");

    BatchList list;
    EXPECT_EQ(list.add((dir / "b.txt").string()), 0u);
    EXPECT_EQ(list.add((dir / "a.txt").string()), 0u) << "rows stay in name order";
    EXPECT_EQ(list.add((dir / "C.txt").string()), 2u) << "letter case does not count";
    EXPECT_FALSE(list.add((dir / "B.TXT").string())) << "same path in another case";
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list.row(0).state, kNotTranslated) << "an older output";
    EXPECT_EQ(list.row(1).state, kTranslated) << "a newer output";
    EXPECT_EQ(list.row(1).image, Image::Translated);
    EXPECT_EQ(list.row(1).output, "b_RY.txt");
    EXPECT_EQ(list.row(2).state, kNotTranslated) << "no output";

    writeFile(dir / "same.txt", "s");
    writeFile(dir / "same_RY.txt", "S");
    fs::last_write_time(dir / "same_RY.txt", fs::last_write_time(dir / "same.txt"));
    EXPECT_FALSE(outputIsNewer(dir / "same.txt", dir / "same_RY.txt")) << "the same time is not newer";
    EXPECT_EQ(fileTime(dir / "missing.txt"), 0);

    list.remove(0);
    EXPECT_EQ(list.row(0).name, "b.txt");
    EXPECT_FALSE(list.find((dir / "a.txt").string()));
}

TEST(FileList, PreloadTakesAcceptedFilesButNoOutputsOrFolders)
{
    yv::testing::TestHome home;
    const fs::path dir = home.dir() / "in";
    fs::create_directories(dir / "sub.txt");
    for (const char* name : {"one.txt", "two.DOCX", "page.html", "one_RY.txt", "note.pdf", "ab.txt"})
        writeFile(dir / name, "x");
    writeFile(dir / "sub.txt" / "deep.txt", "x");
    const auto files = filesToPreload(dir.string() + "/");
    const std::vector<std::string> expected = {(dir / "ab.txt").string(), (dir / "one.txt").string(),
                                               (dir / "page.html").string(), (dir / "two.DOCX").string()};
    EXPECT_EQ(files, expected);
    EXPECT_TRUE(filesToPreload((home.dir() / "none").string()).empty());
}

// Stands for the engines: writes the output as an engine would, or ends another way.
class FakeHost final : public FileHost {
public:
    bool engineBusy() override { return busyElsewhere; }
    void setEngineBusy(bool busy) override { busyLog.push_back(busy); }
    int textDirection(const std::string&) override { return detected; }
    int htmlDirection(const std::string&) override { return detected; }
    std::optional<std::string> tempFile(const char*) override { return temp; }
    bool toShiftJis(const std::string& source, const std::string& target) override
    {
        fs::copy_file(source, target, fs::copy_options::overwrite_existing);
        return true;
    }
    EngineEnd runEngine(Kind, int direction, const std::string& source, const std::string& output) override
    {
        directions.push_back(direction);
        inputs.push_back(source);
        if (end == EngineEnd::Done && writes)
            writeFile(output, "translated");
        return end;
    }
    bool runOffice(const std::string&, const std::string& output, int direction, std::string& message) override
    {
        directions.push_back(direction);
        officeCopyWritable = (fs::status(output).permissions() & fs::perms::owner_write) != fs::perms::none;
        message = officeMessage;
        return officeResult;
    }
    bool stopRequested() override { return stop; }

    bool busyElsewhere = false;
    int detected = 2;
    std::string temp;
    EngineEnd end = EngineEnd::Done;
    bool writes = true;
    bool officeResult = true;
    bool officeCopyWritable = false;
    std::string officeMessage;
    bool stop = false;
    std::vector<bool> busyLog;
    std::vector<int> directions;
    std::vector<std::string> inputs;
};

class FileOne : public ::testing::Test {
protected:
    Job job(const std::string& name)
    {
        const std::string source = (home.dir() / name).string();
        return Job{1, source, outputPath(source), kindOf(source)};
    }

    yv::testing::TestHome home;
    FakeHost host;
};

TEST_F(FileOne, TextTranslatedGetsANewerOutputAndClearsTheBusyFlag)
{
    writeFile(home.dir() / "a.txt", "hello");
    const Job j = job("a.txt");
    const FileResult result = translateFile(host, j, 0);
    EXPECT_EQ(result.outcome, Outcome::Translated);
    EXPECT_EQ(host.directions, std::vector<int>{2}) << "detected";
    EXPECT_EQ(host.busyLog, (std::vector<bool>{true, false}));
    EXPECT_TRUE(outputIsNewer(j.source, j.output)) << "a re-added row reads as translated";

    host.detected = -1;  // a frame set goes English to Japanese
    host.temp = (home.dir() / "tmp.htm").string();
    writeFile(home.dir() / "p.html", "<frameset>");
    EXPECT_EQ(translateFile(host, job("p.html"), 0).outcome, Outcome::Translated);
    EXPECT_EQ(host.directions.back(), 1);
    EXPECT_EQ(host.inputs.back(), host.temp) << "the Shift_JIS copy stands for the page";
    EXPECT_FALSE(fs::exists(host.temp)) << "the copy is removed after the job";
}

TEST_F(FileOne, EachRefusalSaysWhyAndLeavesTheFlagAlone)
{
    writeFile(home.dir() / "a.txt", "hello");
    EXPECT_EQ(translateFile(host, job("gone.txt"), 1).message, texts::kMissingSource);
    host.busyElsewhere = true;
    EXPECT_EQ(translateFile(host, job("a.txt"), 1).message, texts::kEngineBusy);
    host.busyElsewhere = false;
    writeFile(home.dir() / "a.pdf", "x");
    EXPECT_EQ(translateFile(host, job("a.pdf"), 1).message, texts::kUnknownExtension);
    fs::create_directory(home.dir() / "folder.txt");
    EXPECT_EQ(translateFile(host, job("folder.txt"), 1).message, texts::kCannotOpen);
    fs::create_directory(home.dir() / "a_RY.txt");
    EXPECT_EQ(translateFile(host, job("a.txt"), 1).message, texts::kNoOutput) << "the output name is a folder";
    EXPECT_TRUE(host.busyLog.empty());
    EXPECT_TRUE(host.directions.empty()) << "no engine was asked";
}

TEST_F(FileOne, EngineEndsThatAreNoTranslation)
{
    writeFile(home.dir() / "a.txt", "hello");
    const Job j = job("a.txt");
    host.end = EngineEnd::NotStarted;
    EXPECT_EQ(translateFile(host, j, 2).message, texts::kJeEngine);
    host.end = EngineEnd::EngineGone;
    EXPECT_EQ(translateFile(host, j, 1).message, texts::kEjEngine);
    EXPECT_EQ(host.busyLog, (std::vector<bool>{true, false, true, false}));

    host.end = EngineEnd::Done;
    host.writes = false;
    EXPECT_EQ(translateFile(host, j, 1).message, texts::kNoOutput) << "an engine that could not write";
    writeFile(j.output, "old");
    EXPECT_EQ(translateFile(host, j, 1).message, texts::kNoOutput) << "an old output is no translation";

    host.end = EngineEnd::Stopped;
    EXPECT_EQ(translateFile(host, j, 1).outcome, Outcome::Stopped);
    EXPECT_FALSE(fs::exists(j.output)) << "a stopped file leaves no output";

    host.end = EngineEnd::Done;
    host.detected = 0;
    EXPECT_EQ(translateFile(host, j, 0).message, texts::kCannotOpen);

    const auto asked = host.directions.size();
    host.stop = true;
    EXPECT_EQ(translateFile(host, j, 1).outcome, Outcome::Stopped) << "a stop before the file started";
    EXPECT_EQ(host.directions.size(), asked) << "no engine was asked";
}

TEST_F(FileOne, OfficeWorksOnAWritableCopyWithTheSourcesTime)
{
    writeFile(home.dir() / "d.docx", "doc");
    fs::permissions(home.dir() / "d.docx", fs::perms::owner_read | fs::perms::group_read);
    const Job j = job("d.docx");
    EXPECT_EQ(translateFile(host, j, 0).outcome, Outcome::Translated);
    EXPECT_TRUE(host.officeCopyWritable);
    EXPECT_EQ(host.directions, std::vector<int>{0}) << "the converter detects";
    EXPECT_TRUE(outputIsNewer(j.source, j.output));

    host.officeResult = false;
    host.officeMessage = "d.docx: オープンできません。";
    const FileResult result = translateFile(host, j, 1);
    EXPECT_EQ(result.outcome, Outcome::Failed) << "a failed conversion is no translation";
    EXPECT_EQ(result.message, host.officeMessage);
    EXPECT_FALSE(outputIsNewer(j.source, j.output)) << "the copy left behind is not taken for one";
}

TEST(FileRun, TranslateAllTakesUntranslatedRowsAndPassesFailuresOver)
{
    BatchList list;
    list.add("/d/a.txt", false);
    list.add("/d/b.txt", true);
    list.add("/d/c.txt", false);
    list.add("/d/d.txt", false);
    BatchRun run(list);
    ASSERT_TRUE(run.start(RunMode::All));
    EXPECT_FALSE(run.start(RunMode::Selection, {"/d/a.txt"})) << "one run at a time";

    auto job = run.next();
    ASSERT_TRUE(job);
    EXPECT_EQ(job->source, "/d/a.txt");
    EXPECT_EQ(list.row(0).image, Image::Translating);
    EXPECT_FALSE(run.next()) << "one file at a time";
    run.finish(job->id, {Outcome::Failed, std::string(texts::kMissingSource)});
    EXPECT_EQ(list.row(0).state, texts::kMissingSource);
    EXPECT_EQ(list.row(0).image, Image::NotTranslated) << "the former icon";

    list.remove(*list.find("/d/c.txt"));  // removed during the run
    job = run.next();
    ASSERT_TRUE(job);
    EXPECT_EQ(job->source, "/d/d.txt") << "translated and removed rows are passed over";
    run.finish(job->id, {Outcome::Translated, {}});
    EXPECT_EQ(list.row(2).state, kTranslated);
    EXPECT_FALSE(run.next());
    EXPECT_EQ(run.mode(), RunMode::Idle);
    EXPECT_EQ(run.translatedCount(), 1u);
    EXPECT_EQ(run.failedCount(), 1u);

    ASSERT_TRUE(run.start(RunMode::All));
    list.setState(0, Image::Translated, std::string(kTranslated));
    EXPECT_FALSE(run.next()) << "rows translated meanwhile are passed over too";
    ASSERT_TRUE(run.start(RunMode::All));
    EXPECT_FALSE(run.next()) << "over translated rows a run does nothing";
    EXPECT_EQ(run.translatedCount() + run.failedCount(), 0u);
}

TEST(FileRun, SelectionEndsAtAFailureAndStopEndsAnyRun)
{
    BatchList list;
    list.add("/d/a.txt", true);
    list.add("/d/b.txt", false);
    list.add("/d/c.txt", false);
    BatchRun run(list);
    ASSERT_TRUE(run.start(RunMode::Selection, {"/d/c.txt", "/d/a.txt"}));
    auto job = run.next();
    ASSERT_TRUE(job);
    EXPECT_EQ(job->source, "/d/a.txt") << "list order, translated rows too";
    run.finish(job->id, {Outcome::Failed, "x"});
    EXPECT_EQ(list.row(0).image, Image::Translated) << "the former icon";
    EXPECT_EQ(run.mode(), RunMode::Idle);

    ASSERT_TRUE(run.start(RunMode::All));
    job = run.next();
    ASSERT_TRUE(job);
    run.stop();
    EXPECT_EQ(list.row(1).state, kNotTranslated);
    EXPECT_EQ(run.mode(), RunMode::Idle);
    ASSERT_TRUE(run.start(RunMode::Selection, {"/d/c.txt"}));
    const auto second = run.next();
    ASSERT_TRUE(second);
    run.finish(job->id, {Outcome::Translated, {}});
    EXPECT_EQ(list.row(1).state, kNotTranslated) << "the stopped file's late result changes nothing";
    EXPECT_EQ(list.row(2).image, Image::Translating);
}

} // namespace
} // namespace yv::filebox
