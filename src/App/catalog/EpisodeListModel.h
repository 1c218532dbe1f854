#pragma once

#include "provider/Episode.h"
#include "storage/ProgressEntry.h"

#include <QAbstractListModel>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>
#include <QtQml/qqmlregistration.h>
#include <optional>

class ProgressStore;

// The episodes of one season as the rows of the series detail screen: each with its heading,
// duration, plot and picture, and the marks of its progress entry (the watch bar and "Visto").
// The marks follow the progress store one episode at a time: a position saved every few seconds
// while an episode plays changes that one row, whatever the size of the store.
class EpisodeListModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ANONYMOUS

public:
    enum Role {
        EpisodeIdRole = Qt::UserRole + 1,
        HeadingRole,
        DurationTextRole,
        PlotRole,
        PictureRole,
        BarFractionRole,
        WatchedRole,
    };

    EpisodeListModel(ProgressStore *store, QObject *parent);

    // The watch bar's fill of an episode with this entry, -1 for no bar (no entry, no known
    // duration, not started or watched), and its "Visto".
    static double barFraction(const std::optional<ProgressEntry> &entry);
    static bool isWatched(const std::optional<ProgressEntry> &entry);

    // The episodes of the series `seriesId`; an episode without a picture shows `cover`.
    void setEpisodes(const QString &seriesId, const QList<Episode> &episodes, const QString &cover);
    const QList<Episode> &episodes() const { return m_episodes; }

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    std::optional<ProgressEntry> entryAt(int row) const;
    void entryChanged(const QString &key);

    QPointer<ProgressStore> m_store;
    QString m_seriesId;
    QList<Episode> m_episodes;
    QString m_cover;
    // Progress key to row.
    QHash<QString, int> m_rowOfKey;
};
