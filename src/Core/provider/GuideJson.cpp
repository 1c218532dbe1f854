// Decoding of the programme guide answer into plain-text listings.
#include "provider/ProviderJson.h"

#include "provider/DecimalInteger.h"
#include "provider/FlexibleJson.h"
#include "provider/JsonDecoding.h"

#include <QStringDecoder>

using namespace simdjson;

namespace {

struct RawListing
{
    QString title;          // null when absent
    QString description;    // null when absent
    QString startTimestamp; // null when absent
    QString stopTimestamp;  // null when absent
    std::optional<qint64> nowPlaying;
};

bool isBase64Symbol(char16_t c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'+' ||
           c == u'/';
}

// Standard Base64 with its "=" fill: length a multiple of four, only the alphabet, and at most
// two "=" at the very end. Blanks, line breaks and URL-safe symbols make it fail.
std::optional<QByteArray> strictBase64(const QString &text)
{
    if (text.isEmpty() || text.size() % 4 != 0)
        return std::nullopt;
    qsizetype fill = 0;
    while (fill < 2 && text.at(text.size() - 1 - fill) == u'=')
        ++fill;
    for (qsizetype i = 0; i < text.size() - fill; ++i) {
        if (!isBase64Symbol(text.at(i).unicode()))
            return std::nullopt;
    }
    return QByteArray::fromBase64(text.toLatin1());
}

bool isBlankOrTab(QChar c)
{
    return c == u' ' || c == u'\t';
}

// Guide texts usually arrive as Base64 of UTF-8; anything else is shown as received.
QString plainText(const QString &raw)
{
    if (raw.isNull())
        return QString(QLatin1StringView(""));
    qsizetype first = 0;
    qsizetype last = raw.size();
    while (first < last && isBlankOrTab(raw.at(first)))
        ++first;
    while (last > first && isBlankOrTab(raw.at(last - 1)))
        --last;
    if (first == last)
        return QString(QLatin1StringView(""));
    const std::optional<QByteArray> bytes = strictBase64(raw);
    if (!bytes)
        return raw;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8(*bytes);
    if (utf8.hasError())
        return raw;
    return decoded.trimmed();
}

qint64 timestamp(const QString &raw)
{
    return raw.isEmpty() ? 0 : DecimalInteger::parse(QStringView(raw)).value_or(0);
}

std::optional<RawListing> readRawListing(ondemand::value &value)
{
    RawListing listing;
    std::string scratch;
    const bool read = JsonDecoding::forEachField(value, [&](std::string_view key, ondemand::value &v) {
        if (key == "title")
            listing.title = JsonDecoding::flexibleText(v, scratch);
        else if (key == "description")
            listing.description = JsonDecoding::flexibleText(v, scratch);
        else if (key == "start_timestamp")
            listing.startTimestamp = JsonDecoding::flexibleText(v, scratch);
        else if (key == "stop_timestamp")
            listing.stopTimestamp = JsonDecoding::flexibleText(v, scratch);
        else if (key == "now_playing")
            listing.nowPlaying = FlexibleJson::flexibleInt(v);
    });
    if (!read)
        return std::nullopt;
    return listing;
}

// "epg_listings": a list of objects, or nothing at all when it has any other shape.
QList<EPGListing> readListings(ondemand::value &value)
{
    const auto raws = JsonDecoding::readArray<RawListing>(value, readRawListing);
    QList<EPGListing> listings;
    for (const RawListing &raw : raws.value_or(QList<RawListing>()))
        listings.append(EPGListing({.id = QUuid::createUuid(),
                                    .title = plainText(raw.title),
                                    .description = plainText(raw.description),
                                    .startTimestamp = timestamp(raw.startTimestamp),
                                    .stopTimestamp = timestamp(raw.stopTimestamp),
                                    .nowPlaying = raw.nowPlaying == 1}));
    return listings;
}

} // namespace

namespace ProviderJson {

template <> Result<EPGResponse> decode(QByteArray body)
{
    QList<EPGListing> listings;
    const auto failure =
        JsonDecoding::decodeObject(std::move(body), [&](std::string_view key, ondemand::value &value) {
            if (key == "epg_listings")
                listings = readListings(value);
        });
    if (failure)
        return *failure;
    return EPGResponse(std::move(listings));
}

} // namespace ProviderJson
