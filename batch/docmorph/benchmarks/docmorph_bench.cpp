// Translation of a 1,000-paragraph document, a 200-slide presentation and a 10,000-cell
// workbook (saved by the office suite), the engine left out: extraction, block files, reading
// back, write-back and saving. Beside each, the office suite's own headless conversion of the
// same file, the start-up bound peer. Counters: the peak memory the conversion added, against
// the unpacked size of the file.
#include "../core/tests/support.h"

#include <docmorph/conversion.h>
#include <docmorph/legacy.h>

#include <benchmark/benchmark.h>

#include <zip.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace yv::docmorph;

const char* const kNamespaces =
    R"( xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0")"
    R"( xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0")"
    R"( xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0")"
    R"( xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0")"
    R"( xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0")"
    R"( xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0")"
    R"( xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0")"
    R"( xmlns:presentation="urn:oasis:names:tc:opendocument:xmlns:presentation:1.0")";

const std::string kSentence = "The quick brown fox jumps over the lazy dog near the river bank. ";

fs::path workDir()
{
    static const fs::path dir = [] {
        std::string pattern = (fs::temp_directory_path() / "docmorph-bench-XXXXXX").string();
        return fs::path(::mkdtemp(pattern.data()));
    }();
    return dir;
}

void write(const fs::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

std::string flatDocument(const std::string& mime, const std::string& body)
{
    return R"(<?xml version="1.0" encoding="UTF-8"?><office:document)" + std::string(kNamespaces)
           + R"( office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.)" + mime + R"("><office:body>)"
           + body + "</office:body></office:document>";
}

// The benchmark files, saved once by the office suite from flat documents.
fs::path fixture(const std::string& format)
{
    const fs::path saved = workDir() / ("big." + format);
    if (fs::exists(saved))
        return saved;
    std::string body;
    std::string source;
    if (format == "docx") {
        for (int i = 0; i < 1000; ++i)
            body += "<text:p>Paragraph " + std::to_string(i) + ". " + kSentence + kSentence + "</text:p>";
        source = "big.fodt";
        write(workDir() / source, flatDocument("text", "<office:text>" + body + "</office:text>"));
    } else if (format == "pptx") {
        for (int i = 0; i < 200; ++i)
            body += R"(<draw:page draw:name="p)" + std::to_string(i) + R"("><draw:frame svg:x="1cm" svg:y="1cm" svg:width="20cm" svg:height="3cm"><draw:text-box><text:p>Slide )"
                    + std::to_string(i) + R"(</text:p></draw:text-box></draw:frame><draw:frame svg:x="1cm" svg:y="5cm" svg:width="20cm" svg:height="10cm"><draw:text-box><text:p>)"
                    + kSentence + "</text:p><text:p>" + kSentence + "</text:p></draw:text-box></draw:frame></draw:page>";
        source = "big.fodp";
        write(workDir() / source, flatDocument("presentation", "<office:presentation>" + body + "</office:presentation>"));
    } else {
        for (int row = 0; row < 1000; ++row) {
            body += "<table:table-row>";
            for (int column = 0; column < 10; ++column)
                body += R"(<table:table-cell office:value-type="string"><text:p>Cell )" + std::to_string(row * 10 + column)
                        + " words here</text:p></table:table-cell>";
            body += "</table:table-row>";
        }
        source = "big.fods";
        write(workDir() / source, flatDocument("spreadsheet", R"(<office:spreadsheet><table:table table:name="S">)" + body
                                                                  + "</table:table></office:spreadsheet>"));
    }
    std::string error;
    if (auto program = officeProgram())
        officeConvert(*program, workDir() / source, workDir(), format, workDir() / "profile", error);
    return saved;
}

std::uint64_t unpackedSize(const fs::path& file)
{
    int error = 0;
    zip_t* zip = zip_open(file.c_str(), ZIP_RDONLY, &error);
    if (!zip)
        return 0;
    std::uint64_t total = 0;
    for (zip_int64_t i = 0; i < zip_get_num_entries(zip, 0); ++i) {
        zip_stat_t stat;
        if (zip_stat_index(zip, static_cast<zip_uint64_t>(i), 0, &stat) == 0)
            total += stat.size;
    }
    zip_discard(zip);
    return total;
}

long statusKiB(const char* field)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field, 0) == 0)
            return std::atol(line.c_str() + std::string(field).size());
    return 0;
}

// The tests' host keeps the block file it was sent, for their checks; an engine keeps nothing
// of it once it has translated, and neither does this one, so that the copy is not counted.
class BenchHost final : public testing::FakeHost {
public:
    using FakeHost::FakeHost;
    int translate(const fs::path& blocks, const fs::path& translated, int direction) override
    {
        const int used = FakeHost::translate(blocks, translated, direction);
        std::string().swap(sentBlocks);
        return used;
    }
};

int convert(const fs::path& fixture, const fs::path& output)
{
    BenchHost host(workDir() / "tmp");
    fs::copy_file(fixture, output, fs::copy_options::overwrite_existing);
    switch (kindOf(fixture).application) {
    case Application::Word:
        return convertWord(host, fixture, output, 1).result;
    case Application::Slides:
        return convertSlides(host, output, 1).result;
    default:
        return convertSheets(host, output, 1).result;
    }
}

// The memory one conversion adds at its peak, measured in a fresh process (this one's heap
// holds freed pages of earlier runs, which a conversion would reuse unseen). A small file of
// the same kind goes first, so that the code and tables every first run touches are not
// counted.
long measurePeakKiB(const fs::path& fixture)
{
    const fs::path small = workDir() / ("small" + fixture.extension().string());
    switch (kindOf(fixture).application) {
    case Application::Word:
        testing::writeWordPackage(small, "<w:p><w:r><w:t>Warm up.</w:t></w:r></w:p>");
        break;
    case Application::Slides:
        testing::writeSlidesPackage(small, {"<p:sp><p:txBody><a:p><a:r><a:t>Warm up.</a:t></a:r></a:p></p:txBody></p:sp>"});
        break;
    default:
        testing::writeSheetsPackage(small, {R"(<row r="1"><c r="A1" t="s"><v>0</v></c></row>)"}, {"Warm up."});
        break;
    }
    convert(small, workDir() / ("smallout" + fixture.extension().string()));
    const long before = statusKiB("VmRSS:");
    convert(fixture, workDir() / ("peak" + fixture.extension().string()));
    return statusKiB("VmHWM:") - before;
}

double peakMiB(const fs::path& fixture)
{
    const std::string command = fs::read_symlink("/proc/self/exe").string() + " --peak '" + fixture.string() + "'";
    FILE* child = ::popen(command.c_str(), "r");
    if (!child)
        return 0;
    long kib = 0;
    if (std::fscanf(child, "%ld", &kib) != 1)
        kib = 0;
    ::pclose(child);
    return static_cast<double>(kib) / 1024.0;
}

void translateFile(benchmark::State& state, const std::string& format)
{
    const fs::path file = fixture(format);
    if (!fs::exists(file)) {
        state.SkipWithError("soffice is not installed: no benchmark files");
        return;
    }
    const double peak = peakMiB(file);
    const fs::path output = workDir() / ("out." + format);
    for (auto _ : state)
        if (convert(file, output) != 1)
            state.SkipWithError("the conversion failed");
    state.counters["unpacked_MiB"] = static_cast<double>(unpackedSize(file)) / (1024.0 * 1024.0);
    state.counters["peak_added_MiB"] = peak;
}

void officeSuiteConvert(benchmark::State& state, const std::string& format)
{
    const fs::path file = fixture(format);
    const auto program = officeProgram();
    if (!program || !fs::exists(file)) {
        state.SkipWithError("soffice is not installed");
        return;
    }
    std::string error;
    for (auto _ : state)
        officeConvert(*program, file, workDir() / "peer", format, workDir() / "profile", error);
}

BENCHMARK_CAPTURE(translateFile, Docx1000Paragraphs, std::string("docx"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(officeSuiteConvert, Docx1000Paragraphs, std::string("docx"))->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(translateFile, Pptx200Slides, std::string("pptx"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(officeSuiteConvert, Pptx200Slides, std::string("pptx"))->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(translateFile, Xlsx10000Cells, std::string("xlsx"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(officeSuiteConvert, Xlsx10000Cells, std::string("xlsx"))->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--peak") {
        std::printf("%ld\n", measurePeakKiB(argv[2]));
        std::error_code ec;
        fs::remove_all(workDir(), ec);
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    fs::remove_all(workDir(), ec);
    return 0;
}
