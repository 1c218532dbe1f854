#include "CannedNetwork.h"
#include "ErrorTexts.h"
#include "SampleProvider.h"
#include "SectionTestHome.h"
#include "TestFiles.h"
#include "TestMain.h"
#include "TestProvider.h"
#include "client/ApiConnection.h"
#include "client/NorvaneError.h"
#include "client/ProgressDownloader.h"
#include "client/XtreamClient.h"
#include "provider/DecodeCatalog.h"
#include "provider/JsonDecoding.h"
#include "storage/DiskCatalogCache.h"

#include <QCoroTask>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <sys/file.h>
#include <unistd.h>

using namespace std::chrono_literals;

Q_DECLARE_METATYPE(ProviderFault)

namespace {

QByteArray catalogBody(int movies)
{
    QByteArray body = "[";
    for (int i = 0; i < movies; ++i) {
        if (i)
            body += ',';
        body +=
            R"({"num":)" + QByteArray::number(i + 1) + R"(,"name":"Película )" + QByteArray::number(i) +
            R"(","stream_id":)" + QByteArray::number(1000 + i) +
            R"(,"stream_icon":"http://img/p.jpg","category_id":"3","container_extension":"mp4","added":"1700000000"})";
    }
    return body + ']';
}

// The files this process has open: their descriptor's path and what the system names them.
QList<std::pair<QString, QString>> openFiles()
{
    QList<std::pair<QString, QString>> files;
    const QDir descriptors(QStringLiteral("/proc/self/fd"));
    for (const QString &fd : descriptors.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        const QString path = descriptors.filePath(fd);
        char target[4096];
        const ssize_t length = ::readlink(QFile::encodeName(path).constData(), target, sizeof target);
        if (length > 0)
            files.append({path, QFile::decodeName(QByteArray(target, length))});
    }
    return files;
}

QStringList downloadsIn(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral("norvane-download-*")}, QDir::Files);
}

} // namespace

// Whole-catalog downloads with byte progress, the catalog cache folder, off-thread decoding,
// and the client operations for the guide and series details.
class TestCatalog : public QObject
{
    Q_OBJECT

    SampleProvider *m_provider = nullptr;
    // A home and a temporary folder of this program's own: downloads of test programs running
    // beside it are never taken for its own, and none of its own may go to the temporary folder.
    norvane::test::SectionTestHome m_home;
    QTemporaryDir m_temp;

    XtreamClient client() const { return norvane::test::clientOf(*m_provider); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_temp.isValid());
        qputenv("TMPDIR", QFile::encodeName(m_temp.path()));
        QCOMPARE(QDir::tempPath(), m_temp.path());
        // Short, but long enough that a slow (sanitized, loaded) run never times out a prompt answer.
        ApiConnection::setCatalogTimeout(1s);
        ApiConnection::setIdleTimeout(1s);
    }

    void init()
    {
        m_provider = new SampleProvider(this);
        QVERIFY(m_provider->listenOn());
    }

    void cleanup()
    {
        delete m_provider;
        m_provider = nullptr;
        QVERIFY(downloadsIn(DiskCatalogCache::dir()).isEmpty());
        QVERIFY(downloadsIn(QDir::tempPath()).isEmpty());
    }

    void progressTotalsInOrder()
    {
        const QByteArray body = catalogBody(30); // about 6 kB, sent in 10 slices a second
        ProviderFault slow{.bytesPerSecond = int(body.size()) * 3};
        m_provider->setAnswer(QStringLiteral("get_vod_streams"), body);
        m_provider->setFault(QStringLiteral("get_vod_streams"), slow);
        QList<qint64> totals;
        const auto result = QCoro::waitFor(client().rawData(QStringLiteral("get_vod_streams"), {},
                                                            [&](qint64 total) { totals.append(total); }));
        QVERIFY(result);
        QCOMPARE(*result, body);
        QVERIFY2(totals.size() >= 3, qPrintable(QString::number(totals.size())));
        QVERIFY(std::is_sorted(totals.begin(), totals.end()));
        QCOMPARE(std::adjacent_find(totals.begin(), totals.end()), totals.end());
        QCOMPARE(totals.last(), qint64(body.size()));
        // The request is the ordinary API request.
        const auto requests = m_provider->requests(QStringLiteral("get_vod_streams"));
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests[0].query.value(QStringLiteral("username")), m_provider->username());
    }

    // What a failed download says. Host not found and a network that is down come from a network
    // layer that fails so, in place of the download's own.
    void failedDownloads_data()
    {
        QTest::addColumn<ProviderFault>("fault");
        QTest::addColumn<int>("networkError");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("bodyBytesSeen");
        ProviderFault dropped{.dropMidBody = true, .body = catalogBody(20)};
        ProviderFault droppedSlowly = dropped;
        droppedSlowly.bytesPerSecond = int(dropped.body->size()) * 4;
        using namespace norvane::test::texts;
        QTest::newRow("404") << ProviderFault{.status = 404, .htmlBody = true} << 0 << unexpected << false;
        QTest::newRow("dropped mid-body") << dropped << 0 << offline << true;
        QTest::newRow("dropped while trickling") << droppedSlowly << 0 << offline << true;
        QTest::newRow("headers then nothing")
            << ProviderFault{.stallAfterHeaders = true} << 0 << timeout << false;
        QTest::newRow("host not found")
            << ProviderFault{} << int(QNetworkReply::HostNotFoundError) << offline << false;
        QTest::newRow("temporary network failure")
            << ProviderFault{} << int(QNetworkReply::TemporaryNetworkFailureError) << offline << false;
    }

    void failedDownloads()
    {
        QFETCH(ProviderFault, fault);
        QFETCH(int, networkError);
        QFETCH(QString, expected);
        QFETCH(bool, bodyBytesSeen);
        m_provider->setFault(QStringLiteral("get_series"), fault);
        CannedNetwork failing{QNetworkReply::NetworkError(networkError)};
        qint64 lastTotal = 0;
        ProgressDownloader downloader([&](qint64 total) { lastTotal = total; },
                                      networkError ? &failing : nullptr);
        const auto result = QCoro::waitFor(downloader.download(
            QNetworkRequest(*client().url(QStringLiteral("get_series"))), ApiConnection::catalogTimeout()));
        QVERIFY(!result);
        QCOMPARE(NorvaneError::message(result.failure()), expected);
        QCOMPARE(lastTotal > 0, bodyBytesSeen);
        if (fault.status == 404)
            QCOMPARE(std::get<HTTPStatusError>(result.failure()).code, 404);
    }

    void emptyBody()
    {
        m_provider->setAnswer(QStringLiteral("get_vod_streams"), QByteArray());
        const auto result = QCoro::waitFor(client().rawData(QStringLiteral("get_vod_streams"), {}, nullptr));
        QVERIFY(result);
        QVERIFY(result->isEmpty());
    }

    // The partial body waits in the catalog cache folder, owner-only, never in the system's
    // temporary folder (often in memory), unless the cache folder cannot be made; then in the
    // temporary folder, and the catalog still comes. With neither, the file error's text. A
    // left-over of a killed run is cleared; a fresh one, and an old-looking one whose download
    // still runs (another instance's, after a suspend or a clock jump: it holds its lock), stay.
    void whereTheBodyWaits_data()
    {
        QTest::addColumn<bool>("cacheUsable");
        QTest::addColumn<bool>("tempUsable");
        QTest::newRow("cache folder") << true << true;
        QTest::newRow("cache folder cannot be made") << false << true;
        QTest::newRow("no folder can be written") << false << false;
    }
    void whereTheBodyWaits()
    {
        QFETCH(bool, cacheUsable);
        QFETCH(bool, tempUsable);
        const QString cache = DiskCatalogCache::dir();
        const QStringList leftovers{cache + "/norvane-download-killed", cache + "/norvane-download-fresh",
                                    cache + "/norvane-download-running"};
        QList<std::shared_ptr<QFile>> files;
        for (const QString &path : leftovers) {
            files.append(std::make_shared<QFile>(path));
            QVERIFY(files.last()->open(QIODevice::WriteOnly));
            if (path != leftovers[1])
                QVERIFY(files.last()->setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                                                  QFileDevice::FileModificationTime));
        }
        QCOMPARE(::flock(files.last()->handle(), LOCK_EX), 0);
        if (!cacheUsable) { // a file where the folder should be
            files.clear();
            QVERIFY(QDir(cache).removeRecursively());
            norvane::test::writeFile(cache, "x");
        }
        const QByteArray tempDir = qgetenv("TMPDIR");
        norvane::test::writeFile(m_temp.filePath(QStringLiteral("a-file")), "x");
        if (!tempUsable)
            qputenv("TMPDIR", QFile::encodeName(m_temp.filePath(QStringLiteral("a-file"))));
        const QString folder = cacheUsable ? cache : QDir::tempPath();
        const QString other = cacheUsable ? QDir::tempPath() : cache;
        const QByteArray body = catalogBody(30);
        m_provider->setAnswer(QStringLiteral("get_vod_streams"), body);
        m_provider->setFault(QStringLiteral("get_vod_streams"),
                             ProviderFault{.bytesPerSecond = int(body.size()) * 3});
        // The temporary file has no name until the body is read back: it is found among the open files.
        QStringList privateInFolder;
        QStringList elsewhere;
        const auto result =
            QCoro::waitFor(client().rawData(QStringLiteral("get_vod_streams"), {}, [&](qint64) {
                for (const auto &[fd, target] : openFiles()) {
                    if (target.startsWith(folder + '/') && !leftovers.contains(target) &&
                        (QFile::permissions(fd) & 0x0077) == 0)
                        privateInFolder.append(target);
                    else if (target.startsWith(other + '/'))
                        elsewhere.append(target);
                }
            }));
        qputenv("TMPDIR", tempDir);
        if (!cacheUsable)
            QVERIFY(QFile::remove(cache));
        if (!tempUsable) {
            QCOMPARE(NorvaneError::message(result.failure()), norvane::test::texts::unexpected);
            return;
        }
        QVERIFY(result);
        QCOMPARE(*result, body);
        QVERIFY(!privateInFolder.isEmpty());
        QCOMPARE(elsewhere, QStringList());
        if (cacheUsable) {
            QCOMPARE(downloadsIn(cache), QStringList({"norvane-download-fresh", "norvane-download-running"}));
            QVERIFY(QFile::remove(leftovers[1]) && QFile::remove(leftovers[2]));
        }
    }

    void decodeCatalogGivesAbsentOnBadBodies_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("not a list") << QByteArray(R"({"error":"x"})");
        QTest::newRow("truncated") << catalogBody(5).chopped(10);
        QTest::newRow("element not an object") << QByteArray(R"([{"name":"a"},"b"])");
        QTest::newRow("html") << QByteArray("<html></html>");
    }

    void decodeCatalogGivesAbsentOnBadBodies()
    {
        QFETCH(QByteArray, body);
        QVERIFY(!QCoro::waitFor(decodeCatalog<QList<VodStream>>(body)));
        QVERIFY(!QCoro::waitFor(decodeCatalog<QList<SeriesStream>>(body)));
    }

    void largeBodiesDecodeInPiecesAsInOne_data()
    {
        // Above the size that is cut into pieces; every element carries the trap of its row.
        const QByteArray plain = catalogBody(30000);
        QVERIFY(plain.size() >= 2 * JsonDecoding::parallelPieceBytes);
        const QList<qsizetype> cuts = JsonDecoding::listCuts(plain, 2);
        QCOMPARE(cuts.size(), 1); // so the pieces are really decoded side by side
        QCOMPARE(plain.mid(cuts.first() - 1, 3), QByteArray("},{"));
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("decodes");
        QTest::newRow("plain") << plain << true;
        QByteArray inText = plain;
        inText.replace("\"name\":\"Película", "\"name\":\"a},{b Película");
        QTest::newRow("separator inside a text") << inText << true;
        QByteArray nested = plain;
        nested.replace("\"num\":", "\"tags\":[{\"a\":1}, {\"b\":[2]},\n{\"c\":{}}],\"num\":");
        QTest::newRow("separator inside a nested value") << nested << true;
        QByteArray broken = plain;
        broken.replace("\"stream_id\":29000,", "\"stream_id\":29000,,");
        QTest::newRow("broken element near the end") << broken << false;
        QTest::newRow("content after the list") << plain + " x" << false;
        QByteArray notObject = plain;
        notObject.replace(R"({"num":25000,)", R"("x",{"num":25000,)");
        QTest::newRow("element not an object near the end") << notObject << false;
    }

    void largeBodiesDecodeInPiecesAsInOne()
    {
        QFETCH(QByteArray, body);
        QFETCH(bool, decodes);
        // A body shared with the caller is decoded in one piece; one owned alone may be cut.
        const Result<QList<VodStream>> inOne = ProviderJson::decode<QList<VodStream>>(body);
        QByteArray owned(body.constData(), body.size());
        const Result<QList<VodStream>> inPieces = ProviderJson::decode<QList<VodStream>>(std::move(owned));
        QCOMPARE(bool(inOne), decodes);
        QCOMPARE(bool(inPieces), decodes);
        if (decodes) {
            QCOMPARE(inPieces->size(), 30000);
            QVERIFY(*inPieces == *inOne);
        }
        // Off the main thread, through the path the sections use.
        const std::optional<QList<VodStream>> offThread =
            QCoro::waitFor(decodeCatalog<QList<VodStream>>(QByteArray(body.constData(), body.size())));
        QCOMPARE(offThread.has_value(), decodes);
        if (decodes)
            QVERIFY(*offThread == *inOne);
    }

    void cacheFolder()
    {
        const QString dir = DiskCatalogCache::dir();
        QVERIFY(dir.endsWith(QLatin1String("/Norvane")));
        QVERIFY(QFileInfo(dir).isDir());
        // A folder removed while the app runs (the user cleared the cache) is made again.
        QVERIFY(QDir(dir).removeRecursively());
        QCOMPARE(DiskCatalogCache::dir(), dir);
        QVERIFY(QFileInfo(dir).isDir());
        QCOMPARE(QFileInfo(dir).permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteOther),
                 QFile::Permissions());
    }

    void ageOfStoredBodies()
    {
        const QString path = DiskCatalogCache::dir() + QLatin1String("/vod_all.json");
        QFile::remove(path);
        QVERIFY(!DiskCatalogCache::age(QStringLiteral("vod_all.json")));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[]");
        file.close();
        const std::optional<double> fresh = DiskCatalogCache::age(QStringLiteral("vod_all.json"));
        QVERIFY(fresh);
        QVERIFY2(*fresh > -2 && *fresh < 5, qPrintable(QString::number(*fresh)));
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(
            file.setFileTime(QDateTime::currentDateTime().addSecs(3600), QFileDevice::FileModificationTime));
        file.close();
        const std::optional<double> future = DiskCatalogCache::age(QStringLiteral("vod_all.json"));
        QVERIFY(future);
        QVERIFY(*future < -3500 && *future > -3700);
        QFile::remove(path);
    }

    void shortGuideRequest()
    {
        m_provider->setAnswer(
            QStringLiteral("get_short_epg"),
            R"({"epg_listings":[{"title":"Tm90aWNpYXM=","start_timestamp":"10","stop_timestamp":20}]})");
        const auto listings = QCoro::waitFor(client().shortEPG(QStringLiteral("77"), 12));
        QVERIFY(listings);
        QCOMPARE(listings->size(), 1);
        QCOMPARE(listings->at(0).title(), QStringLiteral("Noticias"));
        QCOMPARE(listings->at(0).stopTimestamp(), 20);
        const auto request = m_provider->requests(QStringLiteral("get_short_epg")).at(0);
        QCOMPARE(request.query.value(QStringLiteral("stream_id")), QStringLiteral("77"));
        QCOMPARE(request.query.value(QStringLiteral("limit")), QStringLiteral("12"));
        QVERIFY(request.rawQuery.contains("limit=12"));
    }
};

NORVANE_TEST_MAIN(TestCatalog)
#include "tst_catalog.moc"
