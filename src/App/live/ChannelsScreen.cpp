#include "ChannelsScreen.h"

#include "ChannelsModel.h"
#include "LiveNowPlaying.h"
#include "VLCEngine.h"

ChannelsScreen::ChannelsScreen(QObject *parent)
    : SectionScreen(parent), m_controls(new ControlsAutoHide(this)), m_keys(new PlaybackKeys(this)),
      m_windowMode(new WindowFullScreen(this)), m_pinGate(new PinGate(this))
{
    connect(m_pinGate, &PinGate::categoryChanged, this, &ChannelsScreen::pinCategoryChanged);
    m_keys->setLive(true);
    m_keys->setTransport(false);
    m_keys->setControls(m_controls);
    connect(m_keys, &PlaybackKeys::playPause, this, &ChannelsScreen::togglePause);
    connect(m_keys, &PlaybackKeys::toggleFullScreen, this, &ChannelsScreen::toggleWindowFullScreen);
    connect(m_keys, &PlaybackKeys::back, this, &ChannelsScreen::goBack);
    connect(m_keys, &PlaybackKeys::changeVolume, this, [this](int delta) {
        if (engine())
            engine()->changeVolume(delta);
    });
    connect(m_keys, &PlaybackKeys::toggleMute, this, [this] {
        if (engine())
            engine()->toggleMute();
    });
    connect(m_keys, &PlaybackKeys::adjacentChannel, this, &ChannelsScreen::zap);
    new LiveNowPlaying(this);
}

void ChannelsScreen::setModel(ChannelsModel *model)
{
    if (m_model == model)
        return;
    if (m_model)
        disconnect(m_model, nullptr, this, nullptr);
    m_model = model;
    m_pinGate->setSection(model);
    // The playback keys belong to the video only while it fills the screen; in the section the
    // arrows and Space move through the lists and press the rows.
    m_keys->setTransport(isFullscreen());
    if (m_model) {
        connect(m_model, &ChannelsModel::isFullscreenChanged, this, [this] {
            m_keys->setTransport(isFullscreen());
            if (!isFullscreen())
                m_windowMode->leave();
        });
        for (auto change : {&ChannelsModel::isLoadingListChanged, &ChannelsModel::listErrorChanged,
                            &ChannelsModel::listChanged, &ChannelsModel::selectedCategoryIdChanged})
            connect(m_model, change, this, &ChannelsScreen::updateListPane);
    }
    Q_EMIT modelChanged();
    updateListPane();
}

ChannelsScreen::ListPane ChannelsScreen::listPaneFor(bool isLoading, bool hasError, qsizetype channelCount)
{
    if (isLoading)
        return ListPane::Loading;
    if (hasError)
        return ListPane::Error;
    return channelCount == 0 ? ListPane::Empty : ListPane::Channels;
}

void ChannelsScreen::retry()
{
    if (m_model)
        m_model->reloadList();
}

void ChannelsScreen::updateListPane()
{
    const ListPane pane = m_model ? listPaneFor(m_model->isLoadingList(), !m_model->listError().isEmpty(),
                                                m_model->channels().size())
                                  : ListPane::Empty;
    const QString hint = !m_model || !m_model->hasSelection()
                             ? QStringLiteral("Elige una categoría.")
                             : QStringLiteral("No hay canales en esta categoría.");
    if (pane != m_listPane) {
        m_listPane = pane;
        Q_EMIT listPaneChanged();
    }
    if (hint != m_listHint) {
        m_listHint = hint;
        Q_EMIT listHintChanged();
    }
}

void ChannelsScreen::reportVideoSlot(const QRectF &rect)
{
    if (rect.isEmpty() || rect == m_videoSlot)
        return;
    m_videoSlot = rect;
    Q_EMIT videoSlotChanged();
}

void ChannelsScreen::videoDoubleClicked()
{
    if (!m_model)
        return;
    // In full-screen the second of two quick clicks is still a click on the video.
    if (isFullscreen()) {
        m_controls->toggleControls();
        return;
    }
    m_model->setIsFullscreen(true);
    m_controls->scheduleHide();
}

void ChannelsScreen::videoClicked()
{
    if (isFullscreen())
        m_controls->toggleControls();
}

void ChannelsScreen::enterFullscreen()
{
    if (m_model)
        m_model->setIsFullscreen(true);
}

void ChannelsScreen::exitFullscreen()
{
    m_windowMode->leave();
    if (m_model)
        m_model->setIsFullscreen(false);
}

void ChannelsScreen::toggleWindowFullScreen()
{
    if (m_windowMode->active()) {
        m_windowMode->leave();
    } else {
        if (!m_model || !m_model->selectedChannel())
            return;
        enterFullscreen();
        m_windowMode->enter();
    }
    m_controls->showAndScheduleHide();
}

void ChannelsScreen::goBack()
{
    if (m_windowMode->active())
        m_windowMode->leave();
    else if (isFullscreen())
        exitFullscreen();
    else
        Q_EMIT back();
}

void ChannelsScreen::zap(int offset)
{
    if (isFullscreen())
        playAdjacent(offset);
    else if (m_model)
        m_model->playAdjacent(offset);
}

void ChannelsScreen::toggleFill()
{
    if (engine())
        engine()->setFillScreen(!engine()->fillScreen());
    m_controls->showAndScheduleHide();
}

void ChannelsScreen::togglePause()
{
    if (engine())
        engine()->togglePause();
    m_controls->showAndScheduleHide();
}

void ChannelsScreen::playAdjacent(int offset)
{
    playAdjacentTask(offset);
}

QCoro::Task<> ChannelsScreen::playAdjacentTask(int offset)
{
    if (!m_model)
        co_return;
    QPointer<ChannelsScreen> self(this);
    co_await m_model->playAdjacentAndWait(offset);
    if (self)
        m_controls->showAndScheduleHide();
}

bool ChannelsScreen::isFullscreen() const
{
    return m_model && m_model->isFullscreen();
}
