// Decoding of the series answers: the catalog list and one series' seasons and episodes.
#include "provider/ProviderJson.h"

#include "provider/DecimalInteger.h"
#include "provider/FlexibleJson.h"
#include "provider/JsonDecoding.h"

#include <algorithm>

using namespace simdjson;

namespace {

constexpr std::string_view seriesKeys[] = {"name",  "series_id",   "cover",  "plot",
                                           "genre", "category_id", "rating", "last_modified"};
constexpr std::string_view infoKeys[] = {"cover", "plot"};

std::optional<SeriesStream> readSeriesStream(ondemand::object &object, JsonDecoding::Scratch &scratch)
{
    auto fields = JsonDecoding::readFlat(object, seriesKeys, scratch);
    if (!fields)
        return std::nullopt;
    auto &texts = *fields;
    JsonDecoding::fillNameAndId(texts, SeriesStream::Name, SeriesStream::SeriesId);
    const auto &modified = texts[SeriesStream::LastModified];
    const qint64 epoch = modified ? FlexibleJson::decimalInteger(*modified).value_or(0) : 0;
    return SeriesStream(RecordText<SeriesStream::FieldCount>::fromJsonText(texts), epoch);
}

// An episode's "info": plot, running time and still image, each optional.
struct EpisodeInfo
{
    QString plot;
    std::optional<qint64> durationSecs;
    QString movieImage;
};

std::optional<EpisodeInfo> readEpisodeInfo(ondemand::value &value)
{
    EpisodeInfo info;
    std::string scratch;
    const bool read = JsonDecoding::forEachField(value, [&](std::string_view key, ondemand::value &member) {
        if (key == "plot")
            info.plot = JsonDecoding::flexibleText(member, scratch);
        else if (key == "duration_secs")
            info.durationSecs = FlexibleJson::flexibleInt(member);
        else if (key == "movie_image")
            info.movieImage = JsonDecoding::flexibleText(member, scratch);
    });
    if (!read)
        return std::nullopt;
    return info;
}

// One element of a season's list; nullopt when it is not an object (or the document breaks).
std::optional<Episode> readEpisode(ondemand::value &value, qint64 keySeason)
{
    Episode::Fields episode;
    std::optional<EpisodeInfo> info;
    qint64 ownSeason = 0;
    std::string scratch;
    const bool read = JsonDecoding::forEachField(value, [&](std::string_view key, ondemand::value &v) {
        if (key == "id")
            episode.id = JsonDecoding::flexibleText(v, scratch);
        else if (key == "episode_num")
            episode.episodeNum = FlexibleJson::flexibleInt(v).value_or(0);
        else if (key == "season")
            ownSeason = FlexibleJson::flexibleInt(v).value_or(0);
        else if (key == "title")
            episode.title = JsonDecoding::flexibleText(v, scratch);
        else if (key == "container_extension")
            episode.containerExtension = JsonDecoding::flexibleText(v, scratch);
        else if (key == "info")
            info = readEpisodeInfo(v);
    });
    if (!read)
        return std::nullopt;
    if (episode.id.isNull())
        episode.id = QString(QLatin1StringView(""));
    if (episode.title.isNull())
        episode.title = QString(QLatin1StringView(""));
    episode.season = ownSeason != 0 ? ownSeason : keySeason;
    if (info) {
        episode.plot = info->plot;
        episode.image = info->movieImage;
        episode.durationSecs = info->durationSecs;
    }
    return Episode(std::move(episode));
}

// The "episodes" object: season key -> list of episodes. Nullopt when it is not an object of
// lists of objects (providers send [] for a series without episodes).
std::optional<QList<Season>> readSeasons(ondemand::value &value)
{
    QList<Season> seasons;
    const bool read = JsonDecoding::forEachField(value, [&](std::string_view key, ondemand::value &list) {
        const qint64 keySeason = DecimalInteger::parse(key).value_or(0);
        std::optional<QList<Episode>> episodes = JsonDecoding::readArray<Episode>(
            list, [keySeason](ondemand::value &item) { return readEpisode(item, keySeason); });
        if (!episodes)
            return false;
        std::stable_sort(episodes->begin(), episodes->end(),
                         [](const Episode &a, const Episode &b) { return a.episodeNum() < b.episodeNum(); });
        // The pair carries the key's number even when its episodes name other seasons.
        seasons.append(Season(keySeason, std::move(*episodes)));
        return true;
    });
    if (!read)
        return std::nullopt;
    std::stable_sort(seasons.begin(), seasons.end(),
                     [](const Season &a, const Season &b) { return a.season() < b.season(); });
    return seasons;
}

} // namespace

namespace ProviderJson {

template <> Result<QList<SeriesStream>> decode(QByteArray body)
{
    return JsonDecoding::decodeList<SeriesStream>(std::move(body), readSeriesStream);
}

template <> Result<SeriesInfoResponse> decode(QByteArray body)
{
    QString cover;
    QString plot;
    QList<Season> seasons;
    const auto failure =
        JsonDecoding::decodeObject(std::move(body), [&](std::string_view key, ondemand::value &value) {
            if (key == "info") {
                JsonDecoding::Scratch scratch;
                const auto fields = JsonDecoding::readFlat(value, infoKeys, scratch);
                cover = fields ? JsonDecoding::toQString((*fields)[0]) : QString();
                plot = fields ? JsonDecoding::toQString((*fields)[1]) : QString();
            } else if (key == "episodes") {
                seasons = readSeasons(value).value_or(QList<Season>());
            }
        });
    if (failure)
        return *failure;
    return SeriesInfoResponse(std::move(cover), std::move(plot), std::move(seasons));
}

} // namespace ProviderJson
