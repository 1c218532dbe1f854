#include "player/PlaybackController.h"

using Status = VLCEngine::Status;

PlaybackController::PlaybackController(QObject *parent) : PlaybackController(VLCEngine::shared(), parent) {}

PlaybackController::PlaybackController(VLCEngine *engine, QObject *parent)
    : QObject(parent), m_controls(new ControlsAutoHide(this)), m_keys(new PlaybackKeys(this)),
      m_windowMode(new WindowFullScreen(this))
{
    m_keys->setControls(m_controls);
    connect(m_keys, &PlaybackKeys::playPause, this, &PlaybackController::togglePause);
    connect(m_keys, &PlaybackKeys::toggleFullScreen, this, &PlaybackController::toggleWindowFullScreen);
    connect(m_keys, &PlaybackKeys::back, this, &PlaybackController::goBack);
    connect(m_keys, &PlaybackKeys::changeVolume, this, [this](int delta) {
        if (m_engine)
            m_engine->changeVolume(delta);
    });
    connect(m_keys, &PlaybackKeys::toggleMute, this, [this] {
        if (m_engine)
            m_engine->toggleMute();
    });
    connect(m_controls, &ControlsAutoHide::showControlsChanged, this, &PlaybackController::refresh);
    setEngine(engine);
}

void PlaybackController::setEngine(VLCEngine *engine)
{
    if (m_engine == engine)
        return;
    if (m_engine)
        disconnect(m_engine, nullptr, this, nullptr);
    m_engine = engine;
    if (m_engine) {
        connect(m_engine, &VLCEngine::statusChanged, this, &PlaybackController::refresh);
        connect(m_engine, &VLCEngine::fillScreenChanged, this, &PlaybackController::fillTextChanged);
    }
    Q_EMIT engineChanged();
    Q_EMIT fillTextChanged();
    refresh();
}

QString PlaybackController::fillText() const
{
    return m_engine && m_engine->fillScreen() ? QStringLiteral("Ajustar") : QStringLiteral("Llenar");
}

void PlaybackController::togglePause()
{
    if (!m_canTogglePause)
        return;
    m_engine->togglePause();
    touched();
}

void PlaybackController::toggleFill()
{
    if (m_engine)
        m_engine->setFillScreen(!m_engine->fillScreen());
    touched();
}

void PlaybackController::toggleWindowFullScreen()
{
    if (m_windowMode->active())
        m_windowMode->leave();
    else if (prepareWindowFullScreen())
        m_windowMode->enter();
    else
        return;
    touched();
}

void PlaybackController::goBack()
{
    if (m_windowMode->active())
        m_windowMode->leave();
    else
        leave();
}

void PlaybackController::refresh()
{
    const Status status = m_engine ? m_engine->status() : Status::Idle;
    const bool playing = status == Status::Playing;
    if (playing != m_playing) {
        m_playing = playing;
        Q_EMIT playingChanged();
    }
    const bool connecting = status == Status::Opening || status == Status::Buffering;
    if (connecting != m_connecting) {
        m_connecting = connecting;
        Q_EMIT connectingChanged();
    }
    const bool canToggle = m_engine && m_engine->isUnderway() && !pauseRefused();
    if (canToggle != m_canTogglePause) {
        m_canTogglePause = canToggle;
        Q_EMIT canTogglePauseChanged();
    }
    setControlsShown(m_controls->showControls() && !controlsSetAside());
}

void PlaybackController::setControlsShown(bool shown)
{
    if (m_controlsShown == shown)
        return;
    m_controlsShown = shown;
    Q_EMIT controlsShownChanged();
}
