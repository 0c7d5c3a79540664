// Fuzzes the word-choice look-up string: every row comes from a counted entry line, and the
// texts it shows and registers are pieces of the input.
#include <enginelink/lookupresult.h>
#include <editorcore/wordchoice.h>

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace yv::editor;
    using yv::enginelink::LookUpResult;
    using yv::enginelink::LookUpRow;
    using yv::enginelink::parseLookUp;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const LookUpResult result = parseLookUp(text);
    if (result.rows.size() > result.entries)
        std::abort();
    for (const LookUpRow& row : result.rows) {
        for (const std::string& field : {row.translation, row.partOfSpeech, row.dictionary}) {
            if (field.size() > size || field.find('\n') != std::string::npos)
                std::abort();
        }
        if (row.translation.find('\t') != std::string::npos || row.partOfSpeech.find('\t') != std::string::npos)
            std::abort();
        if (headwordToRegister(row.translation).find_first_of("<>") != std::string::npos)
            std::abort();
    }
    (void)wordDirection(text);
    return 0;
}
