// Text helpers of the toolbox.
#include <toolboxcore/toolboxtexts.h>

namespace yv::toolbox {

std::string withValue(std::string_view text, std::string_view value)
{
    std::string out(text);
    if (const auto at = out.find("%s"); at != std::string::npos)
        out.replace(at, 2, value);
    return out;
}

std::string_view helpPage(std::uint64_t topic)
{
    static constexpr std::string_view kPages[] = {"TransBOX.htm",  "DictBOX.htm",       "CD-BOX.htm",
                                                  "ShoshikiBOX.htm", "BatchTransBOX.htm", "SetEnv.htm"};
    if (topic < 1 || topic > std::size(kPages))
        return {};
    return kPages[topic - 1];
}

} // namespace yv::toolbox
