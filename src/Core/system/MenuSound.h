#pragma once

#include <QList>
#include <QObject>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

class QJSEngine;
class QQmlEngine;
class QSoundEffect;

// The main menu's hover sound: a small pool of players of the same short WAV so that quick
// successive hovers overlap instead of cutting each other off, and the card that sounded last so
// the sound is not repeated while the mouse stays on one card. Without the sound file the pool is
// empty and play() does nothing; without an audio device the players simply stay silent.
class MenuSound : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(int next READ next NOTIFY nextChanged FINAL)
    Q_PROPERTY(int lastIndex READ lastIndex WRITE setLastIndex NOTIFY lastIndexChanged FINAL)
    Q_PROPERTY(int poolSize READ poolSize CONSTANT FINAL)

public:
    static constexpr int maxPlayers = 4;

    // Not default-constructible on purpose: QML then takes the one instance from create().
    explicit MenuSound(const QUrl &source, QObject *parent = nullptr);
    ~MenuSound() override;

    // The process-wide instance, created on first use.
    static MenuSound *shared();
    static MenuSound *create(QQmlEngine *, QJSEngine *);
    static QUrl defaultSource();

    int next() const { return m_next; }
    int lastIndex() const { return m_lastIndex; }
    void setLastIndex(int index);
    int poolSize() const { return int(m_pool.size()); }

    // Sounds for the card `index` unless that card was the last one to sound.
    Q_INVOKABLE void play(int index);

Q_SIGNALS:
    void nextChanged();
    void lastIndexChanged();
    // The pool slot that was started (lets callers and tests follow the rotation).
    void played(int slot);

private:
    static bool isWaveFile(const QUrl &source);

    QList<QSoundEffect *> m_pool;
    int m_next = 0;
    int m_lastIndex = -1;
};
