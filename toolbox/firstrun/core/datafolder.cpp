// The data folder the user names in the first-run dialog.
#include "datafolder.h"

#include <platform/textutil.h>

namespace yv::toolbox::firstrun {

namespace fs = std::filesystem;

std::string proposedFolderText(std::string_view title)
{
    return std::string(kDocumentsLabel) + "/" + std::string(title) + " data";
}

fs::path resolveFolderText(std::string_view text, const fs::path& documentsDir)
{
    std::string_view rest = yv::text::trimBlanks(text);
    if (rest.empty())
        return {};
    if (rest.starts_with(kDocumentsLabel)) {
        const std::string_view after = rest.substr(kDocumentsLabel.size());
        if (after.empty() || after.front() == '/' || after.front() == '\\') {
            rest = after;
            while (!rest.empty() && (rest.front() == '/' || rest.front() == '\\'))
                rest.remove_prefix(1);
            return (rest.empty() ? documentsDir : documentsDir / fs::path(rest)).lexically_normal();
        }
    }
    const fs::path path(rest);
    return (path.is_absolute() ? path : documentsDir / path).lexically_normal();
}

std::string folderTextFor(const fs::path& folder, const fs::path& documentsDir)
{
    const fs::path inside = folder.lexically_normal().lexically_relative(documentsDir.lexically_normal());
    if (inside.empty() || *inside.begin() == "..")
        return folder.string();
    if (inside == ".")
        return std::string(kDocumentsLabel);
    return std::string(kDocumentsLabel) + "/" + inside.string();
}

} // namespace yv::toolbox::firstrun
