#include "live/GuideListModel.h"

#include <QDateTime>
#include <algorithm>
#include <limits>

GuideListModel::GuideListModel(QObject *parent)
    : QAbstractListModel(parent), m_clock([] { return QDateTime::currentMSecsSinceEpoch(); })
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &GuideListModel::update);
}

void GuideListModel::setListings(const QList<EPGListing> &listings)
{
    if (listings == m_listings)
        return;
    beginResetModel();
    m_listings = listings;
    m_onAir.clear();
    endResetModel();
    update();
    Q_EMIT listingsChanged();
}

void GuideListModel::setClock(std::function<qint64()> clock)
{
    m_clock = std::move(clock);
    update();
}

int GuideListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_listings.size());
}

QVariant GuideListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const EPGListing &listing = m_listings.at(index.row());
    switch (role) {
    case TimeRangeRole:
        return listing.timeRange();
    case Qt::DisplayRole:
    case TitleRole:
        return listing.title().isEmpty() ? QStringLiteral("(sin título)") : listing.title();
    case OnAirRole:
        return index.row() < m_onAir.size() && m_onAir.at(index.row());
    default:
        return {};
    }
}

QHash<int, QByteArray> GuideListModel::roleNames() const
{
    static const QHash<int, QByteArray> roles{
        {TimeRangeRole, "timeRange"}, {TitleRole, "title"}, {OnAirRole, "onAir"}};
    return roles;
}

void GuideListModel::update()
{
    const qint64 now = nowSecs();
    const bool first = m_onAir.size() != m_listings.size();
    m_onAir.resize(m_listings.size());
    qint64 next = std::numeric_limits<qint64>::max();
    for (qsizetype i = 0; i < m_listings.size(); ++i) {
        const EPGListing &listing = m_listings.at(i);
        const bool onAir = listing.isNow(now);
        if (onAir != m_onAir.at(i) || first) {
            m_onAir[i] = onAir;
            const QModelIndex at = index(int(i));
            Q_EMIT dataChanged(at, at, {OnAirRole});
        }
        for (const qint64 boundary : {listing.startTimestamp(), listing.stopTimestamp()}) {
            if (boundary > now)
                next = std::min(next, boundary);
        }
    }
    m_timer.stop();
    if (next != std::numeric_limits<qint64>::max()) {
        // To the second of the change (the clock reads whole seconds), never sooner.
        const qint64 waitMs = next * 1000 - m_clock();
        m_timer.start(int(std::clamp<qint64>(waitMs, 0, 24 * 3600 * 1000)));
    }
}
