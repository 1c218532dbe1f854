#include "mpris/IdleInhibitionPolicy.h"

#include "mpris/NowPlaying.h"
#include "mpris/NowPlayingSource.h"
#include "playback/VLCEngine.h"
#include "system/IdleInhibitor.h"

using Status = VLCEngine::Status;

IdleInhibitionPolicy::IdleInhibitionPolicy(NowPlaying *nowPlaying, IdleInhibitor *inhibitor, QObject *parent)
    : QObject(parent), m_nowPlaying(nowPlaying), m_inhibitor(inhibitor)
{
    m_grace.setSingleShot(true);
    m_grace.setInterval(defaultGraceMs);
    connect(&m_grace, &QTimer::timeout, this, [this] {
        if (m_inhibitor)
            m_inhibitor->setWanted(false);
    });
    if (m_nowPlaying)
        connect(m_nowPlaying, &NowPlaying::changed, this, &IdleInhibitionPolicy::followSource);
    followSource();
}

bool IdleInhibitionPolicy::holding() const
{
    return m_inhibitor && m_inhibitor->wanted();
}

// The engine of whatever plays now; before anything has played there is none to follow.
void IdleInhibitionPolicy::followSource()
{
    NowPlayingSource *source = m_nowPlaying ? m_nowPlaying->source() : nullptr;
    VLCEngine *engine = source ? source->engine() : VLCEngine::existing();
    if (engine != m_engine) {
        disconnect(m_engineStatus);
        m_engine = engine;
        if (m_engine)
            m_engineStatus =
                connect(m_engine, &VLCEngine::statusChanged, this, &IdleInhibitionPolicy::follow);
    }
    follow();
}

void IdleInhibitionPolicy::follow()
{
    if (!m_inhibitor)
        return;
    const Status status = m_engine ? m_engine->status() : Status::Idle;
    const NowPlayingSource *source = m_nowPlaying ? m_nowPlaying->source() : nullptr;
    const bool seam = source && source->betweenItems();
    const bool gone = status == Status::Idle || status == Status::Stopped || status == Status::Paused;
    if (status == Status::Playing || (seam && !gone)) {
        m_grace.stop();
        m_inhibitor->setWanted(true);
    } else if (gone || status == Status::Error) {
        m_grace.stop();
        m_inhibitor->setWanted(false);
    } else if (m_inhibitor->wanted() && !m_grace.isActive()) {
        // Opening, buffering or at an end: the next picture usually comes soon.
        m_grace.start();
    }
}
