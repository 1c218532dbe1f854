#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

class IdleInhibitor;
class NowPlaying;
class VLCEngine;

// When the screen may not blank: while something plays, and across the seams of one viewing
// (the up-next card between two episodes, a dropped live stream being started again), so that a
// desktop whose idle time has passed does not blank or lock between two items. A stream that
// is opening, buffering or at its end without a seam keeps the inhibition for a short grace
// (a zap, the next episode starting); a pause, an error, a stop (leaving, signing out) and the
// end of the application give it back at once.
class IdleInhibitionPolicy : public QObject
{
    Q_OBJECT
public:
    static constexpr int defaultGraceMs = 5000;

    IdleInhibitionPolicy(NowPlaying *nowPlaying, IdleInhibitor *inhibitor, QObject *parent = nullptr);

    void setGraceMs(int ms) { m_grace.setInterval(ms); }
    // Whether the policy wants the inhibition now.
    bool holding() const;

private:
    void followSource();
    void follow();

    QPointer<NowPlaying> m_nowPlaying;
    QPointer<IdleInhibitor> m_inhibitor;
    QPointer<VLCEngine> m_engine;
    QMetaObject::Connection m_engineStatus;
    QTimer m_grace;
};
