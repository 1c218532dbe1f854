#pragma once

#include <QString>

class VLCEngine;

// A screen's model as the desktop's media controls see it: what plays and the controls it offers.
// Each action is the very call that the screen's own button makes.
class NowPlayingSource
{
public:
    // What plays. `key` tells items apart (a new key is a new track); `programme` is a channel's
    // title on air, `artUrl` the artwork address, either empty when unknown.
    struct Track
    {
        QString key;
        QString title;
        QString programme;
        QString artUrl;
        // A movie or an episode: it has a length and a position to move to.
        bool onDemand = false;
    };

    virtual ~NowPlayingSource() = default;

    virtual Track track() const = 0;
    virtual VLCEngine *engine() const = 0;
    virtual bool canGoNext() const { return false; }
    // Between two parts of one viewing (the up-next card, a dropped stream coming back): the
    // screen stays awake though nothing plays for a moment.
    virtual bool betweenItems() const { return false; }
    virtual bool canGoPrevious() const { return false; }

    virtual void togglePause() = 0;
    virtual void stop() = 0;
    virtual void next() {}
    virtual void previous() {}
    // By `ms` from the current position, and to the position `ms`; movies and episodes only.
    virtual void skip(qint64 ms) { Q_UNUSED(ms) }
    virtual void seekTo(qint64 ms) { Q_UNUSED(ms) }
};
