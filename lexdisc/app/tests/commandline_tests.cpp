// The lexdisc command line run as a program on the FreePWING sample book.
#include <testhome.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

namespace yv::lexdisc {
namespace {

#ifdef YV_SAMPLE_BOOK_DIR
struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

std::string slurp(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

Outcome lexdisc(const yv::testing::TestHome& home, const std::string& arguments)
{
    const auto out = home.dir() / "out.txt";
    const auto err = home.dir() / "err.txt";
    const std::string command = (yv::testing::binDir() / "lexdisc").string() + " " + arguments + " >" + out.string()
                              + " 2>" + err.string();
    Outcome run;
    const int status = std::system(command.c_str());
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = slurp(out);
    run.err = slurp(err);
    return run;
}

const std::string kCatalog = std::string("--catalog ") + YV_SAMPLE_BOOK_DIR + "/catalogs";

TEST(LexdiscCommandLineTest, SearchPrintsPositionsAndHeadings)
{
    yv::testing::TestHome home;
    const Outcome found = lexdisc(home, kCatalog + " --search app");
    EXPECT_EQ(found.status, 0);
    EXPECT_EQ(found.out, "2:334\t5:80\tapple\n2:432\t5:96\tapplication\n");

    EXPECT_EQ(lexdisc(home, kCatalog + " --search app --limit 1").out, "2:334\t5:80\tapple\n");
    // The book's folder does as well as its catalog file.
    EXPECT_EQ(lexdisc(home, std::string("--catalog ") + YV_SAMPLE_BOOK_DIR + " --search app --limit 1").out,
              "2:334\t5:80\tapple\n");
    EXPECT_EQ(lexdisc(home, kCatalog + " --search ism --backward").out, "2:540\t5:142\trationalism\n");

    const Outcome missing = lexdisc(home, kCatalog + " --search zzz");
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.out.empty());
}

TEST(LexdiscCommandLineTest, TextShowsEntriesWithExternalCharacters)
{
    yv::testing::TestHome home;
    const Outcome run = lexdisc(home, kCatalog + " --search りんご --text");
    EXPECT_EQ(run.status, 0);
    // Narrow (half-width) ranges print half width in the entry as in the heading line.
    EXPECT_EQ(run.out, "2:334\t5:80\tapple\n apple\n 果物の一つ。［図］赤い四角\n 半角のABCと<gaiji:hA121>。\n\n");
    EXPECT_NE(lexdisc(home, kCatalog + " --search １２ --text").out.find("一年の最後の月。(n) cat\n"), std::string::npos);
    EXPECT_NE(lexdisc(home, kCatalog + " --search せんせい --text").out.find("<gaiji:zA121>印"), std::string::npos);
    EXPECT_EQ(lexdisc(home, kCatalog + " --menu").out, " 目次\n 学校\n\n");
    EXPECT_EQ(lexdisc(home, kCatalog + " --copyright").out, " 著作権表示の例\n\n");
}

TEST(LexdiscCommandLineTest, BookErrorsExitTwoWithTheMessage)
{
    yv::testing::TestHome home;
    const Outcome run = lexdisc(home, "--catalog " + (home.dir() / "none").string() + " --search app");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("EPWINGのCD-ROMを見つけられませんでした。"), std::string::npos);
    EXPECT_EQ(lexdisc(home, "--search").status, 2);
    EXPECT_EQ(lexdisc(home, "--help").status, 0) << "asked for, the usage is no error";
}
#endif

} // namespace
} // namespace yv::lexdisc
