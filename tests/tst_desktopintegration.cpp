#include "QmlHarness.h"
#include "SampleProvider.h"
#include "ScriptedPlayback.h"
#include "ScriptedPlayer.h"
#include "TestMain.h"
#include "TestProvider.h"
#include "live/ChannelsModel.h"
#include "live/ChannelsScreen.h"
#include "live/LiveFullscreenPlayback.h"
#include "mpris/IdleInhibitionPolicy.h"
#include "mpris/MprisService.h"
#include "mpris/NowPlaying.h"
#include "mpris/NowPlayingAttachment.h"
#include "mpris/NowPlayingSource.h"
#include "playback/VLCEngine.h"
#include "shell/WindowGeometry.h"
#include "storage/AppSettings.h"
#include "system/IdleInhibitor.h"
#include "system/TerminationSignals.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <csignal>
#include <memory>

using norvane::test::ScriptedEngine;

namespace {

// The desktop's screen saver, or with `portal` its portal's Inhibit, as the end-to-end walk's
// stand-in serves them: another program on the bus, which writes what it holds after each change.
class InhibitStandIn
{
public:
    explicit InhibitStandIn(bool portal)
        : m_name(portal ? QStringLiteral("org.freedesktop.portal.Desktop")
                        : QStringLiteral("org.freedesktop.ScreenSaver"))
    {
        QStringList arguments{QFINDTESTDATA("e2e/screensaver.py"), m_dir.filePath(QStringLiteral("held"))};
        if (portal)
            arguments.insert(1, QStringLiteral("--portal"));
        m_process.start(QStringLiteral("/usr/bin/python3"), arguments);
    }
    ~InhibitStandIn()
    {
        m_process.kill();
        m_process.waitForFinished();
        // The next one must not queue behind a name still held.
        QTest::qWaitFor([this] { return !serving(); });
    }
    bool serving() const { return QDBusConnection::sessionBus().interface()->isServiceRegistered(m_name); }
    bool started() const
    {
        return QTest::qWaitFor([this] { return serving(); }, 10'000);
    }
    int held() const { return state().value(QLatin1String("held")).toInt(); }
    int granted() const { return state().value(QLatin1String("inhibits")).toInt(); }

private:
    QJsonObject state() const
    {
        QFile file(m_dir.filePath(QStringLiteral("held")));
        return file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()).object()
                                              : QJsonObject();
    }
    QString m_name;
    QTemporaryDir m_dir;
    QProcess m_process;
};

// The desktop's side of the media controls: a program of its own on the bus that reads the
// player's properties, calls its methods and hears its PropertiesChanged signals.
class MprisClient : public QObject
{
    Q_OBJECT
public:
    MprisClient()
        : m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("mpris-client")))
    {
        m_bus.connect(QString(MprisService::serviceName), QString(MprisService::objectPath),
                      QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"),
                      this, SLOT(propertiesChanged(QString, QVariantMap, QStringList)));
        m_bus.connect(QString(MprisService::serviceName), QString(MprisService::objectPath),
                      QString(MprisService::playerInterface), QStringLiteral("Seeked"), this,
                      SLOT(seekedTo(qlonglong)));
    }
    ~MprisClient() override { QDBusConnection::disconnectFromBus(QStringLiteral("mpris-client")); }

    // A property of the player interface (or of the root one), plain values unpacked.
    QVariant get(const QString &name, const QString &interface = QString(MprisService::playerInterface))
    {
        QDBusMessage call = QDBusMessage::createMethodCall(
            MprisService::serviceName, MprisService::objectPath,
            QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
        call << interface << name;
        const QVariant value =
            m_bus.call(call, QDBus::BlockWithGui).arguments().value(0).value<QDBusVariant>().variant();
        if (value.canConvert<QDBusArgument>())
            return QVariant(qdbus_cast<QVariantMap>(value.value<QDBusArgument>()));
        return value;
    }
    QVariantMap metadata() { return get(QStringLiteral("Metadata")).toMap(); }
    void set(const QString &name, const QVariant &value)
    {
        QDBusMessage call = QDBusMessage::createMethodCall(
            MprisService::serviceName, MprisService::objectPath,
            QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"));
        call << QString(MprisService::playerInterface) << name << QVariant::fromValue(QDBusVariant(value));
        m_bus.call(call, QDBus::BlockWithGui);
    }
    // A method; false when the service answered with an error.
    bool invoke(const QString &method, const QVariantList &arguments = {},
                const QString &interface = QString(MprisService::playerInterface))
    {
        QDBusMessage call = QDBusMessage::createMethodCall(MprisService::serviceName,
                                                           MprisService::objectPath, interface, method);
        call.setArguments(arguments);
        return m_bus.call(call, QDBus::BlockWithGui).type() == QDBusMessage::ReplyMessage;
    }

    // The player properties announced as changed, and the positions announced by Seeked, in order.
    QList<QVariantMap> announced;
    QList<qlonglong> seeked;

public Q_SLOTS:
    void propertiesChanged(const QString &, const QVariantMap &changed, const QStringList &)
    {
        announced << changed;
    }
    void seekedTo(qlonglong positionUs) { seeked << positionUs; }

private:
    QDBusConnection m_bus;
};

// The main window as Main.qml makes it: its own size first, then the remembered one.
const QByteArray mainWindowQml = "import QtQuick\nimport QtQuick.Window\nimport Norvane\n"
                                 "Window { id: w; visible: true; width: 1280; height: 800\n"
                                 "    WindowGeometry { window: w } }\n";

enum class Release { Unwanted, Destroyed, UnwantedBeforeTheAnswer, DestroyedBeforeTheAnswer };

// What plays, as a screen tells the media controls: the engine, and whether a viewing is between
// two of its parts (the up-next card, a reconnect).
class StandInSource : public NowPlayingSource
{
public:
    explicit StandInSource(VLCEngine *engine) : m_engine(engine) {}
    Track track() const override { return {QStringLiteral("k"), QStringLiteral("t"), {}, {}, true}; }
    VLCEngine *engine() const override { return m_engine; }
    bool betweenItems() const override { return seam; }
    void togglePause() override {}
    void stop() override {}
    bool seam = false;

private:
    VLCEngine *m_engine;
};

} // namespace

// What the app offers the desktop: the idle inhibition while a stream plays.
class TestDesktopIntegration : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        if (!QDBusConnection::sessionBus().isConnected())
            QSKIP("needs the private session bus of ./scripts/test");
        // The engines keep their volume in this program's own settings file.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
        QVERIFY(norvane::test::startPlaybackProvider(m_provider));
        // As the app does at start: the playing screens' models get their media controls.
        NowPlayingAttachment::install();
    }

    // The inhibition is asked for once, held while wanted and given back when no longer wanted
    // or with the inhibitor, also when the answer comes after that.
    void inhibitionHeldWhileWanted_data()
    {
        QTest::addColumn<bool>("portal");
        QTest::addColumn<Release>("release");
        QTest::newRow("unwanted") << false << Release::Unwanted;
        QTest::newRow("inhibitor gone") << false << Release::Destroyed;
        QTest::newRow("unwanted before the grant") << false << Release::UnwantedBeforeTheAnswer;
        QTest::newRow("gone before the grant") << false << Release::DestroyedBeforeTheAnswer;
        QTest::newRow("portal: unwanted") << true << Release::Unwanted;
        QTest::newRow("portal: inhibitor gone") << true << Release::Destroyed;
    }
    void inhibitionHeldWhileWanted()
    {
        QFETCH(bool, portal);
        QFETCH(Release, release);
        const InhibitStandIn standIn(portal);
        QVERIFY2(standIn.started(), "the stand-in did not start (python3-gi)");
        auto inhibitor = std::make_unique<IdleInhibitor>(QDBusConnection::sessionBus());
        inhibitor->setWanted(true);
        inhibitor->setWanted(true);
        switch (release) {
        case Release::UnwantedBeforeTheAnswer:
            inhibitor->setWanted(false);
            QTRY_COMPARE(standIn.granted(), 1);
            break;
        case Release::DestroyedBeforeTheAnswer:
            inhibitor.reset();
            QTRY_COMPARE(standIn.granted(), 1);
            break;
        default:
            QTRY_VERIFY(inhibitor->isHeld());
            QTRY_COMPARE(standIn.held(), 1); // the portal grants only an idle inhibition
        }
        if (release == Release::Unwanted)
            inhibitor->setWanted(false);
        else if (release == Release::Destroyed)
            inhibitor.reset();
        QTRY_COMPARE(standIn.held(), 0);
        QCOMPARE(standIn.granted(), 1);
        QVERIFY(!inhibitor || !inhibitor->isHeld());
    }

    // When the screen may blank: never while something plays nor across the seams of one viewing
    // (a zap, the up-next card, a reconnect); after a short grace when nothing comes; at once on a
    // pause, an error or a stop.
    void inhibitionFollowsTheViewing_data()
    {
        QTest::addColumn<int>("then");
        QTest::addColumn<bool>("seam");
        QTest::addColumn<bool>("heldAtOnce");
        QTest::addColumn<bool>("heldLater");
        using S = MediaPlayerBackend;
        QTest::newRow("playing") << int(S::Playing) << false << true << true;
        QTest::newRow("pause") << int(S::Paused) << false << false << false;
        QTest::newRow("error") << int(S::Error) << false << false << false;
        QTest::newRow("stop: leaving") << int(S::Stopped) << false << false << false;
        QTest::newRow("zap: the next channel opening") << int(S::Opening) << false << true << false;
        QTest::newRow("buffering that never ends") << int(S::Buffering) << false << true << false;
        QTest::newRow("last item's end") << int(S::Ended) << false << true << false;
        QTest::newRow("up-next card") << int(S::Ended) << true << true << true;
        QTest::newRow("reconnecting") << int(S::Error) << true << true << true;
    }
    void inhibitionFollowsTheViewing()
    {
        QFETCH(int, then);
        QFETCH(bool, seam);
        QFETCH(bool, heldAtOnce);
        QFETCH(bool, heldLater);
        ScriptedEngine s;
        NowPlaying nowPlaying;
        StandInSource source(s.engine.get());
        IdleInhibitor inhibitor(QDBusConnection(QStringLiteral("never connected")));
        IdleInhibitionPolicy policy(&nowPlaying, &inhibitor);
        policy.setGraceMs(50);
        nowPlaying.claim(&source);
        s.engine->play(QStringLiteral("http://host/a.mp4"));
        s.settle();
        QVERIFY(!policy.holding());
        s.player->report(MediaPlayerBackend::Playing, true);
        s.settle();
        QVERIFY(policy.holding());

        source.seam = seam;
        nowPlaying.update(&source);
        if (then == MediaPlayerBackend::Stopped)
            s.engine->stop();
        else if (then == MediaPlayerBackend::Opening)
            s.engine->play(QStringLiteral("http://host/b.ts"));
        else
            s.player->report(then, then == MediaPlayerBackend::Playing);
        s.settle();
        QCOMPARE(policy.holding(), heldAtOnce);
        QTest::qWait(150);
        QCOMPARE(policy.holding(), heldLater);
        nowPlaying.release(&source);
    }

    // Wanted and unwanted as fast as the events come, never waiting for the service's answers:
    // one inhibition while the last want holds, none once it is gone.
    void noInhibitionLeftAfterManyCycles()
    {
        const InhibitStandIn standIn(false);
        QVERIFY(standIn.started());
        IdleInhibitor inhibitor(QDBusConnection::sessionBus());
        for (int i = 0; i < 100; ++i) {
            inhibitor.setWanted(true);
            inhibitor.setWanted(false);
            inhibitor.setWanted(true);
            if (i % 10 == 0)
                QCoreApplication::processEvents(); // some answers arrive mid-way
        }
        QTRY_VERIFY(inhibitor.isHeld());
        QTRY_COMPARE(standIn.held(), 1);
        inhibitor.setWanted(false);
        QTRY_COMPARE(standIn.held(), 0);
        QVERIFY(!inhibitor.isHeld());
    }

    void quietWithoutServiceOrBus_data()
    {
        QTest::addColumn<bool>("bus");
        QTest::newRow("no service") << true;
        QTest::newRow("no bus") << false;
    }
    void quietWithoutServiceOrBus()
    {
        QFETCH(bool, bus);
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
        IdleInhibitor inhibitor(bus ? QDBusConnection::sessionBus()
                                    : QDBusConnection(QStringLiteral("never connected")));
        inhibitor.setWanted(true);
        QTRY_COMPARE(inhibitor.route(), IdleInhibitor::Route::None);
        QVERIFY(!inhibitor.isHeld());
    }

    // The desktop's media controls on a movie of a series queue: what they show, and every action
    // reaching the player the way the player screen's own buttons do.
    // Before anything plays, the desktop sees the level the last run left.
    void mediaVolumeBeforeAnythingPlays()
    {
        QVERIFY(!VLCEngine::existing());
        AppSettings::setValue(VLCEngine::volumeKey, 45);
        MprisService service(NowPlaying::shared(), QDBusConnection::sessionBus());
        QCOMPARE(MprisClient().get(QStringLiteral("Volume")).toDouble(), 0.45);
        AppSettings::setValue(VLCEngine::volumeKey, VLCEngine::defaultVolume);
    }

    void mediaControlsOfAnEpisode()
    {
        const auto episode = [](const QString &id, const char *subtitle, const QString &image) {
            return PlayableItem(
                QStringLiteral("Serie"), QString::fromUtf8(subtitle),
                QStringLiteral("http://127.0.0.1:1/series/u/p/") + id + QStringLiteral(".mp4"),
                QStringLiteral("series:77:ep:") + id, ContentType::Series, QStringLiteral("77"), image, 0);
        };
        // The second episode's artwork is no address the image cache would fetch: the desktop,
        // which opens the artwork itself, is not given it.
        norvane::test::ScriptedPlayback p(
            {episode("1", "T1 E1", QStringLiteral("http://img/77.jpg")),
             episode("2", "T1 E2", QStringLiteral("file:///home/u/.ssh/id_rsa"))},
            1);
        MprisService service(NowPlaying::shared(), QDBusConnection::sessionBus());
        QVERIFY(service.isRegistered());
        MprisClient client;
        QCOMPARE(client.get(QStringLiteral("Identity"), QStringLiteral("org.mpris.MediaPlayer2")),
                 QStringLiteral("Norvane"));
        const QString entry =
            client.get(QStringLiteral("DesktopEntry"), QStringLiteral("org.mpris.MediaPlayer2")).toString();
        QVERIFY(!QFINDTESTDATA(QStringLiteral("../data/") + entry + QStringLiteral(".desktop")).isEmpty());

        p.model->playCurrent(0);
        p.playerAt(5000, 60'000);
        QTRY_COMPARE(client.get(QStringLiteral("PlaybackStatus")), QStringLiteral("Playing"));
        QVariantMap metadata = client.metadata();
        QCOMPARE(metadata.value(QStringLiteral("xesam:title")), QStringLiteral("Serie · T1 E1"));
        QCOMPARE(metadata.value(QStringLiteral("mpris:artUrl")), QStringLiteral("http://img/77.jpg"));
        QCOMPARE(metadata.value(QStringLiteral("mpris:length")).toLongLong(), 60'000'000);
        const QDBusObjectPath firstTrack =
            metadata.value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>();
        QVERIFY(firstTrack.path().startsWith(QLatin1String("/app/norvane/")));
        QCOMPARE(client.get(QStringLiteral("Position")).toLongLong(), 5'000'000);
        QCOMPARE(client.get(QStringLiteral("Volume")).toDouble(), 1.0);
        for (const char *name : {"CanGoNext", "CanPlay", "CanPause", "CanSeek", "CanControl"})
            QVERIFY2(client.get(QString::fromLatin1(name)).toBool(), name);
        QVERIFY(!client.get(QStringLiteral("CanGoPrevious")).toBool());

        QVERIFY(client.invoke(QStringLiteral("Pause")));
        QCOMPARE(p.player->calls.last(), QStringLiteral("pause"));
        client.announced.clear();
        p.playerAt(5000, 60'000, MediaPlayerBackend::Paused);
        QTRY_COMPARE(client.announced.size(), 1);
        QCOMPARE(client.announced.first(),
                 (QVariantMap{{QStringLiteral("PlaybackStatus"), QStringLiteral("Paused")}}));
        QVERIFY(client.invoke(QStringLiteral("Play")));
        QCOMPARE(p.player->calls.last(), QStringLiteral("play"));
        p.playerAt(5000, 60'000);
        QVERIFY(client.invoke(QStringLiteral("PlayPause")));
        QCOMPARE(p.player->calls.last(), QStringLiteral("pause"));

        // Every seek is announced with where it goes, also those under a second and those made
        // with the app's own controls; each goes on from where the seek before is heading.
        QVERIFY(client.invoke(QStringLiteral("Seek"), {qlonglong(10'000'000)}));
        QCOMPARE(p.player->lastSeekMs, 15'000);
        QVERIFY(client.invoke(QStringLiteral("Seek"), {qlonglong(-400'000)}));
        QCOMPARE(p.player->lastSeekMs, 14'600);
        QVERIFY(client.invoke(QStringLiteral("SetPosition"),
                              {QVariant::fromValue(firstTrack), qlonglong(20'000'000)}));
        QCOMPARE(p.player->lastSeekMs, 20'000);
        // Another track's position, or one past the end, is ignored.
        client.invoke(QStringLiteral("SetPosition"),
                      {QVariant::fromValue(QDBusObjectPath("/other")), qlonglong(1'000'000)});
        client.invoke(QStringLiteral("SetPosition"),
                      {QVariant::fromValue(firstTrack), qlonglong(90'000'000)});
        QCOMPARE(p.player->lastSeekMs, 20'000);
        p.model->skip(10);
        p.engine->seek(42'000); // the position bar
        QTRY_COMPARE(client.seeked,
                     (QList<qlonglong>{15'000'000, 14'600'000, 20'000'000, 30'000'000, 42'000'000}));

        client.set(QStringLiteral("Volume"), 0.5);
        QCOMPARE(p.engine->volume(), 50);
        QCOMPARE(p.player->volume, 50);

        QVERIFY(client.invoke(QStringLiteral("Next")));
        QCOMPARE(p.model->index(), 1);
        QVERIFY(p.player->url.toString().endsWith(QLatin1String("/2.mp4")));
        QTRY_COMPARE(client.metadata().value(QStringLiteral("xesam:title")), QStringLiteral("Serie · T1 E2"));
        QVERIFY(!client.metadata().contains(QStringLiteral("mpris:artUrl")));
        QVERIFY(!client.get(QStringLiteral("CanGoNext")).toBool());

        QSignalSpy closed(p.model.get(), &PlayerModel::closeRequested);
        QVERIFY(client.invoke(QStringLiteral("Stop")));
        QCOMPARE(closed.count(), 1);
        QCOMPARE(p.engine->status(), VLCEngine::Status::Stopped);
    }

    // The same on a live channel of the live section: its name and the title on air, the
    // neighbouring channels as previous and next, no position to move to.
    void mediaControlsOfALiveChannel()
    {
        m_provider.setAnswer(QStringLiteral("get_live_streams"),
                             "[{\"name\":\"Uno\",\"stream_id\":61},"
                             "{\"name\":\"Dos\",\"stream_id\":62,\"stream_icon\":\"http://img/dos.png\"},"
                             "{\"name\":\"Tres\",\"stream_id\":63}]");
        const qint64 now = QDateTime::currentSecsSinceEpoch();
        m_provider.setAnswer(QStringLiteral("get_short_epg"),
                             QStringLiteral("{\"epg_listings\":[{\"title\":\"%1\",\"start_timestamp\":\"%2\","
                                            "\"stop_timestamp\":\"%3\"}]}")
                                 .arg(QString::fromLatin1(QByteArrayLiteral("Noticias").toBase64()))
                                 .arg(now - 600)
                                 .arg(now + 600)
                                 .toUtf8());
        ScriptedEngine s;
        ChannelsModel model(s.engine.get(), nullptr);
        model.setClient(norvane::test::clientOf(m_provider));
        model.setFallbackWatchMs(20);
        ChannelsScreen screen;
        screen.setEngine(s.engine.get());
        screen.setModel(&model);
        MprisService service(NowPlaying::shared(), QDBusConnection::sessionBus());
        MprisClient client;
        model.selectCategory(QStringLiteral("1"));
        QTRY_COMPARE(model.channels().size(), 3);
        model.select(model.channels().at(1));
        s.player->report(MediaPlayerBackend::Playing, true);
        QTRY_VERIFY(model.epgLoaded());

        QTRY_COMPARE(client.get(QStringLiteral("PlaybackStatus")), QStringLiteral("Playing"));
        const QVariantMap metadata = client.metadata();
        QCOMPARE(metadata.value(QStringLiteral("xesam:title")), QStringLiteral("Dos"));
        QCOMPARE(metadata.value(QStringLiteral("xesam:artist")), QStringList{QStringLiteral("Noticias")});
        QCOMPARE(metadata.value(QStringLiteral("mpris:artUrl")), QStringLiteral("http://img/dos.png"));
        QVERIFY(!metadata.contains(QStringLiteral("mpris:length")));
        QVERIFY(client.get(QStringLiteral("CanGoNext")).toBool());
        QVERIFY(client.get(QStringLiteral("CanGoPrevious")).toBool());
        QVERIFY(!client.get(QStringLiteral("CanSeek")).toBool());
        QVERIFY(client.invoke(QStringLiteral("Seek"), {qlonglong(10'000'000)}));
        QCOMPARE(s.player->lastSeekMs, -1);

        QVERIFY(client.invoke(QStringLiteral("PlayPause")));
        QCOMPARE(s.player->calls.last(), QStringLiteral("pause"));
        QVERIFY(client.invoke(QStringLiteral("Next")));
        QTRY_COMPARE(model.selectedChannel()->name(), QStringLiteral("Tres"));
        QTRY_VERIFY(!client.get(QStringLiteral("CanGoNext")).toBool());
        QVERIFY(client.invoke(QStringLiteral("Previous")));
        QTRY_COMPARE(model.selectedChannel()->name(), QStringLiteral("Dos"));
        QTRY_COMPARE(client.metadata().value(QStringLiteral("xesam:title")), QStringLiteral("Dos"));
        QVERIFY(client.invoke(QStringLiteral("Stop")));
        QCOMPARE(s.engine->status(), VLCEngine::Status::Stopped);
    }

    // A channel opened full-screen from search or favourites: its name, pause, and Stop closing
    // the view as its back button does.
    void mediaControlsOfTheLiveFullscreenView()
    {
        ScriptedEngine s;
        LiveFullscreenPlayback playback(s.engine.get());
        MprisService service(NowPlaying::shared(), QDBusConnection::sessionBus());
        MprisClient client;
        playback.setChannel(
            ChannelRow(QStringLiteral("71"), std::nullopt, QStringLiteral("Cuatro"), std::nullopt));
        s.engine->play(QStringLiteral("http://host/live/71.m3u8"));
        s.player->report(MediaPlayerBackend::Playing, true);
        QTRY_COMPARE(client.get(QStringLiteral("PlaybackStatus")), QStringLiteral("Playing"));
        QCOMPARE(client.metadata().value(QStringLiteral("xesam:title")), QStringLiteral("Cuatro"));
        QVERIFY(!client.get(QStringLiteral("CanGoNext")).toBool());
        QVERIFY(client.invoke(QStringLiteral("Pause")));
        QCOMPARE(s.player->calls.last(), QStringLiteral("pause"));
        QSignalSpy closed(&playback, &LiveFullscreenPlayback::closed);
        QVERIFY(client.invoke(QStringLiteral("Stop")));
        QCOMPARE(closed.count(), 1);
    }

    void windowPlaceCorrected_data()
    {
        QTest::addColumn<QRect>("saved");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("fits") << QRect(100, 80, 1200, 700) << QRect(100, 80, 1200, 700);
        QTest::newRow("too small") << QRect(100, 80, 640, 400) << QRect(100, 80, 1000, 640);
        QTest::newRow("off every screen") << QRect(5000, 80, 1200, 700) << QRect(360, 190, 1200, 700);
        QTest::newRow("title bar above the screens")
            << QRect(100, -900, 1200, 700) << QRect(360, 190, 1200, 700);
        QTest::newRow("on the second screen") << QRect(2000, 100, 1100, 800) << QRect(2000, 100, 1100, 800);
        QTest::newRow("larger than its screen") << QRect(1930, 10, 1400, 1200) << QRect(1920, 0, 1280, 1024);
        QTest::newRow("hanging over the bottom") << QRect(100, 900, 1200, 700) << QRect(100, 380, 1200, 700);
    }
    void windowPlaceCorrected()
    {
        QFETCH(QRect, saved);
        QFETCH(QRect, expected);
        QCOMPARE(WindowGeometry::corrected(saved, {QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)}),
                 expected);
    }

    // The place and the maximised state outlive the run; the window's own size in QML gives way.
    void windowComesBackAsItWas()
    {
        const QRect saved(130, 90, 1100, 700);
        AppSettings::setValue(WindowGeometry::geometryKey, saved);
        AppSettings::setValue(WindowGeometry::maximizedKey, false);
        const QRect expected =
            WindowGeometry::corrected(saved, {QGuiApplication::primaryScreen()->availableGeometry()});
        QRect placed;
        {
            norvane::test::QmlHarness harness;
            auto *window = qobject_cast<QWindow *>(harness.create(mainWindowQml));
            QVERIFY(window);
            // The offscreen platform may nudge the position by its frame.
            QCOMPARE(window->geometry().size(), expected.size());
            QCOMPARE(window->y(), expected.y());
            window->setGeometry(QRect(expected.topLeft() + QPoint(10, 20), expected.size() + QSize(4, 2)));
            placed = window->geometry();
            QCoreApplication::processEvents(); // the platform reports the move
            window->setWindowStates(Qt::WindowMaximized);
            QCoreApplication::processEvents();
            window->close();
        }
        QCOMPARE(AppSettings::value(WindowGeometry::geometryKey).toRect(), placed);
        norvane::test::QmlHarness harness;
        auto *window = qobject_cast<QWindow *>(harness.create(mainWindowQml));
        QVERIFY(window);
        QTRY_VERIFY(window->windowStates() & Qt::WindowMaximized);
    }

    // Where the compositor places the window (Wayland: it reads as being at 0, 0), the size
    // follows the window and the place a session that knew it saved stays.
    void windowPlaceKeptWhereTheCompositorPlaces()
    {
        AppSettings::setValue(WindowGeometry::geometryKey, QRect(130, 90, 1100, 700));
        AppSettings::setValue(WindowGeometry::maximizedKey, false);
        QWindow window;
        {
            WindowGeometry geometry;
            geometry.setPlaceKnown(false);
            geometry.setWindow(&window);
            window.show();
            window.setGeometry(0, 0, 1200, 750);
            QCoreApplication::processEvents();
        }
        QCOMPARE(AppSettings::value(WindowGeometry::geometryKey).toRect(), QRect(130, 90, 1200, 750));
    }

    // The session's end reaches the event loop (and so the same way out as "Salir"); a second
    // signal meets the default action, for a process stuck on its way out. A signal ignored when
    // the app started (here SIGINT, as for a job a script starts in the background; SIGHUP under
    // nohup) stays ignored. The only test that installs the handlers, so it sees them installed.
    void terminationSignalsReachTheEventLoop()
    {
        ::signal(SIGINT, SIG_IGN);
        QSignalSpy received(TerminationSignals::install(), &TerminationSignals::received);
        ::raise(SIGINT);
        QTest::qWait(50);
        QCOMPARE(received.size(), 0);
        QVERIFY(::signal(SIGINT, SIG_IGN) == SIG_IGN);
        for (const int signalNumber : {SIGTERM, SIGHUP}) {
            ::raise(signalNumber);
            QTRY_COMPARE(received.size(), 1);
            QCOMPARE(received.takeFirst().constFirst().toInt(), signalNumber);
            struct sigaction now = {};
            ::sigaction(signalNumber, nullptr, &now);
            QVERIFY(now.sa_handler == SIG_DFL);
        }
    }

private:
    QTemporaryDir m_settingsDir;
    SampleProvider m_provider;
};

NORVANE_TEST_MAIN(TestDesktopIntegration)
#include "tst_desktopintegration.moc"
