#pragma once

#include "JsonWriter.h"
#include "SampleMedia.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMutex>
#include <QString>
#include <QUrlQuery>
#include <optional>

// The provider's catalog: live channels, movies and series made deterministically from a seed.
// Every record is a pure function of (seed, index), so nothing per record is stored and a record
// can be found from its id alone; the answers are written as JSON text directly and the large
// whole-list answers are cached. The JSON is as loose as real panels send it: ids as numbers or
// numeric texts, nulls, missing names, ratings as 4.5, "8", "", "0" or null, and so on; by default
// written the way PHP panels escape it (JsonWriter::Style::Php), with accents, emoji, quotes and
// "\r\n" in the texts.
//
// Id layout (stable, tests and the playback helpers rely on it):
//   live categories "1".."12", movie categories "40".."59", series categories "80".."94";
//   channels 1001.. (index + 1001), movies 200001.. (index + 200001), series 1.. (index + 1);
//   episode id = series id * 100 + season * 20 + episode number (season 1-4, episode 1-12).
class SampleCatalog
{
public:
    enum class Size { Default, Large, Extreme };
    enum class Kind { Live, Vod, Series };

    struct Counts
    {
        int channels;
        int movies;
        int series;
    };

    // Channels with known playback trouble (1002 and 1003 in the first live category).
    static constexpr qint64 brokenPlaylistChannelId = 1002; // m3u8 broken, ts works
    static constexpr qint64 brokenChannelId = 1003;         // m3u8 and ts both broken
    static constexpr qint64 htmlPlaylistChannelId = 1004;   // m3u8 a web page served as a playlist; ts works
    static constexpr qint64 cutChannelId = 1005;            // plays, but SampleProvider cuts it now and then
    static constexpr qint64 tracksMovieId = 200002;   // even movie ids carry two audio tracks and subtitles
    static constexpr qint64 plainMovieId = 200001;    // odd movie ids carry one audio track
    static constexpr qint64 truncatedEpisodeId = 123; // series 1, season 1, episode 3 ends early
    static constexpr qint64 episodelessSeriesId = 40; // a series whose "episodes" is []

    static constexpr quint64 defaultSeed = 20261206;

    explicit SampleCatalog(Size size = Size::Default, quint64 seed = defaultSeed,
                           JsonWriter::Style style = JsonWriter::Style::Php);

    static std::optional<Size> sizeFromName(const QString &name);
    static Counts countsFor(Size size);
    Size size() const { return m_size; }
    JsonWriter::Style style() const { return m_style; }
    Counts counts() const { return m_counts; }

    // The body of one API answer. `base` is the address the request came on
    // ("http://127.0.0.1:8080"); image addresses in the records point there.
    // Unknown actions, unknown ids and missing parameters give "[]".
    QByteArray answer(const QString &action, const QUrlQuery &query, const QString &base) const;

    // The whole-catalog body of one kind (what "get_vod_streams" etc. answer with no category).
    QByteArray wholeList(Kind kind, const QString &base) const;

    // What a stream address plays: the media file, or absent for unknown or broken streams.
    std::optional<SampleMedia::Kind> liveMedia(qint64 channelId, const QString &extension) const;
    std::optional<SampleMedia::Kind> movieMedia(qint64 movieId) const;
    std::optional<SampleMedia::Kind> episodeMedia(qint64 episodeId) const;

    // The title an image shows, or absent when the id is unknown.
    std::optional<QString> channelName(qint64 channelId) const;
    std::optional<QString> movieName(qint64 movieId) const;
    std::optional<QString> seriesName(qint64 seriesId) const;
    std::optional<QString> episodeTitle(qint64 episodeId) const;

    // Path (under the provider's address) of the image that always answers 404 with an HTML page.
    static QString missingImagePath();

private:
    struct EpisodeRef
    {
        int seriesIndex;
        int season;
        int episode;
    };

    QByteArray categories(Kind kind) const;
    QByteArray streams(Kind kind, std::optional<int> categoryIndex, const QString &base) const;
    QByteArray shortEpg(const QUrlQuery &query) const;
    QByteArray vodInfo(const QUrlQuery &query, const QString &base) const;
    QByteArray seriesInfo(const QUrlQuery &query, const QString &base) const;

    void writeChannel(JsonWriter &out, int index, const QByteArray &base) const;
    void writeMovie(JsonWriter &out, int index, const QByteArray &base) const;
    void writeSeries(JsonWriter &out, int index, const QByteArray &base) const;
    void writeEpisode(JsonWriter &out, const EpisodeRef &ref, const QByteArray &base) const;

    std::optional<int> categoryIndexOf(Kind kind, const QString &categoryId) const;
    int categoryOf(Kind kind, int index) const;
    static bool movieWithoutCategory(int index);
    int seasonCount(int seriesIndex) const;
    int episodeCount(int seriesIndex, int season) const;
    std::optional<EpisodeRef> episodeRef(qint64 episodeId) const;
    QByteArray movieTitle(int index) const;
    QByteArray seriesTitle(int index) const;
    QByteArray channelTitle(int index) const;
    quint64 hash(int kind, qint64 index, int salt) const;

    Size m_size;
    Counts m_counts;
    quint64 m_seed;
    JsonWriter::Style m_style;
    mutable QMutex m_cacheMutex;
    mutable QHash<QString, QByteArray> m_cache;
};
