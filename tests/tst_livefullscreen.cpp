#include <QCoroTask>
#include <QQuickItem>
#include <QSignalSpy>

#include "ItemInput.h"
#include "Patience.h"
#include "QmlHarness.h"
#include "SampleCatalog.h"
#include "SampleMedia.h"
#include "SampleProviderThread.h"
#include "ScriptedPlayer.h"
#include "TestMain.h"
#include "TestProvider.h"
#include "client/NorvaneError.h"
#include "live/ChannelRow.h"
#include "live/LiveFullscreenPlayback.h"
#include "live/LiveStreamAttempt.h"
#include "playback/VLCEngine.h"
#include "player/ControlsAutoHide.h"

using namespace norvane::test;
using Status = VLCEngine::Status;
using State = MediaPlayerBackend::State;

namespace {

// Long enough for libVLC to open the loopback stream (or fail its 404) before the watch ends.
constexpr int watchMs = 1500;
constexpr int hideMs = 300;
// Limits for what libVLC and the event loop do on a loaded machine; waits end at the condition.
constexpr int patienceMs = norvane::test::patience(15000);

const QByteArray viewQml = "import QtQuick\nimport Norvane\nLiveFullscreenView { playback.stream.watchMs: "
                           "1500; playback.controls.hideDelayMs: 300 }\n";

// The connection attempt is over once the view has scheduled the controls' hide.
bool attemptOver(LiveFullscreenPlayback *playback)
{
    return playback->controls()->hidePending() || !playback->controls()->showControls();
}

} // namespace

class TestLiveFullscreen : public QObject
{
    Q_OBJECT

private:
    // On its own thread: stopping libVLC waits for the provider's answers.
    SampleProviderThread m_provider;

    XtreamClient client() const
    {
        return XtreamClient(m_provider.baseUrl() + QLatin1Char('/'), QStringLiteral("demo"),
                            QStringLiteral("demo1234"));
    }
    QVariantMap properties(qint64 streamId) const
    {
        const QString id = QString::number(streamId);
        return {
            {QStringLiteral("client"), QVariant::fromValue(client())},
            {QStringLiteral("channel"),
             QVariant::fromValue(ChannelRow(id, std::nullopt, QStringLiteral("Canal ") + id, std::nullopt))}};
    }
    QString address(qint64 streamId, const QString &extension) const
    {
        return m_provider.baseUrl() + QStringLiteral("/live/demo/demo1234/") + QString::number(streamId) +
               QLatin1Char('.') + extension;
    }
    static LiveFullscreenPlayback *playbackOf(QObject *view)
    {
        return view->property("playback").value<LiveFullscreenPlayback *>();
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(startPlaybackProvider(m_provider)); }

    void cleanup() { VLCEngine::shared()->stop(); }

    // A working channel plays from its adaptive address with no fall-back, and the controls hide.
    void workingChannelPlaysAndControlsHideAfterTheAttempt()
    {
        QmlHarness harness;
        QObject *view = harness.create(viewQml, properties(1001));
        QVERIFY(view);
        // Connecting from the start: the spinner, with the controls over it.
        QVERIFY(isShown(view, QStringLiteral("connectingSpinner")));
        QVERIFY(waitForLayout(&harness.window()));
        QCOMPARE(unnamedControls(qobject_cast<QQuickItem *>(view)), QStringList());
        LiveFullscreenPlayback *playback = playbackOf(view);
        QCOMPARE(playback->stream()->watchMs(), watchMs);
        QCOMPARE(playback->controls()->hideDelayMs(), hideMs);
        QTRY_COMPARE_WITH_TIMEOUT(VLCEngine::shared()->status(), Status::Playing, patienceMs);
        // The controls stay for the whole attempt (the live controller's own test), then go.
        QTRY_VERIFY_WITH_TIMEOUT(attemptOver(playback), patienceMs);
        QTRY_VERIFY(!isShown(view, QStringLiteral("liveControls")));
        QVERIFY(!playback->stream()->didFallbackToTS());
        QVERIFY(playback->error().isEmpty());
        QCOMPARE(VLCEngine::shared()->status(), Status::Playing);

        // A click anywhere brings the controls back.
        clickItem(qobject_cast<QQuickItem *>(view));
        QVERIFY(playback->controls()->showControls());
        QTRY_VERIFY(isShown(view, QStringLiteral("liveControls")));
    }

    // The view's keys and clicks reach its controller (the rules are the controller's own tests):
    // a key brings the hidden controls back, Space pauses, F and a double click put the window in
    // full screen and back; Escape restores it first and closes the view next.
    void keyboardAndWindowFullScreen()
    {
        QmlHarness harness;
        QObject *view = createShown(harness, viewQml, properties(1001));
        QVERIFY(view);
        QQuickWindow *window = &harness.window();
        LiveFullscreenPlayback *playback = playbackOf(view);
        QTRY_COMPARE_WITH_TIMEOUT(VLCEngine::shared()->status(), Status::Playing, patienceMs);
        QTRY_VERIFY_WITH_TIMEOUT(!playback->controls()->showControls(), patienceMs);

        QTest::keyClick(window, Qt::Key_Tab);
        QVERIFY(playback->controls()->showControls());
        QTest::keyClick(window, Qt::Key_Space);
        QTRY_COMPARE(VLCEngine::shared()->status(), Status::Paused);
        QTest::keyClick(window, Qt::Key_F);
        QCOMPARE(window->visibility(), QWindow::FullScreen);
        QTest::keyClick(window, Qt::Key_F);
        QCOMPARE(window->visibility(), QWindow::Windowed);
        // Away from the centred play button.
        QTest::mouseDClick(window, Qt::LeftButton, Qt::NoModifier, QPoint(100, 500));
        QCOMPARE(window->visibility(), QWindow::FullScreen);

        QSignalSpy closed(view, SIGNAL(close()));
        QTest::keyClick(window, Qt::Key_Escape);
        QCOMPARE(window->visibility(), QWindow::Windowed);
        QCOMPARE(closed.count(), 0);
        QTest::keyClick(window, Qt::Key_Escape);
        QCOMPARE(closed.count(), 1);
        QCOMPARE(VLCEngine::shared()->status(), Status::Stopped);
    }

    // A channel whose playlist fails, or is a web page that libVLC plays to its end at once,
    // switches to its transport stream after the watch and plays.
    void brokenPlaylistFallsBackToTransportStream_data()
    {
        QTest::addColumn<qint64>("channel");
        QTest::newRow("playlist missing") << SampleCatalog::brokenPlaylistChannelId;
        QTest::newRow("playlist is a web page") << SampleCatalog::htmlPlaylistChannelId;
    }
    void brokenPlaylistFallsBackToTransportStream()
    {
        QFETCH(qint64, channel);
        QmlHarness harness;
        QObject *view = createShown(harness, viewQml, properties(channel));
        QVERIFY(view);
        LiveFullscreenPlayback *playback = playbackOf(view);
        QTRY_VERIFY_WITH_TIMEOUT(playback->stream()->didFallbackToTS(), patienceMs);
        QTRY_COMPARE_WITH_TIMEOUT(VLCEngine::shared()->status(), Status::Playing, patienceMs);
        QTRY_VERIFY_WITH_TIMEOUT(attemptOver(playback), patienceMs);
        QVERIFY(playback->error().isEmpty());
        QVERIFY(!isShown(view, QStringLiteral("errorBox")));
        QCOMPARE(VLCEngine::shared()->status(), Status::Playing);
    }

    // The fully broken channel ends in the error box, which hides the controls; "Reintentar"
    // starts again from the adaptive address, and "Volver" stops the engine before close().
    void brokenChannelShowsTheErrorBox()
    {
        QmlHarness harness;
        QObject *view = createShown(harness, viewQml, properties(SampleCatalog::brokenChannelId));
        QVERIFY(view);
        LiveFullscreenPlayback *playback = playbackOf(view);
        QTRY_VERIFY_WITH_TIMEOUT(!playback->error().isEmpty(), patienceMs);
        QCOMPARE(playback->error(), NorvaneError::channelDidNotPlay());
        QVERIFY(playback->stream()->didFallbackToTS());
        QVERIFY(isShown(view, QStringLiteral("errorBox")));
        QCOMPARE(
            findByName<QQuickItem>(view, QStringLiteral("errorText"))->property("text").toString(),
            QStringLiteral(
                "No se pudo reproducir este canal.\nRevisa tu conexión a internet o inténtalo de nuevo."));
        QTRY_VERIFY(!isShown(view, QStringLiteral("liveControls")));
        QVERIFY(!isShown(view, QStringLiteral("connectingSpinner")));

        waitForLayout(&harness.window());
        auto *retry = findByName<QQuickItem>(view, QStringLiteral("retryButton"));
        QCOMPARE(accessibleName(retry), QStringLiteral("Reintentar"));
        clickItem(retry);
        QVERIFY(playback->error().isEmpty());
        QVERIFY(!playback->stream()->didFallbackToTS());
        QVERIFY(!isShown(view, QStringLiteral("errorBox")));
        QTRY_VERIFY_WITH_TIMEOUT(!playback->error().isEmpty(), patienceMs);

        Status statusAtClose = Status::Idle;
        QObject::connect(playback, &LiveFullscreenPlayback::closed,
                         [&] { statusAtClose = VLCEngine::shared()->status(); });
        QSignalSpy closed(view, SIGNAL(close()));
        waitForLayout(&harness.window());
        auto *back = findByName<QQuickItem>(view, QStringLiteral("backButton"));
        QCOMPARE(accessibleName(back), QStringLiteral("Volver"));
        clickItem(back);
        QCOMPARE(closed.count(), 1);
        QCOMPARE(statusAtClose, Status::Stopped);
    }

    // A channel cut by its provider after it played: "Reconectando…" once libVLC gives the stream
    // up (TS at once, HLS once its playlist is refused), then the same address again, playing on
    // with no error when the channel is back. It comes back once the view reconnects: a fixed
    // outage would race how long libVLC, on this machine, rides it out.
    void cutChannelComesBack_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::newRow("hls") << QStringLiteral("m3u8");
        QTest::newRow("ts, after the playlist failed") << QStringLiteral("ts");
    }
    void cutChannelComesBack()
    {
        QFETCH(QString, extension);
        const qint64 channel = SampleCatalog::cutChannelId;
        const bool viaTs = extension == QLatin1String("ts");
        m_provider.call([&](SampleProvider &provider) {
            provider.setLiveCut(channel, std::chrono::milliseconds(4000), std::chrono::minutes(10));
            // Its playlist refused, the channel goes on through the ts fall-back.
            if (viaTs)
                provider.setPathFault(QStringLiteral("/live/demo/demo1234/%1.m3u8").arg(channel),
                                      ProviderFault{.status = 404});
        });
        const auto uncut = qScopeGuard(
            [this] { m_provider.call([](SampleProvider &provider) { provider.clearScript(); }); });
        // The channel's last address asked (its segments left aside).
        const auto lastAsked = [this, channel] {
            const QString name = QStringLiteral("/%1.").arg(channel);
            return m_provider.call([&](SampleProvider &provider) {
                QString path;
                for (const ProviderRequest &request : provider.requests())
                    path = request.path.contains(name) ? request.path : path;
                return path;
            });
        };
        QmlHarness harness;
        QObject *view = createShown(
            harness, viewQml.chopped(3) + "; playback.stream.reconnectWaitMs: 500 }\n", properties(channel));
        QVERIFY(view);
        LiveFullscreenPlayback *playback = playbackOf(view);
        QTRY_VERIFY_WITH_TIMEOUT(attemptOver(playback), patienceMs);
        QCOMPARE(playback->stream()->didFallbackToTS(), viaTs);
        QCOMPARE(VLCEngine::shared()->status(), Status::Playing);

        QTRY_VERIFY2_WITH_TIMEOUT(playback->reconnecting(),
                                  qPrintable(VLCEngine::statusName(VLCEngine::shared()->status())),
                                  4 * patienceMs);
        QVERIFY(isShown(view, QStringLiteral("reconnectingText")));
        QCOMPARE(
            findByName<QQuickItem>(view, QStringLiteral("reconnectingText"))->property("text").toString(),
            QStringLiteral("Reconectando…"));
        // Back: the cut ends.
        m_provider.call([channel](SampleProvider &provider) {
            provider.setLiveCut(channel, {}, {});
            provider.clearLog();
        });
        QTRY_VERIFY_WITH_TIMEOUT(!playback->reconnecting(), patienceMs);
        // The same address again: the choice of m3u8 or ts stays.
        QVERIFY2(lastAsked().endsWith(QLatin1Char('.') + extension), qPrintable(lastAsked()));
        QCOMPARE(VLCEngine::shared()->status(), Status::Playing);
        QVERIFY(playback->error().isEmpty());
        QVERIFY(!isShown(view, QStringLiteral("reconnectingText")));
    }

    // The chevron closes too, with the engine already stopped when close() arrives (while the
    // provider is still sending the stream).
    void chevronStopsBeforeClosing()
    {
        QmlHarness harness;
        QObject *view = createShown(harness, viewQml, properties(1001));
        QVERIFY(view);
        QTRY_COMPARE_WITH_TIMEOUT(VLCEngine::shared()->status(), Status::Playing, patienceMs);
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
        ScriptedEngine scripted;
        ScriptedPlayer *player = scripted.player;
        VLCEngine &engine = *scripted.engine;
        LiveFullscreenPlayback playback(&engine);
        playback.setClient(client());
        playback.setChannel(
            ChannelRow(QStringLiteral("7"), std::nullopt, QStringLiteral("Siete"), std::nullopt));

        // Each attempt reads the watch when it starts sleeping: the first wakes long before the
        // retry does, whatever the machine's load.
        playback.stream()->setWatchMs(50);
        QCoro::Task<> first = playback.playTask();
        // The client's trailing "/" is not doubled.
        QCOMPARE(player->url.toString(), address(7, QStringLiteral("m3u8")));
        playback.stream()->setWatchMs(3000);
        QCoro::Task<> retry = playback.playTask();
        playback.stream()->setWatchMs(50);
        // The retry's adaptive address fails before the first attempt wakes.
        player->report(State::Error, false);
        QCoro::waitFor(std::move(first));
        QTRY_COMPARE(engine.status(), Status::Error);
        QVERIFY(!playback.stream()->didFallbackToTS());
        QVERIFY(player->url.toString().endsWith(QLatin1String("/7.m3u8")));

        // The retry falls back at its own time and its transport stream plays.
        QTRY_VERIFY_WITH_TIMEOUT(playback.stream()->didFallbackToTS(), patienceMs);
        QCOMPARE(player->url.toString(), address(7, QStringLiteral("ts")));
        player->report(State::Playing, true);
        QTRY_COMPARE(engine.status(), Status::Playing);
        QCoro::waitFor(std::move(retry));
        QVERIFY(playback.error().isEmpty());
    }
};

NORVANE_TEST_MAIN(TestLiveFullscreen)
#include "tst_livefullscreen.moc"
