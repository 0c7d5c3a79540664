// Fuzzes the index search over a text file of any bytes: the first input byte picks the key
// length, the codes follow, the rest is the file. No crash, no endless loop, no stray read.
#include <book/indexsearch.h>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const std::size_t codes = data[0] % 16;
    if (size < 1 + codes * 2)
        return 0;
    yv::book::SearchKey key;
    for (std::size_t i = 0; i < codes; ++i)
        key.entered.push_back(static_cast<std::uint16_t>(data[1 + i * 2] << 8 | data[2 + i * 2]));
    key.normalized = key.entered;
    key.filtered = key.entered;
    const yv::book::Bytes file(data + 1 + codes * 2, size - 1 - codes * 2);
    yv::book::MemoryBlockSource source(file);
    int questions = 0;
    for (const auto rule : {yv::book::MatchRule::Prefix, yv::book::MatchRule::Exact}) {
        yv::book::HitList hits;
        const auto outcome = yv::book::searchIndex(source, 1, rule, key, hits, [&] { return ++questions % 2 == 0; });
        if (outcome == yv::book::SearchOutcome::Cancelled && !hits.empty())
            std::abort();
    }
    return 0;
}
