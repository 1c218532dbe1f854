#include "mpris/MovieNowPlaying.h"

#include "mpris/NowPlaying.h"
#include "playback/VLCEngine.h"
#include "player/PlayerModel.h"

#include <algorithm>
#include <limits>

MovieNowPlaying::MovieNowPlaying(PlayerModel *model, VLCEngine *engine)
    : QObject(model), m_model(model), m_engine(engine)
{
    // A new item is what the model is about to play.
    connect(model, &PlayerModel::currentItemChanged, this, [this] {
        if (!m_model->currentItem().url().isEmpty())
            NowPlaying::shared()->claim(this);
    });
    connect(model, &PlayerModel::nextSubtitleChanged, this, [this] { NowPlaying::shared()->update(this); });
    connect(model, &PlayerModel::showUpNextChanged, this, [this] { NowPlaying::shared()->update(this); });
}

MovieNowPlaying::~MovieNowPlaying()
{
    NowPlaying::shared()->release(this);
}

NowPlayingSource::Track MovieNowPlaying::track() const
{
    const PlayableItem item = m_model->currentItem();
    const QString title =
        item.subtitle() ? item.title() + QStringLiteral(" · ") + *item.subtitle() : item.title();
    return Track{item.progressKey(), title, {}, item.imageUrl().value_or(QString()), true};
}

bool MovieNowPlaying::canGoNext() const
{
    return m_model->canPlayNext();
}

bool MovieNowPlaying::betweenItems() const
{
    return m_model->showUpNext();
}

void MovieNowPlaying::togglePause()
{
    if (m_engine)
        m_engine->togglePause();
}

void MovieNowPlaying::stop()
{
    m_model->close();
}

void MovieNowPlaying::next()
{
    m_model->playNext();
}

void MovieNowPlaying::skip(qint64 ms)
{
    // The skip buttons' rule, to the millisecond.
    m_model->skipMs(ms);
}

void MovieNowPlaying::seekTo(qint64 ms)
{
    // The position bar's rule.
    if (m_engine)
        m_engine->seek(qint32(std::clamp<qint64>(ms, 0, std::numeric_limits<qint32>::max())));
}
