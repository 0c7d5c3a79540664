// Hostile substitution dictionaries and word lists. The first byte chooses: a dictionary file
// (read from a buffer of exactly its size, so any read past it is caught) with a fixed text
// substituted through it; or a word list, whose dictionary must give back every entry.
#include <capturerules/substitution.h>
#include <capturerules/substitutiondictionary.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

void readDictionary(const std::uint8_t* data, std::size_t size)
{
    using namespace yv::capture;
    const auto exact = std::make_unique<std::uint8_t[]>(size);
    std::memcpy(exact.get(), data, size);
    const auto dictionary = SubstitutionDictionary::open({exact.get(), size});
    if (!dictionary)
        return;
    constexpr std::size_t kCapacity = 64;
    const auto narrow
        = substituteA(*dictionary, "The boxes were carried by running studies of a U S A ski", 932, kCapacity);
    check(narrow.text.size() <= kCapacity);
    const auto wide = substituteW(*dictionary, u"Stopped apples makes e-mail 2nd hT", kCapacity);
    check(wide.text.size() <= kCapacity);
}

void buildFromList(std::string_view list)
{
    using namespace yv::capture;
    std::string error;
    auto entries = parseSubstitutionList(list, &error);
    if (!entries)
        return;
    const auto expected = *entries;
    const auto file = buildSubstitutionDictionary(std::move(*entries), &error);
    if (!file)
        return;  // a key listed twice
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(file->data());
    const auto dictionary = SubstitutionDictionary::open({bytes, file->size()});
    check(dictionary.has_value());
    for (const auto& entry : expected) {
        const auto value = dictionary->find(entry.key);
        check(value.has_value() && *value == entry.value);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    if (data[0] & 1)
        buildFromList({reinterpret_cast<const char*>(data + 1), size - 1});
    else
        readDictionary(data + 1, size - 1);
    return 0;
}
