#pragma once

#include <QObject>

class QSocketNotifier;

// SIGTERM, SIGHUP and SIGINT (the session ending, the terminal closing, Ctrl+C) reach the event
// loop as `received`, so the application ends as its own "Salir" ends it: playback wound down, the
// window's place and the settings written. The handler only writes the signal's number to a pipe.
// It is reset on its first run: a second signal ends a process stuck on its way out at once. A
// signal that was ignored when the process started (nohup) stays ignored.
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    // Installs the handlers once; every later call returns the same object.
    static TerminationSignals *install();

Q_SIGNALS:
    void received(int signalNumber);

private:
    explicit TerminationSignals(int readEnd);
    void readPending();

    int m_readEnd;
    QSocketNotifier *m_notifier;
};
