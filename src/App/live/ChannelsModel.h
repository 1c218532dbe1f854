#pragma once

#include "live/ChannelListModel.h"
#include "live/ChannelRow.h"
#include "live/LiveStreamAttempt.h"
#include "provider/EPGListing.h"
#include "sections/CategorizedSectionModel.h"

#include <QCoroTask>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>
#include <QtQml/qqmlregistration.h>
#include <optional>

class FavoritesStore;
class VLCEngine;

// The live TV section: the provider's live categories, the channels of the chosen one (or the
// favourite channels), the channel playing in the preview with its short guide, the titles on
// air for the channel list, and the preview's playback error. A channel is played by a live stream
// attempt: its adaptive (m3u8) address, then, when that has failed after the fall-back watch, its
// transport-stream (ts) address once.
class ChannelsModel : public CategorizedSectionModel
{
    Q_OBJECT
    QML_ELEMENT
    // The channels of the chosen category, in the list order (the same as `rows`, whose rows also
    // carry the title on air and the favourite mark). Texts are null (absent) when there is
    // nothing to say.
    Q_PROPERTY(QList<ChannelRow> channels READ channels NOTIFY channelsChanged FINAL)
    // A ChannelRow, or undefined while no channel is selected.
    Q_PROPERTY(QVariant selectedChannel READ selectedChannelForQml NOTIFY selectedChannelChanged FINAL)
    // Its row in the list (-1 while none is selected or it is not listed): the list's current row
    // follows it, also when the channel keys zap.
    Q_PROPERTY(int selectedChannelRow READ selectedChannelRow NOTIFY selectedChannelChanged FINAL)
    Q_PROPERTY(QList<EPGListing> epg READ epg NOTIFY epgChanged FINAL)
    Q_PROPERTY(bool epgLoaded READ epgLoaded NOTIFY epgLoadedChanged FINAL)
    // Stream id to the title on air ("" once requested while nothing is known). Rows read their
    // own entry through the nowTitle role of `rows`, or nowTitle().
    Q_PROPERTY(QVariantMap nowCache READ nowCacheForQml NOTIFY nowCacheChanged FINAL)
    Q_PROPERTY(bool isFullscreen READ isFullscreen WRITE setIsFullscreen NOTIFY isFullscreenChanged FINAL)
    Q_PROPERTY(QString playbackError READ playbackError NOTIFY playbackErrorChanged FINAL)
    // How long a play waits before it judges the stream (and again after falling back).
    Q_PROPERTY(
        int fallbackWatchMs READ fallbackWatchMs WRITE setFallbackWatchMs NOTIFY fallbackWatchMsChanged FINAL)
    // The selected channel's stream dropped and is being started again.
    Q_PROPERTY(bool reconnecting READ reconnecting NOTIFY reconnectingChanged FINAL)
    // The m3u8 watch, the ts fall-back and the reconnect of the preview, with their timing.
    Q_PROPERTY(LiveStreamAttempt *stream READ stream CONSTANT FINAL)

public:
    static constexpr int guideLimit = 12;

    // On the shared engine and favourites store.
    explicit ChannelsModel(QObject *parent = nullptr);
    ChannelsModel(VLCEngine *engine, FavoritesStore *favorites, QObject *parent = nullptr);
    ~ChannelsModel() override;

    QList<ChannelRow> channels() const { return m_channelList->rows(); }
    QAbstractItemModel *rows() const override { return m_channelList; }
    const std::optional<ChannelRow> &selectedChannel() const { return m_selectedChannel; }
    int selectedChannelRow() const;
    QList<EPGListing> epg() const { return m_epg; }
    bool epgLoaded() const { return m_epgLoaded; }
    const QHash<QString, QString> &nowCache() const { return m_nowCache; }
    bool isFullscreen() const { return m_isFullscreen; }
    void setIsFullscreen(bool fullscreen);
    QString playbackError() const { return m_playbackError; }
    int fallbackWatchMs() const;
    void setFallbackWatchMs(int ms);
    bool reconnecting() const;
    LiveStreamAttempt *stream() const { return m_attempt; }

    Q_INVOKABLE void selectCategory(const QString &categoryId) override;
    // Makes the channel current, plays it, and loads its guide once the fall-back watch is over.
    Q_INVOKABLE void select(const ChannelRow &channel);
    // Plays the channel again (the screen's retry), without loading its guide again.
    Q_INVOKABLE void play(const ChannelRow &channel);
    Q_INVOKABLE void playAdjacent(int offset);
    // The same, for callers that act once the new channel's watch and guide are over.
    QCoro::Task<> playAdjacentAndWait(int offset) { return playAdjacentTask(offset); }
    // Asks once per channel for the title on air.
    Q_INVOKABLE void loadNowPlaying(const QString &streamId);
    Q_INVOKABLE QString nowTitle(const QString &streamId) const { return m_nowCache.value(streamId); }
    Q_INVOKABLE void toggleFavorite(const ChannelRow &channel);
    Q_INVOKABLE bool isFavorite(const ChannelRow &channel) const;

Q_SIGNALS:
    void channelsChanged();
    void selectedChannelChanged();
    void epgChanged();
    void epgLoadedChanged();
    void nowCacheChanged();
    // One entry of the now-playing cache changed.
    void nowTitleChanged(const QString &streamId);
    void isFullscreenChanged();
    void playbackErrorChanged();
    void fallbackWatchMsChanged();
    void reconnectingChanged();

protected:
    QString categoriesAction() const override { return QStringLiteral("get_live_categories"); }
    QList<SectionRow> specialRows() const override { return {SectionRow::favorites()}; }
    void clearList() override { setChannels({}); }

private:
    QCoro::Task<> selectCategoryTask(QString categoryId);
    QCoro::Task<> selectTask(ChannelRow channel);
    QCoro::Task<> playTask(ChannelRow channel);
    QCoro::Task<> loadEPG(QString streamId);
    QCoro::Task<> loadNowPlayingTask(QString streamId);
    QCoro::Task<> playAdjacentTask(int offset);

    bool isSelected(const QString &streamId) const;
    QList<ChannelRow> favoriteChannels() const;
    static QList<ChannelRow> numbered(const QList<LiveStream> &streams);

    QVariant selectedChannelForQml() const;
    QVariantMap nowCacheForQml() const;
    void setChannels(const QList<ChannelRow> &channels);
    void setSelectedChannel(const std::optional<ChannelRow> &channel);
    void setEpg(const QList<EPGListing> &epg);
    void setEpgLoaded(bool loaded);
    void setNowTitle(const QString &streamId, const QString &title);
    void setPlaybackError(const QString &error);

    QPointer<VLCEngine> m_engine;
    QPointer<FavoritesStore> m_favorites;
    ChannelListModel *m_channelList;
    std::optional<ChannelRow> m_selectedChannel;
    QList<EPGListing> m_epg;
    bool m_epgLoaded = false;
    QHash<QString, QString> m_nowCache;
    bool m_isFullscreen = false;
    QString m_playbackError;
    // Acts only for the latest play, and only while its channel is still selected.
    LiveStreamAttempt *m_attempt;
};
