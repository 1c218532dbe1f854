#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>
#include <optional>

// The "info" object of a movie detail. Every field is optional: a null QString when absent.
class VodInfo
{
    Q_GADGET
    QML_VALUE_TYPE(vodInfo)
    Q_PROPERTY(QString plot READ plot CONSTANT FINAL)
    Q_PROPERTY(QString cast READ cast CONSTANT FINAL)
    Q_PROPERTY(QString director READ director CONSTANT FINAL)
    Q_PROPERTY(QString genre READ genre CONSTANT FINAL)
    Q_PROPERTY(QString releasedate READ releasedate CONSTANT FINAL)
    Q_PROPERTY(QString movieImage READ movieImage CONSTANT FINAL)
    Q_PROPERTY(QString duration READ duration CONSTANT FINAL)
    Q_PROPERTY(QString rating READ rating CONSTANT FINAL)
public:
    // The plain fields, so a value reads as Record({.field = ...}).
    struct Fields
    {
        QString plot;
        QString cast;
        QString director;
        QString genre;
        QString releasedate;
        QString movieImage;
        QString duration;
        QString rating;
        bool operator==(const Fields &) const = default;
    };

    VodInfo() = default;
    explicit VodInfo(Fields fields) : m(std::move(fields)) {}

    QString plot() const { return m.plot; }
    QString cast() const { return m.cast; }
    QString director() const { return m.director; }
    QString genre() const { return m.genre; }
    QString releasedate() const { return m.releasedate; }
    QString movieImage() const { return m.movieImage; }
    QString duration() const { return m.duration; }
    QString rating() const { return m.rating; }

    bool operator==(const VodInfo &) const = default;

private:
    Fields m;
};

// The "movie_data" object of a movie detail; null QStrings when absent.
class MovieData
{
    Q_GADGET
    QML_VALUE_TYPE(movieData)
    Q_PROPERTY(QString streamId READ streamId CONSTANT FINAL)
    Q_PROPERTY(QString containerExtension READ containerExtension CONSTANT FINAL)
public:
    // The plain fields, so a value reads as Record({.field = ...}).
    struct Fields
    {
        QString streamId;
        QString containerExtension;
        bool operator==(const Fields &) const = default;
    };

    MovieData() = default;
    explicit MovieData(Fields fields) : m(std::move(fields)) {}

    QString streamId() const { return m.streamId; }
    QString containerExtension() const { return m.containerExtension; }

    bool operator==(const MovieData &) const = default;

private:
    Fields m;
};

// The answer of "get_vod_info". A malformed "info" or "movie_data" leaves that part absent.
class VodInfoResponse
{
    Q_GADGET
    QML_VALUE_TYPE(vodInfoResponse)
    Q_PROPERTY(bool hasInfo READ hasInfo CONSTANT FINAL)
    Q_PROPERTY(VodInfo info READ infoOrEmpty CONSTANT FINAL)
    Q_PROPERTY(bool hasMovieData READ hasMovieData CONSTANT FINAL)
    Q_PROPERTY(MovieData movieData READ movieDataOrEmpty CONSTANT FINAL)
public:
    using Info = VodInfo;

    VodInfoResponse() = default;
    VodInfoResponse(std::optional<VodInfo> info, std::optional<MovieData> movieData)
        : m_info(std::move(info)), m_movieData(std::move(movieData))
    {
    }

    const std::optional<VodInfo> &info() const { return m_info; }
    const std::optional<MovieData> &movieData() const { return m_movieData; }
    bool hasInfo() const { return m_info.has_value(); }
    bool hasMovieData() const { return m_movieData.has_value(); }
    VodInfo infoOrEmpty() const { return m_info.value_or(VodInfo()); }
    MovieData movieDataOrEmpty() const { return m_movieData.value_or(MovieData()); }

    bool operator==(const VodInfoResponse &) const = default;

private:
    std::optional<VodInfo> m_info;
    std::optional<MovieData> m_movieData;
};
