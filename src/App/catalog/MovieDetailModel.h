#pragma once

#include "catalog/DetailBlock.h"
#include "catalog/ProviderDetailModel.h"
#include "playback/PlayableItem.h"
#include "provider/VodInfoResponse.h"
#include "provider/VodStream.h"
#include "storage/ProgressEntry.h"

#include <QCoroTask>
#include <QPointer>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>
#include <optional>

class ProgressStore;

// What the detail screen of one movie shows and plays: its details from the provider, the stream
// address built from them, the metadata line, the text blocks and the play buttons' rules.
class MovieDetailModel : public ProviderDetailModel
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(VodStream movie READ movie WRITE setMovie NOTIFY movieChanged FINAL)
    Q_PROPERTY(bool hasInfo READ hasInfo NOTIFY infoChanged FINAL)
    Q_PROPERTY(VodInfo info READ infoOrEmpty NOTIFY infoChanged FINAL)
    Q_PROPERTY(QString playURL READ playURL NOTIFY playURLChanged FINAL)
    Q_PROPERTY(QString metadataLine READ metadataLine NOTIFY infoChanged FINAL)
    // The text blocks of the details present, in screen order.
    Q_PROPERTY(QList<DetailBlock> detailBlocks READ detailBlocks NOTIFY infoChanged FINAL)
    Q_PROPERTY(QString posterUrl READ posterUrl NOTIFY infoChanged FINAL)
    // The play buttons, from the movie's progress entry as the store holds it now.
    Q_PROPERTY(QString resumeLabel READ resumeLabel NOTIFY progressChanged FINAL)
    Q_PROPERTY(bool hasEntry READ hasEntry NOTIFY progressChanged FINAL)
public:
    explicit MovieDetailModel(QObject *parent = nullptr);
    MovieDetailModel(ProgressStore *progress, QObject *parent = nullptr);

    static QString progressKey(const QString &streamId) { return QStringLiteral("movie:") + streamId; }
    // Release year, duration, genre and rating joined by " · ", each only when it says something.
    static QString metadataLine(const VodInfo &info);
    // The details' extension, else the movie's own, else "mp4".
    static QString containerExtension(const VodInfoResponse &response, const VodStream &movie);
    // "12 min" below an hour, "1 h 2 min" from there on.
    static QString friendlyTime(qint64 ms);
    static QString resumeLabel(const std::optional<ProgressEntry> &entry);
    // The queue item for the movie: resuming uses the stored address and position when an entry
    // exists; from the start (or with no entry) the fresh address and 0.
    static PlayableItem playableItem(const VodStream &movie, const std::optional<VodInfo> &info,
                                     const QString &playURL, const std::optional<ProgressEntry> &entry,
                                     bool fromStart);

    VodStream movie() const { return m_movie; }
    void setMovie(const VodStream &movie);
    bool hasInfo() const { return m_info.has_value(); }
    VodInfo infoOrEmpty() const { return m_info.value_or(VodInfo()); }
    QString playURL() const { return m_playURL; }
    QString metadataLine() const { return m_info ? metadataLine(*m_info) : QString(); }
    QList<DetailBlock> detailBlocks() const;
    QString posterUrl() const;
    QString resumeLabel() const { return resumeLabel(entry()); }
    bool hasEntry() const { return entry().has_value(); }

    Q_INVOKABLE void load();
    Q_INVOKABLE PlayableItem playableItem(bool fromStart) const;

Q_SIGNALS:
    void movieChanged();
    void infoChanged();
    void playURLChanged();
    void progressChanged();

private:
    std::optional<ProgressEntry> entry() const;

    QPointer<ProgressStore> m_progress;
    VodStream m_movie;
    std::optional<VodInfo> m_info;
    QString m_playURL;
};
