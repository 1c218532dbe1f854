#pragma once

// Internal to the provider decoders: the shapes every answer shares (a list of objects, an
// object of members, an object of flat text fields), on simdjson's On-Demand API.
#include "FlexibleJson.h"
#include "NorvaneFailure.h"
#include "Result.h"

#include <QList>
#include <QString>
#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace JsonDecoding {

// Reused buffers for number texts, one per field of a record.
using Scratch = std::array<std::string, 16>;

inline DecodingError decodingError(simdjson::error_code error)
{
    return DecodingError{QString::fromLatin1(simdjson::error_message(error))};
}

// One parser per thread, reused by every decode: a fresh one touches fresh memory for every
// catalog, and those page faults cost more than the parse itself. Catalog decodes run on pool
// threads, which exit (freeing theirs) after half a minute idle. Decodes never nest.
inline simdjson::ondemand::parser &threadParser()
{
    thread_local simdjson::ondemand::parser parser;
    return parser;
}

// A parser sized for a whole catalog holds several times the body (hundreds of MB for the largest
// accounts); keeping that for the thread's idle half minute would outweigh the page faults it
// saves, so after a document above this size the parser's buffers are given back.
inline constexpr size_t keptParserCapacity = 16 * 1024 * 1024;

struct ParserTrim
{
    simdjson::ondemand::parser &parser;
    ~ParserTrim()
    {
        if (parser.capacity() > keptParserCapacity)
            (void)parser.allocate(0);
    }
};

// True when nothing but blanks follows what has been read.
inline bool atEnd(simdjson::ondemand::document &document)
{
    return document.current_location().error() == simdjson::OUT_OF_BOUNDS;
}

inline QString toQString(const std::optional<std::string_view> &text)
{
    if (!text)
        return QString();
    if (text->empty())
        return QString(QLatin1StringView(""));
    return QString::fromUtf8(text->data(), qsizetype(text->size()));
}

// Reads the listed keys of an object with flexibleString, in the order of `keys`; other members
// are skipped unread. Absent on a broken document.
template <size_t N>
std::optional<std::array<std::optional<std::string_view>, N>>
readFlat(simdjson::ondemand::object &object, const std::string_view (&keys)[N], Scratch &scratch)
{
    static_assert(N <= std::tuple_size_v<Scratch>);
    std::array<std::optional<std::string_view>, N> texts{};
    for (auto member : object) {
        simdjson::ondemand::field field;
        if (std::move(member).get(field))
            return std::nullopt;
        const auto key = FlexibleJson::fieldKey(field);
        if (!key)
            return std::nullopt;
        const int index = FlexibleJson::keyIndex(*key, keys);
        if (index >= 0)
            texts[index] = FlexibleJson::flexibleString(field.value(), scratch[index]);
    }
    return texts;
}

// A JSON array of objects, each turned into a record by `read(object, scratch)` (which gives
// nullopt only on a broken document). Any element that is not an object fails the whole list.
template <typename Record, typename Reader>
Result<QList<Record>> decodeList(QByteArray body, Reader read)
{
    simdjson::ondemand::parser &parser = threadParser();
    const ParserTrim trim{parser}; // declared before the document, so it runs after the document is gone
    simdjson::ondemand::document document;
    if (const auto error = parser.iterate(FlexibleJson::paddedView(body)).get(document))
        return decodingError(error);
    simdjson::ondemand::array array;
    if (const auto error = document.get_array().get(array))
        return decodingError(error);
    QList<Record> records;
    // Catalog entries take a few hundred bytes each: one allocation for the usual case, and
    // the spare room is given back below when the guess was far too high.
    records.reserve(body.size() / 192);
    Scratch scratch;
    for (auto element : array) {
        simdjson::ondemand::object object;
        if (const auto error = element.get_object().get(object))
            return decodingError(error);
        std::optional<Record> record = read(object, scratch);
        if (!record)
            return DecodingError{QStringLiteral("broken list element")};
        records.append(std::move(*record));
    }
    if (!atEnd(document))
        return DecodingError{QStringLiteral("content after the list")};
    if (records.capacity() > 2 * records.size() + 16)
        records.squeeze();
    return records;
}

// A JSON object whose members are handed to `member(key, value)`; nullopt when it decoded.
template <typename MemberReader>
std::optional<DecodingError> decodeObject(QByteArray body, MemberReader member)
{
    simdjson::ondemand::parser &parser = threadParser();
    const ParserTrim trim{parser}; // declared before the document, so it runs after the document is gone
    simdjson::ondemand::document document;
    if (const auto error = parser.iterate(FlexibleJson::paddedView(body)).get(document))
        return decodingError(error);
    simdjson::ondemand::object object;
    if (const auto error = document.get_object().get(object))
        return decodingError(error);
    for (auto entry : object) {
        simdjson::ondemand::field field;
        if (const auto error = std::move(entry).get(field))
            return decodingError(error);
        const auto key = FlexibleJson::fieldKey(field);
        if (!key)
            return DecodingError{QStringLiteral("broken key")};
        member(*key, field.value());
    }
    if (!atEnd(document))
        return DecodingError{QStringLiteral("content after the object")};
    return std::nullopt;
}

} // namespace JsonDecoding
