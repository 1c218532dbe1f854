#include "live/ChannelsModel.h"

#include "client/NorvaneError.h"
#include "live/LiveStreamAttempt.h"
#include "playback/VLCEngine.h"
#include "session/ParentalControl.h"
#include "storage/FavoritesStore.h"

ChannelsModel::ChannelsModel(QObject *parent)
    : ChannelsModel(VLCEngine::shared(), FavoritesStore::shared(), parent)
{
}

ChannelsModel::ChannelsModel(VLCEngine *engine, FavoritesStore *favorites, QObject *parent)
    : CategorizedSectionModel(parent), m_engine(engine), m_favorites(favorites),
      m_channelList(new ChannelListModel(&m_nowCache, this)), m_attempt(new LiveStreamAttempt(engine, this))
{
    connect(m_attempt, &LiveStreamAttempt::reconnectingChanged, this, &ChannelsModel::reconnectingChanged);
    // Every retry of a dropped stream failed: the channel reads as one that cannot be played.
    connect(m_attempt, &LiveStreamAttempt::lost, this,
            [this] { setPlaybackError(NorvaneError::contentDidNotPlay()); });
    watchRows(m_channelList);
    m_channelList->followFavorites(favorites);
}

// The list model reads m_nowCache: it must go before the hash does.
ChannelsModel::~ChannelsModel()
{
    delete m_channelList;
}

// ---- operations ----

void ChannelsModel::selectCategory(const QString &categoryId)
{
    selectCategoryTask(categoryId);
}

QCoro::Task<> ChannelsModel::selectCategoryTask(QString categoryId)
{
    QPointer<ChannelsModel> self(this);
    // The channel that plays goes on playing; only the selection is cleared.
    setSelectedCategoryId(categoryId);
    setSelectedChannel(std::nullopt);
    setEpg({});
    if (categoryId == SectionRow::favoritesId) {
        setChannels(favoriteChannels());
        showSettledList();
        co_return;
    }
    const ListRequest request = startListRequest();
    const XtreamClient client = this->client();
    const Result<QList<LiveStream>> answer = co_await client.liveStreams(categoryId);
    // An answer to an earlier request changes nothing on screen.
    if (!self || !isLatest(request))
        co_return;
    if (answer)
        setChannels(numbered(answer.value()));
    finishListRequest(request, answer ? QString() : NorvaneError::message(answer.failure()));
}

void ChannelsModel::select(const ChannelRow &channel)
{
    selectTask(channel);
}

QCoro::Task<> ChannelsModel::selectTask(ChannelRow channel)
{
    QPointer<ChannelsModel> self(this);
    setSelectedChannel(channel);
    setEpg({});
    setEpgLoaded(false);
    co_await playTask(channel);
    if (!self)
        co_return;
    // The guide waits for the watch so that its request never competes with the stream's start.
    co_await loadEPG(channel.streamId());
}

void ChannelsModel::play(const ChannelRow &channel)
{
    playTask(channel);
}

QCoro::Task<> ChannelsModel::playTask(ChannelRow channel)
{
    QPointer<ChannelsModel> self(this);
    setPlaybackError({});
    // Named, not temporaries inside the co_await: GCC 12 destroys such temporaries twice. The
    // attempt belongs to this model: while it asks, the model is there.
    const XtreamClient client = this->client();
    const QString streamId = channel.streamId();
    const std::function<bool()> stillWanted = [this, streamId] { return isSelected(streamId); };
    const bool failed = co_await m_attempt->run(client, streamId, stillWanted);
    if (self && failed)
        setPlaybackError(NorvaneError::contentDidNotPlay());
}

QCoro::Task<> ChannelsModel::loadEPG(QString streamId)
{
    QPointer<ChannelsModel> self(this);
    setEpgLoaded(false);
    const XtreamClient client = this->client();
    const Result<QList<EPGListing>> answer = co_await client.shortEPG(streamId, guideLimit);
    if (!self)
        co_return;
    // A guide of a channel the user has left is dropped; a failed one leaves the list empty.
    if (answer && m_selectedChannel && m_selectedChannel->streamId() == streamId)
        setEpg(answer.value());
    setEpgLoaded(true);
}

void ChannelsModel::loadNowPlaying(const QString &streamId)
{
    loadNowPlayingTask(streamId);
}

QCoro::Task<> ChannelsModel::loadNowPlayingTask(QString streamId)
{
    if (m_nowCache.contains(streamId))
        co_return;
    // Written before the request, so a row that scrolls in again meanwhile asks nothing.
    setNowTitle(streamId, QString(QLatin1StringView("")));
    QPointer<ChannelsModel> self(this);
    const XtreamClient client = this->client();
    const Result<QList<EPGListing>> answer = co_await client.shortEPG(streamId, 1);
    if (!self || !answer || answer->isEmpty() || answer->first().title().isEmpty())
        co_return;
    setNowTitle(streamId, answer->first().title());
}

void ChannelsModel::playAdjacent(int offset)
{
    playAdjacentTask(offset);
}

QCoro::Task<> ChannelsModel::playAdjacentTask(int offset)
{
    if (!m_selectedChannel)
        co_return;
    const QList<ChannelRow> &rows = m_channelList->rows();
    const qsizetype position = rows.indexOf(*m_selectedChannel);
    if (position < 0)
        co_return;
    const qint64 target = qint64(position) + offset;
    if (target < 0 || target >= rows.size())
        co_return;
    co_await selectTask(rows.at(target));
}

void ChannelsModel::toggleFavorite(const ChannelRow &channel)
{
    if (!m_favorites)
        return;
    m_favorites->toggle(Favorite(ContentType::Live, channel.streamId(), channel.name(), channel.iconURL()));
}

int ChannelsModel::selectedChannelRow() const
{
    return m_selectedChannel ? int(m_channelList->rows().indexOf(*m_selectedChannel)) : -1;
}

bool ChannelsModel::isFavorite(const ChannelRow &channel) const
{
    return m_favorites && m_favorites->isFavorite(ContentType::Live, channel.streamId());
}

// ---- helpers ----

bool ChannelsModel::isSelected(const QString &streamId) const
{
    return m_selectedChannel && m_selectedChannel->streamId() == streamId;
}

QList<ChannelRow> ChannelsModel::favoriteChannels() const
{
    QList<ChannelRow> rows;
    if (!m_favorites)
        return rows;
    const QList<Favorite> favorites = m_favorites->items(ContentType::Live);
    rows.reserve(favorites.size());
    for (const Favorite &favorite : favorites)
        rows.append(ChannelRow(favorite.contentId(), std::nullopt, favorite.name(), favorite.imageUrl()));
    return rows;
}

// The provider's number where it gave one, else the 1-based position in the answer.
QList<ChannelRow> ChannelsModel::numbered(const QList<LiveStream> &streams)
{
    QList<ChannelRow> rows;
    rows.reserve(streams.size());
    for (qsizetype i = 0; i < streams.size(); ++i) {
        const LiveStream &stream = streams.at(i);
        const QString num = stream.num();
        rows.append(ChannelRow::fromStream(stream, num.isEmpty() ? QString::number(i + 1) : num));
    }
    return rows;
}

QVariant ChannelsModel::selectedChannelForQml() const
{
    return m_selectedChannel ? QVariant::fromValue(*m_selectedChannel) : QVariant();
}

QVariantMap ChannelsModel::nowCacheForQml() const
{
    QVariantMap map;
    for (auto it = m_nowCache.cbegin(); it != m_nowCache.cend(); ++it)
        map.insert(it.key(), it.value());
    return map;
}

// ---- setters: each announces only a real change ----

void ChannelsModel::setIsFullscreen(bool fullscreen)
{
    if (m_isFullscreen == fullscreen)
        return;
    m_isFullscreen = fullscreen;
    Q_EMIT isFullscreenChanged();
}

int ChannelsModel::fallbackWatchMs() const
{
    return m_attempt->watchMs();
}

bool ChannelsModel::reconnecting() const
{
    return m_attempt->reconnecting();
}

void ChannelsModel::setFallbackWatchMs(int ms)
{
    if (m_attempt->watchMs() == ms || ms < 0)
        return;
    m_attempt->setWatchMs(ms);
    Q_EMIT fallbackWatchMsChanged();
}

void ChannelsModel::setChannels(const QList<ChannelRow> &channels)
{
    if (m_channelList->rows() == channels)
        return;
    m_channelList->setRows(channels);
    Q_EMIT channelsChanged();
}

void ChannelsModel::setSelectedChannel(const std::optional<ChannelRow> &channel)
{
    if (m_selectedChannel == channel)
        return;
    m_selectedChannel = channel;
    Q_EMIT selectedChannelChanged();
}

void ChannelsModel::setEpg(const QList<EPGListing> &epg)
{
    if (m_epg == epg)
        return;
    m_epg = epg;
    Q_EMIT epgChanged();
}

void ChannelsModel::setEpgLoaded(bool loaded)
{
    if (m_epgLoaded == loaded)
        return;
    m_epgLoaded = loaded;
    Q_EMIT epgLoadedChanged();
}

void ChannelsModel::setNowTitle(const QString &streamId, const QString &title)
{
    const auto found = m_nowCache.constFind(streamId);
    if (found != m_nowCache.cend() && *found == title)
        return;
    m_nowCache.insert(streamId, title);
    m_channelList->nowTitleChanged(streamId);
    Q_EMIT nowTitleChanged(streamId);
    Q_EMIT nowCacheChanged();
}

void ChannelsModel::setPlaybackError(const QString &error)
{
    if (sameOptionalText(m_playbackError, error))
        return;
    m_playbackError = error;
    Q_EMIT playbackErrorChanged();
}
