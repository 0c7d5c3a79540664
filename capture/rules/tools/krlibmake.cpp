// krlibmake: builds the word-substitution dictionary "KRLIB.DAT" from a tab-separated list.
#include <capturerules/substitutiondictionary.h>

#include <platform/atomicfile.h>
#include <platform/paths.h>

#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>

namespace {

// Word lists are small; a larger input is surely the wrong file.
constexpr std::size_t kMaxListBytes = std::size_t{64} << 20;

constexpr const char* kUsage = R"(krlibmake - builds the word-substitution dictionary.

  krlibmake LIST [DICTIONARY]

  LIST        UTF-8 text, one entry a line: an English word or phrase, a tab, and what it is
              to be replaced with (e.g. "apple<TAB>りんご"). A line without a tab lists a phrase
              that stands for itself. Empty lines and lines starting with "#" are skipped.
              Keys are ASCII letters and digits in words separated by spaces. Look-ups try the
              text as written, in lower case and in upper case, and the plain forms of -ed,
              -ing and -s words: write keys in lower case unless their capitals matter.
  DICTIONARY  the file to write; by default KRLIB.DAT in the machine data directory,
              where the capture library reads it.
  Exit status: 0 on success, 1 on failure.
)";

int fail(const std::string& message)
{
    std::cerr << "krlibmake: " << message << '\n';
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3 || std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h") {
        std::cerr << kUsage;
        return argc == 2 ? 0 : 1;
    }
    const std::filesystem::path list = argv[1];
    const std::filesystem::path output = argc == 3 ? std::filesystem::path(argv[2])
                                                   : yv::paths::machineDir() / "KRLIB.DAT";

    const auto text = yv::files::readWhole(list, kMaxListBytes);
    if (!text)
        return fail("cannot read " + list.string());
    std::string error;
    auto entries = yv::capture::parseSubstitutionList(*text, &error);
    if (!entries)
        return fail(list.string() + ", " + error);
    const std::size_t count = entries->size();
    const auto dictionary = yv::capture::buildSubstitutionDictionary(std::move(*entries), &error);
    if (!dictionary)
        return fail(error);
    std::error_code ec;
    if (output.has_parent_path())
        std::filesystem::create_directories(output.parent_path(), ec);
    if (!yv::files::writeAtomically(output, *dictionary))
        return fail("cannot write " + output.string());
    std::cout << count << " entries written to " << output.string() << '\n';
    return 0;
}
