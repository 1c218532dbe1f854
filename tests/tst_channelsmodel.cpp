#include "SampleMedia.h"
#include "SampleProvider.h"
#include "ScriptedPlayer.h"
#include "TestMain.h"
#include "TestProvider.h"
#include "client/NorvaneError.h"
#include "live/ChannelsModel.h"
#include "live/GuideListModel.h"
#include "live/LiveStreamAttempt.h"
#include "playback/VLCEngine.h"
#include "storage/FavoritesStore.h"

#include <QAbstractItemModelTester>
#include <QDateTime>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

using Status = VLCEngine::Status;
using State = MediaPlayerBackend::State;

namespace {

constexpr int watchMs = 200;
const QString bothBroken = QString::number(SampleCatalog::brokenChannelId);
const QString playlistBroken = QString::number(SampleCatalog::brokenPlaylistChannelId);
const QString playlistIsAPage = QString::number(SampleCatalog::htmlPlaylistChannelId);

ChannelRow row(const QString &id, const QString &name = QStringLiteral("Canal"))
{
    return ChannelRow(id, id, name, std::nullopt);
}

// A scripted player that answers each new media the way a network would: the outcome per
// address decides whether it plays, fails, or plays and ends. Records when each address was started.
struct ScriptedStreams : norvane::test::ScriptedEngine
{
    ScriptedStreams()
    {
        clock.start();
        QObject::connect(&poll, &QTimer::timeout, [this] { answerNewMedia(); });
        poll.start(2);
    }

    void answerNewMedia()
    {
        const qsizetype given = player->calls.count(QStringLiteral("setMedia"));
        if (given == answered)
            return;
        answered = given;
        const QString address = player->url.toString();
        started.append({clock.elapsed(), address});
        if (fails(address)) {
            player->report(State::Error, false);
        } else {
            player->report(State::Playing, true);
            if (ends(address))
                player->report(State::Ended, false);
        }
    }

    QStringList addresses() const
    {
        QStringList list;
        for (const auto &entry : started)
            list.append(entry.second);
        return list;
    }

    std::function<bool(const QString &address)> fails = [](const QString &) { return false; };
    std::function<bool(const QString &address)> ends = [](const QString &) { return false; };
    QTimer poll;
    QElapsedTimer clock;
    qsizetype answered = 0;
    QList<QPair<qint64, QString>> started;
};

// A guide of one listing titled after the channel, so each channel's answer is recognisable.
QByteArray guideFor(const QString &streamId)
{
    const QByteArray title = (QStringLiteral("Guía ") + streamId).toUtf8().toBase64();
    return R"({"epg_listings":[{"title":")" + title + R"(","start_timestamp":"1","stop_timestamp":"2"}]})";
}

} // namespace

class TestChannelsModel : public QObject
{
    Q_OBJECT

private:
    SampleProvider m_provider;
    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<FavoritesStore> m_favorites;
    std::unique_ptr<ScriptedStreams> m_streams;
    std::unique_ptr<ChannelsModel> m_model;

    XtreamClient client() const { return norvane::test::clientOf(m_provider); }
    QString live(const QString &id, const QString &extension) const
    {
        return m_provider.baseUrl() + QStringLiteral("/live/demo/demo1234/") + id + QLatin1Char('.') +
               extension;
    }
    // Answers every guide request with guideFor(stream id), and everything else from the catalog.
    void answerGuidesPerChannel()
    {
        m_provider.setApiHandler([this](const QString &action, const QUrlQuery &query) {
            if (action == QLatin1String("get_short_epg"))
                return guideFor(query.queryItemValue(QStringLiteral("stream_id")));
            return m_provider.catalog().answer(action, query, m_provider.baseUrl());
        });
    }
    QStringList guideRequests() const
    {
        QStringList ids;
        for (const ProviderRequest &request : m_provider.requests(QStringLiteral("get_short_epg")))
            ids.append(request.query.value(QStringLiteral("stream_id")));
        return ids;
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(norvane::test::startPlaybackProvider(m_provider)); }

    void init()
    {
        m_provider.clearScript();
        m_provider.setApiHandler({});
        m_provider.clearLog();
        m_home = std::make_unique<QTemporaryDir>();
        m_favorites =
            std::make_unique<FavoritesStore>(m_home->filePath(QStringLiteral("Norvane/favorites.json")));
        m_streams = std::make_unique<ScriptedStreams>();
        m_model = std::make_unique<ChannelsModel>(m_streams->engine.get(), m_favorites.get());
        m_model->setClient(client());
        m_model->setFallbackWatchMs(watchMs);
    }

    void cleanup()
    {
        m_model.reset();
        m_streams.reset();
        m_favorites.reset();
    }

    void channelsAreNumberedByProviderOrPosition()
    {
        m_provider.setAnswer(QStringLiteral("get_live_streams"),
                             R"([{"name":"A","stream_id":11,"num":7,"stream_icon":"icon/a.png"},
                                 {"name":"B","stream_id":"12"},
                                 {"name":"C","stream_id":13,"num":null},
                                 {"name":"D","stream_id":14,"num":"40"},
                                 {"name":"E","stream_id":15,"num":""}])");
        QAbstractItemModelTester tester(m_model->rows(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        m_model->selectCategory(QStringLiteral("3"));
        QCOMPARE(m_model->selectedCategoryIdText(), QStringLiteral("3"));
        QVERIFY(m_model->isLoadingList());
        QTRY_VERIFY(!m_model->isLoadingList());
        const QList<ChannelRow> expected{
            ChannelRow("11", QStringLiteral("7"), "A", QStringLiteral("icon/a.png")),
            ChannelRow("12", QStringLiteral("2"), "B", std::nullopt),
            ChannelRow("13", QStringLiteral("3"), "C", std::nullopt),
            ChannelRow("14", QStringLiteral("40"), "D", std::nullopt),
            ChannelRow("15", QStringLiteral("5"), "E", std::nullopt),
        };
        QCOMPARE(m_model->channels(), expected);
        QCOMPARE(m_provider.requests(QStringLiteral("get_live_streams")).first().query.value("category_id"),
                 QStringLiteral("3"));
        // The list view sees the same rows.
        QCOMPARE(m_model->rows()->index(3, 0).data(ChannelListModel::ChannelRole).value<ChannelRow>(),
                 expected.at(3));
    }

    void favoritesCategory_data()
    {
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("none") << QStringList() << QStringList();
        QTest::newRow("sorted by name, case aside")
            << QStringList{"zeta", "Beta", "alfa"} << QStringList{"alfa", "Beta", "zeta"};
    }
    void favoritesCategory()
    {
        QFETCH(QStringList, added);
        QFETCH(QStringList, listed);
        for (qsizetype i = 0; i < added.size(); ++i)
            m_favorites->add(Favorite(ContentType::Live, QString::number(500 + i), added.at(i),
                                      QStringLiteral("http://i/%1").arg(i)));
        m_favorites->add(Favorite(ContentType::Series, "9", "Aaa serie", std::nullopt));
        m_model->selectCategory(QStringLiteral("__favorites__"));
        QVERIFY(!m_model->isLoadingList());
        QVERIFY(m_model->listError().isNull());
        QStringList names;
        for (const ChannelRow &channel : m_model->channels()) {
            names.append(channel.name());
            QVERIFY(!channel.num());
            QCOMPARE(channel.iconURL(), QStringLiteral("http://i/%1").arg(added.indexOf(channel.name())));
        }
        QCOMPARE(names, listed);
        QVERIFY(m_provider.requests(QStringLiteral("get_live_streams")).isEmpty());
    }

    void toggleFavoriteTwiceRestoresTheStore()
    {
        m_favorites->add(Favorite(ContentType::Live, "1", "Uno", std::nullopt));
        m_favorites->add(Favorite(ContentType::Live, "2", "Dos", std::nullopt));
        const QList<Favorite> before = m_favorites->items();
        const ChannelRow one("1", QStringLiteral("1"), "Uno", std::nullopt);
        m_model->toggleFavorite(one);
        QVERIFY(!m_model->isFavorite(one));
        m_model->toggleFavorite(one);
        QVERIFY(m_model->isFavorite(one));
        // Same content; the re-added channel now comes last.
        QCOMPARE(m_favorites->items().size(), 2);
        QCOMPARE(m_favorites->items().last(), before.first());
        QCOMPARE(m_favorites->items().first(), before.last());

        const ChannelRow fresh("7", QStringLiteral("7"), "Siete", QStringLiteral("http://i/7.png"));
        m_model->toggleFavorite(fresh);
        QCOMPARE(m_favorites->items().last(),
                 Favorite(ContentType::Live, "7", "Siete", QStringLiteral("http://i/7.png")));
        m_model->toggleFavorite(fresh);
        QCOMPARE(m_favorites->items().size(), 2);
    }

    // The fall-back timeline: m3u8 first; after the watch, ts when m3u8 failed; the error text
    // when ts failed too; the guide only once the watch is over.
    void fallback_data()
    {
        QTest::addColumn<QString>("channel");
        QTest::addColumn<QStringList>("extensions");
        QTest::addColumn<bool>("error");
        QTest::newRow("m3u8 fine") << QStringLiteral("1001") << QStringList{"m3u8"} << false;
        QTest::newRow("m3u8 broken, ts fine") << playlistBroken << QStringList{"m3u8", "ts"} << false;
        QTest::newRow("m3u8 a web page, ts fine") << playlistIsAPage << QStringList{"m3u8", "ts"} << false;
        QTest::newRow("both broken") << bothBroken << QStringList{"m3u8", "ts"} << true;
    }
    void fallback()
    {
        QFETCH(QString, channel);
        QFETCH(QStringList, extensions);
        QFETCH(bool, error);
        answerGuidesPerChannel();
        // The provider's own verdict on each address decides the scripted outcome.
        const SampleCatalog &catalog = m_provider.catalog();
        m_streams->fails = [&catalog](const QString &address) {
            const QString file = QUrl(address).fileName();
            return !catalog.liveMedia(file.section('.', 0, 0).toLongLong(), file.section('.', 1));
        };
        QSignalSpy guideLoaded(m_model.get(), &ChannelsModel::epgLoadedChanged);
        QElapsedTimer clock;
        clock.start();
        m_model->select(row(channel));
        QCOMPARE(m_model->selectedChannel(), row(channel));
        QVERIFY(!m_model->epgLoaded());

        QTRY_VERIFY_WITH_TIMEOUT(m_model->epgLoaded(), 5000);
        const qint64 guideAfter = clock.elapsed();
        QStringList expected;
        for (const QString &extension : extensions)
            expected.append(live(channel, extension));
        QCOMPARE(m_streams->addresses(), expected);
        QCOMPARE(m_model->playbackError(), error ? NorvaneError::contentDidNotPlay() : QString());
        QCOMPARE(guideRequests(), QStringList{channel});
        QCOMPARE(m_provider.requests(QStringLiteral("get_short_epg")).first().query.value("limit"),
                 QStringLiteral("12"));
        QCOMPARE(m_model->epg().size(), 1);
        QCOMPARE(m_model->epg().first().title(), QStringLiteral("Guía ") + channel);
        // One watch, or two when it fell back (sleeps may end up to 5 % early).
        QVERIFY2(guideAfter >= extensions.size() * watchMs * 95 / 100,
                 qPrintable(QString::number(guideAfter)));
        if (extensions.size() == 2)
            QVERIFY(m_streams->started.at(1).first >= watchMs * 95 / 100);
    }

    // A live channel has no natural end: a stream that ends (a web page for a playlist, a broken
    // playlist, a dropped connection) is judged like one that fails.
    void endedStreamCountsAsFailed_data()
    {
        QTest::addColumn<bool>("tsEnds");
        QTest::newRow("m3u8 ends, ts plays") << false;
        QTest::newRow("both end") << true;
    }
    void endedStreamCountsAsFailed()
    {
        QFETCH(bool, tsEnds);
        m_streams->ends = [tsEnds](const QString &address) {
            return tsEnds || address.endsWith(QLatin1String(".m3u8"));
        };
        m_model->select(row("4001"));
        QTRY_VERIFY_WITH_TIMEOUT(m_model->epgLoaded(), 5000);
        QCOMPARE(m_streams->addresses(), (QStringList{live("4001", "m3u8"), live("4001", "ts")}));
        QCOMPARE(m_model->playbackError(), tsEnds ? NorvaneError::contentDidNotPlay() : QString());
    }

    // A then B within A's watch: A's watch ends without falling back (even though the engine
    // reports an error, it is B's), B gets its own watch, and A's late guide is dropped.
    void secondSelectionWithinTheWatch()
    {
        answerGuidesPerChannel();
        m_streams->fails = [](const QString &address) { return address.endsWith(QLatin1String(".m3u8")); };
        m_model->select(row("2001"));
        QTest::qWait(watchMs / 3);
        m_model->select(row("2002"));
        QTRY_COMPARE_WITH_TIMEOUT(guideRequests().size(), 2, 5000);
        QTRY_VERIFY(m_model->epgLoaded());
        QCOMPARE(m_streams->addresses(),
                 (QStringList{live("2001", "m3u8"), live("2002", "m3u8"), live("2002", "ts")}));
        QCOMPARE(guideRequests(), (QStringList{"2001", "2002"}));
        QCOMPARE(m_model->selectedChannel(), row("2002"));
        QCOMPARE(m_model->epg().size(), 1);
        QCOMPARE(m_model->epg().first().title(), QStringLiteral("Guía 2002"));
        QVERIFY(m_model->playbackError().isNull());
    }

    void guideOfALeftChannelIsDropped()
    {
        answerGuidesPerChannel();
        m_provider.setFault(QStringLiteral("get_short_epg"), ProviderFault{.delayMs = 3 * watchMs});
        m_model->select(row("3001"));
        QTRY_COMPARE_WITH_TIMEOUT(guideRequests().size(), 1, 5000);
        // The guide of 3001 is on its way; the user moves to another category meanwhile.
        m_model->selectCategory(QStringLiteral("__favorites__"));
        QVERIFY(!m_model->selectedChannel());
        QTRY_VERIFY_WITH_TIMEOUT(m_model->epgLoaded(), 5000);
        QVERIFY(m_model->epg().isEmpty());
    }

    void retryReplaysWithoutTheGuide()
    {
        answerGuidesPerChannel();
        m_streams->fails = [](const QString &) { return true; };
        m_model->select(row(bothBroken));
        QTRY_VERIFY_WITH_TIMEOUT(m_model->epgLoaded(), 5000);
        QCOMPARE(m_model->playbackError(), NorvaneError::contentDidNotPlay());
        m_streams->fails = [](const QString &) { return false; };
        m_model->play(*m_model->selectedChannel());
        QVERIFY(m_model->playbackError().isNull());
        QTest::qWait(2 * watchMs + 50);
        QCOMPARE(m_streams->addresses().size(), 3);
        QCOMPARE(m_streams->addresses().last(), live(bothBroken, "m3u8"));
        QVERIFY(m_model->playbackError().isNull());
        QCOMPARE(guideRequests().size(), 1);
    }

    // A stream that played and drops after its watch is started again at the address it was
    // playing (m3u8, or the ts it fell back to) after waits of 1, 2 and 4 steps; a retry that
    // plays ends the reconnecting silently, and three that fail leave the channel's error.
    void droppedStreamReconnects_data()
    {
        QTest::addColumn<QString>("channel");
        QTest::addColumn<int>("failingRetries");
        QTest::addColumn<QString>("extension");
        QTest::newRow("first retry plays") << QStringLiteral("5001") << 0 << "m3u8";
        QTest::newRow("third retry plays") << QStringLiteral("5001") << 2 << "m3u8";
        QTest::newRow("the ts stays the address") << playlistBroken << 1 << "ts";
        QTest::newRow("every retry fails") << QStringLiteral("5001") << 3 << "m3u8";
    }
    void droppedStreamReconnects()
    {
        QFETCH(QString, channel);
        QFETCH(int, failingRetries);
        QFETCH(QString, extension);
        constexpr int stepMs = 30;
        m_model->stream()->setReconnectWaitMs(stepMs);
        bool dropped = false;
        int retries = 0;
        m_streams->fails = [&](const QString &address) {
            if (!dropped)
                return extension == QLatin1String("ts") && address.endsWith(QLatin1String(".m3u8"));
            return ++retries <= failingRetries;
        };
        QSignalSpy reconnecting(m_model.get(), &ChannelsModel::reconnectingChanged);
        m_model->select(row(channel));
        QTRY_VERIFY_WITH_TIMEOUT(m_model->epgLoaded(), 5000);
        QVERIFY(!m_model->reconnecting());

        dropped = true;
        const qsizetype before = m_streams->started.size();
        const qint64 droppedAt = m_streams->clock.elapsed();
        m_streams->player->report(State::Ended, false);
        QTRY_VERIFY(m_model->reconnecting());
        QVERIFY(m_model->playbackError().isNull());
        QTRY_VERIFY_WITH_TIMEOUT(!m_model->reconnecting(), 5000);
        QCOMPARE(reconnecting.count(), 2);

        const auto retried = m_streams->started.mid(before);
        QCOMPARE(retried.size(), std::min(failingRetries + 1, LiveStreamAttempt::reconnectTries));
        qint64 previous = droppedAt;
        int waitMs = stepMs;
        for (const auto &[at, address] : retried) {
            QCOMPARE(address, live(channel, extension));
            QVERIFY2(at - previous >= waitMs * 95 / 100, qPrintable(QString::number(at - previous)));
            previous = at;
            waitMs *= 2;
        }
        QCOMPARE(m_model->playbackError(), failingRetries >= LiveStreamAttempt::reconnectTries
                                               ? NorvaneError::contentDidNotPlay()
                                               : QString());
    }

    // libVLC may keep a dead live playlist "playing": a time that stands still while the stream
    // plays is a drop as well, and the same address is started again; a paused one is left alone.
    void standingTimeIsADrop()
    {
        m_model->stream()->setReconnectWaitMs(30);
        m_model->select(row(QStringLiteral("5001")));
        QTRY_VERIFY_WITH_TIMEOUT(m_model->epgLoaded(), 5000);
        m_streams->player->report(State::Paused, false, 1000);
        m_model->stream()->setStallMs(100);
        QTest::qWait(400);
        QVERIFY(!m_model->reconnecting());
        const qsizetype before = m_streams->started.size();
        m_streams->player->report(State::Playing, true, 1000);
        QTRY_VERIFY_WITH_TIMEOUT(m_streams->started.size() > before, 5000);
        QCOMPARE(m_streams->started.at(before).second, live(QStringLiteral("5001"), QStringLiteral("m3u8")));
    }

    // Zapping to another channel, or "Reintentar", while a dropped stream waits for its retry:
    // the old retries never start, and nothing is said about the old channel.
    void zapOrRetryEndsTheReconnect_data()
    {
        QTest::addColumn<bool>("zap");
        QTest::newRow("zap") << true;
        QTest::newRow("Reintentar") << false;
    }
    void zapOrRetryEndsTheReconnect()
    {
        QFETCH(bool, zap);
        m_model->stream()->setReconnectWaitMs(50);
        m_model->select(row("6001"));
        QTRY_VERIFY_WITH_TIMEOUT(m_model->epgLoaded(), 5000);
        m_streams->player->report(State::Ended, false);
        QTRY_VERIFY(m_model->reconnecting());
        if (zap)
            m_model->select(row("6002"));
        else
            m_model->play(row("6001"));
        QVERIFY(!m_model->reconnecting());
        QTRY_COMPARE(m_streams->started.size(), 2);
        // Past the first retry's wait: the old reconnect started nothing.
        QTest::qWait(150);
        QCOMPARE(m_streams->addresses().last(), live(zap ? "6002" : "6001", "m3u8"));
        QCOMPARE(m_streams->started.size(), 2);
        QVERIFY(m_model->playbackError().isNull());
    }

    void nowPlayingIsAskedOncePerChannel()
    {
        answerGuidesPerChannel();
        m_provider.setAnswer(QStringLiteral("get_live_streams"),
                             R"([{"name":"A","stream_id":41},{"name":"B","stream_id":42}])");
        m_model->selectCategory(QStringLiteral("1"));
        QTRY_COMPARE(m_model->channels().size(), 2);
        QSignalSpy rowChanged(m_model->rows(), &QAbstractItemModel::dataChanged);
        for (int i = 0; i < 3; ++i)
            m_model->loadNowPlaying(QStringLiteral("41"));
        QCOMPARE(m_model->nowCache().value(QStringLiteral("41"), QStringLiteral("none")), QString());
        QTRY_COMPARE(m_model->nowTitle(QStringLiteral("41")), QStringLiteral("Guía 41"));
        m_model->loadNowPlaying(QStringLiteral("41"));
        QTest::qWait(50);
        QCOMPARE(guideRequests(), QStringList{"41"});
        QCOMPARE(m_provider.requests(QStringLiteral("get_short_epg")).first().query.value("limit"),
                 QStringLiteral("1"));
        QCOMPARE(
            m_model->rows()->data(m_model->rows()->index(0, 0), ChannelListModel::NowTitleRole).toString(),
            QStringLiteral("Guía 41"));
        QVERIFY(!rowChanged.isEmpty());
        QCOMPARE(rowChanged.last().at(0).value<QModelIndex>().row(), 0);

        // A failed or empty answer leaves the empty entry and is not asked again.
        m_provider.setApiHandler({});
        m_provider.setFault(QStringLiteral("get_short_epg"), ProviderFault{.status = 404});
        m_model->loadNowPlaying(QStringLiteral("42"));
        QTRY_COMPARE(m_provider.requests(QStringLiteral("get_short_epg")).size(), 2);
        QTest::qWait(50);
        m_model->loadNowPlaying(QStringLiteral("42"));
        QTest::qWait(50);
        QCOMPARE(m_provider.requests(QStringLiteral("get_short_epg")).size(), 2);
        QVERIFY(m_model->nowCache().contains(QStringLiteral("42")));
        QCOMPARE(m_model->nowTitle(QStringLiteral("42")), QString());
    }

    // The guide's on-air mark moves by itself when a listing ends and the next begins, while the
    // guide stays on screen.
    void onAirMarkMovesWithTheClock()
    {
        const qint64 change = QDateTime::currentSecsSinceEpoch() + 3600;
        QElapsedTimer elapsed;
        elapsed.start();
        GuideListModel guide;
        guide.setClock([&] { return change * 1000 - 150 + elapsed.elapsed(); });
        const auto listing = [](const QString &title, qint64 start, qint64 stop) {
            EPGListing::Fields fields;
            fields.title = title;
            fields.startTimestamp = start;
            fields.stopTimestamp = stop;
            return EPGListing(fields);
        };
        guide.setListings({listing("Antes", change - 60, change), listing("", change, change + 60)});
        const auto onAir = [&guide](int row) {
            return guide.index(row).data(GuideListModel::OnAirRole).toBool();
        };
        QVERIFY(onAir(0) && !onAir(1));
        QCOMPARE(guide.index(1).data(GuideListModel::TitleRole).toString(), QStringLiteral("(sin título)"));
        QSignalSpy changed(&guide, &QAbstractItemModel::dataChanged);
        QTRY_VERIFY(!onAir(0) && onAir(1));
        QCOMPARE(changed.size(), 2);
    }

    void playAdjacent_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("to");
        QTest::newRow("+1 on the last") << 2 << 1 << 2;
        QTest::newRow("-1 on the first") << 0 << -1 << 0;
        QTest::newRow("+1 in the middle") << 1 << 1 << 2;
        QTest::newRow("-1 in the middle") << 1 << -1 << 0;
        QTest::newRow("+2 past the end") << 1 << 2 << 1;
    }
    void playAdjacent()
    {
        QFETCH(int, from);
        QFETCH(int, offset);
        QFETCH(int, to);
        m_provider.setAnswer(
            QStringLiteral("get_live_streams"),
            R"([{"name":"A","stream_id":51},{"name":"B","stream_id":52},{"name":"C","stream_id":53}])");
        m_model->selectCategory(QStringLiteral("1"));
        QTRY_COMPARE(m_model->channels().size(), 3);
        m_model->playAdjacent(1); // nothing selected: nothing happens
        QVERIFY(!m_model->selectedChannel());
        const QList<ChannelRow> rows = m_model->channels();
        m_model->select(rows.at(from));
        QTRY_COMPARE(m_streams->started.size(), 1);
        m_model->playAdjacent(offset);
        QCOMPARE(m_model->selectedChannel(), rows.at(to));
        QTest::qWait(20);
        QCOMPARE(m_streams->started.size(), from == to ? 1 : 2);
    }
};

NORVANE_TEST_MAIN(TestChannelsModel)
#include "tst_channelsmodel.moc"
