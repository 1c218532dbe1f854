#pragma once

#include <QObject>

class NowPlayingSource;

// Which screen's media plays now, for the desktop's media controls. A screen's source claims it
// when it starts an item and lets go when it goes; the controls only read it.
class NowPlaying : public QObject
{
    Q_OBJECT
public:
    static NowPlaying *shared();

    // Null while no screen plays anything.
    NowPlayingSource *source() const { return m_source; }
    void claim(NowPlayingSource *source);
    // The source goes: nothing plays for the controls until the next claim.
    void release(NowPlayingSource *source);
    // The source's track or its controls changed (nothing happens unless it is the current one).
    void update(NowPlayingSource *source);

Q_SIGNALS:
    // Another source, or the current one's track or controls.
    void changed();

private:
    NowPlayingSource *m_source = nullptr;
};
