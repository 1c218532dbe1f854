#pragma once

#include "mpris/NowPlayingSource.h"

#include <QObject>
#include <QPointer>

class PlayerModel;

// The player of movies and episodes as the desktop's media controls see it: the item, the next
// episode of the queue, pause, skip, moving the position, and leaving the player.
class MovieNowPlaying final : public QObject, public NowPlayingSource
{
    Q_OBJECT
public:
    // A child of the model, on the model's engine.
    MovieNowPlaying(PlayerModel *model, VLCEngine *engine);
    ~MovieNowPlaying() override;

    Track track() const override;
    VLCEngine *engine() const override { return m_engine; }
    bool canGoNext() const override;
    bool betweenItems() const override;

    void togglePause() override;
    void stop() override;
    void next() override;
    void skip(qint64 ms) override;
    void seekTo(qint64 ms) override;

private:
    PlayerModel *m_model;
    QPointer<VLCEngine> m_engine;
};
