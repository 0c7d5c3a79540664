// HTML for translation: pieces of markup and text, character references, the declared charset.
#pragma once

#include <platform/codec.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace yv::engine::Internal {

struct HtmlPiece {
    std::string_view bytes;
    bool isText = false; // text outside tags, to translate; everything else is kept as it is
};

// Cuts a document into markup (tags, comments, declarations, script and style contents) and
// text. Unclosed tags and comments run to the end as markup; the pieces always cover all bytes.
std::vector<HtmlPiece> splitHtml(std::string_view html);

// The charset a <meta charset> or <meta http-equiv="Content-Type"> declares, when it is one
// we can read.
std::optional<codec::TextEncoding> declaredCharset(std::string_view html);

// Character references to UTF-8 (&amp; &lt; &gt; &quot; &apos; &nbsp; &copy; and numeric ones);
// unknown or malformed references stay as they are.
std::string decodeEntities(std::string_view text);
// & < > as references, for text written back into markup.
std::string encodeEntities(std::string_view utf8);

} // namespace yv::engine::Internal
