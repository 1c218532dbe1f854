#include "LivePlaylist.h"
#include "SampleCatalog.h"
#include "SampleMedia.h"
#include "SampleProvider.h"
#include "TestMain.h"
#include "provider/ProviderJson.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <chrono>

using namespace std::chrono_literals;

Q_DECLARE_METATYPE(ProviderFault)

namespace {

struct Fetched
{
    int status = 0;
    QByteArray body;
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    qint64 elapsedMs = 0;
    int progressSteps = 0; // downloadProgress signals that brought new bytes
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
        return m_provider->baseUrl() + QStringLiteral("/player_api.php?username=demo&password=demo1234") +
               query;
    }

    Fetched fetch(const QString &url, int transferTimeoutMs = 0)
    {
        QNetworkRequest request{QUrl(url)};
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
        reply->abort();
        reply->deleteLater();
        return out;
    }

private Q_SLOTS:
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

        const Fetched wrong =
            fetch(m_provider->baseUrl() +
                  QStringLiteral("/player_api.php?username=demo&password=nope&action=get_vod_streams"));
        QCOMPARE(wrong.body, QByteArray(R"({"user_info":{"auth":0}})"));
        // Other credentials set by a test are the only ones accepted.
        m_provider->setCredentials(QStringLiteral("ana"), QStringLiteral("p@ss ñ"));
        QCOMPARE(fetch(api({})).body, QByteArray(R"({"user_info":{"auth":0}})"));
        const auto other = ProviderJson::decode<AuthResponse>(
            fetch(m_provider->baseUrl() +
                  QStringLiteral("/player_api.php?username=ana&password=p%40ss%20%C3%B1"))
                .body);
        QCOMPARE(other->userInfo()->auth(), std::optional<qint64>(1));
    }

    // Decoding tests over the served catalog prove the tolerant readers only if these shapes occur.
    void looseShapesReallyOccur()
    {
        const QByteArray vodBytes = fetch(api("&action=get_vod_streams")).body;
        QVERIFY(vodBytes.contains("123456789012345678901234"));
        const QJsonArray movies = QJsonDocument::fromJson(vodBytes).array();
        const auto shape = [](const QJsonObject &object, const QString &key) {
            const QJsonValue value = object.value(key);
            return key + (!object.contains(key) ? ":missing"
                          : value.isNull()      ? ":null"
                          : value.isString()    ? ":text"
                                                : ":number");
        };
        QSet<QString> seen;
        for (const QJsonValue &v : movies)
            for (const QString key : {"stream_id", "name", "rating"})
                seen.insert(shape(v.toObject(), key));
        for (const char *expected : {"stream_id:number", "stream_id:text", "name:missing", "name:null",
                                     "rating:text", "rating:number", "rating:null"})
            QVERIFY2(seen.contains(QLatin1String(expected)), expected);
        const auto decoded = ProviderJson::decode<QList<VodStream>>(vodBytes);
        QVERIFY(decoded.ok());
        QCOMPARE(decoded->size(), movies.size());
    }

    // Answers come escaped as PHP's json_encode writes them, and mean what the plain ones mean.
    void phpStyleAnswers_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QList<QByteArray>>("escapes"); // each must occur
        QTest::newRow("sign-in") << QString() << QList<QByteArray>{R"(America\/Santiago)"};
        QTest::newRow("movies") << "&action=get_vod_streams"
                                << QList<QByteArray>{R"(http:\/\/)", R"(\u00ed)", R"(\ud83c\udfac)", R"(\")"};
        QTest::newRow("series") << "&action=get_series"
                                << QList<QByteArray>{R"(\u2014)", R"(\r\n)", R"(\u00f3)"};
        QTest::newRow("movie detail")
            << "&action=get_vod_info&vod_id=200002" << QList<QByteArray>{R"(\r\n)", R"(\u00f1)"};
        QTest::newRow("series detail")
            << "&action=get_series_info&series_id=1" << QList<QByteArray>{R"(\u00ed)"};
    }

    void phpStyleAnswers()
    {
        QFETCH(QString, query);
        QFETCH(QList<QByteArray>, escapes);
        const QByteArray php = fetch(api(query)).body;
        m_provider->setJsonStyle(JsonWriter::Style::Plain);
        const QByteArray plain = fetch(api(query)).body;
        QVERIFY(!plain.contains(R"(\/)") && !plain.contains(R"(\u00)"));
        QCOMPARE(QJsonDocument::fromJson(php), QJsonDocument::fromJson(plain));
        QVERIFY(!QJsonDocument::fromJson(php).isEmpty());
        for (const QByteArray &escape : escapes)
            QVERIFY2(php.contains(escape), escape.constData());
        for (qsizetype i = 0; i < php.size(); ++i) {
            QVERIFY2(static_cast<unsigned char>(php[i]) < 0x80, "raw UTF-8 in a PHP-style answer");
            QVERIFY2(php[i] != '/' || php[i - 1] == '\\', "unescaped / in a PHP-style answer");
        }
    }

    // The faults whose absence the models' fault tests would not notice (a slow or stalled answer
    // still ends as the normal one or as a time-out); the others show there by their own text.
    void faultKnobs_data()
    {
        QTest::addColumn<ProviderFault>("fault");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("expect");
        ProviderFault f{.delayMs = 300};
        QTest::newRow("delay") << f << 200 << int(QNetworkReply::NoError) << "delayed";
        f = {};
        f.bytesPerSecond = 200000; // the 80 KB channel list in about 0.4 s, in slices
        QTest::newRow("slow body") << f << 200 << int(QNetworkReply::NoError) << "slow";
        f = {};
        f.stall = true;
        QTest::newRow("stall") << f << 0 << int(QNetworkReply::OperationCanceledError) << "nothing";
        f = {};
        f.stallAfterHeaders = true;
        QTest::newRow("stall after headers")
            << f << 200 << int(QNetworkReply::OperationCanceledError) << "headers";
    }
    void faultKnobs()
    {
        QFETCH(ProviderFault, fault);
        QFETCH(int, status);
        QFETCH(int, error);
        QFETCH(QString, expect);
        m_provider->setFault(QStringLiteral("get_live_streams"), fault);
        const QByteArray normal = SampleCatalog().answer("get_live_streams", {}, m_provider->baseUrl());
        const Fetched answer = fetch(api("&action=get_live_streams"), 600);
        QCOMPARE(answer.status, status);
        QCOMPARE(int(answer.error), error);
        if (expect == "delayed") {
            QVERIFY(answer.elapsedMs >= 280);
            QCOMPARE(answer.body, normal);
        } else if (expect == "slow") {
            QCOMPARE(answer.body, normal);
            QVERIFY2(answer.progressSteps >= 3, qPrintable(QString::number(answer.progressSteps)));
            QVERIFY(answer.elapsedMs >= 250);
        } else if (expect == "nothing") {
            QVERIFY(!answer.sawHeaders);
            QVERIFY(answer.elapsedMs >= 550);
        } else {
            QVERIFY(answer.sawHeaders);
            QVERIFY(answer.body.isEmpty());
        }
        // Other actions are untouched, and the provider still answers after the fault.
        QCOMPARE(fetch(api("&action=get_live_categories")).status, 200);
    }

    // A cut channel's TS connection is dropped at the cut and the channel is refused while it is
    // down; after the outage it plays again, and the HLS segments already listed are still served
    // past the cut until a playlist reload meets the outage.
    void liveCutDropsThenComesBack()
    {
        QVERIFY2(SampleMedia::ensureAll(), qPrintable(SampleMedia::lastError()));
        const qint64 channel = 1001; // any channel can be cut, not only the demo's
        m_provider->setLiveCut(channel, 500ms, 1000ms);
        const QString live = m_provider->baseUrl() + QStringLiteral("/live/demo/demo1234/");
        const QString address = live + QString::number(channel);

        const Fetched ts = fetch(address + ".ts");
        QCOMPARE(ts.status, 200);
        // Closed at the cut, the recording sent at its pace (not all at once); no length announced,
        // so the close ends the body.
        QVERIFY2(ts.elapsedMs >= 450 && ts.elapsedMs < 2000, qPrintable(QString::number(ts.elapsedMs)));
        QVERIFY(ts.body.startsWith('G')); // a transport stream's sync byte: media, not a page
        QVERIFY(ts.body.size() < QFileInfo(SampleMedia::path(SampleMedia::Kind::LiveTs)).size() / 2);
        QVERIFY(m_provider->liveChannelDown(channel));
        QCOMPARE(fetch(address + ".ts").status, 503);
        QCOMPARE(fetch(address + ".m3u8").status, 503);
        QCOMPARE(fetch(live + "1006.m3u8").status, 200); // other channels play on
        QTRY_VERIFY_WITH_TIMEOUT(!m_provider->liveChannelDown(channel), 2000);

        const Fetched playlist = fetch(address + ".m3u8");
        QCOMPARE(playlist.status, 200);
        const QList<LivePlaylist::Segment> listed = LivePlaylist::segmentsOf(playlist.body);
        QVERIFY(!listed.isEmpty());
        const QString segment = live + QString::fromUtf8(listed.last().uri);
        QCOMPARE(fetch(segment).status, 200);
        QTest::qWait(550);
        QCOMPARE(fetch(segment).status, 200);
        QVERIFY(!m_provider->liveChannelDown(channel));
        QCOMPARE(fetch(address + ".m3u8").status, 503);
        QVERIFY(m_provider->liveChannelDown(channel));
        QCOMPARE(fetch(segment).status, 503);
    }

    // Tests that assert what was (or was not) asked rely on the log naming each request.
    void requestLogNamesEachRequest()
    {
        QVERIFY(m_provider->listenOn(QHostAddress(QStringLiteral("127.0.0.2")), m_provider->port()));
        const QString second = QStringLiteral("http://127.0.0.2:%1").arg(m_provider->port());
        const auto viaFirst =
            ProviderJson::decode<QList<LiveStream>>(fetch(api("&action=get_live_streams")).body);
        const auto viaSecond = ProviderJson::decode<QList<LiveStream>>(
            fetch(second + "/player_api.php?username=demo&password=demo1234&action=get_live_streams").body);
        QVERIFY(viaFirst.ok() && viaSecond.ok());
        // Records name the address they were asked on.
        QVERIFY(viaFirst->at(0).streamIcon().startsWith(m_provider->baseUrl() + "/images/logo/"));
        QVERIFY(viaSecond->at(0).streamIcon().startsWith(second + "/images/logo/"));
        const QList<ProviderRequest> asked = m_provider->requests("get_live_streams");
        QCOMPARE(asked.size(), 2);
        QCOMPARE(asked.at(0).host, QStringLiteral("127.0.0.1"));
        QCOMPARE(asked.at(1).host, QStringLiteral("127.0.0.2"));
        QCOMPARE(asked.at(1).query.value("username"), QStringLiteral("demo"));
        QVERIFY(m_provider->requests("get_vod_streams").isEmpty());
    }
};

NORVANE_TEST_MAIN(TestSampleProvider)
#include "tst_sampleprovider.moc"
