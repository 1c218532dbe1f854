#include "ItemInput.h"
#include "SampleCatalog.h"
#include "ScreenTestBed.h"
#include "TestMain.h"
#include "images/RemoteImage.h"
#include "playback/VLCEngine.h"
#include "search/SearchModel.h"

#include <QPointer>
#include <QQuickItem>
#include <memory>

using namespace norvane::test;

namespace {

const QByteArray searchQml = R"(
import QtQuick
import Norvane
SearchView { width: 1100; height: 700 }
)";

} // namespace

// The search screen's states: loading across kinds, the retry of the current kind, the hint for
// a short query, the results of each kind and what a result opens.
class TestSearchView : public QObject
{
    Q_OBJECT
    ScreenTestBed m_bed;
    SampleProvider *m_provider = &m_bed.provider();

    SearchModel *model() const { return m_bed.root()->property("model").value<SearchModel *>(); }
    QQuickItem *item(const QString &name) const { return m_bed.item(name); }
    bool shows(const QString &name) const { return m_bed.shows(name); }
    void open() { QVERIFY(m_bed.open(searchQml)); }
    // The text the results area shows in place of results; empty while it shows none.
    QString hint() const
    {
        return shows("searchHint") ? item("searchHint")->property("text").toString() : QString();
    }
    // Into the field, which has the keyboard from the start.
    void typeQuery(const QString &text) { typeText(&m_bed.harness().window(), text); }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_bed.start(false)); }

    void cleanup()
    {
        VLCEngine::shared()->stop();
        m_bed.close();
        m_provider->clearScript();
    }

    void oneLetterShowsTheHint()
    {
        open();
        QCOMPARE(focusedName(&m_bed.harness().window()), QStringLiteral("searchField"));
        QTRY_VERIFY_WITH_TIMEOUT(!model()->isLoading(), 5000);
        const QString tooShort = QStringLiteral("Escribe al menos 2 letras para buscar.");
        QCOMPARE(hint(), tooShort);
        typeQuery("z");
        QCOMPARE(model()->query(), QStringLiteral("z"));
        QCOMPARE(hint(), tooShort);
        // One letter written with a combining accent is still one letter.
        model()->setQuery(QStringLiteral(" e\u0301 "));
        QCOMPARE(hint(), tooShort);
        model()->setQuery(QStringLiteral("z"));
        typeQuery("qx");
        QTRY_COMPARE(hint(), QStringLiteral("Sin resultados."));
    }

    // The movie list answers late enough that the chips are clicked while it loads, however slow
    // the machine: its spinner shows under movies only. Leaving the section then drops the model
    // with the fetch in flight, and its late answer must find nothing to touch.
    void loadingShowsTheSpinnerOfItsKind()
    {
        ProviderFault slow{.delayMs = 4000};
        m_provider->setFault("get_vod_streams", slow);
        open();
        QTRY_VERIFY_WITH_TIMEOUT(!model()->isLoading(), 10000);
        clickItem(item("kindChip_1"));
        QTRY_VERIFY(model()->isLoading());
        QVERIFY(shows("searchSpinner"));
        // Channels are here already: no spinner of the movies over them.
        clickItem(item("kindChip_0"));
        QCOMPARE(model()->kind(), SearchModel::Live);
        QVERIFY(!model()->isLoading());
        QVERIFY(!shows("searchSpinner"));
        QVERIFY(shows("searchHint"));
        clickItem(item("kindChip_1"));
        QVERIFY(shows("searchSpinner"));
        QPointer<SearchModel> dropped = model();
        m_bed.close();
        QVERIFY(!dropped);
        // The late answer arrives after the screen is gone.
        QTRY_COMPARE_WITH_TIMEOUT(m_provider->requests("get_vod_streams").size(), 1, 10000);
        QTest::qWait(4500);
    }

    void retryFetchesTheCurrentKind()
    {
        m_provider->setAnswer("get_series", "broken", 500);
        open();
        QTRY_VERIFY_WITH_TIMEOUT(!model()->isLoading(), 5000);
        clickItem(item("kindChip_2"));
        QTRY_VERIFY_WITH_TIMEOUT(shows("searchRetry"), 5000);
        m_provider->clearScript();
        m_provider->clearLog();
        clickItem(findByName<QQuickItem>(item("searchRetry"), "retryButton"));
        QTRY_VERIFY_WITH_TIMEOUT(!model()->isLoading() && model()->loadError().isEmpty(), 5000);
        QCOMPARE(m_provider->requests("get_series").size(), 1);
        QCOMPARE(m_provider->requests("get_vod_streams").size(), 0);
    }

    // Leaving the section while a channel from the results plays stops the shared engine.
    void leavingStopsTheChannel()
    {
        open();
        QTRY_VERIFY_WITH_TIMEOUT(!model()->isLoading(), 5000);
        // The broken channel: a stream that plays would be read from this thread's provider.
        model()->setQuery(m_provider->catalog().channelName(SampleCatalog::brokenChannelId).value());
        QQuickItem *row = nullptr;
        QTRY_VERIFY((row = item("channelResult_0")));
        clickItem(row);
        QTRY_VERIFY(shows("liveFullscreen"));
        QVERIFY(VLCEngine::shared()->status() != VLCEngine::Status::Stopped);
        m_bed.close();
        QCOMPARE(VLCEngine::shared()->status(), VLCEngine::Status::Stopped);
    }

    // Each kind's result opens its screen, and the screen closes back to the results with the
    // query kept; a movie found here plays over its detail screen and closes back to it.
    void resultsOfEachKindOpenTheirScreens()
    {
        open();
        QTRY_VERIFY_WITH_TIMEOUT(!model()->isLoading(), 5000);
        // Channels: rows named by the channel; choosing one opens the live view.
        // The channel whose streams both fail: a stream that plays would be read by libVLC from
        // this very thread's provider, and stopping it could then wait on this thread forever.
        const QString channel = m_provider->catalog().channelName(SampleCatalog::brokenChannelId).value();
        typeQuery(channel);
        QTRY_COMPARE(model()->query(), channel);
        QQuickItem *row = nullptr;
        QTRY_VERIFY((row = item("channelResult_0")));
        QCOMPARE(accessibleName(row), model()->channelResults().first().name());
        QCOMPARE(findByName<RemoteImage>(row, "logoImage")->fillMode(), RemoteImage::PreserveAspectFit);
        clickItem(row);
        QTRY_VERIFY(shows("liveFullscreen"));
        QQuickItem *close = nullptr;
        QTRY_VERIFY((close = findByName<QQuickItem>(item("liveFullscreen"), "closeButton")) &&
                    close->isVisible());
        clickItem(close);
        QTRY_VERIFY(!shows("searchLiveLayer"));
        QVERIFY(shows("channelResults"));
        QCOMPARE(VLCEngine::shared()->status(), VLCEngine::Status::Stopped);

        // Movies: the poster opens the detail screen inside the section, and back keeps the query.
        clickItem(item("kindChip_1"));
        QTRY_VERIFY_WITH_TIMEOUT(!model()->isLoading(), 5000);
        const QString movie = m_provider->catalog().movieName(200001).value();
        model()->setQuery(movie);
        QQuickItem *card = nullptr;
        QTRY_VERIFY((card = item("resultCard_0")));
        QCOMPARE(accessibleName(card), movie);
        clickItem(card);
        QTRY_VERIFY(shows("searchMovieDetail"));
        QVERIFY(!shows("searchScreen"));
        // Its play button plays over the detail screen; closing the player comes back to it.
        QQuickItem *play = m_bed.visibleItem("resumeButton", 10'000);
        QVERIFY(play);
        clickItem(play);
        QObject *player =
            m_bed.root()->property("screen").value<QObject *>()->property("player").value<QObject *>();
        QVERIFY(player);
        QTRY_VERIFY(shows("playerView"));
        QCOMPARE(m_bed.item("titleText")->property("text").toString(), movie);
        QVERIFY(QMetaObject::invokeMethod(player, "close"));
        QTRY_VERIFY(!shows("searchPlayerLayer"));
        QVERIFY(!m_bed.item("playerView"));
        QVERIFY(shows("searchMovieDetail"));
        QCOMPARE(VLCEngine::shared()->status(), VLCEngine::Status::Stopped);
        QQuickItem *back = nullptr;
        QTRY_VERIFY((back = item("detailBackButton")));
        clickItem(back);
        QTRY_VERIFY(shows("searchScreen"));
        QCOMPARE(model()->query(), movie);

        // Series: the same with the series detail screen.
        clickItem(item("kindChip_2"));
        QTRY_VERIFY_WITH_TIMEOUT(!model()->isLoading(), 5000);
        const QString seriesName = m_provider->catalog().seriesName(1).value();
        model()->setQuery(seriesName);
        QTRY_VERIFY((card = item("resultCard_0")));
        clickItem(card);
        QTRY_VERIFY(shows("searchSeriesDetail"));
    }
};

NORVANE_TEST_MAIN(TestSearchView)
#include "tst_searchview.moc"
