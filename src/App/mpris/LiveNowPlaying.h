#pragma once

#include "mpris/NowPlayingSource.h"

#include <QMetaObject>
#include <QObject>
#include <QPointer>

class ChannelsModel;
class ChannelsScreen;

// The live section as the desktop's media controls see it: the selected channel with its title on
// air, the previous and next channels of the list, pause, and stopping.
class LiveNowPlaying final : public QObject, public NowPlayingSource
{
    Q_OBJECT
public:
    // A child of the screen.
    explicit LiveNowPlaying(ChannelsScreen *screen);
    ~LiveNowPlaying() override;

    Track track() const override;
    bool betweenItems() const override;
    VLCEngine *engine() const override;
    bool canGoNext() const override { return adjacentExists(1); }
    bool canGoPrevious() const override { return adjacentExists(-1); }

    void togglePause() override;
    void stop() override;
    void next() override;
    void previous() override;

private:
    void followModel();
    bool adjacentExists(int offset) const;

    ChannelsScreen *m_screen;
    QPointer<ChannelsModel> m_model;
    QList<QMetaObject::Connection> m_modelConnections;
};
