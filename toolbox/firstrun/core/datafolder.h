// The data folder the user names in the first-run dialog: the text proposed, and the folder a
// typed text stands for (the documents label standing for the user's documents folder).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace yv::toolbox::firstrun {

// What the dialog writes for the user's documents folder.
inline constexpr std::string_view kDocumentsLabel = "ドキュメント";

// "ドキュメント/<title> data".
std::string proposedFolderText(std::string_view title);

// The folder a text stands for: blanks around it dropped; a leading "ドキュメント" as a whole
// first component replaced by `documentsDir`; a relative rest taken inside `documentsDir` too,
// so that the folder never depends on the directory the program was started in. Empty for a
// text that names nothing.
std::filesystem::path resolveFolderText(std::string_view text, const std::filesystem::path& documentsDir);

// How a path shows in the folder field: inside the documents folder with the label.
std::string folderTextFor(const std::filesystem::path& folder, const std::filesystem::path& documentsDir);

} // namespace yv::toolbox::firstrun
