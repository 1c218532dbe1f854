#include "system/MenuSound.h"

#include <QCoreApplication>
#include <QFile>
#include <QJSEngine>
#include <QSoundEffect>

MenuSound::MenuSound(const QUrl &source, QObject *parent) : QObject(parent)
{
    if (!isWaveFile(source))
        return;
    for (int i = 0; i < maxPlayers; ++i) {
        auto *player = new QSoundEffect(this);
        player->setSource(source);
        if (player->status() == QSoundEffect::Error) {
            delete player;
            continue;
        }
        m_pool.append(player);
    }
}

MenuSound::~MenuSound() = default;

MenuSound *MenuSound::shared()
{
    // Parented to the application so that it goes before Qt Multimedia's own globals.
    static MenuSound *instance = new MenuSound(defaultSource(), QCoreApplication::instance());
    return instance;
}

MenuSound *MenuSound::create(QQmlEngine *, QJSEngine *)
{
    MenuSound *instance = shared();
    QJSEngine::setObjectOwnership(instance, QJSEngine::CppOwnership);
    return instance;
}

QUrl MenuSound::defaultSource()
{
    return QUrl(QStringLiteral("qrc:/assets/nav.wav"));
}

void MenuSound::setLastIndex(int index)
{
    if (m_lastIndex == index)
        return;
    m_lastIndex = index;
    Q_EMIT lastIndexChanged();
}

void MenuSound::play(int index)
{
    if (m_pool.isEmpty() || index == m_lastIndex)
        return;
    setLastIndex(index);
    const int slot = m_next;
    const int following = (m_next + 1) % int(m_pool.size());
    if (following != m_next) {
        m_next = following;
        Q_EMIT nextChanged();
    }
    QSoundEffect *player = m_pool.at(slot);
    player->stop();
    player->play();
    Q_EMIT played(slot);
}

bool MenuSound::isWaveFile(const QUrl &source)
{
    // Checked up front so that a missing or foreign file leaves the pool empty rather than
    // filling it with players that can never sound.
    QString path;
    if (source.scheme() == QLatin1String("qrc"))
        path = QLatin1Char(':') + source.path();
    else if (source.isLocalFile())
        path = source.toLocalFile();
    else
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray header = file.read(12);
    return header.size() == 12 && header.startsWith("RIFF") && header.mid(8, 4) == "WAVE";
}
