#include "CannedNetwork.h"
#include "ErrorTexts.h"
#include "SampleProvider.h"
#include "TestMain.h"
#include "TestProvider.h"
#include "client/ApiConnection.h"
#include "client/NorvaneError.h"
#include "client/XtreamClient.h"
#include "system/OwnedDelay.h"

#include <QCoroTask>
#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTcpServer>
#include <QTcpSocket>
#include <memory>

using namespace std::chrono_literals;

Q_DECLARE_METATYPE(LoginOutcome)
Q_DECLARE_METATYPE(ProviderFault)

char *toString(const LoginOutcome &outcome)
{
    return QTest::toString(
        QStringLiteral("LoginOutcome(%1, %2)").arg(int(outcome.kind)).arg(outcome.message));
}

namespace {

const QString &decodingText = norvane::test::texts::decoding;
const QString &timeoutText = norvane::test::texts::timeout;
const QString &offlineText = norvane::test::texts::offline;
const QString &connectionText = norvane::test::texts::connection;
const auto httpText = norvane::test::texts::http;

} // namespace

// The provider client against the in-process provider: addresses, verdicts, failure texts, and
// how its waits end.
class TestClient : public QObject
{
    Q_OBJECT

    SampleProvider *m_provider = nullptr;

    XtreamClient client() const { return norvane::test::clientOf(*m_provider); }

private Q_SLOTS:
    void initTestCase() { ApiConnection::setIdleTimeout(300ms); }

    void init()
    {
        m_provider = new SampleProvider(this);
        QVERIFY(m_provider->listenOn());
    }

    void cleanup()
    {
        delete m_provider;
        m_provider = nullptr;
        ApiConnection::setIdleTimeout(300ms);
        ApiConnection::setTotalTimeout(120s);
    }

    void credentialsArriveExactlyAsTyped_data()
    {
        QTest::addColumn<QString>("username");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QByteArray>("encodedPassword");
        QTest::newRow("ordinary") << QStringLiteral("demo") << QStringLiteral("demo1234")
                                  << QByteArray("demo1234");
        QTest::newRow("plus") << QStringLiteral("ana") << QStringLiteral("a+b") << QByteArray("a%2Bb");
        QTest::newRow("reserved") << QStringLiteral("j&o=s#e") << QStringLiteral("%;/?")
                                  << QByteArray("%25%3B%2F%3F");
        QTest::newRow("blank and non-ASCII")
            << QStringLiteral("José Peña") << QStringLiteral("ñ ü") << QByteArray("%C3%B1%20%C3%BC");
        QTest::newRow("unreserved untouched")
            << QStringLiteral("a-b.c_d~e") << QStringLiteral("Z9-._~") << QByteArray("Z9-._~");
    }

    void credentialsArriveExactlyAsTyped()
    {
        QFETCH(QString, username);
        QFETCH(QString, password);
        QFETCH(QByteArray, encodedPassword);
        m_provider->setCredentials(username, password);
        const LoginOutcome outcome = QCoro::waitFor(client().authenticate());
        QCOMPARE(outcome, LoginOutcome::success());
        const QList<ProviderRequest> requests = m_provider->requests(QString());
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests[0].query.value(QStringLiteral("username")), username);
        QCOMPARE(requests[0].query.value(QStringLiteral("password")), password);
        // Sign-in carries the two credentials and nothing else, in this order.
        QCOMPARE(requests[0].query.size(), 2);
        QVERIFY2(requests[0].rawQuery.startsWith("username="), requests[0].rawQuery);
        QVERIFY2(requests[0].rawQuery.endsWith("&password=" + encodedPassword), requests[0].rawQuery);
    }

    void queryItemsInOrder()
    {
        const XtreamClient c(QStringLiteral("http://h:1"), QStringLiteral("u"), QStringLiteral("p"));
        const std::optional<QUrl> url =
            c.url(QStringLiteral("get_vod_info"), {{QStringLiteral("vod_id"), QStringLiteral("1 2")}});
        QVERIFY(url);
        QCOMPARE(url->toString(QUrl::FullyEncoded),
                 QStringLiteral(
                     "http://h:1/player_api.php?username=u&password=p&action=get_vod_info&vod_id=1%202"));
        // A base ending in "/" keeps the doubled slash in the API path.
        const XtreamClient slashed(QStringLiteral("http://h:1/"), QStringLiteral("u"), QStringLiteral("p"));
        QCOMPARE(slashed.url(std::nullopt)->path(), QStringLiteral("//player_api.php"));
    }

    void liveStreamsSendsCategoryOnlyWhenGiven()
    {
        m_provider->setAnswer(QStringLiteral("get_live_streams"), R"([{"name":"Uno","stream_id":1}])");
        const auto all = QCoro::waitFor(client().liveStreams());
        QVERIFY(all);
        QCOMPARE(all->size(), 1);
        const auto one = QCoro::waitFor(client().liveStreams(QStringLiteral("5")));
        QVERIFY(one);
        const auto requests = m_provider->requests(QStringLiteral("get_live_streams"));
        QCOMPARE(requests.size(), 2);
        QVERIFY(!requests[0].query.contains(QStringLiteral("category_id")));
        QVERIFY(!requests[0].rawQuery.contains("category_id"));
        QCOMPARE(requests[1].query.value(QStringLiteral("category_id")), QStringLiteral("5"));
    }

    void streamAddresses_data()
    {
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("username");
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("expected");
        QTest::newRow("live") << QStringLiteral("http://h:8080") << QStringLiteral("demo")
                              << QStringLiteral("demo1234") << int(ContentType::Live)
                              << QStringLiteral("http://h:8080/live/demo/demo1234/7.m3u8");
        QTest::newRow("one trailing slash dropped")
            << QStringLiteral("http://h:8080/") << QStringLiteral("demo") << QStringLiteral("pw")
            << int(ContentType::Movie) << QStringLiteral("http://h:8080/movie/demo/pw/7.m3u8");
        QTest::newRow("of two trailing slashes one dropped")
            << QStringLiteral("http://h:8080//") << QStringLiteral("demo") << QStringLiteral("pw")
            << int(ContentType::Movie) << QStringLiteral("http://h:8080//movie/demo/pw/7.m3u8");
        QTest::newRow("segment characters stay")
            << QStringLiteral("http://h") << QStringLiteral("a@b") << QStringLiteral("x+y=z")
            << int(ContentType::Series) << QStringLiteral("http://h/series/a@b/x+y=z/7.m3u8");
        QTest::newRow("path breakers encoded")
            << QStringLiteral("http://h") << QStringLiteral("jo sé") << QStringLiteral("a/b?c#d%e")
            << int(ContentType::Live)
            << QStringLiteral("http://h/live/jo%20s%C3%A9/a%2Fb%3Fc%23d%25e/7.m3u8");
    }

    void streamAddresses()
    {
        QFETCH(QString, base);
        QFETCH(QString, username);
        QFETCH(QString, password);
        QFETCH(int, kind);
        QFETCH(QString, expected);
        const XtreamClient c(base, username, password);
        QCOMPARE(c.streamUrl(ContentType(kind), QStringLiteral("7"), QStringLiteral("m3u8")), expected);
        // The address decodes back to exactly the typed credentials.
        const QStringList segments = QUrl(expected).path(QUrl::FullyEncoded).split(u'/');
        QCOMPARE(QUrl::fromPercentEncoding(segments.at(segments.size() - 3).toUtf8()), username);
        QCOMPARE(QUrl::fromPercentEncoding(segments.at(segments.size() - 2).toUtf8()), password);
    }

    void verdicts_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("status");
        QTest::addColumn<LoginOutcome>("expected");
        QTest::newRow("auth 0") << QByteArray(R"({"user_info":{"auth":0}})") << 200
                                << LoginOutcome::invalidCredentials();
        QTest::newRow("auth text 1, ACTIVE") << QByteArray(R"({"user_info":{"auth":"1","status":"ACTIVE"}})")
                                             << 200 << LoginOutcome::success();
        QTest::newRow("no status") << QByteArray(R"({"user_info":{"auth":1}})") << 200
                                   << LoginOutcome::success();
        QTest::newRow("Expired") << QByteArray(R"({"user_info":{"auth":1,"status":"Expired"}})") << 200
                                 << LoginOutcome::expired();
        QTest::newRow("Banned") << QByteArray(R"({"user_info":{"auth":1,"status":"Banned"}})") << 200
                                << LoginOutcome::disabled();
        QTest::newRow("disabled") << QByteArray(R"({"user_info":{"auth":1.0,"status":"disabled"}})") << 200
                                  << LoginOutcome::disabled();
        QTest::newRow("auth true") << QByteArray(R"({"user_info":{"auth":true,"status":"Active"}})") << 200
                                   << LoginOutcome::invalidCredentials();
        QTest::newRow("user_info null")
            << QByteArray(R"({"user_info":null})") << 200 << LoginOutcome::invalidCredentials();
        QTest::newRow("empty object") << QByteArray("{}") << 200 << LoginOutcome::invalidCredentials();
        QTest::newRow("html page") << QByteArray("<html><body>Login</body></html>") << 200
                                   << LoginOutcome::failed(decodingText);
        QTest::newRow("empty array") << QByteArray("[]") << 200 << LoginOutcome::failed(decodingText);
        QTest::newRow("401") << QByteArray(R"({"user_info":{"auth":1}})") << 401
                             << LoginOutcome::failed(httpText(401));
    }

    void verdicts()
    {
        QFETCH(QByteArray, body);
        QFETCH(int, status);
        QFETCH(LoginOutcome, expected);
        m_provider->setAnswer(QString(), body, status);
        QCOMPARE(QCoro::waitFor(client().authenticate()), expected);
    }

    void wrongCredentials()
    {
        const XtreamClient wrong(m_provider->baseUrl(), QStringLiteral("demo"), QStringLiteral("nope"));
        QCOMPARE(QCoro::waitFor(wrong.authenticate()), LoginOutcome::invalidCredentials());
    }

    // Failure texts of the faults the fault matrix does not play (it plays every other fault on
    // every request, and watches the event loop while it does).
    void failureTexts_data()
    {
        QTest::addColumn<ProviderFault>("fault");
        QTest::addColumn<QString>("expected");
        QTest::newRow("object where a list is expected")
            << ProviderFault{.body = QByteArray(R"({"user_info":{"auth":1}})")} << decodingText;
        QTest::newRow("500 with a page") << ProviderFault{.status = 500, .htmlBody = true} << httpText(500);
        QTest::newRow("headers then nothing") << ProviderFault{.stallAfterHeaders = true} << timeoutText;
    }

    void failureTexts()
    {
        QFETCH(ProviderFault, fault);
        QFETCH(QString, expected);
        m_provider->setFault(QStringLiteral("get_live_categories"), fault);
        const auto result =
            QCoro::waitFor(client().fetch<QList<Category>>(QStringLiteral("get_live_categories")));
        QVERIFY(!result);
        QCOMPARE(NorvaneError::message(result.failure()), expected);
    }

    void arrayWhereAnObjectIsExpected()
    {
        m_provider->setAnswer(QStringLiteral("get_vod_info"), "[]");
        const auto result = QCoro::waitFor(client().vodInfo(QStringLiteral("1")));
        QVERIFY(!result);
        QCOMPARE(NorvaneError::message(result.failure()), decodingText);
    }

    void refusedConnection()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        const quint16 port = server.serverPort();
        server.close();
        const XtreamClient closed(QStringLiteral("http://127.0.0.1:%1").arg(port), QStringLiteral("u"),
                                  QStringLiteral("p"));
        const auto result = QCoro::waitFor(closed.rawData(QStringLiteral("get_live_categories")));
        QVERIFY(!result);
        QCOMPARE(std::get<TransportError>(result.failure()).kind, TransportError::Kind::cannotConnectToHost);
        QCOMPARE(NorvaneError::message(result.failure()), offlineText);
        QCOMPARE(QCoro::waitFor(closed.authenticate()), LoginOutcome::failed(offlineText));
    }

    // A server that announces a body and closes the connection in order after half of it: the
    // lost connection, never a body that fails to decode.
    void bodyShorterThanAnnounced()
    {
        const QByteArray body =
            R"([{"category_id":"1","category_name":"Uno"},{"category_id":"2","category_name":"Dos"}])";
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        connect(&server, &QTcpServer::newConnection, &server, [&] {
            QTcpSocket *socket = server.nextPendingConnection();
            auto request = std::make_shared<QByteArray>();
            connect(socket, &QTcpSocket::readyRead, socket, [socket, request, body] {
                *request += socket->readAll();
                if (!request->contains("\r\n\r\n"))
                    return;
                socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: " +
                              QByteArray::number(body.size()) + "\r\n\r\n" + body.left(body.size() / 2));
                socket->disconnectFromHost();
            });
        });
        const XtreamClient cut(QStringLiteral("http://127.0.0.1:%1").arg(server.serverPort()), "u", "p");
        const auto result = QCoro::waitFor(cut.fetch<QList<Category>>(QStringLiteral("get_live_categories")));
        QVERIFY(!result);
        QCOMPARE(NorvaneError::message(result.failure()), offlineText);
    }

    // A network layer that finishes a cut-short body without an error: still the lost
    // connection. A whole body, or a compressed one (its length is the compressed size), is fine.
    void bodyShortOfItsLengthWithoutAnError_data()
    {
        const QByteArray body =
            R"([{"category_id":"1","category_name":"Uno"},{"category_id":"2","category_name":"Dos"}])";
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<qint64>("declared");
        QTest::addColumn<QByteArray>("encoding");
        QTest::addColumn<QString>("failure");
        QTest::newRow("cut short") << body.left(body.size() / 2) << qint64(body.size()) << QByteArray()
                                   << offlineText;
        QTest::newRow("whole") << body << qint64(body.size()) << QByteArray() << QString();
        QTest::newRow("compressed") << body << qint64(body.size() * 2) << QByteArray("gzip") << QString();
    }

    void bodyShortOfItsLengthWithoutAnError()
    {
        QFETCH(QByteArray, sent);
        QFETCH(qint64, declared);
        QFETCH(QByteArray, encoding);
        QFETCH(QString, failure);
        CannedNetwork network(sent, declared, encoding);
        ApiConnection::setSharedForTesting(&network); // the real one is back once `network` goes
        const auto result =
            QCoro::waitFor(client().fetch<QList<Category>>(QStringLiteral("get_live_categories")));
        if (failure.isEmpty()) {
            QVERIFY(result);
            QCOMPARE(result->size(), 2);
        } else {
            QVERIFY(!result);
            QCOMPARE(NorvaneError::message(result.failure()), failure);
        }
    }

    void badBase_data()
    {
        QTest::addColumn<QString>("base");
        QTest::newRow("empty") << QString();
        QTest::newRow("no scheme") << QStringLiteral("127.0.0.1:8080");
        QTest::newRow("broken") << QStringLiteral("http://[::1");
    }

    void badBase()
    {
        QFETCH(QString, base);
        const XtreamClient broken(base, QStringLiteral("u"), QStringLiteral("p"));
        QVERIFY(!broken.url(std::nullopt));
        const auto result = QCoro::waitFor(broken.rawData(std::nullopt));
        QCOMPARE(std::get<TransportError>(result.failure()).kind, TransportError::Kind::badURL);
        QCOMPARE(NorvaneError::message(result.failure()), connectionText);
    }

    // Data that keeps trickling in never trips the idle limit, but the total limit still holds.
    void totalTimeLimit()
    {
        ApiConnection::setIdleTimeout(1s);
        ApiConnection::setTotalTimeout(400ms);
        ProviderFault slow{.bytesPerSecond = 100, .body = QByteArray(2000, ' ')};
        m_provider->setFault(QStringLiteral("get_live_categories"), slow);
        QElapsedTimer clock;
        clock.start();
        const auto result = QCoro::waitFor(client().rawData(QStringLiteral("get_live_categories")));
        QVERIFY(!result);
        QCOMPARE(NorvaneError::message(result.failure()), timeoutText);
        QVERIFY(clock.elapsed() < 1000);
    }

    // A reply deleted before it finished (its connection closes as the application ends) ends
    // the request with a failure; the waiting coroutine would otherwise never finish.
    void replyDeletedWhileWaiting()
    {
        m_provider->setFault(QStringLiteral("get_live_categories"), ProviderFault{.stall = true});
        std::optional<Result<QByteArray>> result;
        auto request = [](XtreamClient c, std::optional<Result<QByteArray>> *out) -> QCoro::Task<> {
            *out = co_await c.rawData(QStringLiteral("get_live_categories"));
        };
        request(client(), &result);
        QTRY_COMPARE(m_provider->requests(QStringLiteral("get_live_categories")).size(), 1);
        const auto replies = ApiConnection::shared()->findChildren<QNetworkReply *>();
        QCOMPARE(replies.size(), 1);
        delete replies.first();
        QVERIFY(result.has_value());
        QVERIFY(!*result);
        QCOMPARE(std::get<TransportError>(result->failure()).kind, TransportError::Kind::cancelled);
    }

    // The models' retry and countdown waits: they end when their owner goes, not an hour later.
    void ownedDelayEndsWithItsOwner()
    {
        const auto wait = [](QObject *owner, std::chrono::milliseconds duration,
                             std::optional<bool> *out) -> QCoro::Task<> {
            *out = co_await ownedDelay(owner, duration);
        };
        std::optional<bool> gone, elapsed, ownerless;
        auto *owner = new QObject;
        wait(owner, 1h, &gone);
        QVERIFY(!gone.has_value());
        delete owner;
        QCOMPARE(gone, std::optional<bool>(false));

        QObject kept;
        wait(&kept, 5ms, &elapsed);
        QVERIFY(!elapsed.has_value());
        QTRY_COMPARE(elapsed, std::optional<bool>(true));
        QVERIFY(kept.children().isEmpty()); // its timer went with the wait

        wait(nullptr, 5ms, &ownerless);
        QCOMPARE(ownerless, std::optional<bool>(false));
    }
};

NORVANE_TEST_MAIN(TestClient)
#include "tst_client.moc"
