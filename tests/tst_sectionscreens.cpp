#include "ScriptedPlayer.h"
#include "TestMain.h"
#include "catalog/CatalogRecords.h"
#include "catalog/CatalogScreen.h"
#include "images/ImageCache.h"
#include "live/ChannelsModel.h"
#include "live/ChannelsScreen.h"
#include "live/LiveStreamAttempt.h"
#include "playback/VideoBuffer.h"
#include "player/ControlsAutoHide.h"
#include "player/PlayerModel.h"
#include "search/SearchScreen.h"
#include "session/ParentalControl.h"
#include "storage/ProgressEntry.h"

#include <QPointer>
#include <QSignalSpy>

using norvane::test::ScriptedEngine;
using Pane = CatalogScreen::Pane;
using SearchPane = SearchScreen::Pane;

namespace {

PlayableItem movie(const QString &id)
{
    return PlayableItem(QStringLiteral("Película ") + id, std::nullopt,
                        QStringLiteral("http://127.0.0.1:1/movie/u/p/") + id + ".mp4",
                        QStringLiteral("movie:") + id, ContentType::Movie, id, std::nullopt, 0);
}

} // namespace

// The section controllers' own rules: which pane shows for which state, and the one player
// factory with its stop when the screen goes.
class TestSectionScreens : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Every delay, limit and threshold the product states, so that a change to one is a decision
    // and never an accident. Where a test shortens a tunable, the default is what counts here.
    void statedLimits_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("stated");
        QTest::newRow("fall-back watch ms") << double(LiveStreamAttempt::defaultWatchMs) << 6000.0;
        QTest::newRow("guide entries") << double(ChannelsModel::guideLimit) << 12.0;
        QTest::newRow("search results") << double(SearchModel::resultLimit) << 80.0;
        QTest::newRow("search query letters") << double(SearchModel::minimumQueryLength) << 2.0;
        QTest::newRow("recent titles") << double(CatalogRecords::recentCount) << 60.0;
        QTest::newRow("watched share") << ProgressEntry::watchedShare << 0.95;
        QTest::newRow("up-next countdown s") << double(PlayerModel::countdownSeconds) << 10.0;
        QTest::newRow("position save ms") << double(PlayerModel::defaultSaveIntervalMs) << 5000.0;
        QTest::newRow("real end within ms") << double(PlayerModel::finishedWithinMs) << 60000.0;
        QTest::newRow("controls hide ms") << double(ControlsAutoHide::defaultHideDelayMs) << 4000.0;
        QTest::newRow("catalog refresh age s") << CatalogSectionModel::defaultRefreshAgeSeconds << 10800.0;
        QTest::newRow("download fraction cap") << CatalogSectionModel::maxDownloadFraction << 0.99;
        QTest::newRow("closed player linger ms") << double(SectionScreen::closedPlayerLingerMs) << 1000.0;
        QTest::newRow("image memory MiB") << double(ImageCache::maxMemoryCost) / (1024 * 1024) << 128.0;
        QTest::newRow("picture side") << double(VideoBuffer::maxSide) << 8192.0;
    }

    void statedLimits()
    {
        QFETCH(double, value);
        QFETCH(double, stated);
        QCOMPARE(value, stated);
    }

    void fallbackPinIsStated() { QCOMPARE(QString(ParentalControl::fallbackPin), QStringLiteral("8057")); }

    void catalogPane_data()
    {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<bool>("loading");
        QTest::addColumn<bool>("downloading");
        QTest::addColumn<bool>("failed");
        QTest::addColumn<int>("size");
        QTest::addColumn<Pane>("pane");
        QTest::newRow("nothing chosen") << QString() << false << false << false << 0 << Pane::EmptyList;
        QTest::newRow("continue while loading")
            << "__continue__" << true << false << false << 0 << Pane::Continue;
        QTest::newRow("whole catalog on its way")
            << "__recent__" << true << true << false << 0 << Pane::CatalogLoading;
        QTest::newRow("disk copy being read") << "__recent__" << true << false << false << 0 << Pane::Spinner;
        QTest::newRow("one category on its way") << "10" << true << false << false << 0 << Pane::Spinner;
        QTest::newRow("failed") << "10" << false << false << true << 0 << Pane::Error;
        QTest::newRow("posters") << "10" << false << false << false << 5 << Pane::Grid;
        QTest::newRow("empty category") << "10" << false << false << false << 0 << Pane::EmptyList;
        QTest::newRow("no favourites")
            << "__favorites__" << false << false << false << 0 << Pane::FavoritesHint;
        QTest::newRow("favourites") << "__favorites__" << false << false << false << 2 << Pane::Grid;
    }

    void catalogPane()
    {
        QFETCH(QString, selected);
        QFETCH(bool, loading);
        QFETCH(bool, downloading);
        QFETCH(bool, failed);
        QFETCH(int, size);
        QFETCH(Pane, pane);
        QCOMPARE(CatalogScreen::paneFor(selected, loading, downloading, failed, size), pane);
    }

    void searchPane_data()
    {
        QTest::addColumn<bool>("loading");
        QTest::addColumn<bool>("failed");
        QTest::addColumn<bool>("tooShort");
        QTest::addColumn<int>("count");
        QTest::addColumn<SearchPane>("pane");
        QTest::addColumn<QString>("hint");
        QTest::newRow("loading first") << true << true << true << 0 << SearchPane::Loading << QString();
        QTest::newRow("error before the hint")
            << false << true << true << 0 << SearchPane::Error << QString();
        QTest::newRow("query too short")
            << false << false << true << 0 << SearchPane::Hint << "Escribe al menos 2 letras para buscar.";
        QTest::newRow("no match") << false << false << false << 0 << SearchPane::Empty << "Sin resultados.";
        QTest::newRow("matches") << false << false << false << 3 << SearchPane::Results << QString();
    }

    void searchPane()
    {
        QFETCH(bool, loading);
        QFETCH(bool, failed);
        QFETCH(bool, tooShort);
        QFETCH(int, count);
        QFETCH(SearchPane, pane);
        QFETCH(QString, hint);
        QCOMPARE(SearchScreen::paneFor(loading, failed, tooShort, count), pane);
        QCOMPARE(SearchScreen::hintFor(pane), hint);
    }

    void livePane_data()
    {
        QTest::addColumn<bool>("loading");
        QTest::addColumn<bool>("failed");
        QTest::addColumn<int>("count");
        QTest::addColumn<ChannelsScreen::ListPane>("pane");
        QTest::newRow("loading first") << true << true << 3 << ChannelsScreen::ListPane::Loading;
        QTest::newRow("failed") << false << true << 0 << ChannelsScreen::ListPane::Error;
        QTest::newRow("no channels") << false << false << 0 << ChannelsScreen::ListPane::Empty;
        QTest::newRow("channels") << false << false << 3 << ChannelsScreen::ListPane::Channels;
    }

    void livePane()
    {
        QFETCH(bool, loading);
        QFETCH(bool, failed);
        QFETCH(int, count);
        QFETCH(ChannelsScreen::ListPane, pane);
        QCOMPARE(ChannelsScreen::listPaneFor(loading, failed, count), pane);
    }

    // The player is made here for every section; a closed one stays for its screen's fade-out,
    // and leaving the screen stops the engine at once.
    void playerFactory()
    {
        ScriptedEngine scripted;
        auto screen = std::make_unique<CatalogScreen>();
        screen->setEngine(scripted.engine.get());
        QSignalSpy changed(screen.get(), &SectionScreen::playerChanged);

        screen->play({});
        QVERIFY(!screen->player());
        QCOMPARE(changed.count(), 0);

        screen->play({movie("1"), movie("2")}, 1);
        QPointer<PlayerModel> first = screen->player();
        QVERIFY(first);
        QCOMPARE(first->queue().size(), 2);
        QCOMPARE(first->index(), 1);

        first->close();
        QVERIFY(!screen->player());
        QVERIFY(first); // its screen still fades out
        QTRY_VERIFY_WITH_TIMEOUT(!first, SectionScreen::closedPlayerLingerMs * 3);

        screen->playItem(movie("3"));
        QPointer<PlayerModel> second = screen->player();
        QVERIFY(second);
        second->playCurrent(0);
        scripted.player->calls.clear();
        screen.reset();
        QVERIFY(!second);
        QVERIFY(scripted.player->calls.contains(QStringLiteral("stop")));
    }
};

NORVANE_TEST_MAIN(TestSectionScreens)
#include "tst_sectionscreens.moc"
