// The window classes and window messages by which the suite's programs find and call each other.
#pragma once

#include <cstdint>
#include <string_view>

namespace yv::messages {

// Top-level window classes.
inline constexpr std::string_view kTransClass = "QEL_RlyTransWClass";
inline constexpr std::string_view kToolboxClass = "QEL_RlyToolboxWClass";
inline constexpr std::string_view kFileClass = "QEL_RlyFileWClass";
inline constexpr std::string_view kSampleClass = "QEL_RlySampleWClass";
inline constexpr std::string_view kLexdiscClass = "QEL_RlyLexdiscWClass";
inline constexpr std::string_view kDictClass = "QEL_RlyDictWClass";
inline constexpr std::string_view kEngineEjClass = "HINGE/EJ";
inline constexpr std::string_view kEngineJeClass = "HINGE/JE";
inline constexpr std::string_view kTraceClass = "PserverWClass";

inline constexpr std::uint32_t kWmClose = 0x0010;
inline constexpr std::uint32_t kWmUser = 0x0400;

// Messages relative to WM_USER.
inline constexpr std::uint32_t kTraceLine = kWmUser + 1;         // a line in "PSERVER_DATA"
inline constexpr std::uint32_t kDirectionChanged = kWmUser + 3;  // posted, 0, 0
inline constexpr std::uint32_t kProgress = kWmUser + 4;          // posted, 0, progress value
inline constexpr std::uint32_t kHandOver = kWmUser + 8;          // sent, L, window to return to
inline constexpr std::uint32_t kHandOverNew = kWmUser + 9;       // sent, L, 0 (editor only)
inline constexpr std::uint32_t kOpenSettings = kWmUser + 11;     // posted to the toolbox, page 1-6
inline constexpr std::uint32_t kComeToFront = kWmUser + 12;      // sent, 0, 0
inline constexpr std::uint32_t kShowHelp = kWmUser + 13;         // posted to the toolbox, topic
inline constexpr std::uint32_t kSpeechSetup = kWmUser + 15;      // posted to the editor, 1-3, toolbox

// The CD-ROM viewer's search service: a poke of "key TAB window" as text.
inline constexpr std::string_view kLexdiscService = "LEXDISC";
inline constexpr std::string_view kLexdiscTopic = "SEARCH";
inline constexpr std::string_view kLexdiscItem = "SEARCH";

// Programs started by name (mapped to the files of the program directory).
inline constexpr std::string_view kTransProgram = "Trans.exe";
inline constexpr std::string_view kToolboxProgram = "tooldeck.exe";
inline constexpr std::string_view kFileProgram = "File.exe";
inline constexpr std::string_view kSampleProgram = "Sample.exe";
inline constexpr std::string_view kLexdiscProgram = "lexdisc.exe";
inline constexpr std::string_view kDictProgram = "Dict.exe";

} // namespace yv::messages
