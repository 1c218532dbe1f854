#include <QSignalSpy>
#include <QSoundEffect>
#include <QTemporaryDir>
#include <algorithm>

#include "TestMain.h"
#include "system/MenuSound.h"

namespace {

// Every player of the pool has its sample loaded. Tests let each pool load before it goes: Qt 6.4's
// QSoundEffect destroyed mid-load never gives its sample back, and a load still under way when the
// process ends leaves Qt's loader objects behind (a LeakSanitizer report). It also proves the file
// really loads, beyond its header.
bool loaded(const MenuSound &sound)
{
    const QList<QSoundEffect *> players = sound.findChildren<QSoundEffect *>();
    return players.size() == sound.poolSize() &&
           std::all_of(players.cbegin(), players.cend(),
                       [](const QSoundEffect *player) { return player->status() == QSoundEffect::Ready; });
}

} // namespace

// The hover sound's pool rotation, the once-per-card rule, and silence without a usable file.
class TestMenuSound : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void differentCardsRotateThroughTheSlots()
    {
        MenuSound sound(MenuSound::defaultSource());
        QTRY_VERIFY(loaded(sound));
        QSignalSpy played(&sound, &MenuSound::played);
        for (int card = 0; card < 5; ++card)
            sound.play(card);
        QList<int> slots;
        for (const auto &args : played)
            slots << args.at(0).toInt();
        QCOMPARE(slots, (QList<int>{0, 1, 2, 3, 0}));
        QCOMPARE(sound.next(), 1);
        QCOMPARE(sound.lastIndex(), 4);
    }

    void sameCardSoundsOnceUntilTheMouseLeaves()
    {
        MenuSound sound(MenuSound::defaultSource());
        QTRY_VERIFY(loaded(sound));
        QSignalSpy played(&sound, &MenuSound::played);
        sound.play(2);
        sound.play(2); // moving inside card 2
        QCOMPARE(played.size(), 1);
        sound.setLastIndex(-1); // leaving it
        sound.play(2);
        QCOMPARE(played.size(), 2);
        QCOMPARE(played.at(1).at(0).toInt(), 1);
        sound.play(3); // straight from card 2 to card 3
        QCOMPARE(played.size(), 3);
    }

    void lastIndexNotifiesOnlyOnChange()
    {
        MenuSound sound(MenuSound::defaultSource());
        QTRY_VERIFY(loaded(sound));
        QSignalSpy changed(&sound, &MenuSound::lastIndexChanged);
        sound.setLastIndex(-1);
        QCOMPARE(changed.size(), 0);
        sound.play(1);
        sound.setLastIndex(1);
        QCOMPARE(changed.size(), 1);
    }

    void unusableSoundLeavesThePoolEmpty_data()
    {
        QTest::addColumn<QUrl>("source");
        QTest::newRow("missing resource") << QUrl(QStringLiteral("qrc:/assets/none.wav"));
        QTest::newRow("missing file") << QUrl::fromLocalFile(QStringLiteral("/nonexistent/nav.wav"));
        QTest::newRow("not a wave file") << QUrl(QStringLiteral("qrc:/assets/MenuCardExit.svg"));
        QTest::newRow("remote address") << QUrl(QStringLiteral("http://127.0.0.1:9/nav.wav"));
        QTest::newRow("empty") << QUrl();
    }

    void unusableSoundLeavesThePoolEmpty()
    {
        QFETCH(QUrl, source);
        MenuSound sound(source);
        QSignalSpy played(&sound, &MenuSound::played);
        QCOMPARE(sound.poolSize(), 0);
        sound.play(0);
        sound.play(1);
        QCOMPARE(played.size(), 0);
        QCOMPARE(sound.next(), 0);
        QCOMPARE(sound.lastIndex(), -1);
    }

    void wavOnDiskIsAccepted()
    {
        // The path is injectable: any local WAV works, not only the bundled one.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("nav.wav"));
        QVERIFY(QFile::copy(QStringLiteral(":/assets/nav.wav"), path));
        MenuSound sound(QUrl::fromLocalFile(path));
        QCOMPARE(sound.poolSize(), MenuSound::maxPlayers);
        QTRY_VERIFY(loaded(sound));
    }
};

NORVANE_TEST_MAIN(TestMenuSound)
#include "tst_menusound.moc"
