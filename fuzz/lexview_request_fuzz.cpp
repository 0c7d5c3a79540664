// Fuzzes the search requests other programs send: the viewer's search poke ("key TAB window")
// and the key normalising that the example box's hand-over shares. Any bytes give a key that
// fits the key buffer, or a request to ignore.
#include <lexview/searchrequest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void checkKey(const std::string& key)
{
    if (key.size() > yv::lexview::kMaxRequestKeyBytes)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace yv::lexview;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    if (const auto request = parseSearchRequest(input))
        checkKey(normaliseRequestKey(request->key));
    const std::string key = normaliseRequestKey(input);
    checkKey(key);
    if (notFoundMessage(key).size() > kNotFoundKeyBytes + 64)
        std::abort();
    return 0;
}
