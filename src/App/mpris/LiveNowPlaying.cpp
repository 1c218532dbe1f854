#include "mpris/LiveNowPlaying.h"

#include "live/ChannelsModel.h"
#include "live/ChannelsScreen.h"
#include "mpris/NowPlaying.h"

LiveNowPlaying::LiveNowPlaying(ChannelsScreen *screen) : QObject(screen), m_screen(screen)
{
    connect(screen, &ChannelsScreen::modelChanged, this, &LiveNowPlaying::followModel);
    followModel();
}

LiveNowPlaying::~LiveNowPlaying()
{
    NowPlaying::shared()->release(this);
}

void LiveNowPlaying::followModel()
{
    for (const QMetaObject::Connection &connection : std::as_const(m_modelConnections))
        disconnect(connection);
    m_modelConnections.clear();
    m_model = m_screen->model();
    if (!m_model)
        return;
    const auto update = [this] { NowPlaying::shared()->update(this); };
    // A channel selected is what the section is about to play.
    m_modelConnections << connect(m_model, &ChannelsModel::selectedChannelChanged, this, [this] {
        if (m_model->selectedChannel())
            NowPlaying::shared()->claim(this);
        else
            NowPlaying::shared()->update(this);
    });
    m_modelConnections << connect(m_model, &ChannelsModel::epgChanged, this, update);
    m_modelConnections << connect(m_model, &ChannelsModel::nowCacheChanged, this, update);
    m_modelConnections << connect(m_model, &ChannelsModel::channelsChanged, this, update);
    m_modelConnections << connect(m_model, &ChannelsModel::reconnectingChanged, this, update);
}

NowPlayingSource::Track LiveNowPlaying::track() const
{
    if (!m_model || !m_model->selectedChannel())
        return {};
    const ChannelRow &channel = *m_model->selectedChannel();
    QString programme = m_model->nowTitle(channel.streamId());
    for (const EPGListing &listing : m_model->epg())
        if (listing.isNow()) {
            programme = listing.title();
            break;
        }
    return Track{QStringLiteral("live/") + channel.streamId(), channel.name(), programme,
                 channel.iconURLText(), false};
}

bool LiveNowPlaying::betweenItems() const
{
    return m_model && m_model->reconnecting();
}

VLCEngine *LiveNowPlaying::engine() const
{
    return m_screen->engine();
}

bool LiveNowPlaying::adjacentExists(int offset) const
{
    if (!m_model || !m_model->selectedChannel())
        return false;
    const QList<ChannelRow> rows = m_model->channels();
    const qsizetype position = rows.indexOf(*m_model->selectedChannel());
    return position >= 0 && position + offset >= 0 && position + offset < rows.size();
}

void LiveNowPlaying::togglePause()
{
    m_screen->playback()->togglePause();
}

void LiveNowPlaying::stop()
{
    m_screen->stopPlayback();
}

void LiveNowPlaying::next()
{
    m_screen->playback()->playAdjacent(1);
}

void LiveNowPlaying::previous()
{
    m_screen->playback()->playAdjacent(-1);
}
