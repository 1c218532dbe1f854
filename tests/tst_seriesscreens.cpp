#include "FavoritesStore.h"
#include "ItemInput.h"
#include "ProgressStore.h"
#include "QmlHarness.h"
#include "SampleProvider.h"
#include "SectionTestHome.h"
#include "SeriesDetailModel.h"
#include "TestMain.h"

#include <QQmlExtensionPlugin>
#include <QQuickItem>
#include <memory>

Q_IMPORT_QML_PLUGIN(NorvanePlugin)
Q_IMPORT_QML_PLUGIN(Norvane_CorePlugin)

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
    return ProgressEntry(QStringLiteral("series:7:ep:722"), QStringLiteral("series"), QStringLiteral("7"),
                         QStringLiteral("La serie"), std::nullopt, positionMs, durationMs, 1000.0,
                         QStringLiteral("http://stored/722.mkv"));
}

QStringList ids(const QList<Episode> &episodes)
{
    QStringList list;
    for (const Episode &e : episodes)
        list << e.id();
    return list;
}

} // namespace

// The series screens: the queue a chosen episode starts, the episode item, the row's marks.
class TestSeriesScreens : public QObject
{
    Q_OBJECT
    std::unique_ptr<SectionTestHome> m_home;

private Q_SLOTS:
    void initTestCase() { m_home = std::make_unique<SectionTestHome>(); }

    void queueRunsToTheEndOfTheLastSeason_data()
    {
        QTest::addColumn<Episode>("chosen");
        QTest::addColumn<QStringList>("queue");
        QTest::newRow("last of the last season") << episode(2, 2) << QStringList{"742"};
        QTest::newRow("second of the first season") << episode(1, 2) << QStringList{"722", "723", "741", "742"};
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
        QCOMPARE(item.contentType(), QStringLiteral("series"));
        QCOMPARE(item.contentId(), QStringLiteral("7"));
        QCOMPARE(item.startTimeMs(), 0);
    }

    void episodeItemImageFallsBack_data()
    {
        QTest::addColumn<QString>("episodeImage");
        QTest::addColumn<QString>("responseCover");
        QTest::addColumn<QString>("image");
        QTest::newRow("episode's own") << "http://img/ep.jpg" << "http://img/cover.jpg" << "http://img/ep.jpg";
        QTest::newRow("answer's cover") << "" << "http://img/cover.jpg" << "http://img/cover.jpg";
        QTest::newRow("series' cover") << "" << "" << "http://img/own.jpg";
    }
    void episodeItemImageFallsBack()
    {
        QFETCH(QString, episodeImage);
        QFETCH(QString, responseCover);
        QFETCH(QString, image);
        const PlayableItem item = SeriesDetailModel::episodeItem(
            XtreamClient(), series(), twoSeasons(responseCover), episode(1, 1, "mkv", episodeImage), std::nullopt);
        QCOMPARE(item.imageUrl(), std::optional<QString>(image));
    }

    void rowMarksAndResume_data()
    {
        QTest::addColumn<qint64>("positionMs");
        QTest::addColumn<qint64>("durationMs");
        QTest::addColumn<QVariant>("bar");
        QTest::addColumn<bool>("watched");
        QTest::addColumn<qint64>("startMs");
        QTest::newRow("half way") << qint64(300'000) << qint64(600'000) << QVariant(0.5) << false << qint64(300'000);
        QTest::newRow("at 95 %") << qint64(570'000) << qint64(600'000) << QVariant() << true << qint64(0);
        QTest::newRow("past the end") << qint64(700'000) << qint64(600'000) << QVariant() << true << qint64(0);
        QTest::newRow("no duration") << qint64(5000) << qint64(0) << QVariant() << false << qint64(5000);
    }
    void rowMarksAndResume()
    {
        QFETCH(qint64, positionMs);
        QFETCH(qint64, durationMs);
        QFETCH(QVariant, bar);
        QFETCH(bool, watched);
        QFETCH(qint64, startMs);
        const ProgressEntry stored = entry(positionMs, durationMs);
        const QVariant value = QVariant::fromValue(stored);
        QCOMPARE(SeriesDetailModel::barFraction(value), bar);
        QCOMPARE(SeriesDetailModel::isWatched(value), watched);
        const PlayableItem item = SeriesDetailModel::episodeItem(XtreamClient(), series(), twoSeasons(),
                                                                 episode(2, 2), stored);
        QCOMPARE(item.url(), QStringLiteral("http://stored/722.mkv"));
        QCOMPARE(item.startTimeMs(), startMs);
    }

    void noEntryNoMarks()
    {
        QVERIFY(!SeriesDetailModel::barFraction(QVariant()).isValid());
        QVERIFY(!SeriesDetailModel::isWatched(QVariant()));
    }

    // The detail screen against the provider: chips, a watched episode, the favourite button and
    // the queue handed to the player.
    void detailScreenAgainstTheProvider()
    {
        SampleProvider provider;
        QVERIFY(provider.listenOn());
        const XtreamClient client(provider.baseUrl(), provider.username(), provider.password());
        SeriesStream picked = series();
        std::array<QString, SeriesStream::FieldCount> fields;
        fields[SeriesStream::Name] = QStringLiteral("Serie 1");
        fields[SeriesStream::SeriesId] = QStringLiteral("1");
        picked = SeriesStream(RecordText<SeriesStream::FieldCount>::fromStrings(fields), 0);
        // Episode 1 of season 1 of series 1 is id 121, watched to the end.
        ProgressStore::shared()->recordPosition("series:1:ep:121", "series", "1", "Serie 1", std::nullopt,
                                                "http://stored/121.mp4", 29'500, 30'000);
        QmlHarness harness;
        QObject *root = createShown(harness, R"(
import QtQuick
import Norvane
SeriesDetailView {
    width: 1000; height: 700
    property var queues: []
    onPlay: (queue, start) => queues = queues.concat([queue.length])
}
)", {{"client", QVariant::fromValue(client)}, {"series", QVariant::fromValue(picked)}});
        QVERIFY(root);
        auto *detail = root->property("detail").value<SeriesDetailModel *>();
        QTRY_VERIFY_WITH_TIMEOUT(detail->hasResponse(), 5000);
        QQuickItem *chip = nullptr;
        QTRY_VERIFY((chip = findByName<QQuickItem>(root, "seasonChip_1")));
        QCOMPARE(accessibleName(chip), QStringLiteral("Temporada 1"));
        QQuickItem *row = nullptr;
        QTRY_VERIFY((row = findByName<QQuickItem>(root, "episodeRow_121")));
        QVERIFY(row->property("watched").toBool());
        QVERIFY(findByName<QQuickItem>(row, "watchedMark")->isVisible());
        QVERIFY(!findByName<QQuickItem>(row, "episodeBar")->isVisible());
        QVERIFY(accessibleName(row).startsWith("E1 · "));

        QQuickItem *favorite = findByName<QQuickItem>(root, "favoriteButton");
        QCOMPARE(accessibleName(favorite), QStringLiteral("Favorito"));
        clickItem(favorite);
        QVERIFY(FavoritesStore::shared()->isFavorite("series", "1"));
        QCOMPARE(accessibleName(favorite), QStringLiteral("Quitar favorito"));
        clickItem(favorite);
        QVERIFY(!FavoritesStore::shared()->isFavorite("series", "1"));

        clickItem(row);
        const QList<PlayableItem> expected = detail->queueFrom(detail->episodes().first());
        QCOMPARE(root->property("queues").toList(), QVariantList{expected.size()});
        QCOMPARE(expected.first().url(), QStringLiteral("http://stored/121.mp4"));
        QCOMPARE(expected.first().startTimeMs(), 0);
        ProgressStore::shared()->removeEntry("series:1:ep:121");
    }
};

NORVANE_TEST_MAIN(TestSeriesScreens)
#include "tst_seriesscreens.moc"
