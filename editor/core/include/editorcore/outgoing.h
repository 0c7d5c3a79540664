// Texts the editor hands to other programs: the CD-ROM search term and its poke text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace yv::editor {

// The selection cleaned for a CD-ROM search (CP932 in and out). Without double-byte
// characters a CR becomes a space, an LF right after a CR becomes a space and any other LF is
// dropped; with them, CR and LF are dropped. A TAB becomes a space. Leading spaces, TABs and
// ideographic spaces are skipped. Empty when nothing is left.
std::string cleanCdRomSearchTerm(std::string_view cp932Selection);

// The poke for the viewer's search service: the term, a TAB and the editor's window handle
// in lower-case hexadecimal.
std::string cdRomSearchPoke(std::string_view term, std::uint64_t editorWindow);

} // namespace yv::editor
