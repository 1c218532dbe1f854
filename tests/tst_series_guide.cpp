#include "RecordFields.h"
#include "TestMain.h"
#include "provider/ProviderJson.h"

#include <ctime>

namespace {

QList<qint64> seasonNumbers(const SeriesInfoResponse &info)
{
    return norvane::test::fieldOf(info.seasons(), &Season::season);
}

QStringList episodeIds(const Season &season)
{
    return norvane::test::fieldOf(season.episodes(), &Episode::id);
}

EPGListing onlyListing(const QByteArray &entry)
{
    const auto guide = ProviderJson::decode<EPGResponse>(R"({"epg_listings":[)" + entry + "]}");
    if (!guide || guide->listings().size() != 1)
        qFatal("guide did not decode to one entry");
    return guide->listings().at(0);
}

} // namespace

// Series detail (seasons and episodes) and programme guide decoding.
class TestSeriesGuide : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        // Guide times are shown in local time: pin the zone so the texts are known.
        qputenv("TZ", "UTC");
        tzset();
    }

    void seasonsInOrder();

    void episodeSeasonNumbers();

    void episodeFields();

    void episodesWithoutSeasons_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("episodes as empty array") << QByteArray(R"({"info":{"plot":"p"},"episodes":[]})");
        QTest::newRow("season that is not a list")
            << QByteArray(R"({"episodes":{"1":[{"id":"a"}],"2":"x"}})");
        QTest::newRow("episode that is not an object") << QByteArray(R"({"episodes":{"1":[{"id":"a"},3]}})");
        QTest::newRow("no episodes") << QByteArray(R"({"info":null})");
    }

    void episodesWithoutSeasons()
    {
        QFETCH(QByteArray, body);
        const auto info = ProviderJson::decode<SeriesInfoResponse>(body);
        QVERIFY(info);
        QVERIFY(info->seasons().isEmpty());
    }

    void seriesDetailMustBeAnObject()
    {
        QVERIFY(!ProviderJson::decode<SeriesInfoResponse>("[]"));
        QVERIFY(!ProviderJson::decode<SeriesInfoResponse>(""));
        const auto noInfo = ProviderJson::decode<SeriesInfoResponse>(R"({"info":[]})");
        QVERIFY(noInfo);
        QVERIFY(noInfo->cover().isNull() && noInfo->plot().isNull());
    }

    void durationText_data()
    {
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<QString>("expected");
        QTest::newRow("45 min") << qint64(2700) << QStringLiteral("45 min");
        QTest::newRow("2 h 1 min") << qint64(7260) << QStringLiteral("2 h 1 min");
        QTest::newRow("1 h 30 min") << qint64(5400) << QStringLiteral("1 h 30 min");
        QTest::newRow("exactly one hour") << qint64(3600) << QStringLiteral("1 h 0 min");
        QTest::newRow("under a minute") << qint64(30) << QStringLiteral("0 min");
        QTest::newRow("zero") << qint64(0) << QString();
        QTest::newRow("negative") << qint64(-5) << QString();
    }

    void durationText()
    {
        QFETCH(qint64, seconds);
        QFETCH(QString, expected);
        const Episode episode({.durationSecs = seconds});
        QCOMPARE(episode.durationText(), expected);
        QCOMPARE(episode.durationText().isNull(), expected.isNull());
        QVERIFY(Episode().durationText().isNull());
    }

    void seriesList();

    void guideTexts_data();
    void guideTexts()
    {
        QFETCH(QByteArray, title);
        QFETCH(QString, expected);
        const EPGListing listing = onlyListing(R"({"title":)" + title + R"(,"description":)" + title + "}");
        QCOMPARE(listing.title(), expected);
        QCOMPARE(listing.description(), expected);
    }

    void guideTimes_data()
    {
        QTest::addColumn<QByteArray>("start");
        QTest::addColumn<qint64>("expected");
        QTest::newRow("number") << QByteArray("1700000000") << qint64(1700000000);
        QTest::newRow("text") << QByteArray(R"("1700000000")") << qint64(1700000000);
        QTest::newRow("decimal text") << QByteArray(R"("1700000000.5")") << qint64(0);
        QTest::newRow("empty text") << QByteArray(R"("")") << qint64(0);
        QTest::newRow("null") << QByteArray("null") << qint64(0);
    }

    void guideTimes()
    {
        QFETCH(QByteArray, start);
        QFETCH(qint64, expected);
        QCOMPARE(onlyListing(R"({"start_timestamp":)" + start + "}").startTimestamp(), expected);
    }

    void nowPlayingMark_data()
    {
        QTest::addColumn<QByteArray>("mark");
        QTest::addColumn<bool>("expected");
        QTest::newRow("text 1") << QByteArray(R"(,"now_playing":"1")") << true;
        QTest::newRow("number 1") << QByteArray(R"(,"now_playing":1)") << true;
        QTest::newRow("number 0") << QByteArray(R"(,"now_playing":0)") << false;
        QTest::newRow("2") << QByteArray(R"(,"now_playing":2)") << false;
        QTest::newRow("missing") << QByteArray() << false;
    }

    void nowPlayingMark()
    {
        QFETCH(QByteArray, mark);
        QFETCH(bool, expected);
        const EPGListing listing = onlyListing(R"({"title":"x")" + mark + "}");
        QCOMPARE(listing.nowPlaying(), expected);
        QCOMPARE(listing.isNow(0), expected); // start 0 and stop 0: only the mark makes it now
    }

    void isNowEdges_data()
    {
        QTest::addColumn<qint64>("now");
        QTest::addColumn<bool>("expected");
        QTest::newRow("before") << qint64(999) << false;
        QTest::newRow("at start") << qint64(1000) << true;
        QTest::newRow("inside") << qint64(1500) << true;
        QTest::newRow("at stop") << qint64(2000) << false;
    }

    void isNowEdges()
    {
        QFETCH(qint64, now);
        QFETCH(bool, expected);
        const EPGListing listing({.startTimestamp = 1000, .stopTimestamp = 2000});
        QCOMPARE(listing.isNow(now), expected);
        QVERIFY(!EPGListing().isNow());
    }

    void timeRange()
    {
        // 2023-11-14 22:13:20 UTC to 23:43:20 UTC.
        const EPGListing listing({.startTimestamp = 1700000000, .stopTimestamp = 1700005400});
        QCOMPARE(listing.timeRange(), QStringLiteral("22:13 - 23:43"));
    }

    void guideShapes_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("count"); // -1: the answer is refused
        QTest::newRow("listings") << QByteArray(R"({"epg_listings":[{"title":"a"},{"title":"b"}]})") << 2;
        QTest::newRow("object instead of list") << QByteArray(R"({"epg_listings":{"0":{"title":"a"}}})") << 0;
        QTest::newRow("element not an object") << QByteArray(R"({"epg_listings":[{"title":"a"},"b"]})") << 0;
        QTest::newRow("null") << QByteArray(R"({"epg_listings":null})") << 0;
        QTest::newRow("missing") << QByteArray("{}") << 0;
        QTest::newRow("a list is no guide") << QByteArray("[]") << -1;
        QTest::newRow("a page is no guide") << QByteArray("<html>") << -1;
    }

    void guideShapes()
    {
        QFETCH(QByteArray, body);
        QFETCH(int, count);
        const auto guide = ProviderJson::decode<EPGResponse>(body);
        QCOMPARE(bool(guide), count >= 0);
        if (guide)
            QCOMPARE(guide->listings().size(), count);
    }

    void everyDecodeMakesNewIdentities()
    {
        const QByteArray body = R"({"epg_listings":[{"title":"a"},{"title":"a"}]})";
        const QList<EPGListing> first = ProviderJson::decode<EPGResponse>(body)->listings();
        const QList<EPGListing> second = ProviderJson::decode<EPGResponse>(body)->listings();
        QVERIFY(!first[0].id().isNull());
        QVERIFY(first[0].id() != first[1].id());
        QVERIFY(first[0].id() != second[0].id());
        QVERIFY(first[0] != second[0]);
    }
};

void TestSeriesGuide::seasonsInOrder()
{
    const auto info = ProviderJson::decode<SeriesInfoResponse>(R"({
        "info": {"cover": "http://x/c.jpg", "plot": 12},
        "episodes": {
            "2":  [{"id": "21", "episode_num": 1}],
            "1":  [{"id": "13", "episode_num": 3}, {"id": "11", "episode_num": "1"}, {"id": "12", "episode_num": 2}],
            "S1": [{"id": "x1", "episode_num": 1}],
            "01": [{"id": "a", "episode_num": 0}, {"id": "b"}, {"id": "c", "episode_num": 0}]
        }})");
    QVERIFY(info);
    QCOMPARE(info->cover(), QStringLiteral("http://x/c.jpg"));
    QCOMPARE(info->plot(), QStringLiteral("12"));
    // "S1" is season 0; "1" and "01" stay two pairs, in the order they were visited.
    QCOMPARE(seasonNumbers(*info), (QList<qint64>{0, 1, 1, 2}));
    const QList<Season> seasons = info->seasons();
    QCOMPARE(episodeIds(seasons[0]), QStringList{QStringLiteral("x1")});
    QCOMPARE(episodeIds(seasons[1]),
             (QStringList{QStringLiteral("11"), QStringLiteral("12"), QStringLiteral("13")}));
    // Equal episode numbers keep the answer's order.
    QCOMPARE(episodeIds(seasons[2]),
             (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
    QCOMPARE(episodeIds(seasons[3]), QStringList{QStringLiteral("21")});
}

void TestSeriesGuide::episodeSeasonNumbers()
{
    const auto info = ProviderJson::decode<SeriesInfoResponse>(R"({"episodes": {"4": [
        {"id": "a", "episode_num": 1},
        {"id": "b", "episode_num": 2, "season": 0},
        {"id": "c", "episode_num": 3, "season": "5"}]}})");
    QVERIFY(info);
    QCOMPARE(info->seasons().size(), 1);
    const Season season = info->seasons().at(0);
    QCOMPARE(season.season(), 4);
    QCOMPARE(season.episodes().at(0).season(), 4);
    QCOMPARE(season.episodes().at(1).season(), 4);
    QCOMPARE(season.episodes().at(2).season(), 5);
}

void TestSeriesGuide::episodeFields()
{
    const auto info = ProviderJson::decode<SeriesInfoResponse>(R"({"episodes": {"1": [
        {"id": 501, "episode_num": 1, "title": "Piloto", "container_extension": "mkv",
         "info": {"plot": "Empieza", "duration_secs": "2700", "movie_image": "http://x/e.jpg"}},
        {"episode_num": 2, "info": []}]}})");
    QVERIFY(info);
    const QList<Episode> episodes = info->seasons().at(0).episodes();
    const Episode expected({.id = QStringLiteral("501"),
                            .episodeNum = 1,
                            .season = 1,
                            .title = QStringLiteral("Piloto"),
                            .containerExtension = QStringLiteral("mkv"),
                            .plot = QStringLiteral("Empieza"),
                            .image = QStringLiteral("http://x/e.jpg"),
                            .durationSecs = 2700});
    QCOMPARE(episodes.at(0), expected);
    QCOMPARE(episodes.at(0).durationText(), QStringLiteral("45 min"));
    const Episode bare = episodes.at(1);
    QVERIFY(bare.id().isEmpty() && !bare.id().isNull());
    QVERIFY(bare.title().isEmpty() && !bare.title().isNull());
    QVERIFY(bare.containerExtension().isNull());
    QVERIFY(bare.plot().isNull());
    QVERIFY(!bare.durationSecs());
}

void TestSeriesGuide::seriesList()
{
    const auto series = ProviderJson::decode<QList<SeriesStream>>(R"([
        {"name":"Uno","series_id":1,"last_modified":1700000000,"rating":7.5,"cover":null},
        {"series_id":"1","last_modified":"1700000000"},
        {"last_modified":"ayer"}])");
    QVERIFY(series);
    QCOMPARE(series->size(), 3);
    QCOMPARE(series->at(0).lastModifiedEpoch(), series->at(1).lastModifiedEpoch());
    QCOMPARE(series->at(0).lastModifiedEpoch(), 1700000000);
    QCOMPARE(series->at(0).rating(), QStringLiteral("7.5"));
    QVERIFY(series->at(0).cover().isNull());
    QCOMPARE(series->at(1).name(), QStringLiteral("(sin nombre)"));
    QCOMPARE(series->at(2).seriesId(), QString(""));
    QCOMPARE(series->at(2).lastModifiedEpoch(), 0);
    QVERIFY(!ProviderJson::decode<QList<SeriesStream>>(R"([{"name":"a"},"b"])"));
}

void TestSeriesGuide::guideTexts_data()
{
    QTest::addColumn<QByteArray>("title");
    QTest::addColumn<QString>("expected");
    const auto b64 = [](const char *text) { return '"' + QByteArray(text).toBase64() + '"'; };
    QTest::newRow("word and blank") << b64("Noticias ") << QStringLiteral("Noticias");
    QTest::newRow("accents") << b64("\n Fútbol en vivo\t") << QStringLiteral("Fútbol en vivo");
    QTest::newRow("plain text with a blank") << QByteArray(R"("Hola mundo")") << QStringLiteral("Hola mundo");
    QTest::newRow("not UTF-8 inside") << QByteArray(R"("//4=")") << QStringLiteral("//4=");
    QTest::newRow("digits decode to non-UTF-8") << QByteArray("1234") << QStringLiteral("1234");
    QTest::newRow("only blanks") << QByteArray(R"("  \t ")") << QString("");
    QTest::newRow("missing fill") << QByteArray(R"("SG9sYQ")") << QStringLiteral("SG9sYQ");
    QTest::newRow("embedded line break") << QByteArray(R"("SG9s\nYQ==")") << QStringLiteral("SG9s\nYQ==");
    QTest::newRow("leading blank") << QByteArray(R"(" SG9sYQ==")") << QStringLiteral(" SG9sYQ==");
    QTest::newRow("URL-safe alphabet") << QByteArray(R"("-_-_")") << QStringLiteral("-_-_");
    QTest::newRow("fill in the middle") << QByteArray(R"("QQ==QQ==")") << QStringLiteral("QQ==QQ==");
    QTest::newRow("valid with fill") << QByteArray(R"("SG9sYQ==")") << QStringLiteral("Hola");
    // PHP panels write every "/" as "\/", those of the Base64 alphabet too.
    QTest::newRow("escaped \"/\" in the Base64")
        << QByteArray(R"("wr9RdcOpIHBhc2E\/")") << QStringLiteral("¿Qué pasa?");
    QTest::newRow("null") << QByteArray("null") << QString("");
}

NORVANE_TEST_MAIN(TestSeriesGuide)
#include "tst_series_guide.moc"
