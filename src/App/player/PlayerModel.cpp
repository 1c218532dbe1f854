#include "player/PlayerModel.h"

#include "client/NorvaneError.h"
#include "playback/VLCEngine.h"
#include "storage/ProgressEntry.h"
#include "storage/ProgressStore.h"
#include "system/CreationHooks.h"
#include "system/OwnedDelay.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <limits>

PlayerModel::PlayerModel(QObject *parent) : PlayerModel(VLCEngine::shared(), ProgressStore::shared(), parent)
{
}

PlayerModel::PlayerModel(VLCEngine *engine, ProgressStore *progress, QObject *parent)
    : QObject(parent), m_engine(engine), m_progress(progress)
{
    m_saveTimer.setInterval(defaultSaveIntervalMs);
    connect(&m_saveTimer, &QTimer::timeout, this, &PlayerModel::saveNow);
    CreationHooks<PlayerModel>::run(this);
    if (!m_engine)
        return;
    connect(m_engine, &VLCEngine::seekRequested, this, [this](qint64 targetMs) {
        m_seekTargetMs = targetMs;
        m_seekTargetAge.start();
    });
    connect(m_engine, &VLCEngine::currentTimeMsChanged, this, &PlayerModel::followTime);
    connect(m_engine, &VLCEngine::durationMsChanged, this, &PlayerModel::followTime);
    // Queued: the engine reports a callback's status before its time, and the end is judged on
    // the position the same callback brought.
    connect(m_engine, &VLCEngine::statusChanged, this, &PlayerModel::followStatus, Qt::QueuedConnection);
}

// Dropped with the screen that made it while its item still plays (the user left the section):
// what played must not go on behind the next screen.
PlayerModel::~PlayerModel()
{
    cancelCountdown();
    if (!m_started || !m_engine)
        return;
    saveNow();
    m_engine->stop();
}

void PlayerModel::setQueue(const QList<PlayableItem> &queue)
{
    if (m_queue == queue)
        return;
    m_queue = queue;
    Q_EMIT queueChanged();
    Q_EMIT currentItemChanged();
    Q_EMIT nextSubtitleChanged();
}

void PlayerModel::setIndex(int index)
{
    if (m_index == index)
        return;
    m_index = index;
    Q_EMIT indexChanged();
    Q_EMIT currentItemChanged();
    Q_EMIT nextSubtitleChanged();
}

PlayableItem PlayerModel::currentItem() const
{
    return m_queue.value(m_index);
}

QString PlayerModel::nextSubtitle() const
{
    if (!canPlayNext())
        return {};
    const PlayableItem &next = m_queue.at(m_index + 1);
    return next.subtitle().value_or(next.title());
}

void PlayerModel::setCountdownStepMs(int ms)
{
    if (m_countdownStepMs == ms || ms < 0)
        return;
    m_countdownStepMs = ms;
    Q_EMIT timingChanged();
}

void PlayerModel::setSaveIntervalMs(int ms)
{
    if (m_saveTimer.interval() == ms || ms < 1)
        return;
    m_saveTimer.setInterval(ms);
    Q_EMIT timingChanged();
}

void PlayerModel::playCurrent(qint64 startMs)
{
    m_didHandleEnd = false;
    setPlaybackError({});
    setShowUpNext(false);
    cancelCountdown();
    setLastPositionMs(startMs);
    m_lastDurationMs = 0;
    m_seekTargetMs.reset();
    m_saveTimer.stop();
    if (m_index < 0 || m_index >= m_queue.size() || !m_engine)
        return;
    m_started = true;
    // The engine starts at whole seconds.
    m_engine->play(m_queue.at(m_index).url(), int(startMs / 1000));
    m_saveTimer.start();
}

void PlayerModel::followTime()
{
    if (!m_started || !m_engine)
        return;
    if (m_seekTargetMs && std::abs(m_engine->currentTimeMs() - *m_seekTargetMs) <= seekLandedWithinMs)
        m_seekTargetMs.reset();
    if (m_engine->currentTimeMs() >= 1)
        setLastPositionMs(m_engine->currentTimeMs());
    if (m_engine->durationMs() >= 1)
        m_lastDurationMs = m_engine->durationMs();
}

void PlayerModel::followStatus()
{
    if (!m_started || !m_engine || m_didHandleEnd)
        return;
    followTime();
    if (m_engine->status() == VLCEngine::Status::Ended) {
        m_didHandleEnd = true;
        m_saveTimer.stop();
        handleEnd();
    } else if (m_engine->status() == VLCEngine::Status::Error) {
        // A stream that cannot be opened or breaks off with an error never reaches its end:
        // show the error with retry instead of a black screen. Progress stays as last written.
        m_didHandleEnd = true;
        m_saveTimer.stop();
        setPlaybackError(NorvaneError::contentDidNotPlay());
    }
}

void PlayerModel::saveNow()
{
    if (!m_engine || m_didHandleEnd)
        return;
    // An end the model has not judged yet: its judgement writes the record, not the engine's time.
    const VLCEngine::Status status = m_engine->status();
    if (status == VLCEngine::Status::Ended || status == VLCEngine::Status::Error)
        return;
    markProgress(m_engine->currentTimeMs(), m_engine->durationMs());
}

void PlayerModel::handleEnd()
{
    if (m_lastDurationMs == 0) {
        setPlaybackError(NorvaneError::contentDidNotPlay()); // the length never became known: the stream did
                                                             // not really play
        return;
    }
    const bool beforeLastMinute = m_lastDurationMs - m_lastPositionMs > finishedWithinMs - 1;
    if (!ProgressEntry::isWatched(m_lastPositionMs, m_lastDurationMs) && beforeLastMinute) {
        setPlaybackError(NorvaneError::contentDidNotPlay()); // ended early: the stream broke off; the last
                                                             // periodic write stays
        return;
    }
    markProgress(m_lastDurationMs, m_lastDurationMs);
    if (isLastItem()) {
        m_started = false; // at its end: nothing left to stop
        Q_EMIT closeRequested();
    } else {
        startUpNextCountdown();
    }
}

void PlayerModel::markProgress(qint64 positionMs, qint64 durationMs)
{
    if (positionMs <= 0 || durationMs <= 0 || !m_progress || m_index < 0 || m_index >= m_queue.size())
        return;
    const PlayableItem &item = m_queue.at(m_index);
    m_progress->recordPosition(item.progressKey(), item.contentType(), item.contentId(), item.title(),
                               item.imageUrl(), item.url(), positionMs, durationMs);
}

void PlayerModel::startUpNextCountdown()
{
    setShowUpNext(true);
    setUpNextCountdown(countdownSeconds);
    cancelCountdown();
    m_countdownRunning = true;
    runCountdown(m_countdownGeneration);
}

void PlayerModel::cancelCountdown()
{
    if (!m_countdownRunning)
        return;
    m_countdownRunning = false;
    ++m_countdownGeneration;
}

QCoro::Task<> PlayerModel::runCountdown(quint64 generation)
{
    QPointer<PlayerModel> self(this);
    const auto cancelled = [&self, generation] { return !self || self->m_countdownGeneration != generation; };
    while (m_upNextCountdown > 0) {
        const bool waited = co_await ownedDelay(this, std::chrono::milliseconds(m_countdownStepMs));
        if (!waited || cancelled())
            co_return;
        setUpNextCountdown(m_upNextCountdown - 1);
    }
    if (cancelled())
        co_return;
    m_countdownRunning = false;
    playNext();
}

void PlayerModel::playNext()
{
    if (!canPlayNext() || !m_engine)
        return;
    // The item being left. Once its end was handled, its record stands: a finished item stays
    // watched to the end (the engine's last time may lie up to a minute before it), and a broken
    // one keeps its last periodic write.
    if (!m_didHandleEnd)
        markProgress(m_engine->currentTimeMs(), m_engine->durationMs());
    setIndex(m_index + 1);
    playCurrent(m_queue.at(m_index).startTimeMs());
}

void PlayerModel::upNextPlayNow()
{
    cancelCountdown();
    playNext();
}

void PlayerModel::upNextCancel()
{
    m_started = false;
    cancelCountdown();
    setShowUpNext(false);
    Q_EMIT closeRequested();
}

void PlayerModel::skip(int seconds)
{
    skipMs(qint64(seconds) * 1000);
}

qint64 PlayerModel::positionForSkips()
{
    if (m_seekTargetMs && m_seekTargetAge.hasExpired(m_skipTargetHoldMs))
        m_seekTargetMs.reset(); // a seek the engine never made
    return m_seekTargetMs.value_or(m_engine->currentTimeMs());
}

void PlayerModel::skipMs(qint64 ms)
{
    if (!m_engine)
        return;
    // Bounded by the known length; while none is known yet, only by the start (a skip forward
    // must not jump back to the beginning).
    const qint64 knownLength = m_lastDurationMs > 0 ? m_lastDurationMs : m_engine->durationMs();
    qint64 target = positionForSkips() + ms;
    if (knownLength > 0)
        target = std::min(target, knownLength);
    target = std::clamp<qint64>(target, 0, std::numeric_limits<qint32>::max());
    m_engine->seek(qint32(target));
}

void PlayerModel::close()
{
    saveNow();
    m_saveTimer.stop();
    m_started = false;
    cancelCountdown();
    if (m_engine)
        m_engine->stop();
    Q_EMIT closeRequested();
}

void PlayerModel::setPlaybackError(const QString &text)
{
    if (m_playbackError == text)
        return;
    m_playbackError = text;
    Q_EMIT playbackErrorChanged();
}

void PlayerModel::setShowUpNext(bool show)
{
    if (m_showUpNext == show)
        return;
    m_showUpNext = show;
    Q_EMIT showUpNextChanged();
}

void PlayerModel::setUpNextCountdown(int seconds)
{
    if (m_upNextCountdown == seconds)
        return;
    m_upNextCountdown = seconds;
    Q_EMIT upNextCountdownChanged();
}

void PlayerModel::setLastPositionMs(qint64 ms)
{
    if (m_lastPositionMs == ms)
        return;
    m_lastPositionMs = ms;
    Q_EMIT lastPositionMsChanged();
}
