#include "sections/SectionScreen.h"

#include "playback/VLCEngine.h"
#include "player/PlayerModel.h"
#include "provider/SeriesStream.h"
#include "provider/VodStream.h"
#include "storage/ProgressStore.h"

#include <QKeyEvent>
#include <QTimer>

SectionScreen::SectionScreen(QObject *parent) : QObject(parent) {}

SectionScreen::~SectionScreen()
{
    stopPlayback();
}

VLCEngine *SectionScreen::engine() const
{
    if (!m_engineTaken) {
        m_engine = VLCEngine::shared();
        m_engineTaken = true;
    }
    return m_engine;
}

void SectionScreen::setEngine(VLCEngine *engine)
{
    // Before the first read the screen stands on the shared engine, if one exists already.
    const bool same = m_engineTaken ? m_engine == engine : engine && engine == VLCEngine::existing();
    m_engine = engine;
    m_engineTaken = true;
    if (!same)
        Q_EMIT engineChanged();
}

void SectionScreen::setDetail(const QVariant &detail)
{
    if (m_detail == detail && m_detail.isValid() == detail.isValid())
        return;
    m_detail = detail;
    Q_EMIT detailChanged();
}

SectionScreen::DetailKind SectionScreen::detailKind() const
{
    const QMetaType type = m_detail.metaType();
    if (type == QMetaType::fromType<VodStream>())
        return DetailKind::Movie;
    if (type == QMetaType::fromType<SeriesStream>())
        return DetailKind::Series;
    return m_detail.isValid() ? otherDetailKind(type) : DetailKind::None;
}

void SectionScreen::setView(QQuickItem *view)
{
    if (m_view == view)
        return;
    if (m_view)
        m_view->removeEventFilter(this);
    m_view = view;
    if (m_view)
        m_view->installEventFilter(this);
    Q_EMIT viewChanged();
}

bool SectionScreen::eventFilter(QObject *watched, QEvent *event)
{
    // Keys reach the view only when nothing inside it took them.
    if (watched == m_view && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape && hasDetail()) {
        closeDetail();
        event->accept();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void SectionScreen::play(const QList<PlayableItem> &queue, int index)
{
    if (queue.isEmpty())
        return;
    if (m_player)
        delete m_player; // saves its position and stops
    auto *player = new PlayerModel(engine(), ProgressStore::shared(), this);
    player->setQueue(queue);
    player->setIndex(index);
    connect(player, &PlayerModel::closeRequested, this, [this, player] { dropPlayer(player); });
    m_player = player;
    Q_EMIT playerChanged();
}

void SectionScreen::stopPlayback()
{
    if (m_player) {
        delete m_player;
        m_player = nullptr;
        Q_EMIT playerChanged();
    }
    // A screen that never took an engine stops the one that may play for another.
    VLCEngine *playing = m_engineTaken ? m_engine.data() : VLCEngine::existing();
    if (playing)
        playing->stop();
}

void SectionScreen::dropPlayer(PlayerModel *player)
{
    if (m_player == player) {
        m_player = nullptr;
        Q_EMIT playerChanged();
    }
    // The player screen still shows it while it fades out.
    QTimer::singleShot(closedPlayerLingerMs, player, &QObject::deleteLater);
}
