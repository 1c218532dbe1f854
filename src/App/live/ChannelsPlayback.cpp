#include "live/ChannelsPlayback.h"

#include "live/ChannelsModel.h"

ChannelsPlayback::ChannelsPlayback(QObject *parent) : LivePlayback(VLCEngine::shared(), true, parent)
{
    // The playback keys belong to the video only while it fills the screen; in the section the
    // arrows and Space move through the lists and press the rows.
    keys()->setTransport(false);
    connect(keys(), &PlaybackKeys::adjacentChannel, this, &ChannelsPlayback::zap);
}

void ChannelsPlayback::setModel(ChannelsModel *model)
{
    if (m_model == model)
        return;
    if (m_model)
        disconnect(m_model, nullptr, this, nullptr);
    m_model = model;
    if (m_model) {
        connect(m_model, &ChannelsModel::isFullscreenChanged, this, [this] {
            if (!isFullscreen())
                windowMode()->leave();
            followModel();
            Q_EMIT isFullscreenChanged();
        });
        connect(m_model, &ChannelsModel::selectedChannelChanged, this, &ChannelsPlayback::followModel);
        connect(m_model, &ChannelsModel::playbackErrorChanged, this, &ChannelsPlayback::followModel);
        connect(m_model, &ChannelsModel::reconnectingChanged, this, &ChannelsPlayback::followModel);
    }
    followModel();
    Q_EMIT modelChanged();
    Q_EMIT isFullscreenChanged();
}

bool ChannelsPlayback::isFullscreen() const
{
    return m_model && m_model->isFullscreen();
}

void ChannelsPlayback::followModel()
{
    keys()->setTransport(isFullscreen());
    const bool selected = m_model && m_model->selectedChannel();
    setChannelName(selected ? m_model->selectedChannel()->name() : QString());
    setError(m_model ? m_model->playbackError() : QString());
    setReconnecting(m_model && m_model->reconnecting());
    refresh();
}

void ChannelsPlayback::enterFullscreen()
{
    if (m_model)
        m_model->setIsFullscreen(true);
}

void ChannelsPlayback::exitFullscreen()
{
    windowMode()->leave();
    if (m_model)
        m_model->setIsFullscreen(false);
}

void ChannelsPlayback::zap(int offset)
{
    if (isFullscreen())
        playAdjacent(offset);
    else if (m_model)
        m_model->playAdjacent(offset);
}

void ChannelsPlayback::retry()
{
    if (m_model && m_model->selectedChannel())
        m_model->play(*m_model->selectedChannel());
}

void ChannelsPlayback::playAdjacent(int offset)
{
    playAdjacentTask(offset);
}

QCoro::Task<> ChannelsPlayback::playAdjacentTask(int offset)
{
    if (!m_model)
        co_return;
    QPointer<ChannelsPlayback> self(this);
    co_await m_model->playAdjacentAndWait(offset);
    if (self)
        touched();
}

void ChannelsPlayback::videoClicked()
{
    if (isFullscreen())
        LivePlayback::videoClicked();
}

void ChannelsPlayback::videoDoubleClicked()
{
    if (!m_model)
        return;
    // In full-screen the second of two quick clicks is still a click on the video.
    if (isFullscreen()) {
        LivePlayback::videoClicked();
        return;
    }
    m_model->setIsFullscreen(true);
    controls()->scheduleHide();
}

void ChannelsPlayback::leave()
{
    if (isFullscreen())
        exitFullscreen();
    else
        Q_EMIT sectionBack();
}

bool ChannelsPlayback::controlsSetAside() const
{
    return !isFullscreen() || LivePlayback::controlsSetAside();
}

// From the preview, the window's full screen goes through the full-screen layout.
bool ChannelsPlayback::prepareWindowFullScreen()
{
    if (!m_model || !m_model->selectedChannel())
        return false;
    enterFullscreen();
    return true;
}
