#include "ItemInput.h"
#include "RecordFields.h"
#include "ScreenTestBed.h"
#include "TestMain.h"
#include "catalog/SeriesDetailModel.h"
#include "catalog/SeriesModel.h"
#include "images/RemoteImage.h"
#include "playback/VLCEngine.h"
#include "player/PlayerModel.h"
#include "sections/SectionScreen.h"
#include "storage/FavoritesStore.h"
#include "storage/ProgressStore.h"

#include <QImage>
#include <QQuickItem>
#include <memory>

using namespace norvane::test;

namespace {

Episode episode(qint64 season, qint64 number, const QString &extension = QStringLiteral("mkv"),
                const QString &image = QString())
{
    Episode::Fields fields;
    fields.id = QString::number(700 + season * 20 + number);
    fields.season = season;
    fields.episodeNum = number;
    fields.title = QStringLiteral("Capítulo %1").arg(number);
    fields.containerExtension = extension;
    fields.image = image;
    return Episode(fields);
}

// Two seasons: three episodes, then two.
SeriesInfoResponse twoSeasons(const QString &cover = QStringLiteral("http://img/cover.jpg"))
{
    return SeriesInfoResponse(cover, QString(),
                              {Season(1, {episode(1, 1), episode(1, 2), episode(1, 3)}),
                               Season(2, {episode(2, 1), episode(2, 2)})});
}

SeriesStream series(const QString &cover = QStringLiteral("http://img/own.jpg"))
{
    std::array<QString, SeriesStream::FieldCount> fields;
    fields[SeriesStream::Name] = QStringLiteral("La serie");
    fields[SeriesStream::SeriesId] = QStringLiteral("7");
    fields[SeriesStream::Cover] = cover;
    return SeriesStream(RecordText<SeriesStream::FieldCount>::fromStrings(fields), 0);
}

ProgressEntry entry(qint64 positionMs, qint64 durationMs)
{
    return ProgressEntry(QStringLiteral("series:7:ep:722"), ContentType::Series, QStringLiteral("7"),
                         QStringLiteral("La serie"), std::nullopt, positionMs, durationMs, 1000.0,
                         QStringLiteral("http://stored/722.mkv"));
}

QStringList ids(const QList<Episode> &episodes)
{
    return fieldOf(episodes, &Episode::id);
}

// The ids after `prefix` of the shown items named with it, in order.
QStringList shownIds(QQuickItem *item, const QString &prefix)
{
    QStringList found;
    if (item->objectName().startsWith(prefix) && item->isVisible())
        found << item->objectName().mid(prefix.size());
    for (QQuickItem *child : item->childItems())
        found << shownIds(child, prefix);
    found.sort();
    return found;
}

const QByteArray seriesViewQml =
    "import QtQuick\nimport Norvane\nCatalogView { id: view; width: 1100; height: "
    "700; model: SeriesModel { client: view.client } }\n";

} // namespace

// The series screens: the queue a chosen episode starts, the episode item, the row's marks.
class TestSeriesScreens : public QObject
{
    Q_OBJECT
    ScreenTestBed m_bed;

    // Series 1 of the sample catalog as a grid card gives it: name and id.
    SeriesStream firstSeries()
    {
        std::array<QString, SeriesStream::FieldCount> fields;
        fields[SeriesStream::Name] = m_bed.provider().catalog().seriesName(1).value();
        fields[SeriesStream::SeriesId] = QStringLiteral("1");
        return SeriesStream(RecordText<SeriesStream::FieldCount>::fromStrings(fields), 0);
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_bed.start(true)); }

    void cleanup()
    {
        m_bed.close();
        m_bed.provider().clearScript();
        VLCEngine::shared()->stop();
        for (const QString &key : ProgressStore::shared()->entries().keys())
            ProgressStore::shared()->removeEntry(key);
    }

    void queueRunsToTheEndOfTheLastSeason_data()
    {
        QTest::addColumn<Episode>("chosen");
        QTest::addColumn<QStringList>("queue");
        QTest::newRow("last of the last season") << episode(2, 2) << QStringList{"742"};
        QTest::newRow("second of the first season")
            << episode(1, 2) << QStringList{"722", "723", "741", "742"};
        QTest::newRow("not in the answer") << episode(3, 1) << QStringList{};
    }
    void queueRunsToTheEndOfTheLastSeason()
    {
        QFETCH(Episode, chosen);
        QFETCH(QStringList, queue);
        QCOMPARE(ids(SeriesDetailModel::episodesFrom(twoSeasons(), chosen)), queue);
    }

    void episodeItemWithoutEntry()
    {
        const XtreamClient client(QStringLiteral("http://h:1/"), QStringLiteral("u"), QStringLiteral("p"));
        const PlayableItem item = SeriesDetailModel::episodeItem(client, series(), twoSeasons(),
                                                                 episode(2, 1, QString()), std::nullopt);
        QCOMPARE(item.title(), QStringLiteral("La serie"));
        QCOMPARE(item.subtitle(), std::optional<QString>(QStringLiteral("T2 · E1 · Capítulo 1")));
        QCOMPARE(item.url(), QStringLiteral("http://h:1/series/u/p/741.mp4"));
        QCOMPARE(item.progressKey(), QStringLiteral("series:7:ep:741"));
        QCOMPARE(item.contentType(), ContentType::Series);
        QCOMPARE(item.contentId(), QStringLiteral("7"));
        QCOMPARE(item.startTimeMs(), 0);
        // Nor does the row show a mark.
        QCOMPARE(EpisodeListModel::barFraction(std::nullopt), -1.0);
        QVERIFY(!EpisodeListModel::isWatched(std::nullopt));
    }

    void episodeItemImageFallsBack_data()
    {
        QTest::addColumn<QString>("episodeImage");
        QTest::addColumn<QString>("responseCover");
        QTest::addColumn<QString>("image");
        QTest::newRow("episode's own") << "http://img/ep.jpg"
                                       << "http://img/cover.jpg"
                                       << "http://img/ep.jpg";
        QTest::newRow("answer's cover") << ""
                                        << "http://img/cover.jpg"
                                        << "http://img/cover.jpg";
        QTest::newRow("series' cover") << ""
                                       << ""
                                       << "http://img/own.jpg";
    }
    void episodeItemImageFallsBack()
    {
        QFETCH(QString, episodeImage);
        QFETCH(QString, responseCover);
        QFETCH(QString, image);
        const PlayableItem item =
            SeriesDetailModel::episodeItem(XtreamClient(), series(), twoSeasons(responseCover),
                                           episode(1, 1, "mkv", episodeImage), std::nullopt);
        QCOMPARE(item.imageUrl(), std::optional<QString>(image));
    }

    void rowMarksAndResume_data()
    {
        QTest::addColumn<qint64>("positionMs");
        QTest::addColumn<qint64>("durationMs");
        QTest::addColumn<double>("bar");
        QTest::addColumn<bool>("watched");
        QTest::addColumn<qint64>("startMs");
        QTest::newRow("half way") << qint64(300'000) << qint64(600'000) << 0.5 << false << qint64(300'000);
        QTest::newRow("at 95 %") << qint64(570'000) << qint64(600'000) << -1.0 << true << qint64(0);
        QTest::newRow("past the end") << qint64(700'000) << qint64(600'000) << -1.0 << true << qint64(0);
        QTest::newRow("no duration") << qint64(5000) << qint64(0) << -1.0 << false << qint64(5000);
    }
    void rowMarksAndResume()
    {
        QFETCH(qint64, positionMs);
        QFETCH(qint64, durationMs);
        QFETCH(double, bar);
        QFETCH(bool, watched);
        QFETCH(qint64, startMs);
        const ProgressEntry stored = entry(positionMs, durationMs);
        QCOMPARE(EpisodeListModel::barFraction(stored), bar);
        QCOMPARE(EpisodeListModel::isWatched(stored), watched);
        const PlayableItem item =
            SeriesDetailModel::episodeItem(XtreamClient(), series(), twoSeasons(), episode(2, 2), stored);
        QCOMPARE(item.url(), QStringLiteral("http://stored/722.mkv"));
        QCOMPARE(item.startTimeMs(), startMs);
    }

    // The detail screen against the provider: chips, a watched episode, the favourite button and
    // the queue handed to the player.
    void detailScreenAgainstTheProvider()
    {
        const SeriesStream picked = firstSeries();
        // Episode 1 of season 1 of series 1 is id 121, watched to the end.
        ProgressStore::shared()->recordPosition("series:1:ep:121", ContentType::Series, "1", "Serie 1",
                                                std::nullopt, "http://stored/121.mp4", 29'500, 30'000);
        ProgressStore::shared()->recordPosition("series:1:ep:122", ContentType::Series, "1", "Serie 1",
                                                std::nullopt, "http://stored/122.mp4", 15'000, 30'000);
        QObject *root = m_bed.open(R"(
import QtQuick
import Norvane
SeriesDetailView {
    width: 1000; height: 700
    screen: CatalogScreen { }
}
)",
                                   {{"series", QVariant::fromValue(picked)}});
        QVERIFY(root);
        auto *detail = root->property("detail").value<SeriesDetailModel *>();
        QTRY_VERIFY_WITH_TIMEOUT(detail->hasResponse(), 5000);
        QQuickItem *chip = nullptr;
        QTRY_VERIFY((chip = m_bed.item("seasonChip_1")));
        QCOMPARE(accessibleName(chip), QStringLiteral("Temporada 1"));
        QQuickItem *row = nullptr;
        QTRY_VERIFY((row = m_bed.item("episodeRow_121")));
        QVERIFY(row->property("watched").toBool());
        QVERIFY(findByName<QQuickItem>(row, "watchedMark")->isVisible());
        QVERIFY(!findByName<QQuickItem>(row, "episodeBar")->isVisible());
        QVERIFY(accessibleName(row).startsWith("E1 · "));

        QQuickItem *halfway = nullptr;
        QTRY_VERIFY((halfway = m_bed.item("episodeRow_122")));
        QVERIFY(findByName<QQuickItem>(halfway, "episodeBar")->isVisible());

        QQuickItem *favorite = m_bed.item("favoriteButton");
        QCOMPARE(accessibleName(favorite), QStringLiteral("Favorito"));
        clickItem(favorite);
        QVERIFY(FavoritesStore::shared()->isFavorite(ContentType::Series, "1"));
        QCOMPARE(accessibleName(favorite), QStringLiteral("Quitar favorito"));
        clickItem(favorite);
        QVERIFY(!FavoritesStore::shared()->isFavorite(ContentType::Series, "1"));

        // The keyboard reaches that row past the buttons and the season chips, and plays it.
        QQuickWindow *window = &m_bed.harness().window();
        qobject_cast<QQuickItem *>(root)->forceActiveFocus();
        QStringList stops;
        for (int i = 0; i < 5 && !stops.contains(QStringLiteral("episodeRow_121")); ++i) {
            QTest::keyClick(window, Qt::Key_Tab);
            stops << focusedName(window);
        }
        QCOMPARE(stops,
                 (QStringList{"detailBackButton", "favoriteButton", "seasonChip_1", "episodeRow_121"}));
        QVERIFY(isShown(row, QStringLiteral("focusRing")));
        QVERIFY(!isShown(chip, QStringLiteral("focusRing")));
        QTest::keyClick(window, Qt::Key_Return);
        const QList<PlayableItem> expected = detail->queueFrom(detail->episodes().first());
        auto *screen = root->property("screen").value<SectionScreen *>();
        auto *player = screen->player();
        QVERIFY(player);
        QCOMPARE(player->parent(), screen);
        QCOMPARE(player->queue(), expected);
        QCOMPARE(player->index(), 0);
        QCOMPARE(expected.first().url(), QStringLiteral("http://stored/121.mp4"));
        QCOMPARE(expected.first().startTimeMs(), 0);
    }

    // The chips follow the answer's seasons: none (and no episodes, no retry) without seasons;
    // with several the first is chosen, and another chip lists its own episodes alone.
    void seasonChipsChooseTheEpisodes_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QStringList>("chips");
        QTest::addColumn<QStringList>("listedFirst");
        QTest::addColumn<QStringList>("listedAfterLastChip");
        QTest::newRow("two seasons")
            << QByteArray(
                   R"({"info":{"name":"Dos"},"episodes":{"1":[{"id":"901","episode_num":1,"season":1},)"
                   R"({"id":"902","episode_num":2,"season":1}],"2":[{"id":"911","episode_num":1,"season":2}]}})")
            << QStringList{"1", "2"} << QStringList{"901", "902"} << QStringList{"911"};
        QTest::newRow("no seasons") << QByteArray(R"({"info":{"name":"Vac\u00eda"},"episodes":[]})")
                                    << QStringList() << QStringList() << QStringList();
    }
    void seasonChipsChooseTheEpisodes()
    {
        QFETCH(QByteArray, answer);
        QFETCH(QStringList, chips);
        QFETCH(QStringList, listedFirst);
        QFETCH(QStringList, listedAfterLastChip);
        m_bed.provider().setAnswer(QStringLiteral("get_series_info"), answer);
        QObject *root =
            m_bed.open("import QtQuick\nimport Norvane\nSeriesDetailView { width: 1000; height: 700; "
                       "screen: CatalogScreen { } }",
                       {{"series", QVariant::fromValue(series())}});
        QVERIFY(root);
        auto *detail = root->property("detail").value<SeriesDetailModel *>();
        QTRY_VERIFY_WITH_TIMEOUT(detail->hasResponse(), 5000);
        waitForLayout(&m_bed.harness().window());
        QQuickItem *scene = m_bed.harness().window().contentItem();
        QVERIFY(!m_bed.shows("detailRetry"));
        QTRY_COMPARE(shownIds(scene, "seasonChip_"), chips);
        QTRY_COMPARE(shownIds(scene, "episodeRow_"), listedFirst);
        if (chips.isEmpty())
            return;
        QQuickItem *first = m_bed.item("seasonChip_" + chips.first());
        QQuickItem *last = m_bed.item("seasonChip_" + chips.last());
        QVERIFY(first->property("selected").toBool());
        clickItem(last);
        QTRY_COMPARE(shownIds(scene, "episodeRow_"), listedAfterLastChip);
        QVERIFY(last->property("selected").toBool());
        QVERIFY(!first->property("selected").toBool());
    }

    // Each unfinished episode is a card of its own, all with the series' name; the card's menu
    // item takes its own episode out of the store and the grid, and the other stays.
    void continueCardsOfOneSeries()
    {
        ProgressStore::shared()->recordPosition("series:7:ep:722", ContentType::Series, "7", "La serie",
                                                std::nullopt, "http://stored/722.mkv", 60'000, 600'000);
        QTest::qWait(5); // a later record, listed first
        ProgressStore::shared()->recordPosition("series:7:ep:741", ContentType::Series, "7", "La serie",
                                                std::nullopt, "http://stored/741.mkv", 30'000, 600'000);
        QObject *root = m_bed.open(seriesViewQml);
        QVERIFY(root);
        auto *model = root->property("model").value<SeriesModel *>();
        QTRY_VERIFY_WITH_TIMEOUT(!model->isLoadingCategories() && !model->categories().isEmpty(), 20000);
        QQuickItem *row = m_bed.visibleItem("categoryRow___continue__");
        QVERIFY(row);
        clickItem(row);
        QTRY_COMPARE(model->selectedCategoryIdText(), QStringLiteral("__continue__"));
        QQuickItem *scene = m_bed.harness().window().contentItem();
        QTRY_COMPARE(shownIds(scene, "continueCard_"), (QStringList{"0", "1"}));
        waitForLayout(&m_bed.harness().window());
        for (const QString name : {"continueCard_0", "continueCard_1"})
            QCOMPARE(accessibleName(m_bed.item(name)), QStringLiteral("La serie"));
        QCOMPARE(m_bed.item("continueCard_0")->property("progress").toDouble(), 0.05);

        QQuickItem *card = m_bed.item("continueCard_0");
        QTest::mouseClick(&m_bed.harness().window(), Qt::RightButton, Qt::NoModifier,
                          sceneCenter(card).toPoint());
        auto *menuItem = findByName<QQuickItem>(card, "removeContinueItem");
        QVERIFY(menuItem);
        QObject *menu = menuItem->property("menu").value<QObject *>();
        QTRY_VERIFY(menu && menu->property("opened").toBool());
        QCOMPARE(accessibleName(menuItem), QStringLiteral("Quitar de Continuar viendo"));
        clickItem(menuItem);
        QVERIFY(!ProgressStore::shared()->find("series:7:ep:741"));
        QVERIFY(ProgressStore::shared()->find("series:7:ep:722"));
        QTRY_COMPARE(shownIds(scene, "continueCard_"), QStringList{"0"});
        QCOMPARE(m_bed.item("continueCard_0")->property("progress").toDouble(), 0.1);
    }

    // The grid's favourites: the hint while there are none, the card menu's wording and toggle,
    // and the "Favoritos" list following the menu at once.
    void cardMenuTogglesTheFavorite()
    {
        QObject *root = m_bed.open(seriesViewQml);
        QVERIFY(root);
        auto *model = root->property("model").value<SeriesModel *>();
        QTRY_VERIFY_WITH_TIMEOUT(!model->isLoadingCategories() && !model->categories().isEmpty(), 20000);
        auto pick = [&](const QString &id) {
            QQuickItem *row = nullptr;
            QTRY_VERIFY((row = m_bed.item("categoryRow_" + id)));
            clickItem(row);
            QTRY_COMPARE(model->selectedCategoryIdText(), id);
            QTRY_VERIFY_WITH_TIMEOUT(!model->isLoadingList(), 20000);
            waitForLayout(&m_bed.harness().window());
        };
        auto favoriteItemOf = [&](QQuickItem *card) {
            QTest::mouseClick(&m_bed.harness().window(), Qt::RightButton, Qt::NoModifier,
                              sceneCenter(card).toPoint());
            auto *menuItem = findByName<QQuickItem>(card, "favoriteMenuItem");
            QObject *menu = menuItem ? menuItem->property("menu").value<QObject *>() : nullptr;
            return menu && QTest::qWaitFor([&] { return menu->property("opened").toBool(); }, 5000) ? menuItem
                                                                                                    : nullptr;
        };

        pick("__favorites__");
        QQuickItem *hint = m_bed.item("favoritesHintText");
        QTRY_VERIFY(hint->isVisible());
        QCOMPARE(hint->property("text").toString(),
                 QStringLiteral(
                     "Aún no tienes series favoritas.\nUsa clic derecho sobre una serie para agregarla."));

        pick(model->categories().first().categoryId());
        QQuickItem *card = nullptr;
        QTRY_VERIFY((card = m_bed.item("posterCard_0")));
        const SeriesStream first = model->items().first();
        QQuickItem *menuItem = favoriteItemOf(card);
        QVERIFY(menuItem);
        QCOMPARE(menuItem->property("text").toString(), QStringLiteral("Agregar a favoritos"));
        QCOMPARE(accessibleName(menuItem), QStringLiteral("Agregar a favoritos"));
        clickItem(menuItem);
        QVERIFY(FavoritesStore::shared()->isFavorite(ContentType::Series, first.seriesId()));
        QTRY_VERIFY(card->property("isFavorite").toBool());

        pick("__favorites__");
        QVERIFY(!hint->isVisible());
        QTRY_VERIFY((card = m_bed.item("posterCard_0")));
        QCOMPARE(accessibleName(card), first.name());
        menuItem = favoriteItemOf(card);
        QVERIFY(menuItem);
        QCOMPARE(menuItem->property("text").toString(), QStringLiteral("Quitar de favoritos"));
        clickItem(menuItem);
        QVERIFY(!FavoritesStore::shared()->isFavorite(ContentType::Series, first.seriesId()));
        QTRY_VERIFY(hint->isVisible());
    }
};

NORVANE_TEST_MAIN(TestSeriesScreens)
#include "tst_seriesscreens.moc"
