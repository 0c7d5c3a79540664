// Whole-file writes that never leave a half-written file behind.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace yv::files {

// Writes beside the target, flushes and renames over it, so that a crash or a full disk
// keeps the previous file intact. `mode` applies to the new file.
bool writeAtomically(const std::filesystem::path& path, std::string_view bytes, unsigned mode = 0644);

// Creates a new file (never replacing one, nor following a link) with the bytes, flushed;
// on failure nothing is left behind.
bool writeNew(const std::filesystem::path& path, std::string_view bytes, unsigned mode = 0644);

// Renames `from` to `to` unless `to` exists; either the file has moved or nothing changed.
bool moveNoReplace(const std::filesystem::path& from, const std::filesystem::path& to);

// The whole file, or nothing when it cannot be read; `limit` refuses larger files.
std::optional<std::string> readWhole(const std::filesystem::path& path,
                                     std::size_t limit = std::string::npos);

} // namespace yv::files
