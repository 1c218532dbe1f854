#include "ItemInput.h"
#include "PinPromptCheck.h"
#include "ScreenTestBed.h"
#include "TestMain.h"
#include "catalog/MovieDetailModel.h"
#include "catalog/MoviesModel.h"
#include "catalog/SeriesCatalog.h"
#include "playback/VLCEngine.h"
#include "player/OnDemandPlayback.h"
#include "player/PlayerModel.h"
#include "sections/SectionScreen.h"
#include "storage/ProgressStore.h"

#include <QQuickItem>
#include <memory>

using namespace norvane::test;

namespace {

VodInfo info(const QString &releasedate, const QString &duration, const QString &genre, const QString &rating)
{
    VodInfo::Fields fields;
    fields.releasedate = releasedate;
    fields.duration = duration;
    fields.genre = genre;
    fields.rating = rating;
    return VodInfo(fields);
}

VodStream movie(const QString &extension = QString(),
                const QString &icon = QStringLiteral("http://img/icon.jpg"))
{
    return VodStream(QStringLiteral("La película"), QStringLiteral("200002"), icon, QStringLiteral("40"),
                     extension, QString());
}

ProgressEntry entry(qint64 positionMs, qint64 durationMs,
                    const QString &url = QStringLiteral("http://old/movie/u/p/200002.mkv"))
{
    return ProgressEntry(QStringLiteral("movie:200002"), ContentType::Movie, QStringLiteral("200002"),
                         QStringLiteral("La película"), std::nullopt, positionMs, durationMs, 1000.0, url);
}

using OptionalEntry = std::optional<ProgressEntry>;

// Until the section's categories (and with them the first "Recién agregadas" list) are loaded.
bool waitForCategories(QObject *root)
{
    auto *model = root->property("model").value<MoviesModel *>();
    return model && QTest::qWaitFor(
                        [model] {
                            return !model->isLoadingCategories() && !model->isLoadingList() &&
                                   !model->categories().isEmpty();
                        },
                        30'000);
}

const QByteArray moviesViewQml = R"(
import QtQuick
import Norvane
CatalogView {
    id: view
    width: 1100; height: 700
    model: MoviesModel { client: view.client }
}
)";

} // namespace

Q_DECLARE_METATYPE(OptionalEntry)

// The movie screens: the detail rules (metadata, extension, resume) and the section end to end.
class TestMovieScreens : public QObject
{
    Q_OBJECT
    ScreenTestBed m_bed;

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_bed.start(true)); }

    void cleanup()
    {
        m_bed.close();
        m_bed.provider().clearScript();
        for (const QString &key : ProgressStore::shared()->entries().keys())
            ProgressStore::shared()->removeEntry(key);
    }

    void metadataLine_data()
    {
        QTest::addColumn<VodInfo>("details");
        QTest::addColumn<QString>("line");
        QTest::newRow("everything") << info("2019-04-12", "01:52:00", "Drama", "7.5")
                                    << "2019 · 01:52:00 · Drama · ⭐ 7.5";
        QTest::newRow("rating 0 adds nothing") << info("2019", "", "Drama", "0") << "2019 · Drama";
        QTest::newRow("empty rating adds nothing") << info("", "90 min", "", "") << "90 min";
        QTest::newRow("two-character date adds nothing") << info("19", "", "", "8") << "⭐ 8";
        QTest::newRow("nothing") << info(QString(), QString(), QString(), QString()) << "";
    }
    void metadataLine()
    {
        QFETCH(VodInfo, details);
        QFETCH(QString, line);
        QCOMPARE(MovieDetailModel::metadataLine(details), line);
    }

    void containerExtension_data()
    {
        QTest::addColumn<QString>("detailsExtension");
        QTest::addColumn<QString>("ownExtension");
        QTest::addColumn<QString>("extension");
        QTest::newRow("details win") << "mkv"
                                     << "avi"
                                     << "mkv";
        QTest::newRow("empty details fall back to the movie's") << ""
                                                                << "avi"
                                                                << "avi";
        QTest::newRow("neither gives mp4") << QString() << QString() << "mp4";
    }
    void containerExtension()
    {
        QFETCH(QString, detailsExtension);
        QFETCH(QString, ownExtension);
        QFETCH(QString, extension);
        const VodInfoResponse response(
            std::nullopt, MovieData({.streamId = "200002", .containerExtension = detailsExtension}));
        QCOMPARE(MovieDetailModel::containerExtension(response, movie(ownExtension)), extension);
    }

    void resumeLabel_data()
    {
        QTest::addColumn<OptionalEntry>("stored");
        QTest::addColumn<QString>("label");
        QTest::newRow("no entry") << OptionalEntry() << "Reproducir";
        QTest::newRow("minutes only") << OptionalEntry(entry(125'000, 600'000)) << "Continuar · 2 min";
        QTest::newRow("hours") << OptionalEntry(entry(3'725'000, 7'200'000)) << "Continuar · 1 h 2 min";
        QTest::newRow("watched") << OptionalEntry(entry(570'000, 600'000)) << "Reproducir";
    }
    void resumeLabel()
    {
        QFETCH(OptionalEntry, stored);
        QFETCH(QString, label);
        QCOMPARE(MovieDetailModel::resumeLabel(stored), label);
    }

    void playableItemRules_data()
    {
        QTest::addColumn<OptionalEntry>("stored");
        QTest::addColumn<bool>("fromStart");
        QTest::addColumn<QString>("url");
        QTest::addColumn<qint64>("startMs");
        const QString fresh = QStringLiteral("http://h/movie/u/p/200002.mp4");
        const QString kept = QStringLiteral("http://old/movie/u/p/200002.mkv");
        QTest::newRow("no entry") << OptionalEntry() << false << fresh << qint64(0);
        QTest::newRow("unfinished resumes with the stored address")
            << OptionalEntry(entry(125'000, 600'000)) << false << kept << qint64(125'000);
        QTest::newRow("unfinished from the start")
            << OptionalEntry(entry(125'000, 600'000)) << true << fresh << qint64(0);
        QTest::newRow("watched resumes at 0")
            << OptionalEntry(entry(580'000, 600'000)) << false << kept << qint64(0);
        QTest::newRow("watched from the start")
            << OptionalEntry(entry(580'000, 600'000)) << true << fresh << qint64(0);
    }
    void playableItemRules()
    {
        QFETCH(OptionalEntry, stored);
        QFETCH(bool, fromStart);
        QFETCH(QString, url);
        QFETCH(qint64, startMs);
        const PlayableItem item = MovieDetailModel::playableItem(
            movie(), info("", "", "", ""), QStringLiteral("http://h/movie/u/p/200002.mp4"), stored,
            fromStart);
        QCOMPARE(item.url(), url);
        QCOMPARE(item.startTimeMs(), startMs);
        QCOMPARE(item.progressKey(), QStringLiteral("movie:200002"));
        QCOMPARE(item.contentType(), ContentType::Movie);
        QCOMPARE(item.imageUrl(), std::optional<QString>(QStringLiteral("http://img/icon.jpg")));
        QVERIFY(!item.subtitle());
    }

    // The detail screen against the provider: both buttons for an unfinished movie.
    void detailScreenShowsResumeAndFromStart()
    {
        ProgressStore::shared()->recordPosition("movie:200002", ContentType::Movie, "200002", "La película",
                                                std::nullopt, "http://stored/200002.mp4", 125'000, 600'000);
        QObject *root = m_bed.open(R"(
import QtQuick
import Norvane
MovieDetailView {
    width: 1000; height: 700
    property var played: []
    onPlay: item => played = played.concat([item])
}
)",
                                   {{"movie", QVariant::fromValue(movie())}});
        QVERIFY(root);
        auto *detail = root->property("detail").value<MovieDetailModel *>();
        QTRY_VERIFY_WITH_TIMEOUT(!detail->playURL().isEmpty(), 5000);
        QVERIFY(detail->playURL().startsWith(m_bed.provider().baseUrl() + "/movie/"));
        QQuickItem *resume = m_bed.item("resumeButton");
        QCOMPARE(accessibleName(resume), QStringLiteral("Continuar · 2 min"));
        QVERIFY(m_bed.item("fromStartButton")->isVisible());
        clickItem(resume);
        clickItem(m_bed.item("fromStartButton"));
        const QVariantList played = root->property("played").toList();
        QCOMPARE(played.size(), 2);
        QCOMPARE(played[0].value<PlayableItem>().url(), QStringLiteral("http://stored/200002.mp4"));
        QCOMPARE(played[0].value<PlayableItem>().startTimeMs(), 125'000);
        QCOMPARE(played[1].value<PlayableItem>().url(), detail->playURL());
        QCOMPARE(played[1].value<PlayableItem>().startTimeMs(), 0);

        // Another movie on the open screen: its own details and address, never the last one's.
        VodStream other(QStringLiteral("Otra"), QStringLiteral("200003"), QString(), QStringLiteral("40"),
                        QString(), QString());
        root->setProperty("movie", QVariant::fromValue(other));
        QVERIFY(detail->playURL().isEmpty() || detail->playURL().contains("/200003."));
        QTRY_VERIFY_WITH_TIMEOUT(detail->playURL().contains("/200003."), 5000);
        QVERIFY(!m_bed.item("fromStartButton")->isVisible());
        QCOMPARE(accessibleName(resume), QStringLiteral("Reproducir"));
    }

    // A screen reader reads every text the series detail and the first catalog download show: an
    // episode's duration and plot (the movie detail's: detailBlocksOrTheirAbsence).
    void everyTextIsRead_data()
    {
        QTest::addColumn<QByteArray>("qml");
        QTest::addColumn<QVariantMap>("properties");
        QTest::addColumn<QString>("shown"); // what shows once the screen has loaded
        QTest::newRow("series episodes")
            << QByteArray("SeriesDetailView { screen: CatalogScreen {} }")
            << QVariantMap{{"series", QVariant::fromValue(SeriesCatalog::known("1", "Serie", ""))}}
            << "episodeRow_122";
        QTest::newRow("first catalog download")
            << QByteArray("Item { property xtreamClient client; CatalogLoadingView { bytes: 1572864 } }")
            << QVariantMap() << "catalogFirstTimeNote";
    }
    void everyTextIsRead()
    {
        QFETCH(QByteArray, qml);
        QFETCH(QVariantMap, properties);
        QFETCH(QString, shown);
        QObject *root = m_bed.open("import QtQuick\nimport Norvane\n" + qml, properties);
        QVERIFY(root);
        QVERIFY(m_bed.visibleItem(shown, 10'000));
        const QStringList unread = unreadTexts(qobject_cast<QQuickItem *>(root));
        QVERIFY2(unread.isEmpty(), qPrintable(unread.join(", ")));
    }

    // The blocks follow the answer's plot, director and cast; with none of them to show, the
    // sentence takes their place. Every text shown is read out.
    void detailBlocksOrTheirAbsence_data()
    {
        QTest::addColumn<QByteArray>("info");
        QTest::addColumn<QStringList>("headings");
        QTest::newRow("no info") << QByteArray("[]") << QStringList();
        QTest::newRow("all three empty")
            << QByteArray(R"({"plot":"","director":"","cast":"","genre":"Drama"})") << QStringList();
        QTest::newRow("only the cast") << QByteArray(R"({"plot":"","cast":"Ana"})") << QStringList{"Reparto"};
        QTest::newRow("all three") << QByteArray(R"({"plot":"P","director":"D","cast":"C"})")
                                   << QStringList{"Sinopsis", "Dirección", "Reparto"};
    }
    void detailBlocksOrTheirAbsence()
    {
        QFETCH(QByteArray, info);
        QFETCH(QStringList, headings);
        m_bed.provider().setAnswer("get_vod_info",
                                   R"({"info":)" + info + R"(,"movie_data":{"stream_id":200002}})");
        QObject *root =
            m_bed.open("import QtQuick\nimport Norvane\nMovieDetailView { width: 1000; height: 700 }",
                       {{"movie", QVariant::fromValue(movie())}});
        QVERIFY(root);
        auto *detail = root->property("detail").value<MovieDetailModel *>();
        QTRY_VERIFY_WITH_TIMEOUT(!detail->playURL().isEmpty(), 10'000); // answered
        QVERIFY(m_bed.visibleItem("detailContent"));
        QStringList shown;
        for (int i = 0; QQuickItem *heading = m_bed.item("detailHeading_" + QString::number(i)); ++i)
            shown << heading->property("text").toString();
        QCOMPARE(shown, headings);
        QCOMPARE(m_bed.shows("noDetailsText"), headings.isEmpty());
        QCOMPARE(m_bed.item("noDetailsText")->property("text").toString(),
                 QStringLiteral("Sin información adicional para esta película."));
        const QStringList unread = unreadTexts(qobject_cast<QQuickItem *>(root)); // by a screen reader
        QVERIFY2(unread.isEmpty(), qPrintable(unread.join(", ")));
    }

    void failedDetailsShowRetryAndHideButtons()
    {
        m_bed.provider().setAnswer("get_vod_info", "nope", 500);
        QVERIFY(m_bed.open("import QtQuick\nimport Norvane\nMovieDetailView { width: 900; height: 600 }",
                           {{"movie", QVariant::fromValue(movie())}}));
        QTRY_VERIFY_WITH_TIMEOUT(m_bed.item("detailRetry")->isVisible(), 5000);
        QVERIFY(!m_bed.item("resumeButton")->isVisible());
    }

    void continueRowFollowsTheStore()
    {
        QObject *root = m_bed.open(moviesViewQml);
        QVERIFY(root);
        QVERIFY(waitForCategories(root));
        auto specialIds = [root] {
            QStringList ids;
            for (const SectionRow &row : root->property("model").value<MoviesModel *>()->categoryRows())
                if (row.id().startsWith(QLatin1String("__")))
                    ids << row.id();
            return ids;
        };
        QCOMPARE(specialIds(), QStringList{"__recent__"});
        ProgressStore::shared()->recordPosition("movie:200004", ContentType::Movie, "200004", "Película 4",
                                                std::nullopt, "http://x/200004.mp4", 60'000, 600'000);
        QCOMPARE(specialIds(), (QStringList{"__recent__", "__continue__"}));
        QQuickItem *row = m_bed.visibleItem("categoryRow___continue__");
        QVERIFY(row);
        clickItem(row);
        QTRY_COMPARE(root->property("model").value<QObject *>()->property("selectedCategoryId").toString(),
                     QStringLiteral("__continue__"));
        QQuickItem *card = m_bed.visibleItem("continueCard_0");
        QVERIFY(card);
        QCOMPARE(accessibleName(card), QStringLiteral("Película 4"));
        QCOMPARE(card->property("progress").toDouble(), 0.1);
        ProgressStore::shared()->removeEntry("movie:200004");
        QCOMPARE(specialIds(), QStringList{"__recent__"});
        QTRY_VERIFY(!m_bed.item("continueCard_0"));
        QVERIFY(m_bed.item("continueGrid")->isVisible());
    }

    // The keyboard alone through each grid: Tab from the categories reaches the cards with the
    // ring, Right moves to the next, Return opens its detail; Tab reaches a play button and Return
    // plays; Escape leaves the player, then the detail, each time with the keyboard back where it
    // was.
    void keyboardThroughTheGrids_data()
    {
        QTest::addColumn<QList<int>>("toCategory"); // from the first category row, selected
        QTest::addColumn<QString>("cards");
        QTest::addColumn<QString>("playButton");
        QTest::newRow("recently added") << QList<int>{} << "posterCard_"
                                        << "resumeButton";
        QTest::newRow("continue watching") << QList<int>{Qt::Key_Down, Qt::Key_Return} << "continueCard_"
                                           << "fromStartButton";
    }
    void keyboardThroughTheGrids()
    {
        QFETCH(QList<int>, toCategory);
        QFETCH(QString, cards);
        QFETCH(QString, playButton);
        for (const QString id : {"200002", "200004"})
            ProgressStore::shared()->recordPosition("movie:" + id, ContentType::Movie, id, "Película " + id,
                                                    std::nullopt, "http://x/" + id + ".mp4", 60'000, 600'000);
        QObject *root = m_bed.open(moviesViewQml);
        QVERIFY(root);
        QVERIFY(waitForCategories(root));
        QQuickWindow *window = &m_bed.harness().window();
        for (const int key : toCategory)
            QTest::keyClick(window, Qt::Key(key));
        QQuickItem *second = m_bed.visibleItem(cards + "1", 10'000);
        QVERIFY(second);
        QTest::keyClick(window, Qt::Key_Tab);
        QCOMPARE(focusedName(window), cards + "0");
        QTest::keyClick(window, Qt::Key_Right);
        QCOMPARE(focusedName(window), cards + "1");
        QVERIFY(isShown(second, QStringLiteral("focusRing")));
        QVERIFY(!isShown(m_bed.item(cards + "0"), QStringLiteral("focusRing")));

        const QString title = accessibleName(second);
        QTest::keyClick(window, Qt::Key_Return);
        auto *screen = root->property("screen").value<SectionScreen *>();
        QVERIFY(screen->hasDetail());
        const VodStream picked = root->property("detail").value<VodStream>();
        QCOMPARE(picked.name(), title);
        QVERIFY(m_bed.visibleItem(playButton, 10'000));
        for (int i = 0; i < 3 && focusedName(window) != playButton; ++i)
            QTest::keyClick(window, Qt::Key_Tab);
        QCOMPARE(focusedName(window), playButton);
        QTest::keyClick(window, Qt::Key_Return);
        auto *player = root->property("player").value<PlayerModel *>();
        QVERIFY(player);
        QCOMPARE(player->currentItem().progressKey(), MovieDetailModel::progressKey(picked.streamId()));
        QVERIFY(m_bed.visibleItem("playerView"));

        QTest::keyClick(window, Qt::Key_Escape);
        QTRY_VERIFY(!root->property("player").value<PlayerModel *>());
        QTRY_COMPARE(focusedName(window), playButton);
        QVERIFY(isShown(m_bed.item(playButton), QStringLiteral("focusRing")));
        QTest::keyClick(window, Qt::Key_Escape);
        QVERIFY(!screen->hasDetail());
        // The continue-watching cards are made anew when the grid shows again: the keyboard
        // still lands on the card opened.
        QTRY_COMPARE(focusedName(window), cards + "1");
    }

    // A movie picked from the grid plays through the player with libVLC and its position is kept.
    void moviePlaysEndToEnd()
    {
        QObject *root = m_bed.open(moviesViewQml);
        QVERIFY(root);
        QVERIFY(waitForCategories(root));
        QQuickItem *poster = m_bed.visibleItem("posterCard_0");
        QVERIFY(poster);
        const QString title = accessibleName(poster);
        QVERIFY(!title.isEmpty());
        clickItem(poster);
        QQuickItem *resume = m_bed.visibleItem("resumeButton", 10'000);
        QVERIFY(resume);
        QCOMPARE(accessibleName(resume), QStringLiteral("Reproducir"));
        const VodStream picked = root->property("detail").value<VodStream>();
        QCOMPARE(picked.name(), title);
        const QString key = MovieDetailModel::progressKey(picked.streamId());
        clickItem(resume);
        auto *player = root->property("player").value<PlayerModel *>();
        QVERIFY(player);
        QCOMPARE(player->queue().size(), 1);
        QCOMPARE(player->currentItem().progressKey(), key);
        player->setSaveIntervalMs(100);
        QQuickItem *layer = m_bed.item("playerLayer");
        QTRY_COMPARE(layer->opacity(), 1.0);
        QQuickItem *playerView = m_bed.visibleItem("playerView");
        QVERIFY(playerView);
        // The controls stay up however slowly this machine plays, so the close button is there.
        playerView->property("playback").value<OnDemandPlayback *>()->controls()->setHideDelayMs(600'000);
        VLCEngine *engine = VLCEngine::shared();
        QTRY_VERIFY_WITH_TIMEOUT(
            engine->status() == VLCEngine::Status::Playing && engine->currentTimeMs() > 1500, 30'000);
        QTRY_VERIFY_WITH_TIMEOUT(ProgressStore::shared()->find(key).has_value(), 10'000);
        QQuickItem *close = m_bed.item("closeButton");
        QVERIFY(close->isVisible());
        clickItem(close);
        QTRY_VERIFY(!root->property("player").value<PlayerModel *>());
        QCOMPARE(engine->status(), VLCEngine::Status::Stopped);
        QTRY_VERIFY_WITH_TIMEOUT(!m_bed.item("playerView"), 5000); // gone after the fade
        const std::optional<ProgressEntry> saved = ProgressStore::shared()->find(key);
        QVERIFY(saved);
        QVERIFY(saved->isUnfinished());
        QVERIFY(saved->positionMs() >= 1500);
        QCOMPARE(saved->name(), title);
        QVERIFY(saved->url().endsWith("/movie/" + m_bed.provider().username() + "/" +
                                      m_bed.provider().password() + "/" + picked.streamId() + ".mp4"));
        // Back on the detail screen the button offers to continue (the "Continuar viendo" row
        // follows the store: continueRowFollowsTheStore).
        QTRY_VERIFY(accessibleName(m_bed.item("resumeButton")).startsWith("Continuar · "));
    }

    // The PIN prompt opens with the field focused; after a wrong PIN, closed and opened again it
    // is fresh; the right PIN selects the category, which says when it is empty.
    void pinPromptOpensFreshEachTime()
    {
        m_bed.provider().setAnswer(
            QStringLiteral("get_vod_categories"),
            R"([{"category_id":"41","category_name":"Aventura"},{"category_id":"58","category_name":"XXX Películas"}])");
        QObject *root = m_bed.open(moviesViewQml);
        QVERIFY(root);
        auto *model = root->property("model").value<MoviesModel *>();
        QTRY_VERIFY_WITH_TIMEOUT(!model->isLoadingCategories() && !model->categories().isEmpty() &&
                                     !model->isLoadingList(),
                                 20000);
        typeWrongPin(root, QStringLiteral("pinSheet"), QStringLiteral("categoryRow_58"));
        if (QTest::currentTestFailed())
            return;
        reopenFreshPrompt(root, QStringLiteral("pinSheet"), QStringLiteral("categoryRow_58"));
        if (QTest::currentTestFailed())
            return;
        m_bed.provider().setAnswer(QStringLiteral("get_vod_streams"), "[]");
        typeText(&m_bed.harness().window(), QStringLiteral("8057"));
        QTest::keyClick(&m_bed.harness().window(), Qt::Key_Return);
        QTRY_COMPARE(model->selectedCategoryIdText(), QStringLiteral("58"));
        QCOMPARE(model->unlockedCategories(), QStringList{QStringLiteral("58")});
        // An empty category says so.
        QTRY_VERIFY(m_bed.shows(QStringLiteral("chooseCategoryText")));
        QCOMPARE(m_bed.item(QStringLiteral("chooseCategoryText"))->property("text").toString(),
                 QStringLiteral("No hay películas en esta categoría."));
    }
};

NORVANE_TEST_MAIN(TestMovieScreens)
#include "tst_moviescreens.moc"
