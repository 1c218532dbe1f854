#include "player/OnDemandPlayback.h"

#include <QGuiApplication>
#include <QStyleHints>
#include <algorithm>
#include <cmath>
#include <limits>

OnDemandPlayback::OnDemandPlayback(QObject *parent) : PlaybackController(parent)
{
    m_singleClick.setSingleShot(true);
    m_singleClick.setInterval(QGuiApplication::styleHints()->mouseDoubleClickInterval());
    connect(&m_singleClick, &QTimer::timeout, controls(), &ControlsAutoHide::toggleControls);
    connect(keys(), &PlaybackKeys::skip, this, [this](int seconds) { skipWithHint(seconds < 0 ? -1 : 1); });
}

void OnDemandPlayback::setModel(PlayerModel *model)
{
    if (m_model == model)
        return;
    if (m_model)
        disconnect(m_model, nullptr, this, nullptr);
    m_model = model;
    // The error and the up-next card set the controls and play/pause aside.
    for (auto change : {&PlayerModel::showUpNextChanged, &PlayerModel::playbackErrorChanged})
        if (m_model)
            connect(m_model, change, this, &OnDemandPlayback::refresh);
    Q_EMIT modelChanged();
    refresh();
}

void OnDemandPlayback::setSkipHintMs(int ms)
{
    if (m_skipHintMs == ms || ms < 0)
        return;
    m_skipHintMs = ms;
    Q_EMIT skipHintMsChanged();
}

void OnDemandPlayback::start()
{
    if (m_model)
        m_model->playCurrent(m_model->currentItem().startTimeMs());
    controls()->scheduleHide();
}

void OnDemandPlayback::skip(int direction)
{
    if (m_model)
        m_model->skip(direction * skipSeconds());
    touched();
}

void OnDemandPlayback::skipWithHint(int direction)
{
    const int side = direction < 0 ? -1 : 1;
    if (m_model)
        m_model->skip(side * skipSeconds());
    setSkipHint(side, m_skipHintId + 1);
    // Each hint clears whatever hint shows when its time is up, a newer one included.
    QTimer::singleShot(m_skipHintMs, this, [this] { setSkipHint(0, m_skipHintId); });
}

void OnDemandPlayback::zoneClicked()
{
    m_singleClick.start();
}

void OnDemandPlayback::zoneDoubleClicked(int direction)
{
    m_singleClick.stop();
    skipWithHint(direction);
}

void OnDemandPlayback::seekTo(double ms)
{
    if (engine())
        engine()->seek(qint32(std::clamp(std::round(ms), 0.0, double(std::numeric_limits<qint32>::max()))));
    touched();
}

void OnDemandPlayback::retry()
{
    if (m_model)
        m_model->playCurrent(m_model->lastPositionMs());
}

QString OnDemandPlayback::skipSymbol(int direction)
{
    return (direction < 0 ? QStringLiteral("gobackward.") : QStringLiteral("goforward.")) +
           QString::number(skipSeconds());
}

QString OnDemandPlayback::skipName(int direction)
{
    return (direction < 0 ? QStringLiteral("Retroceder %1 segundos") : QStringLiteral("Avanzar %1 segundos"))
        .arg(skipSeconds());
}

void OnDemandPlayback::leave()
{
    if (m_model)
        m_model->close();
}

bool OnDemandPlayback::controlsSetAside() const
{
    return m_model && m_model->showUpNext();
}

bool OnDemandPlayback::pauseRefused() const
{
    return m_model && (m_model->showUpNext() || !m_model->playbackError().isEmpty());
}

void OnDemandPlayback::setSkipHint(int side, int id)
{
    if (m_skipHintSide == side && m_skipHintId == id)
        return;
    m_skipHintSide = side;
    m_skipHintId = id;
    Q_EMIT skipHintChanged();
}
