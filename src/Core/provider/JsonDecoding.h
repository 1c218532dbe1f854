#pragma once

// Internal to the provider decoders: the shapes every answer shares (a list of objects, an
// object of members, an object of flat text fields), on simdjson's On-Demand API.
#include "provider/FlexibleJson.h"
#include "provider/JsonText.h"
#include "provider/NorvaneFailure.h"
#include "provider/Result.h"

#include <QFuture>
#include <QList>
#include <QString>
#include <QThread>
#include <QtConcurrent/QtConcurrentRun>
#include <array>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

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

// A text read with flexibleString, decoded; null when absent.
inline QString toQString(const std::optional<std::string_view> &text)
{
    return text ? JsonText::toQString(*text) : QString();
}

// Hands each member of an object to `visit(key, value)`, which may return false to stop with a
// failure. False when a key or the document breaks.
template <typename Visitor> bool forEachField(simdjson::ondemand::object &object, Visitor visit)
{
    std::string unescaped;
    for (auto member : object) {
        simdjson::ondemand::field field;
        if (std::move(member).get(field))
            return false;
        const auto key = FlexibleJson::fieldKey(field, unescaped);
        if (!key)
            return false;
        if constexpr (std::is_same_v<decltype(visit(*key, field.value())), bool>) {
            if (!visit(*key, field.value()))
                return false;
        } else {
            visit(*key, field.value());
        }
    }
    return true;
}

// The same for a value, which fails unless it is an object.
template <typename Visitor> bool forEachField(simdjson::ondemand::value &value, Visitor visit)
{
    simdjson::ondemand::object object;
    if (value.get_object().get(object))
        return false;
    return forEachField(object, std::move(visit));
}

// Each element of an array read by `read(value)` into an optional Record; absent when the value
// is not an array, the document breaks or one element does not read.
template <typename Record, typename Reader>
std::optional<QList<Record>> readArray(simdjson::ondemand::value &value, Reader read)
{
    simdjson::ondemand::array array;
    if (value.get_array().get(array))
        return std::nullopt;
    QList<Record> records;
    for (auto element : array) {
        simdjson::ondemand::value item;
        if (std::move(element).get(item))
            return std::nullopt;
        std::optional<Record> record = read(item);
        if (!record)
            return std::nullopt;
        records.append(std::move(*record));
    }
    return records;
}

// Reads the listed keys of an object with flexibleString, in the order of `keys`; other members
// are skipped unread. Absent on a broken document.
template <size_t N>
std::optional<std::array<std::optional<std::string_view>, N>>
readFlat(simdjson::ondemand::object &object, const std::string_view (&keys)[N], Scratch &scratch)
{
    static_assert(N <= std::tuple_size_v<Scratch>);
    std::array<std::optional<std::string_view>, N> texts{};
    const bool read = forEachField(object, [&](std::string_view key, simdjson::ondemand::value &value) {
        const int index = FlexibleJson::keyIndex(key, keys);
        if (index >= 0)
            texts[index] = FlexibleJson::flexibleString(value, scratch[index]);
    });
    if (!read)
        return std::nullopt;
    return texts;
}

// The same for a value, which is absent unless it is an object.
template <size_t N>
std::optional<std::array<std::optional<std::string_view>, N>>
readFlat(simdjson::ondemand::value &value, const std::string_view (&keys)[N], Scratch &scratch)
{
    simdjson::ondemand::object object;
    if (value.get_object().get(object))
        return std::nullopt;
    return readFlat(object, keys, scratch);
}

// A catalog record's name and id where the provider left them out: "(sin nombre)" and "".
template <size_t N>
void fillNameAndId(std::array<std::optional<std::string_view>, N> &texts, int nameField, int idField)
{
    if (!texts[nameField])
        texts[nameField] = std::string_view("(sin nombre)");
    if (!texts[idField])
        texts[idField] = std::string_view();
}

// A text member read with flexibleString; null when it is absent or null.
inline QString flexibleText(simdjson::ondemand::value &value, std::string &scratch)
{
    return toQString(FlexibleJson::flexibleString(value, scratch));
}

// Reads a JSON array of objects into `records`; nullopt when it decoded.
template <typename Record, typename Reader>
std::optional<DecodingError> readList(simdjson::padded_string_view json, Reader &read, QList<Record> &records)
{
    simdjson::ondemand::parser &parser = threadParser();
    const ParserTrim trim{parser}; // declared before the document, so it runs after the document is gone
    simdjson::ondemand::document document;
    if (const auto error = parser.iterate(json).get(document))
        return decodingError(error);
    simdjson::ondemand::array array;
    if (const auto error = document.get_array().get(array))
        return decodingError(error);
    // Catalog entries take a few hundred bytes each: one allocation for the usual case, and
    // the spare room is given back by the caller when the guess was far too high.
    records.reserve(qsizetype(json.size() / 192));
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
    return std::nullopt;
}

// A list body of at least two such pieces is cut into pieces decoded side by side.
inline constexpr qsizetype parallelPieceBytes = 2 * 1024 * 1024;

// Positions of the commas between top-level elements where a list body can be cut into
// `pieces` parts of about equal size: each a "}" [blanks] "," [blanks] "{" found from an equal
// share on. A comma found this way may sit inside a text or a nested value; such a cut leaves a
// piece that does not decode (it ends inside a text or an unfinished value), and the caller then
// decodes the body in one piece.
inline QList<qsizetype> listCuts(const QByteArray &body, int pieces)
{
    QList<qsizetype> cuts;
    const char *data = body.constData();
    const qsizetype size = body.size();
    const auto blank = [](char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; };
    for (int i = 1; i < pieces; ++i) {
        qsizetype found = -1;
        for (qsizetype at = std::max(size * i / pieces, cuts.isEmpty() ? 0 : cuts.last() + 1);
             at < size && found < 0; ++at) {
            if (data[at] != '}')
                continue;
            qsizetype comma = at + 1;
            while (comma < size && blank(data[comma]))
                ++comma;
            if (comma >= size || data[comma] != ',')
                continue;
            qsizetype next = comma + 1;
            while (next < size && blank(data[next]))
                ++next;
            if (next < size && data[next] == '{')
                found = comma;
        }
        if (found < 0)
            break;
        cuts.append(found);
    }
    return cuts;
}

// Turns the body into one JSON array per piece, in place: each cut comma becomes "]" and the
// rest of the body moves one byte further per cut to make room for the "[" that opens the next
// piece. Needs cuts.size() spare bytes besides the parser's padding. Gives each piece's range.
inline QList<std::pair<qsizetype, qsizetype>> splitList(char *data, qsizetype size,
                                                        const QList<qsizetype> &cuts)
{
    const qsizetype n = cuts.size();
    for (qsizetype j = n; j >= 1; --j) { // the last piece first: nothing moves onto unmoved bytes
        const qsizetype from = cuts[j - 1] + 1;
        const qsizetype to = j == n ? size : cuts[j];
        std::memmove(data + from + j, data + from, size_t(to - from));
    }
    QList<std::pair<qsizetype, qsizetype>> pieces;
    qsizetype begin = 0;
    for (qsizetype j = 0; j < n; ++j) {
        data[cuts[j] + j] = ']';
        data[cuts[j] + j + 1] = '[';
        pieces.append({begin, cuts[j] + j + 1});
        begin = cuts[j] + j + 1;
    }
    pieces.append({begin, size + n});
    data[size + n] = '\0';
    return pieces;
}

// Puts back what splitList changed.
inline void joinList(char *data, qsizetype size, const QList<qsizetype> &cuts)
{
    const qsizetype n = cuts.size();
    for (qsizetype j = 1; j <= n; ++j) {
        const qsizetype from = cuts[j - 1] + 1;
        const qsizetype to = j == n ? size : cuts[j];
        std::memmove(data + from, data + from + j, size_t(to - from));
    }
    for (const qsizetype cut : cuts)
        data[cut] = ',';
    data[size] = '\0';
}

// A JSON array of objects, each turned into a record by `read(object, scratch)` (which gives
// nullopt only on a broken document). Any element that is not an object fails the whole list.
//
// A large body that this call owns alone (as a catalog read from disk is) is cut at element
// boundaries into one piece per core, decoded side by side on the thread pool.
template <typename Record, typename Reader> Result<QList<Record>> decodeList(QByteArray body, Reader read)
{
    const qsizetype size = body.size();
    const qsizetype pieceCount =
        std::min<qsizetype>({QThread::idealThreadCount(), size / parallelPieceBytes, 8});
    const QList<qsizetype> cuts =
        pieceCount > 1 && body.isDetached() ? listCuts(body, int(pieceCount)) : QList<qsizetype>();
    if (!cuts.isEmpty()) {
        // The app's readers leave this room already; anything else pays one copy here.
        body.reserve(size + cuts.size() + qsizetype(simdjson::SIMDJSON_PADDING));
        char *data = body.data();
        const size_t capacity = size_t(body.capacity());
        QList<std::pair<qsizetype, qsizetype>> ranges = splitList(data, size, cuts);
        ranges.first().first = FlexibleJson::byteOrderMarkLength(body);
        std::vector<QList<Record>> parts(size_t(ranges.size()));
        const auto decodePiece = [&](qsizetype index) {
            const auto [begin, end] = ranges[index];
            return readList<Record>(
                simdjson::padded_string_view(data + begin, size_t(end - begin), capacity - size_t(begin)),
                read, parts[size_t(index)]);
        };
        QList<QFuture<std::optional<DecodingError>>> others;
        for (qsizetype i = 1; i < ranges.size(); ++i)
            others.append(QtConcurrent::run(decodePiece, i));
        // This thread's parser is done with its piece before waiting: a piece that has not
        // started when it is waited for runs on this thread.
        bool failed = decodePiece(0).has_value();
        for (QFuture<std::optional<DecodingError>> &other : others)
            failed = other.result().has_value() || failed;
        if (!failed) {
            QList<Record> records;
            qsizetype count = 0;
            for (const QList<Record> &part : parts)
                count += part.size();
            records.reserve(count);
            for (QList<Record> &part : parts) {
                records.append(std::move(part));
                part = QList<Record>();
            }
            return records;
        }
        // A cut inside a text or a nested value, or a broken body: decoding it whole tells which.
        joinList(data, size, cuts);
    }
    QList<Record> records;
    if (const std::optional<DecodingError> error =
            readList<Record>(FlexibleJson::paddedView(body), read, records))
        return *error;
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
    std::string unescaped;
    for (auto entry : object) {
        simdjson::ondemand::field field;
        if (const auto error = std::move(entry).get(field))
            return decodingError(error);
        const auto key = FlexibleJson::fieldKey(field, unescaped);
        if (!key)
            return DecodingError{QStringLiteral("broken key")};
        member(*key, field.value());
    }
    if (!atEnd(document))
        return DecodingError{QStringLiteral("content after the object")};
    return std::nullopt;
}

} // namespace JsonDecoding
