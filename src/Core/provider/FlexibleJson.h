#pragma once

// Internal to the provider decoders: keep simdjson out of every other header.
#include <simdjson.h>

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <QtGlobal>
#include <optional>
#include <string>
#include <string_view>

// The tolerant readers every provider record uses: numbers and numeric texts are
// interchangeable, and a missing or odd value gives absent instead of failing the record.
namespace FlexibleJson {

// A text stays as JSON writes it (escapes still in: JsonText decodes it); a number becomes its
// decimal text (8.0 -> "8", 4.5 -> "4.5"; a number too large for 64 bits keeps its exact digits),
// which holds no escape. Anything else is absent. The view points into the parser's input or into
// `scratch`, and lives until the parser reads another document.
std::optional<std::string_view> flexibleString(simdjson::ondemand::value &value, std::string &scratch);
std::optional<QString> flexibleString(simdjson::ondemand::value &value);

// An integer, a whole number (8.0), or a text holding a decimal integer ("+7", "-3", "007").
// A fraction, true, false, an object, an array, or anything outside 64 bits is absent.
std::optional<qint64> flexibleInt(simdjson::ondemand::value &value);

// Some panels start their answers with a UTF-8 byte-order mark, which simdjson refuses: its length
// (3 or 0), to be skipped.
qsizetype byteOrderMarkLength(const QByteArray &body);

// simdjson reads up to SIMDJSON_PADDING bytes past the end of its input: grows the body's
// allocation when needed (without copying when it already has room) and views it, past any
// byte-order mark.
simdjson::padded_string_view paddedView(QByteArray &body);

// A text as flexibleString gives it, read as DecimalInteger reads a decimal integer.
std::optional<qint64> decimalInteger(std::string_view text);

// The key of an object field, unescaped (into `unescaped` when it holds an escape; a lone
// surrogate reads as U+FFFD), or nullopt on a broken document.
std::optional<std::string_view> fieldKey(simdjson::ondemand::field &field, std::string &unescaped);

// Index of `key` in `keys`, or -1.
template <size_t N> int keyIndex(std::string_view key, const std::string_view (&keys)[N])
{
    for (size_t i = 0; i < N; ++i) {
        if (keys[i] == key)
            return int(i);
    }
    return -1;
}

} // namespace FlexibleJson
