// File jobs: encodings kept, HTML markup kept, progress and stop, unreadable input.
#include "fixture.h"

#include "html.h"

#include <platform/atomicfile.h>
#include <platform/codec.h>

#include <gtest/gtest.h>

#include <algorithm>

using namespace yv::engine;
using namespace yv::engine::testing;
using yv::codec::TextEncoding;

namespace {

struct Job {
    bool ok = false;
    std::string error;
    std::vector<std::string> progress;
    std::optional<std::string> output;
};

std::filesystem::path jobDir()
{
    const auto dir = scratchDir() / "jobs";
    std::filesystem::create_directories(dir);
    return dir;
}

Job runJob(std::string_view name, std::string_view input, bool html, Direction direction, bool stopAtOnce = false)
{
    const auto source = jobDir() / name;
    auto target = source;
    target += ".out";
    std::filesystem::remove(target);
    EXPECT_TRUE(yv::files::writeAtomically(source, input));
    Job job;
    const std::atomic<bool> stop{stopAtOnce};
    const auto sink = [&job](const std::string& s) { job.progress.push_back(s); };
    const auto& t = fixtureTranslator();
    job.ok = html ? t.translateHtmlFile(source, target, direction, {}, sink, stop, &job.error)
                  : t.translateTextFile(source, target, direction, {}, sink, stop, &job.error);
    job.output = yv::files::readWhole(target);
    return job;
}

void expectProgressThenEnd(const Job& job)
{
    ASSERT_FALSE(job.progress.empty());
    EXPECT_EQ(job.progress.back(), "end");
    int last = -1;
    for (std::size_t i = 0; i + 1 < job.progress.size(); ++i) {
        const int percent = std::stoi(job.progress[i]);
        EXPECT_GT(percent, last);
        EXPECT_LE(percent, 100);
        last = percent;
    }
}

} // namespace

TEST(EngineFileJob, TextFilesKeepTheirEncoding)
{
    const auto utf8Job = runJob("a.txt", "I eat sushi.\nThe dog runs.\n", false, Direction::EJ);
    ASSERT_TRUE(utf8Job.ok) << utf8Job.error;
    expectProgressThenEnd(utf8Job);
    EXPECT_EQ(utf8Job.progress[utf8Job.progress.size() - 2], "100");
    ASSERT_TRUE(utf8Job.output);
    EXPECT_EQ(*utf8Job.output, "私はすしを食べる。\n犬は走る。\n") << "ASCII in, UTF-8 out";

    for (const auto encoding : {TextEncoding::Cp932, TextEncoding::EucJp, TextEncoding::Utf8Bom, TextEncoding::Utf16LE}) {
        const auto input = yv::codec::fromUtf8("私は本を読んだ。\r\n犬が走った。\r\n", encoding);
        const auto job = runJob("b.txt", input, false, Direction::JE);
        ASSERT_TRUE(job.ok) << job.error;
        ASSERT_TRUE(job.output);
        if (haveMecab()) {
            EXPECT_EQ(*job.output, yv::codec::fromUtf8("I read the book.\r\nThe dog ran.\r\n", encoding))
                << yv::codec::encodingName(encoding);
        }
    }
}

TEST(EngineFileJob, HtmlKeepsMarkupScriptsAndDeclaredCharset)
{
    const std::string page = "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">"
                             "<title>The dog</title><script>if (a < b) { run(); }</script>"
                             "<style>p { color: red }</style></head>\r\n"
                             "<body><p class=\"x\">I eat sushi &amp; the dog runs.</p><!-- The dog runs. -->"
                             "<p>  Open the window.  </p><br></body></html>";
    const auto job = runJob("c.html", page, true, Direction::EJ);
    ASSERT_TRUE(job.ok) << job.error;
    expectProgressThenEnd(job);
    ASSERT_TRUE(job.output);
    const auto out = yv::codec::cp932ToUtf8(*job.output);
    EXPECT_NE(out.find("<title>犬</title>"), std::string::npos) << out;
    EXPECT_NE(out.find("<script>if (a < b) { run(); }</script><style>p { color: red }</style>"), std::string::npos);
    EXPECT_NE(out.find("<!-- The dog runs. -->"), std::string::npos);
    EXPECT_NE(out.find("<p>  窓を開けなさい。  </p><br></body></html>"), std::string::npos) << out;
    EXPECT_NE(out.find("<p class=\"x\">"), std::string::npos);
    EXPECT_NE(out.find("&amp;"), std::string::npos) << "entities are written back as references";

    const auto eucPage = yv::codec::fromUtf8("<meta charset=\"EUC-JP\"><p>私は本を読んだ。</p>", TextEncoding::EucJp);
    const auto euc = runJob("d.html", eucPage, true, Direction::JE);
    ASSERT_TRUE(euc.ok) << euc.error;
    ASSERT_TRUE(euc.output);
    if (haveMecab()) {
        EXPECT_EQ(yv::codec::toUtf8(*euc.output, TextEncoding::EucJp), "<meta charset=\"EUC-JP\"><p>I read the book.</p>");
    }
}

TEST(EngineFileJob, StopAndBadInputEndWithoutOutput)
{
    const auto stopped = runJob("e.txt", "I eat sushi.\n", false, Direction::EJ, true);
    EXPECT_FALSE(stopped.ok);
    ASSERT_FALSE(stopped.progress.empty());
    EXPECT_EQ(stopped.progress.back(), "end");
    EXPECT_FALSE(stopped.output);
    // A job that wrote nothing never claims to be complete.
    EXPECT_EQ(std::count(stopped.progress.begin(), stopped.progress.end(), "100"), 0);

    const auto stoppedHtml = runJob("e.html", "<p>I eat sushi.</p>", true, Direction::EJ, true);
    EXPECT_FALSE(stoppedHtml.ok);
    EXPECT_EQ(stoppedHtml.progress.back(), "end");
    EXPECT_FALSE(stoppedHtml.output);
    EXPECT_EQ(std::count(stoppedHtml.progress.begin(), stoppedHtml.progress.end(), "100"), 0);

    const auto binary = runJob("f.bin", std::string("\x7f" "ELF\x02\x01\x01\0\0\0\0", 12), false, Direction::EJ);
    EXPECT_FALSE(binary.ok);
    EXPECT_NE(binary.error.find("not a text file"), std::string::npos) << binary.error;
    EXPECT_FALSE(binary.output);

    std::string error;
    std::vector<std::string> progress;
    const std::atomic<bool> stop{false};
    EXPECT_FALSE(fixtureTranslator().translateTextFile(jobDir() / "missing.txt", jobDir() / "missing.out", Direction::EJ,
                                                       {}, [&](const std::string& s) { progress.push_back(s); }, stop,
                                                       &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(progress, std::vector<std::string>{"end"});
    EXPECT_FALSE(std::filesystem::exists(jobDir() / "missing.out"));
    EXPECT_FALSE(fixtureTranslator().translateHtmlFile(jobDir(), jobDir() / "dir.out", Direction::EJ, {}, {}, stop, &error));

    const auto empty = runJob("g.txt", "", false, Direction::EJ);
    EXPECT_TRUE(empty.ok) << empty.error;
    EXPECT_EQ(empty.output, std::string());
}

TEST(EngineHtml, PiecesReferencesAndCharsets)
{
    using namespace yv::engine::Internal;
    const std::string_view page = "a<b x='>'>c<!-- d -->e< f<script>g<h></script>i<unclosed";
    std::string rebuilt;
    std::vector<std::string> textPieces;
    for (const auto& piece : splitHtml(page)) {
        rebuilt += piece.bytes;
        if (piece.isText)
            textPieces.emplace_back(piece.bytes);
    }
    EXPECT_EQ(rebuilt, page);
    EXPECT_EQ(textPieces, (std::vector<std::string>{"a", "c", "e< f", "i"}));

    EXPECT_EQ(decodeEntities("&lt;&#65;&#x3042;&amp;&bogus;&#0;&#xFFFFFFFF;&"), "<Aあ&&bogus;&#0;&#xFFFFFFFF;&");
    EXPECT_EQ(encodeEntities("a<b&c>"), "a&lt;b&amp;c&gt;");
    EXPECT_EQ(declaredCharset("<META CHARSET=euc-jp>"), TextEncoding::EucJp);
    EXPECT_EQ(declaredCharset("<meta http-equiv=Content-Type content='text/html;charset=x-sjis'>"), TextEncoding::Cp932);
    EXPECT_EQ(declaredCharset("<meta charset=klingon><p>charset=utf-8</p>"), std::nullopt);
}
