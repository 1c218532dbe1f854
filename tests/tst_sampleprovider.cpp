#include "LivePlaylist.h"
#include "ProviderJson.h"
#include "SampleCatalog.h"
#include "SampleMedia.h"
#include "SampleProvider.h"
#include "TestMain.h"

#include <QElapsedTimer>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>

Q_DECLARE_METATYPE(ProviderFault)

namespace {

struct Fetched
{
    int status = 0;
    QByteArray body;
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    QByteArray contentType;
    QByteArray contentRange;
    QByteArray acceptRanges;
    qint64 elapsedMs = 0;
    int progressSteps = 0;    // downloadProgress signals that brought new bytes
    bool sawHeaders = false;
};

} // namespace

class TestSampleProvider : public QObject
{
    Q_OBJECT

    SampleProvider *m_provider = nullptr;
    QNetworkAccessManager m_network;

    QString api(const QString &query) const
    {
        return m_provider->baseUrl() + QStringLiteral("/player_api.php?username=demo&password=demo1234") + query;
    }

    Fetched fetch(const QString &url, const QByteArray &range = {}, int transferTimeoutMs = 0,
                  const QByteArray &userAgent = {})
    {
        QNetworkRequest request{QUrl(url)};
        if (!range.isEmpty())
            request.setRawHeader("Range", range);
        if (!userAgent.isEmpty())
            request.setRawHeader("User-Agent", userAgent);
        request.setTransferTimeout(transferTimeoutMs);
        Fetched out;
        QElapsedTimer timer;
        timer.start();
        QNetworkReply *reply = m_network.get(request);
        qint64 lastReceived = 0;
        connect(reply, &QNetworkReply::downloadProgress, this, [&](qint64 received, qint64) {
            if (received > lastReceived)
                ++out.progressSteps;
            lastReceived = received;
        });
        connect(reply, &QNetworkReply::metaDataChanged, this, [&] { out.sawHeaders = true; });
        QEventLoop loop;
        connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(20000, &loop, &QEventLoop::quit);
        loop.exec();
        out.elapsedMs = timer.elapsed();
        out.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (reply->isOpen())
            out.body = reply->readAll();
        out.error = reply->error();
        out.contentType = reply->rawHeader("Content-Type");
        out.contentRange = reply->rawHeader("Content-Range");
        out.acceptRanges = reply->rawHeader("Accept-Ranges");
        reply->abort();
        reply->deleteLater();
        return out;
    }

    QJsonDocument json(const QString &query)
    {
        const Fetched answer = fetch(api(query));
        return QJsonDocument::fromJson(answer.body);
    }

    static QByteArray fileBytes(const QString &path, qint64 from = 0, qint64 length = -1)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        file.seek(from);
        return length < 0 ? file.readAll() : file.read(length);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(SampleMedia::ensureAll(), qPrintable(SampleMedia::lastError()));
    }

    void init()
    {
        m_provider = new SampleProvider(this);
        QVERIFY(m_provider->listenOn(QHostAddress::LocalHost, 0));
    }

    void cleanup()
    {
        delete m_provider;
        m_provider = nullptr;
    }

    void signIn()
    {
        auto auth = ProviderJson::decode<AuthResponse>(fetch(api({})).body);
        QVERIFY(auth.ok());
        QVERIFY(auth->userInfo());
        QCOMPARE(auth->userInfo()->auth(), std::optional<qint64>(1));
        QCOMPARE(auth->userInfo()->status(), QStringLiteral("Active"));

        const Fetched wrong = fetch(m_provider->baseUrl()
                                    + QStringLiteral("/player_api.php?username=demo&password=nope&action=get_vod_streams"));
        QCOMPARE(wrong.body, QByteArray(R"({"user_info":{"auth":0}})"));
        // Other credentials set by a test are the only ones accepted.
        m_provider->setCredentials(QStringLiteral("ana"), QStringLiteral("p@ss ñ"));
        QCOMPARE(fetch(api({})).body, QByteArray(R"({"user_info":{"auth":0}})"));
        const auto other = ProviderJson::decode<AuthResponse>(
            fetch(m_provider->baseUrl() + QStringLiteral("/player_api.php?username=ana&password=p%40ss%20%C3%B1")).body);
        QCOMPARE(other->userInfo()->auth(), std::optional<qint64>(1));
    }

    void listsDecodeWithTheAppRecords()
    {
        const auto live = ProviderJson::decode<QList<Category>>(fetch(api("&action=get_live_categories")).body);
        const auto vod = ProviderJson::decode<QList<Category>>(fetch(api("&action=get_vod_categories")).body);
        const auto series = ProviderJson::decode<QList<Category>>(fetch(api("&action=get_series_categories")).body);
        QVERIFY(live.ok() && vod.ok() && series.ok());
        QCOMPARE(live->size(), 12);
        QCOMPARE(vod->size(), 20);
        QCOMPARE(series->size(), 15);

        const auto channels = ProviderJson::decode<QList<LiveStream>>(fetch(api("&action=get_live_streams")).body);
        QVERIFY(channels.ok());
        QCOMPARE(channels->size(), 300);
        // The huge integer inside the movie list must not cost the other records.
        const auto movies = ProviderJson::decode<QList<VodStream>>(fetch(api("&action=get_vod_streams")).body);
        QVERIFY(movies.ok());
        QCOMPARE(movies->size(), 3000);
        QCOMPARE(movies->at(1).streamId(), QStringLiteral("200002")); // sent as text
        QCOMPARE(movies->at(0).streamId(), QStringLiteral("200001")); // sent as a number
        const QJsonDocument seriesList = json("&action=get_series");
        QCOMPARE(seriesList.array().size(), 400);

        // Every channel and movie of a category says so, and the union covers the list.
        int inCategories = 0;
        for (const Category &category : *vod) {
            const auto some = ProviderJson::decode<QList<VodStream>>(
                fetch(api("&action=get_vod_streams&category_id=" + category.categoryId())).body);
            QVERIFY(some.ok());
            for (const VodStream &movie : *some)
                QVERIFY2(movie.categoryId() == category.categoryId(), qPrintable(movie.streamId()));
            inCategories += some->size();
        }
        int withoutCategory = 0;
        for (const VodStream &movie : *movies)
            withoutCategory += movie.categoryId().isNull() ? 1 : 0;
        QVERIFY(withoutCategory > 0);
        QCOMPARE(inCategories + withoutCategory, 3000);

        const auto news = ProviderJson::decode<QList<LiveStream>>(fetch(api("&action=get_live_streams&category_id=1")).body);
        QVERIFY(news.ok());
        QStringList newsIds;
        for (const LiveStream &channel : *news)
            newsIds << channel.streamId();
        QVERIFY(newsIds.contains(QString::number(SampleCatalog::brokenPlaylistChannelId)));
        QVERIFY(newsIds.contains(QString::number(SampleCatalog::brokenChannelId)));
    }

    void looseShapesReallyOccur()
    {
        const QByteArray vodBytes = fetch(api("&action=get_vod_streams")).body;
        QVERIFY(vodBytes.contains("123456789012345678901234"));
        const QJsonArray movies = QJsonDocument::fromJson(vodBytes).array();
        const QJsonArray channels = json("&action=get_live_streams").array();
        const QJsonArray series = json("&action=get_series").array();
        const QJsonArray categories = json("&action=get_vod_categories").array();

        QSet<QString> seen;
        const auto shape = [](const QJsonObject &object, const QString &key) {
            if (!object.contains(key))
                return QStringLiteral("missing");
            const QJsonValue value = object.value(key);
            if (value.isNull())
                return QStringLiteral("null");
            if (value.isDouble())
                return value.toDouble() == std::floor(value.toDouble()) ? QStringLiteral("int") : QStringLiteral("fraction");
            if (value.isString()) {
                const QString text = value.toString();
                if (text.isEmpty())
                    return QStringLiteral("empty text");
                bool numeric = false;
                text.toDouble(&numeric);
                return numeric ? QStringLiteral("numeric text") : QStringLiteral("text");
            }
            return QStringLiteral("other");
        };
        const auto collect = [&](const QJsonArray &list, const QString &label, const QString &key) {
            for (const QJsonValue &v : list)
                seen.insert(label + ':' + key + ':' + shape(v.toObject(), key));
        };
        collect(movies, "movie", "stream_id");
        collect(movies, "movie", "name");
        collect(movies, "movie", "rating");
        collect(movies, "movie", "added");
        collect(movies, "movie", "category_id");
        collect(channels, "channel", "num");
        collect(channels, "channel", "name");
        collect(channels, "channel", "stream_icon");
        collect(series, "series", "series_id");
        collect(series, "series", "last_modified");
        collect(series, "series", "name");
        collect(categories, "category", "category_name");
        collect(categories, "category", "category_id");

        const QStringList expected{
            "movie:stream_id:int", "movie:stream_id:numeric text", "movie:name:missing", "movie:name:null",
            "movie:rating:fraction", "movie:rating:numeric text", "movie:rating:empty text", "movie:rating:null",
            "movie:rating:int", "movie:added:numeric text", "movie:added:int", "movie:added:missing",
            "movie:added:text", "movie:category_id:null", "channel:num:missing", "channel:num:null",
            "channel:num:int", "channel:num:numeric text", "channel:name:missing", "channel:name:null",
            "channel:stream_icon:empty text", "channel:stream_icon:null", "series:series_id:int",
            "series:series_id:numeric text", "series:last_modified:numeric text", "series:last_modified:int",
            "series:last_modified:missing", "series:name:missing", "category:category_name:missing",
            "category:category_id:int", "category:category_id:numeric text"};
        for (const QString &shapeName : expected)
            QVERIFY2(seen.contains(shapeName), qPrintable(shapeName));

        // Exactly the rating texts panels send: "8" and "0" among them.
        QSet<QString> ratingTexts;
        for (const QJsonValue &v : movies)
            if (v.toObject().value("rating").isString())
                ratingTexts.insert(v.toObject().value("rating").toString());
        QVERIFY(ratingTexts.contains("8") && ratingTexts.contains("0") && ratingTexts.contains(""));

        // Spanish text and adult categories.
        const QByteArray allNames = json("&action=get_live_categories").toJson() + json("&action=get_vod_categories").toJson()
                                    + json("&action=get_series_categories").toJson();
        for (const char *needle : {"XXX", "Adultos +18", "18+", "Acción", "Fantasía"})
            QVERIFY2(allNames.contains(needle), needle);
        QVERIFY(vodBytes.contains("ñ") && vodBytes.contains("í"));
    }

    void movieDetails_data()
    {
        QTest::addColumn<qint64>("movieId");
        QTest::addColumn<bool>("hasInfo");
        QTest::addColumn<QString>("extension");
        QTest::newRow("with info") << SampleCatalog::tracksMovieId << true << "mp4";
        QTest::newRow("info is []") << qint64(200008) << false << "mp4";
        QTest::newRow("huge tmdb id, mkv") << qint64(201000) << true << "mkv";
    }
    void movieDetails()
    {
        QFETCH(qint64, movieId);
        QFETCH(bool, hasInfo);
        QFETCH(QString, extension);
        const QByteArray body = fetch(api("&action=get_vod_info&vod_id=" + QString::number(movieId))).body;
        if (!hasInfo)
            QVERIFY(body.contains(R"("info":[])"));
        const auto detail = ProviderJson::decode<VodInfoResponse>(body);
        QVERIFY(detail.ok());
        QCOMPARE(detail->hasInfo(), hasInfo);
        QVERIFY(detail->hasMovieData());
        QCOMPARE(detail->movieData()->streamId(), QString::number(movieId));
        QCOMPARE(detail->movieData()->containerExtension(), extension);
        if (hasInfo) {
            QVERIFY(!detail->info()->plot().isEmpty());
            QVERIFY(detail->info()->movieImage().startsWith(m_provider->baseUrl() + "/images/poster/"));
        }
    }

    void seriesDetails()
    {
        // Series 1 holds the truncated episode; its episodes are playable at /series/.
        const QJsonObject first = json("&action=get_series_info&series_id=1").object();
        const QJsonObject episodes = first.value("episodes").toObject();
        QVERIFY(!episodes.isEmpty());
        QVERIFY(first.value("info").toObject().contains("cover"));
        bool foundTruncated = false;
        for (const QString &key : episodes.keys()) {
            QVERIFY(key.toInt() >= 1 && key.toInt() <= 4);
            for (const QJsonValue &e : episodes.value(key).toArray()) {
                const QJsonObject episode = e.toObject();
                QCOMPARE(episode.value("container_extension").toString(), QStringLiteral("mp4"));
                const QString id = episode.value("id").isString() ? episode.value("id").toString()
                                                                  : QString::number(episode.value("id").toInteger());
                foundTruncated |= id == QString::number(SampleCatalog::truncatedEpisodeId);
            }
        }
        QVERIFY(foundTruncated);

        // Keys in descending order for some series, seasons as objects, and the series without episodes.
        const QByteArray second = fetch(api("&action=get_series_info&series_id=2")).body;
        QVERIFY(QJsonDocument::fromJson(second).object().value("episodes").isObject());
        const QJsonObject empty = json("&action=get_series_info&series_id="
                                       + QString::number(SampleCatalog::episodelessSeriesId)).object();
        QVERIFY(empty.value("episodes").isArray());
        QVERIFY(empty.value("episodes").toArray().isEmpty());
        int seasonsAsText = 0;
        for (int id = 1; id <= 40; ++id) {
            const QByteArray body = fetch(api("&action=get_series_info&series_id=" + QString::number(id))).body;
            seasonsAsText += body.contains(R"("season":"1")") ? 1 : 0;
        }
        QVERIFY(seasonsAsText > 0);
    }

    void shortEpgAroundNow_data()
    {
        QTest::addColumn<qint64>("channelId");
        QTest::addColumn<int>("limit");
        QTest::newRow("one, text stamps") << qint64(1001) << 1;
        QTest::newRow("twelve, number stamps, now_playing text") << qint64(1002) << 12;
    }
    void shortEpgAroundNow()
    {
        QFETCH(qint64, channelId);
        QFETCH(int, limit);
        const QJsonArray listings = json("&action=get_short_epg&stream_id=" + QString::number(channelId)
                                         + "&limit=" + QString::number(limit))
                                        .object()
                                        .value("epg_listings")
                                        .toArray();
        QCOMPARE(listings.size(), limit);
        const qint64 now = QDateTime::currentSecsSinceEpoch();
        qint64 previousStop = 0;
        for (int i = 0; i < listings.size(); ++i) {
            const QJsonObject entry = listings.at(i).toObject();
            const QByteArray title = QByteArray::fromBase64(entry.value("title").toString().toLatin1(),
                                                            QByteArray::AbortOnBase64DecodingErrors);
            QVERIFY(!title.isEmpty());
            QVERIFY(!QString::fromUtf8(title).contains(QChar::ReplacementCharacter));
            QVERIFY(!QByteArray::fromBase64(entry.value("description").toString().toLatin1()).isEmpty());
            const QJsonValue startValue = entry.value("start_timestamp");
            const qint64 start = startValue.isString() ? startValue.toString().toLongLong() : startValue.toInteger();
            const QJsonValue stopValue = entry.value("stop_timestamp");
            const qint64 stop = stopValue.isString() ? stopValue.toString().toLongLong() : stopValue.toInteger();
            QVERIFY(stop > start);
            if (i == 0) {
                QVERIFY(start <= now && now < stop);
                const QJsonValue playing = entry.value("now_playing");
                QVERIFY(playing == QJsonValue(1) || playing == QJsonValue("1"));
            } else {
                QCOMPARE(start, previousStop);
                QCOMPARE(entry.value("now_playing"), QJsonValue(0));
            }
            previousStop = stop;
        }
    }

    void unknownGivesEmptyArray_data()
    {
        QTest::addColumn<QString>("query");
        QTest::newRow("unknown action") << "&action=get_everything";
        QTest::newRow("unknown category") << "&action=get_vod_streams&category_id=9999";
        QTest::newRow("category of another kind") << "&action=get_series&category_id=1";
        QTest::newRow("category not a number") << "&action=get_live_streams&category_id=abc";
        QTest::newRow("empty category") << "&action=get_live_streams&category_id=";
        QTest::newRow("unknown movie") << "&action=get_vod_info&vod_id=42";
        QTest::newRow("movie id missing") << "&action=get_vod_info";
        QTest::newRow("unknown series") << "&action=get_series_info&series_id=999999";
        QTest::newRow("series id not a number") << "&action=get_series_info&series_id=x1";
        QTest::newRow("unknown channel guide") << "&action=get_short_epg&stream_id=5&limit=4";
        QTest::newRow("guide without channel") << "&action=get_short_epg";
        QTest::newRow("huge id") << "&action=get_vod_info&vod_id=123456789012345678901234";
    }
    void unknownGivesEmptyArray()
    {
        QFETCH(QString, query);
        const Fetched answer = fetch(api(query));
        QCOMPARE(answer.status, 200);
        QCOMPARE(answer.body, QByteArray("[]"));
    }

    void faultKnobs_data()
    {
        QTest::addColumn<ProviderFault>("fault");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("expect");
        ProviderFault f;
        f.status = 503;
        QTest::newRow("status") << f << 503 << int(QNetworkReply::ServiceUnavailableError) << "json";
        f = {};
        f.htmlBody = true;
        QTest::newRow("html body") << f << 200 << int(QNetworkReply::NoError) << "html";
        f = {};
        f.delayMs = 300;
        QTest::newRow("delay") << f << 200 << int(QNetworkReply::NoError) << "delayed";
        f = {};
        f.bytesPerSecond = 200000; // the 80 KB channel list in about 0.4 s, in slices
        QTest::newRow("slow body") << f << 200 << int(QNetworkReply::NoError) << "slow";
        f = {};
        f.dropMidBody = true;
        QTest::newRow("dropped mid-body") << f << 200 << int(QNetworkReply::RemoteHostClosedError) << "partial";
        f = {};
        f.stall = true;
        QTest::newRow("stall") << f << 0 << int(QNetworkReply::OperationCanceledError) << "nothing";
        f = {};
        f.stallAfterHeaders = true;
        QTest::newRow("stall after headers") << f << 200 << int(QNetworkReply::OperationCanceledError) << "headers";
        f = {};
        f.emptyBody = true;
        QTest::newRow("empty body") << f << 200 << int(QNetworkReply::NoError) << "empty";
        f = {};
        f.body = QByteArray("{\"nope\":");
        QTest::newRow("replaced body") << f << 200 << int(QNetworkReply::NoError) << "replaced";
    }
    void faultKnobs()
    {
        QFETCH(ProviderFault, fault);
        QFETCH(int, status);
        QFETCH(int, error);
        QFETCH(QString, expect);
        m_provider->setFault(QStringLiteral("get_live_streams"), fault);
        const QByteArray normal = SampleCatalog().answer("get_live_streams", {}, m_provider->baseUrl());
        const Fetched answer = fetch(api("&action=get_live_streams"), {}, 600);
        QCOMPARE(answer.status, status);
        QCOMPARE(int(answer.error), error);
        if (expect == "json") {
            QCOMPARE(answer.body, normal);
        } else if (expect == "html") {
            QCOMPARE(answer.contentType, QByteArray("text/html"));
            QVERIFY(answer.body.startsWith("<!DOCTYPE html>"));
        } else if (expect == "delayed") {
            QVERIFY(answer.elapsedMs >= 280);
            QCOMPARE(answer.body, normal);
        } else if (expect == "slow") {
            QCOMPARE(answer.body, normal);
            QVERIFY2(answer.progressSteps >= 3, qPrintable(QString::number(answer.progressSteps)));
            QVERIFY(answer.elapsedMs >= 250);
        } else if (expect == "partial") {
            QVERIFY(answer.body.size() < normal.size());
        } else if (expect == "nothing") {
            QVERIFY(!answer.sawHeaders);
            QVERIFY(answer.elapsedMs >= 550);
        } else if (expect == "headers") {
            QVERIFY(answer.sawHeaders);
            QVERIFY(answer.body.isEmpty());
        } else if (expect == "empty") {
            QVERIFY(answer.body.isEmpty());
        } else if (expect == "replaced") {
            QCOMPARE(answer.body, QByteArray("{\"nope\":"));
        }
        // Other actions are untouched, and the provider still answers after the fault.
        QCOMPARE(fetch(api("&action=get_live_categories")).status, 200);
    }

    void pathFaults()
    {
        ProviderFault broken;
        broken.status = 500;
        m_provider->setPathFault(QStringLiteral("/images/"), broken);
        const Fetched image = fetch(m_provider->baseUrl() + "/images/poster/200001.jpg");
        QCOMPARE(image.status, 500);
        QCOMPARE(image.contentType, QByteArray("text/html"));

        // A delivery-only fault delays or slows the real stream instead of replacing it.
        ProviderFault slow;
        slow.delayMs = 200;
        slow.bytesPerSecond = 20000;
        m_provider->setPathFault(QStringLiteral("/series/"), slow);
        const QString episode = SampleMedia::path(SampleMedia::Kind::Episode);
        const Fetched part = fetch(m_provider->baseUrl() + "/series/demo/demo1234/121.mp4", "bytes=0-9999");
        QCOMPARE(part.status, 206);
        QCOMPARE(part.body, fileBytes(episode, 0, 10000));
        QVERIFY(part.elapsedMs >= 500);
        QVERIFY(part.progressSteps >= 3);

        ProviderFault stall;
        stall.stall = true;
        m_provider->setPathFault(QStringLiteral("/live/"), stall);
        const Fetched live = fetch(m_provider->baseUrl() + "/live/demo/demo1234/1001.m3u8", {}, 300);
        QCOMPARE(int(live.error), int(QNetworkReply::OperationCanceledError));
        // The longest prefix wins: one channel can be faulted on its own.
        ProviderFault gone;
        gone.status = 404;
        m_provider->setPathFault(QStringLiteral("/live/demo/demo1234/1005"), gone);
        QCOMPARE(fetch(m_provider->baseUrl() + "/live/demo/demo1234/1005.ts").status, 404);

        m_provider->clearScript();
        QCOMPARE(fetch(m_provider->baseUrl() + "/images/poster/200001.jpg").status, 200);
    }

    void rangeRequests_data()
    {
        QTest::addColumn<QByteArray>("range");
        QTest::addColumn<int>("status");
        QTest::addColumn<qint64>("first");
        QTest::addColumn<qint64>("length"); // -1: to the end
        QTest::newRow("no range") << QByteArray() << 200 << qint64(0) << qint64(-1);
        QTest::newRow("first hundred") << QByteArray("bytes=0-99") << 206 << qint64(0) << qint64(100);
        QTest::newRow("from the middle") << QByteArray("bytes=5000000-") << 206 << qint64(5000000) << qint64(-1);
        QTest::newRow("suffix") << QByteArray("bytes=-500") << 206 << qint64(-500) << qint64(500);
        QTest::newRow("past the end") << QByteArray("bytes=999999999-") << 416 << qint64(0) << qint64(0);
        QTest::newRow("end beyond size is clipped") << QByteArray("bytes=100-999999999") << 206 << qint64(100)
                                                    << qint64(-1);
        QTest::newRow("malformed: whole file") << QByteArray("bytes=x-y") << 200 << qint64(0) << qint64(-1);
    }
    void rangeRequests()
    {
        QFETCH(QByteArray, range);
        QFETCH(int, status);
        QFETCH(qint64, first);
        QFETCH(qint64, length);
        const QString file = SampleMedia::path(SampleMedia::Kind::MoviePlain);
        const qint64 size = QFileInfo(file).size();
        if (first < 0)
            first += size;
        const Fetched answer = fetch(m_provider->baseUrl() + "/movie/demo/demo1234/"
                                     + QString::number(SampleCatalog::plainMovieId) + ".mp4", range);
        QCOMPARE(answer.status, status);
        QCOMPARE(answer.acceptRanges, QByteArray("bytes"));
        if (status == 416) {
            QCOMPARE(answer.contentRange, "bytes */" + QByteArray::number(size));
            return;
        }
        const QByteArray expected = fileBytes(file, first, length);
        QCOMPARE(answer.body.size(), expected.size());
        QVERIFY(answer.body == expected);
        if (status == 206)
            QCOMPARE(answer.contentRange, "bytes " + QByteArray::number(first) + '-'
                                              + QByteArray::number(first + expected.size() - 1) + '/'
                                              + QByteArray::number(size));
    }

    void streams_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("file"); // what the body must equal; empty: not checked
        const QString hls = QFileInfo(SampleMedia::path(SampleMedia::Kind::LivePlaylist)).absolutePath();
        QTest::newRow("live ts") << "/live/demo/demo1234/1001.ts" << 200 << SampleMedia::path(SampleMedia::Kind::LiveTs);
        QTest::newRow("live segment") << "/live/demo/demo1234/1001/seg001.ts" << 200 << hls + "/seg001.ts";
        QTest::newRow("broken playlist") << "/live/demo/demo1234/1002.m3u8" << 404 << QString();
        QTest::newRow("its ts still works") << "/live/demo/demo1234/1002.ts" << 200
                                            << SampleMedia::path(SampleMedia::Kind::LiveTs);
        QTest::newRow("both broken: m3u8") << "/live/demo/demo1234/1003.m3u8" << 404 << QString();
        QTest::newRow("both broken: ts") << "/live/demo/demo1234/1003.ts" << 404 << QString();
        QTest::newRow("unknown channel") << "/live/demo/demo1234/99.ts" << 404 << QString();
        QTest::newRow("missing segment") << "/live/demo/demo1234/1001/seg999.ts" << 404 << QString();
        QTest::newRow("wrong password") << "/live/demo/wrong/1001.ts" << 403 << QString();
        QTest::newRow("wrong user") << "/movie/nadie/demo1234/200001.mp4" << 403 << QString();
        QTest::newRow("movie with tracks") << "/movie/demo/demo1234/200002.mp4" << 200
                                           << SampleMedia::path(SampleMedia::Kind::MovieWithTracks);
        QTest::newRow("mkv record, same file") << "/movie/demo/demo1234/200020.mkv" << 200
                                               << SampleMedia::path(SampleMedia::Kind::MovieWithTracks);
        QTest::newRow("unknown movie") << "/movie/demo/demo1234/5.mp4" << 404 << QString();
        QTest::newRow("episode") << "/series/demo/demo1234/121.mp4" << 200 << SampleMedia::path(SampleMedia::Kind::Episode);
        QTest::newRow("truncated episode") << "/series/demo/demo1234/123.mp4" << 200
                                           << SampleMedia::path(SampleMedia::Kind::EpisodeTruncated);
        QTest::newRow("episode of an episodeless series") << "/series/demo/demo1234/4021.mp4" << 404 << QString();
        QTest::newRow("episode beyond the season") << "/series/demo/demo1234/139.mp4" << 404 << QString();
        QTest::newRow("dot segments") << "/live/demo/demo1234/1001/../../../etc/passwd" << 404 << QString();
        QTest::newRow("no id") << "/movie/demo/demo1234/.mp4" << 404 << QString();
        QTest::newRow("unknown path") << "/get.php?username=demo" << 404 << QString();
    }
    void streams()
    {
        QFETCH(QString, path);
        QFETCH(int, status);
        QFETCH(QString, file);
        const Fetched answer = fetch(m_provider->baseUrl() + path);
        QCOMPARE(answer.status, status);
        if (!file.isEmpty())
            QVERIFY(answer.body == fileBytes(file));
        if (status >= 400)
            QVERIFY(answer.contentType == "text/html");
    }

    void hlsPlaylistPointsAtItsSegments()
    {
        const Fetched playlist = fetch(m_provider->baseUrl() + "/live/demo/demo1234/1010.m3u8");
        QCOMPARE(playlist.status, 200);
        QCOMPARE(playlist.contentType, QByteArray("application/vnd.apple.mpegurl"));
        QVERIFY(playlist.body.startsWith("#EXTM3U"));
        // A live channel: no end, so players keep reloading it.
        QVERIFY(!playlist.body.contains("#EXT-X-ENDLIST"));
        int segments = 0;
        for (const QByteArray &line : playlist.body.split('\n')) {
            if (line.isEmpty() || line.startsWith('#'))
                continue;
            ++segments;
            // Relative to the playlist, as a player resolves it.
            const QUrl segment = QUrl(m_provider->baseUrl() + "/live/demo/demo1234/1010.m3u8").resolved(QUrl(line));
            const Fetched piece = fetch(segment.toString(), "bytes=0-187");
            QCOMPARE(piece.status, 206);
            QCOMPARE(piece.body.at(0), char(0x47)); // MPEG-TS sync byte
        }
        QCOMPARE(segments, 5);
    }

    void livePlaylistLoopsWithTheClock()
    {
        QFile recording(SampleMedia::path(SampleMedia::Kind::LivePlaylist));
        QVERIFY(recording.open(QIODevice::ReadOnly));
        const QList<LivePlaylist::Segment> segments = LivePlaylist::segmentsOf(recording.readAll());
        QCOMPARE(segments.size(), SampleMedia::liveSegments().size());
        qint64 cycleMs = 0;
        for (const auto &segment : segments)
            cycleMs += qint64(segment.seconds * 1000);
        QCOMPARE(cycleMs, qint64(SampleMedia::liveSeconds) * 1000);

        const auto field = [](const QByteArray &text, const QByteArray &tag) {
            for (const QByteArray &line : text.split('\n'))
                if (line.startsWith(tag))
                    return line.mid(tag.size()).toLongLong();
            return qint64(-1);
        };
        const qint64 start = qint64(1'800'000'000) * 1000 / cycleMs * cycleMs; // a loop starts here
        // Just after a loop starts: the window reaches back into the previous loop, over a discontinuity.
        const QByteArray wrapped = LivePlaylist::render(segments, "9/", start + 100);
        QCOMPARE(wrapped.count("#EXT-X-DISCONTINUITY\n"), 1);
        QVERIFY(wrapped.trimmed().endsWith("9/" + segments.first().uri));
        QCOMPARE(wrapped.count("#EXTINF:"), 5);
        // One loop later the same position comes back with the sequence numbers advanced by a loop.
        const QByteArray later = LivePlaylist::render(segments, "9/", start + 100 + cycleMs);
        QCOMPARE(field(later, "#EXT-X-MEDIA-SEQUENCE:") - field(wrapped, "#EXT-X-MEDIA-SEQUENCE:"), segments.size());
        QCOMPARE(field(later, "#EXT-X-DISCONTINUITY-SEQUENCE:") - field(wrapped, "#EXT-X-DISCONTINUITY-SEQUENCE:"), 1);
        // In the middle of a loop there is no discontinuity.
        const QByteArray middle = LivePlaylist::render(segments, "9/", start + cycleMs - 1);
        QCOMPARE(middle.count("#EXT-X-DISCONTINUITY\n"), 0);
        QVERIFY(LivePlaylist::render({}, "9/", start).isEmpty());
    }

    void images_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<QSize>("size");
        QTest::newRow("poster") << "/images/poster/200001.jpg" << QByteArray("image/jpeg") << QSize(400, 600);
        QTest::newRow("large poster") << "/images/poster/200001-xl.jpg" << QByteArray("image/jpeg") << QSize(2000, 3000);
        QTest::newRow("small poster") << "/images/poster/200001-sm.jpg" << QByteArray("image/jpeg") << QSize(200, 300);
        QTest::newRow("series cover") << "/images/cover/3.jpg" << QByteArray("image/jpeg") << QSize(400, 600);
        QTest::newRow("logo") << "/images/logo/1001.png" << QByteArray("image/png") << QSize(256, 256);
        QTest::newRow("still") << "/images/still/121.jpg" << QByteArray("image/jpeg") << QSize(640, 360);
        QTest::newRow("missing image") << SampleCatalog::missingImagePath() << QByteArray("text/html") << QSize();
        QTest::newRow("unknown movie") << "/images/poster/7.jpg" << QByteArray("text/html") << QSize();
        QTest::newRow("logo as jpeg") << "/images/logo/1001.jpg" << QByteArray("text/html") << QSize();
    }
    void images()
    {
        QFETCH(QString, path);
        QFETCH(QByteArray, format);
        QFETCH(QSize, size);
        const Fetched answer = fetch(m_provider->baseUrl() + path, {}, 0, "okhttp/4.9.0");
        QCOMPARE(answer.contentType, format);
        if (!size.isValid()) {
            QCOMPARE(answer.status, 404);
            QVERIFY(answer.body.startsWith("<!DOCTYPE html>"));
            return;
        }
        QCOMPARE(answer.status, 200);
        const QImage image = QImage::fromData(answer.body);
        QCOMPARE(image.size(), size);
        QCOMPARE(m_provider->requests().last().userAgent, QByteArray("okhttp/4.9.0"));
    }

    void recordsPointAtTheAddressAsked()
    {
        // The same catalog on a second address: its image URLs name that address.
        QVERIFY(m_provider->listenOn(QHostAddress(QStringLiteral("127.0.0.2")), m_provider->port()));
        const QString second = QStringLiteral("http://127.0.0.2:%1").arg(m_provider->port());
        const auto viaFirst = ProviderJson::decode<QList<LiveStream>>(fetch(api("&action=get_live_streams")).body);
        const auto viaSecond = ProviderJson::decode<QList<LiveStream>>(
            fetch(second + "/player_api.php?username=demo&password=demo1234&action=get_live_streams").body);
        QVERIFY(viaFirst.ok() && viaSecond.ok());
        QVERIFY(viaFirst->at(0).streamIcon().startsWith(m_provider->baseUrl() + "/images/logo/"));
        QVERIFY(viaSecond->at(0).streamIcon().startsWith(second + "/images/logo/"));
        const QList<ProviderRequest> asked = m_provider->requests("get_live_streams");
        QCOMPARE(asked.size(), 2);
        QCOMPARE(asked.at(0).host, QStringLiteral("127.0.0.1"));
        QCOMPARE(asked.at(1).host, QStringLiteral("127.0.0.2"));
        QCOMPARE(asked.at(1).query.value("username"), QStringLiteral("demo"));
        // Every image a record names is served (or is the one missing image).
        for (const LiveStream &channel : *viaSecond) {
            if (channel.streamIcon().isEmpty() || channel.streamIcon().endsWith(SampleCatalog::missingImagePath()))
                continue;
            QVERIFY(QUrl(channel.streamIcon()).isValid());
        }
        QCOMPARE(fetch(viaSecond->at(5).streamIcon()).status, 200);
    }

    void badInputNeverBreaksTheProvider_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("status");
        QTest::newRow("no parameters") << "/player_api.php" << 200;
        QTest::newRow("only an action") << "/player_api.php?action=get_vod_streams" << 200;
        QTest::newRow("garbage query") << "/player_api.php?%%%&&==&action" << 200;
        QTest::newRow("unknown page") << "/panel_api.php" << 404;
        QTest::newRow("root") << "/" << 404;
        QTest::newRow("very long path") << "/" + QString(4000, 'a') << 404;
        QTest::newRow("images root") << "/images/" << 404;
    }
    void badInputNeverBreaksTheProvider()
    {
        QFETCH(QString, path);
        QFETCH(int, status);
        QCOMPARE(fetch(m_provider->baseUrl() + path).status, status);
        QCOMPARE(fetch(api({})).status, 200);
    }

    void catalogSizesAndDeterminism()
    {
        const SampleCatalog a;
        const SampleCatalog b;
        const SampleCatalog other(SampleCatalog::Size::Default, 7);
        const QString base = QStringLiteral("http://127.0.0.1:8080");
        QCOMPARE(a.wholeList(SampleCatalog::Kind::Vod, base), b.wholeList(SampleCatalog::Kind::Vod, base));
        QVERIFY(a.wholeList(SampleCatalog::Kind::Vod, base) != other.wholeList(SampleCatalog::Kind::Vod, base));

        const SampleCatalog large(SampleCatalog::Size::Large);
        const auto movies = ProviderJson::decode<QList<VodStream>>(large.wholeList(SampleCatalog::Kind::Vod, base));
        QVERIFY(movies.ok());
        QCOMPARE(movies->size(), 100000);
        const auto channels = ProviderJson::decode<QList<LiveStream>>(large.wholeList(SampleCatalog::Kind::Live, base));
        QCOMPARE(channels->size(), 5000);
        QCOMPARE(QJsonDocument::fromJson(large.wholeList(SampleCatalog::Kind::Series, base)).array().size(), 20000);
        const auto extreme = SampleCatalog::countsFor(SampleCatalog::Size::Extreme);
        QCOMPARE(extreme.movies, 250000);
        QCOMPARE(extreme.series, 35000);
        QCOMPARE(extreme.channels, 60000);

        // The provider serves the size it was given.
        m_provider->setCatalogSize(SampleCatalog::Size::Large);
        QCOMPARE(json("&action=get_live_streams").array().size(), 5000);
    }
};

NORVANE_TEST_MAIN(TestSampleProvider)
#include "tst_sampleprovider.moc"
