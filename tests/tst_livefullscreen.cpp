#include <QQmlExtensionPlugin>
#include <QQuickItem>
#include <QElapsedTimer>
#include <QSignalSpy>

#include "ChannelRow.h"
#include "ItemInput.h"
#include "LiveFullscreenPlayback.h"
#include "QmlHarness.h"
#include "SampleCatalog.h"
#include "SampleMedia.h"
#include "SampleProvider.h"
#include "ScriptedPlayer.h"
#include "TestMain.h"
#include "VLCEngine.h"

Q_IMPORT_QML_PLUGIN(NorvanePlugin)
Q_IMPORT_QML_PLUGIN(Norvane_CorePlugin)

using namespace norvane::test;
using Status = VLCEngine::Status;
using State = MediaPlayerBackend::State;

namespace {

// Long enough for libVLC to open the loopback stream (or fail it) before the watch ends.
constexpr int watchMs = 1500;
constexpr int hideMs = 300;

const QByteArray viewQml = "import QtQuick\nimport Norvane\nLiveFullscreenView { watchMs: 1500; hideDelayMs: 300 }\n";

bool shown(QObject *root, const QString &objectName)
{
    QQuickItem *found = findByName<QQuickItem>(root, objectName);
    return found && found->isVisible();
}

} // namespace

class TestLiveFullscreen : public QObject
{
    Q_OBJECT

private:
    SampleProvider m_provider;

    XtreamClient client() const
    {
        return XtreamClient(m_provider.baseUrl() + QLatin1Char('/'), m_provider.username(), m_provider.password());
    }
    QVariantMap properties(qint64 streamId) const
    {
        const QString id = QString::number(streamId);
        return {{QStringLiteral("client"), QVariant::fromValue(client())},
                {QStringLiteral("channel"),
                 QVariant::fromValue(ChannelRow(id, std::nullopt, QStringLiteral("Canal ") + id, std::nullopt))}};
    }
    QString address(qint64 streamId, const QString &extension) const
    {
        return m_provider.baseUrl() + QStringLiteral("/live/demo/demo1234/") + QString::number(streamId)
               + QLatin1Char('.') + extension;
    }
    static LiveFullscreenPlayback *playbackOf(QObject *view)
    {
        return view->property("playback").value<LiveFullscreenPlayback *>();
    }

private Q_SLOTS:
    void initTestCase()
    {
        // Headless: no sound device for the shared engine.
        qputenv("NORVANE_VLC_OPTS", "--aout=adummy");
        QVERIFY2(SampleMedia::ensureAll(), qPrintable(SampleMedia::lastError()));
        QVERIFY(m_provider.listenOn());
    }

    void cleanup() { VLCEngine::shared()->stop(); }

    // A working channel plays from its adaptive address with no fall-back; the controls stay
    // for the whole watch and hide after their delay.
    void workingChannelPlaysAndControlsHideAfterTheAttempt()
    {
        QmlHarness harness;
        QElapsedTimer clock;
        clock.start();
        QObject *view = createShown(harness, viewQml, properties(1001));
        QVERIFY(view);
        LiveFullscreenPlayback *playback = playbackOf(view);
        QCOMPARE(playback->watchMs(), watchMs);
        QTRY_COMPARE_WITH_TIMEOUT(VLCEngine::shared()->status(), Status::Playing, watchMs);
        QVERIFY(shown(view, QStringLiteral("liveControls")));
        QVERIFY(!playback->controls()->hidePending());
        QTRY_VERIFY_WITH_TIMEOUT(!playback->controls()->showControls(), watchMs + hideMs + 2000);
        QVERIFY(clock.elapsed() >= (watchMs + hideMs) * 95 / 100);
        QVERIFY(!playback->didFallbackToTS());
        QVERIFY(playback->error().isEmpty());
        QCOMPARE(VLCEngine::shared()->status(), Status::Playing);

        // A click anywhere brings the controls back.
        clickItem(qobject_cast<QQuickItem *>(view));
        QVERIFY(playback->controls()->showControls());
        QTRY_VERIFY(shown(view, QStringLiteral("liveControls")));
    }

    // The broken-playlist channel switches to its transport stream after the watch and plays.
    void brokenPlaylistFallsBackToTransportStream()
    {
        QmlHarness harness;
        QObject *view = createShown(harness, viewQml, properties(SampleCatalog::brokenPlaylistChannelId));
        QVERIFY(view);
        LiveFullscreenPlayback *playback = playbackOf(view);
        QTRY_VERIFY_WITH_TIMEOUT(playback->didFallbackToTS(), watchMs + 1000);
        QTRY_COMPARE_WITH_TIMEOUT(VLCEngine::shared()->status(), Status::Playing, watchMs);
        QTest::qWait(watchMs);
        QVERIFY(playback->error().isEmpty());
        QVERIFY(!shown(view, QStringLiteral("errorBox")));
    }

    // The fully broken channel ends in the error box, which hides the controls; "Reintentar"
    // starts again from the adaptive address, and "Volver" stops the engine before close().
    void brokenChannelShowsTheErrorBox()
    {
        QmlHarness harness;
        QObject *view = createShown(harness, viewQml, properties(SampleCatalog::brokenChannelId));
        QVERIFY(view);
        LiveFullscreenPlayback *playback = playbackOf(view);
        QTRY_VERIFY_WITH_TIMEOUT(!playback->error().isEmpty(), 2 * watchMs + 1000);
        QCOMPARE(playback->error(), LiveFullscreenPlayback::errorText());
        QVERIFY(playback->didFallbackToTS());
        QVERIFY(shown(view, QStringLiteral("errorBox")));
        QCOMPARE(findByName<QQuickItem>(view, QStringLiteral("errorText"))->property("text").toString(),
                 QStringLiteral("No se pudo reproducir este canal.\nRevisa tu conexión a internet o inténtalo de nuevo."));
        QTRY_VERIFY(!shown(view, QStringLiteral("liveControls")));

        waitForLayout(&harness.window());
        auto *retry = findByName<QQuickItem>(view, QStringLiteral("retryButton"));
        QCOMPARE(accessibleName(retry), QStringLiteral("Reintentar"));
        clickItem(retry);
        QVERIFY(playback->error().isEmpty());
        QVERIFY(!playback->didFallbackToTS());
        QVERIFY(!shown(view, QStringLiteral("errorBox")));
        QTRY_VERIFY_WITH_TIMEOUT(!playback->error().isEmpty(), 2 * watchMs + 1000);

        Status statusAtClose = Status::Idle;
        QObject::connect(playback, &LiveFullscreenPlayback::closed,
                         [&] { statusAtClose = VLCEngine::shared()->status(); });
        QSignalSpy closed(view, SIGNAL(close()));
        waitForLayout(&harness.window());
        clickItem(findByName<QQuickItem>(view, QStringLiteral("backButton")));
        QCOMPARE(closed.count(), 1);
        QCOMPARE(statusAtClose, Status::Stopped);
    }

    // The chevron closes too, with the engine already stopped when close() arrives.
    void chevronStopsBeforeClosing()
    {
        QmlHarness harness;
        QObject *view = createShown(harness, viewQml, properties(1001));
        QVERIFY(view);
        QTRY_COMPARE_WITH_TIMEOUT(VLCEngine::shared()->status(), Status::Playing, watchMs);
        Status statusAtClose = Status::Idle;
        LiveFullscreenPlayback *playback = playbackOf(view);
        QObject::connect(playback, &LiveFullscreenPlayback::closed,
                         [&] { statusAtClose = VLCEngine::shared()->status(); });
        QSignalSpy closed(view, SIGNAL(close()));
        auto *chevron = findByName<QQuickItem>(view, QStringLiteral("closeButton"));
        QCOMPARE(accessibleName(chevron), QStringLiteral("Volver"));
        clickItem(chevron);
        QCOMPARE(closed.count(), 1);
        QCOMPARE(statusAtClose, Status::Stopped);
    }

    // A retry while the first attempt still sleeps supersedes it: when the first one wakes it
    // neither switches the retry to ts nor raises the error over it.
    void retrySupersedesTheSleepingAttempt()
    {
        auto owned = std::make_unique<ScriptedPlayer>();
        ScriptedPlayer *player = owned.get();
        VLCEngine engine(std::move(owned), nullptr);
        LiveFullscreenPlayback playback(&engine);
        playback.setClient(client());
        playback.setChannel(ChannelRow(QStringLiteral("7"), std::nullopt, QStringLiteral("Siete"), std::nullopt));
        playback.setWatchMs(400);

        playback.play();
        // The client's trailing "/" is not doubled.
        QCOMPARE(player->url.toString(), address(7, QStringLiteral("m3u8")));
        player->report(State::Error, false);
        QTRY_COMPARE(engine.status(), Status::Error);
        QTest::qWait(200);
        playback.play();
        // The retry's adaptive address fails as well, before the first attempt wakes.
        player->report(State::Error, false);
        QTRY_COMPARE(engine.status(), Status::Error);
        QTest::qWait(300);
        // First attempt woke (at 400 ms) and did nothing; the retry falls back at its own time.
        QVERIFY(!playback.didFallbackToTS());
        QVERIFY(player->url.toString().endsWith(QLatin1String(".m3u8")));
        QTRY_VERIFY(playback.didFallbackToTS());
        QVERIFY(player->url.toString().endsWith(QLatin1String("/7.ts")));
        player->report(State::Playing, true);
        QTest::qWait(600);
        QVERIFY(playback.error().isEmpty());
    }
};

NORVANE_TEST_MAIN(TestLiveFullscreen)
#include "tst_livefullscreen.moc"
