#include "live/ChannelsScreen.h"

#include "live/ChannelsModel.h"
#include "playback/VLCEngine.h"
#include "system/CreationHooks.h"

ChannelsScreen::ChannelsScreen(QObject *parent)
    : SectionScreen(parent), m_playback(new ChannelsPlayback(this)), m_pinGate(new PinGate(this))
{
    connect(m_pinGate, &PinGate::categoryChanged, this, &ChannelsScreen::pinCategoryChanged);
    connect(m_playback, &ChannelsPlayback::sectionBack, this, &ChannelsScreen::back);
    // The section's video plays on the section's engine.
    m_playback->setEngine(engine());
    connect(this, &SectionScreen::engineChanged, this, [this] { m_playback->setEngine(engine()); });
    CreationHooks<ChannelsScreen>::run(this);
}

void ChannelsScreen::setModel(ChannelsModel *model)
{
    if (m_model == model)
        return;
    if (m_model)
        disconnect(m_model, nullptr, this, nullptr);
    m_model = model;
    m_pinGate->setSection(model);
    m_playback->setModel(model);
    if (m_model) {
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
