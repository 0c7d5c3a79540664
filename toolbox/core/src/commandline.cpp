// Passing the command line on, and reading its file.
#include <toolboxcore/commandline.h>

#include <toolboxcore/capturetext.h>

#include <platform/codec.h>

#include <fstream>
#include <iterator>
#include <system_error>

namespace yv::toolbox {

namespace {

// No encoding turns more than this many bytes into a text that fits the hand-over.
constexpr std::uintmax_t kLargestReadableFile = 16 * kHandOverLimit;

} // namespace

std::string encodeArguments(const std::vector<std::string>& arguments)
{
    std::string out;
    for (const std::string& argument : arguments) {
        for (const char c : argument) {
            if (c == '\\')
                out += "\\\\";
            else if (c == '\n')
                out += "\\n";
            else if (c == '\r')
                out += "\\r";
            else
                out += c;
        }
        out += '\n';
    }
    return out;
}

std::optional<std::vector<std::string>> decodeArguments(std::string_view text)
{
    std::vector<std::string> arguments;
    std::string current;
    bool open = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n') {
            if (arguments.size() == kMaxPassedArguments)
                return std::nullopt;
            arguments.push_back(std::move(current));
            current.clear();
            open = false;
            continue;
        }
        // The encoding never leaves a carriage return bare.
        if (c == '\r')
            return std::nullopt;
        open = true;
        if (c != '\\') {
            current += c;
            continue;
        }
        if (++i == text.size())
            return std::nullopt;
        switch (text[i]) {
        case '\\': current += '\\'; break;
        case 'n': current += '\n'; break;
        case 'r': current += '\r'; break;
        default: return std::nullopt;
        }
    }
    // Every argument ends with its line feed.
    if (open)
        return std::nullopt;
    return arguments;
}

CommandLineText readCommandLineFile(const std::filesystem::path& path)
{
    CommandLineText result;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return result;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec)
        return result;
    if (size > kLargestReadableFile) {
        result.status = CommandLineText::Status::TooLong;
        return result;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return result;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        return result;
    result.cp932 = codec::toCp932(bytes, codec::detectEncoding(bytes));
    result.status = fitsHandOver(result.cp932) ? CommandLineText::Status::Ok : CommandLineText::Status::TooLong;
    if (result.status != CommandLineText::Status::Ok)
        result.cp932.clear();
    return result;
}

} // namespace yv::toolbox
