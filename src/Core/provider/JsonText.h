#pragma once

#include <QChar>
#include <QString>
#include <string_view>

// The texts of provider answers as JSON writes them: the content between a string's quotes with
// its escapes still in. PHP panels escape every "/" and every non-ASCII character, so most texts
// hold escapes; they are decoded straight into UTF-16 in one pass, never through UTF-8 first.
namespace JsonText {

// Writes the decoded `content` at `out`, which has room for content.size() units (the decoded text
// never needs more), and gives the end of what it wrote. The content must be valid UTF-8, as the
// JSON parser has checked it to be. A lone surrogate or a broken escape reads as U+FFFD.
QChar *decode(QChar *out, std::string_view content);

// The same into a new text; an empty content gives an empty (not null) text.
QString toQString(std::string_view content);

// True when the content holds an escape (it decodes to something else than itself as UTF-8).
inline bool hasEscape(std::string_view content)
{
    return content.find('\\') != std::string_view::npos;
}

} // namespace JsonText
