#include "provider/ProviderJson.h"

#include "provider/DecimalInteger.h"
#include "provider/FlexibleJson.h"
#include "provider/JsonDecoding.h"

using namespace simdjson;
using JsonDecoding::readFlat;

namespace {

// Keys in the order of each record's Field enum.
constexpr std::string_view categoryKeys[] = {"category_id", "category_name"};
constexpr std::string_view liveKeys[] = {"name", "num", "stream_id", "stream_icon", "category_id"};
constexpr std::string_view vodKeys[] = {"name",        "stream_id",           "stream_icon",
                                        "category_id", "container_extension", "added"};
constexpr std::string_view vodInfoKeys[] = {"plot",        "cast",        "director", "genre",
                                            "releasedate", "movie_image", "duration", "rating"};
constexpr std::string_view movieDataKeys[] = {"stream_id", "container_extension"};
constexpr std::string_view userInfoKeys[] = {"username", "status", "exp_date", "max_connections"};

std::optional<Category> readCategory(ondemand::object &object, JsonDecoding::Scratch &scratch)
{
    auto fields = readFlat(object, categoryKeys, scratch);
    if (!fields)
        return std::nullopt;
    JsonDecoding::fillNameAndId(*fields, Category::CategoryName, Category::CategoryId);
    return Category(RecordText<Category::FieldCount>::fromJsonText(*fields));
}

std::optional<LiveStream> readLiveStream(ondemand::object &object, JsonDecoding::Scratch &scratch)
{
    auto fields = readFlat(object, liveKeys, scratch);
    if (!fields)
        return std::nullopt;
    JsonDecoding::fillNameAndId(*fields, LiveStream::Name, LiveStream::StreamId);
    return LiveStream(RecordText<LiveStream::FieldCount>::fromJsonText(*fields));
}

std::optional<VodStream> readVodStream(ondemand::object &object, JsonDecoding::Scratch &scratch)
{
    auto fields = readFlat(object, vodKeys, scratch);
    if (!fields)
        return std::nullopt;
    auto &texts = *fields;
    JsonDecoding::fillNameAndId(texts, VodStream::Name, VodStream::StreamId);
    const auto &added = texts[VodStream::Added];
    const qint64 addedEpoch = added ? FlexibleJson::decimalInteger(*added).value_or(0) : 0;
    return VodStream(RecordText<VodStream::FieldCount>::fromJsonText(texts), addedEpoch);
}

std::optional<VodInfo> readVodInfo(ondemand::value &value)
{
    JsonDecoding::Scratch scratch;
    const auto fields = readFlat(value, vodInfoKeys, scratch);
    if (!fields)
        return std::nullopt;
    const auto text = [&](int i) { return JsonDecoding::toQString((*fields)[i]); };
    return VodInfo({.plot = text(0),
                    .cast = text(1),
                    .director = text(2),
                    .genre = text(3),
                    .releasedate = text(4),
                    .movieImage = text(5),
                    .duration = text(6),
                    .rating = text(7)});
}

std::optional<MovieData> readMovieData(ondemand::value &value)
{
    JsonDecoding::Scratch scratch;
    const auto fields = readFlat(value, movieDataKeys, scratch);
    if (!fields)
        return std::nullopt;
    return MovieData({.streamId = JsonDecoding::toQString((*fields)[0]),
                      .containerExtension = JsonDecoding::toQString((*fields)[1])});
}

std::optional<UserInfo> readUserInfo(ondemand::value &value)
{
    UserInfo::Fields info;
    std::string scratch;
    QString *targets[] = {&info.username, &info.status, &info.expDate, &info.maxConnections};
    const bool read = JsonDecoding::forEachField(value, [&](std::string_view key, ondemand::value &member) {
        if (key == "auth") {
            info.auth = FlexibleJson::flexibleInt(member);
            return;
        }
        const int index = FlexibleJson::keyIndex(key, userInfoKeys);
        if (index >= 0)
            *targets[index] = JsonDecoding::flexibleText(member, scratch);
    });
    if (!read)
        return std::nullopt;
    return UserInfo(std::move(info));
}

} // namespace

namespace ProviderJson {

template <> Result<QList<Category>> decode(QByteArray body)
{
    return JsonDecoding::decodeList<Category>(std::move(body), readCategory);
}

template <> Result<QList<LiveStream>> decode(QByteArray body)
{
    return JsonDecoding::decodeList<LiveStream>(std::move(body), readLiveStream);
}

template <> Result<QList<VodStream>> decode(QByteArray body)
{
    return JsonDecoding::decodeList<VodStream>(std::move(body), readVodStream);
}

template <> Result<VodInfoResponse> decode(QByteArray body)
{
    std::optional<VodInfo> info;
    std::optional<MovieData> movieData;
    const auto failure =
        JsonDecoding::decodeObject(std::move(body), [&](std::string_view key, ondemand::value &value) {
            if (key == "info")
                info = readVodInfo(value);
            else if (key == "movie_data")
                movieData = readMovieData(value);
        });
    if (failure)
        return *failure;
    return VodInfoResponse(std::move(info), std::move(movieData));
}

template <> Result<AuthResponse> decode(QByteArray body)
{
    std::optional<UserInfo> userInfo;
    const auto failure =
        JsonDecoding::decodeObject(std::move(body), [&](std::string_view key, ondemand::value &value) {
            if (key == "user_info")
                userInfo = readUserInfo(value);
        });
    if (failure)
        return *failure;
    return AuthResponse(std::move(userInfo));
}

} // namespace ProviderJson
