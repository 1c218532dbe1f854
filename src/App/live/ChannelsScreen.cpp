#include "ChannelsScreen.h"

#include "ChannelsModel.h"
#include "LiveNowPlaying.h"
#include "VLCEngine.h"

ChannelsScreen::ChannelsScreen(QObject *parent)
    : SectionScreen(parent), m_controls(new ControlsAutoHide(this)),
      m_pinGate(new PinGate(this))
{
    connect(m_pinGate, &PinGate::categoryChanged, this, &ChannelsScreen::pinCategoryChanged);
    new LiveNowPlaying(this);
}

void ChannelsScreen::setModel(ChannelsModel *model)
{
    if (m_model == model)
        return;
    m_model = model;
    m_pinGate->setSection(model);
    Q_EMIT modelChanged();
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
    if (m_model)
        m_model->setIsFullscreen(false);
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
