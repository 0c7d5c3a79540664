// The legacy formats (.doc, .xls, .ppt, and .xlsb for reading) through the office suite run
// headless on a private profile: turned into OOXML, translated, and turned back.
#pragma once

#include "docmorph/conversion.h"

#include <chrono>
#include <functional>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace yv::docmorph {

// The office suite's program: YORVANE_SOFFICE when set (empty: none), else "soffice" along
// PATH; nothing when it is not installed.
std::optional<std::filesystem::path> officeProgram();

// Runs the office suite headless on `profile` (a private directory, so that no running
// instance takes the job over) to convert `input` into `outDir` in `format` ("docx", "doc:MS
// Word 97", ...). The suite exits 0 even when it could not load a file, so the result is the
// converted file only when it really exists. `serve` is called while waiting; when it returns
// false the conversion is ended.
std::optional<std::filesystem::path> officeConvert(const std::filesystem::path& program,
                                                   const std::filesystem::path& input,
                                                   const std::filesystem::path& outDir, const std::string& format,
                                                   const std::filesystem::path& profile, std::string& error,
                                                   const std::function<bool()>& serve = {},
                                                   std::chrono::seconds timeLimit = std::chrono::seconds(300));

// Whether the file's first bytes are those of the format its extension names: the compound
// file of .doc, .xls and .ppt, the zip container of .xlsb.
bool looksLikeLegacyKind(const std::filesystem::path& file, const Kind& kind);

int convertThroughOfficeSuite(Host& host, const Kind& kind, const std::filesystem::path& source,
                              const std::filesystem::path& output, int direction);

} // namespace yv::docmorph
