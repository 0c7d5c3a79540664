// How the engine link and the engine programs talk: window classes, programs and the DDE
// service with its topics and item. Data is CP932 text with its NUL, or UTF-8 paths.
#pragma once

#include "Messages.h"

#include <string_view>

namespace yv::engineprotocol {

inline constexpr std::string_view kWindowClassEJ = messages::kEngineEjClass;
inline constexpr std::string_view kWindowClassJE = messages::kEngineJeClass;
inline constexpr std::string_view kProgramEJ = "ejquarto.exe";
inline constexpr std::string_view kProgramJE = "jequarto.exe";
inline constexpr std::string_view kServiceEJ = "jTamsel/EJ";
inline constexpr std::string_view kServiceJE = "jTamsel/JE";

// Topics everyone may use: a whole text in one answer, a text file, an HTML file, and stop.
inline constexpr std::string_view kTopicText = "Translate";
inline constexpr std::string_view kTopicTextFile = "TranslateF";
inline constexpr std::string_view kTopicHtmlFile = "TranslateH";
inline constexpr std::string_view kTopicStop = "TransStop";
// Topics of the engine link: result blocks sentence by sentence, and the dictionaries.
inline constexpr std::string_view kTopicBlocks = "TranslateSTR3";
inline constexpr std::string_view kTopicDictionary = "Dictionary";

// The item of every job: requests are poked to it, answers come as its advise data.
inline constexpr std::string_view kItemExec = "ExecTrans";
// Dictionary items: poke "word TAB mode" then request the look-up string; poke "word TAB
// dictionary" to open the registration; poke a path to create a user dictionary.
inline constexpr std::string_view kItemDicRead = "DicRead";
inline constexpr std::string_view kItemDicEdit = "DicEdit";
inline constexpr std::string_view kItemDicInit = "DicInit";

inline constexpr std::string_view kEndOfText = "$$$";
inline constexpr std::string_view kEndOfFile = "end";

} // namespace yv::engineprotocol
