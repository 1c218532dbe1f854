#pragma once

#include "playback/PlayableItem.h"
#include "playback/VLCEngine.h"
#include "player/PlayerModel.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QQuickItem>
#include <QVariant>
#include <QtQml/qqmlregistration.h>

// What every section's screen controller shares: the engine it plays on, the detail screen open
// over the section with its Escape, the player it lays over the section for a movie or an episode
// queue (the one place a player is made), and the stop when the screen goes away. Each section's
// controller adds its own panes and prompts.
class SectionScreen : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("A section screen is one of the sections' own controllers.")
    Q_PROPERTY(VLCEngine *engine READ engine WRITE setEngine NOTIFY engineChanged FINAL)
    // The player over the section; null while none shows.
    Q_PROPERTY(PlayerModel *player READ player NOTIFY playerChanged FINAL)
    // The record whose detail screen is open over the section (a movie, a series or a channel);
    // undefined while none is.
    Q_PROPERTY(QVariant detail READ detail WRITE setDetail NOTIFY detailChanged FINAL)
    Q_PROPERTY(bool hasDetail READ hasDetail NOTIFY detailChanged FINAL)
    // What the open detail is: a movie's or a series' detail screen, or a channel full screen.
    Q_PROPERTY(DetailKind detailKind READ detailKind NOTIFY detailChanged FINAL)
    // The section's screen. An Escape inside it that nothing there took closes the open detail;
    // with no detail open it goes on to whoever closes the section.
    Q_PROPERTY(QQuickItem *view READ view WRITE setView NOTIFY viewChanged FINAL)

public:
    enum class DetailKind { None, Movie, Series, Channel };
    Q_ENUM(DetailKind)

    // How long a closed player stays for its screen's fade-out.
    static constexpr int closedPlayerLingerMs = 1000;

    ~SectionScreen() override;

    // The shared engine unless one was set; taken only when first asked for, so that a screen
    // that never plays starts no libVLC.
    VLCEngine *engine() const;
    void setEngine(VLCEngine *engine);
    PlayerModel *player() const { return m_player; }
    QVariant detail() const { return m_detail; }
    void setDetail(const QVariant &detail);
    bool hasDetail() const { return m_detail.isValid(); }
    DetailKind detailKind() const;
    Q_INVOKABLE void closeDetail() { setDetail(QVariant()); }
    QQuickItem *view() const { return m_view; }
    void setView(QQuickItem *view);

    // Lays a player over the section for the queue, starting at `index` (its screen starts it).
    // An empty queue changes nothing.
    Q_INVOKABLE void play(const QList<PlayableItem> &queue, int index = 0);
    Q_INVOKABLE void playItem(const PlayableItem &item) { play({item}); }
    // The screen went away: its player (which saves its position) goes and the engine stops.
    Q_INVOKABLE void stopPlayback();

Q_SIGNALS:
    void engineChanged();
    void playerChanged();
    void detailChanged();
    void viewChanged();

protected:
    // On the shared engine.
    explicit SectionScreen(QObject *parent);

    bool eventFilter(QObject *watched, QEvent *event) override;
    // The kind of a detail other than a movie or a series (a section's own record type).
    virtual DetailKind otherDetailKind(QMetaType type) const
    {
        Q_UNUSED(type)
        return DetailKind::None;
    }

private:
    void dropPlayer(PlayerModel *player);

    mutable QPointer<VLCEngine> m_engine;
    mutable bool m_engineTaken = false;
    PlayerModel *m_player = nullptr;
    QVariant m_detail;
    QPointer<QQuickItem> m_view;
};
