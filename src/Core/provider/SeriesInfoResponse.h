#pragma once

#include "provider/Episode.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

// One season of a series: its number and its episodes in ascending episode order.
class Season
{
    Q_GADGET
    QML_VALUE_TYPE(season)
    Q_PROPERTY(qint64 season READ season CONSTANT FINAL)
    Q_PROPERTY(QList<Episode> episodes READ episodes CONSTANT FINAL)
public:
    Season() = default;
    Season(qint64 season, QList<Episode> episodes) : m_season(season), m_episodes(std::move(episodes)) {}

    qint64 season() const { return m_season; }
    QList<Episode> episodes() const { return m_episodes; }

    bool operator==(const Season &) const = default;

private:
    qint64 m_season = 0;
    QList<Episode> m_episodes;
};

// The answer of "get_series_info": cover and plot of the series, and its seasons in ascending
// season order.
class SeriesInfoResponse
{
    Q_GADGET
    QML_VALUE_TYPE(seriesInfoResponse)
    Q_PROPERTY(QString cover READ cover CONSTANT FINAL)
    Q_PROPERTY(QString plot READ plot CONSTANT FINAL)
    Q_PROPERTY(QList<Season> seasons READ seasons CONSTANT FINAL)
public:
    SeriesInfoResponse() = default;
    SeriesInfoResponse(QString cover, QString plot, QList<Season> seasons)
        : m_cover(std::move(cover)), m_plot(std::move(plot)), m_seasons(std::move(seasons))
    {
    }

    QString cover() const { return m_cover; } // null when absent
    QString plot() const { return m_plot; }   // null when absent
    QList<Season> seasons() const { return m_seasons; }

    bool operator==(const SeriesInfoResponse &) const = default;

private:
    QString m_cover;
    QString m_plot;
    QList<Season> m_seasons;
};
