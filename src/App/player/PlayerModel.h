#pragma once

#include "playback/PlayableItem.h"

#include <QCoroTask>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QtQml/qqmlregistration.h>
#include <optional>

class ProgressStore;
class VLCEngine;

// Plays a queue of movies or episodes through the shared engine: starts each at its resume
// position, writes the watch position into the progress store while it plays and when it stops,
// tells a real end from a stream that broke off, and counts down to the next item.
// It follows the engine's own signals and keeps its own save timer, so it works whether or not a
// view shows it. The owner drops the model when it asks to close (closeRequested).
class PlayerModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QList<PlayableItem> queue READ queue WRITE setQueue NOTIFY queueChanged FINAL)
    Q_PROPERTY(int index READ index WRITE setIndex NOTIFY indexChanged FINAL)
    Q_PROPERTY(PlayableItem currentItem READ currentItem NOTIFY currentItemChanged FINAL)
    Q_PROPERTY(QString playbackError READ playbackError NOTIFY playbackErrorChanged FINAL)
    Q_PROPERTY(bool showUpNext READ showUpNext NOTIFY showUpNextChanged FINAL)
    Q_PROPERTY(int upNextCountdown READ upNextCountdown NOTIFY upNextCountdownChanged FINAL)
    Q_PROPERTY(qint64 lastPositionMs READ lastPositionMs NOTIFY lastPositionMsChanged FINAL)
    Q_PROPERTY(QString nextSubtitle READ nextSubtitle NOTIFY nextSubtitleChanged FINAL)
    Q_PROPERTY(bool canPlayNext READ canPlayNext NOTIFY nextSubtitleChanged FINAL)
    // How long one step of the up-next countdown lasts, and how often the position is saved while
    // an item plays.
    Q_PROPERTY(int countdownStepMs READ countdownStepMs WRITE setCountdownStepMs NOTIFY timingChanged FINAL)
    Q_PROPERTY(int saveIntervalMs READ saveIntervalMs WRITE setSaveIntervalMs NOTIFY timingChanged FINAL)
public:
    static constexpr int countdownSeconds = 10;
    static constexpr int defaultSaveIntervalMs = 5000;
    // An end this close to the known length is a real end even before the watched share.
    static constexpr qint64 finishedWithinMs = 60'000;
    // How long a seek's target stands for the next skip while the engine has not reported getting
    // there, and how near the target a reported time counts as there (seeks land on the nearest
    // picture the stream allows).
    static constexpr int defaultSkipTargetHoldMs = 2000;
    static constexpr qint64 seekLandedWithinMs = 1000;

    // On the shared engine and progress store.
    explicit PlayerModel(QObject *parent = nullptr);
    PlayerModel(VLCEngine *engine, ProgressStore *progress, QObject *parent = nullptr);
    ~PlayerModel() override;

    VLCEngine *engine() const { return m_engine; }
    QList<PlayableItem> queue() const { return m_queue; }
    void setQueue(const QList<PlayableItem> &queue);
    int index() const { return m_index; }
    // The start index, set by the owner before playing.
    void setIndex(int index);
    PlayableItem currentItem() const;
    QString playbackError() const { return m_playbackError; }
    bool showUpNext() const { return m_showUpNext; }
    int upNextCountdown() const { return m_upNextCountdown; }
    qint64 lastPositionMs() const { return m_lastPositionMs; }
    qint64 lastDurationMs() const { return m_lastDurationMs; }
    // The next item's subtitle, or its title when it has none; null on the last item.
    QString nextSubtitle() const;
    bool canPlayNext() const { return m_index >= 0 && m_index < m_queue.size() - 1; }
    int countdownStepMs() const { return m_countdownStepMs; }
    void setCountdownStepMs(int ms);
    int saveIntervalMs() const { return m_saveTimer.interval(); }
    void setSaveIntervalMs(int ms);
    int skipTargetHoldMs() const { return m_skipTargetHoldMs; }
    void setSkipTargetHoldMs(int ms) { m_skipTargetHoldMs = ms; }

    Q_INVOKABLE void playCurrent(qint64 startMs);
    Q_INVOKABLE void skip(int seconds);
    // By `ms` from where playback is, or is heading after a seek still under way; within the start
    // and the known length.
    void skipMs(qint64 ms);
    Q_INVOKABLE void playNext();
    Q_INVOKABLE void upNextPlayNow();
    Q_INVOKABLE void upNextCancel();
    Q_INVOKABLE void close();

Q_SIGNALS:
    void queueChanged();
    void indexChanged();
    void currentItemChanged();
    void playbackErrorChanged();
    void showUpNextChanged();
    void upNextCountdownChanged();
    void lastPositionMsChanged();
    void nextSubtitleChanged();
    void timingChanged();
    // The player is done: the owner drops this model.
    void closeRequested();

private:
    // The engine's time and length as last reported, and what its status means for the item.
    void followTime();
    void followStatus();
    void saveNow();
    void handleEnd();
    void markProgress(qint64 positionMs, qint64 durationMs);
    void startUpNextCountdown();
    void cancelCountdown();
    QCoro::Task<> runCountdown(quint64 generation);
    // Where playback is heading: a seek's target until the engine reports it (or the hold passes),
    // else the engine's time.
    qint64 positionForSkips();
    bool isLastItem() const { return m_index >= m_queue.size() - 1; }

    void setPlaybackError(const QString &text);
    void setShowUpNext(bool show);
    void setUpNextCountdown(int seconds);
    void setLastPositionMs(qint64 ms);

    QPointer<VLCEngine> m_engine;
    QPointer<ProgressStore> m_progress;
    QList<PlayableItem> m_queue;
    int m_index = 0;
    QString m_playbackError;
    bool m_showUpNext = false;
    int m_upNextCountdown = countdownSeconds;
    qint64 m_lastPositionMs = 0;
    qint64 m_lastDurationMs = 0;
    // No item has been started yet (or the player was closed): the engine plays for someone else.
    bool m_started = false;
    bool m_didHandleEnd = false;
    // Bumped to cancel the running countdown: the task stops at its next check.
    quint64 m_countdownGeneration = 0;
    bool m_countdownRunning = false;
    // Runs while the current item plays; stopped once its end is handled, so that nothing
    // overwrites the record of a finished item during the up-next countdown.
    QTimer m_saveTimer;
    int m_countdownStepMs = 1000;
    std::optional<qint64> m_seekTargetMs;
    QElapsedTimer m_seekTargetAge;
    int m_skipTargetHoldMs = defaultSkipTargetHoldMs;
};
