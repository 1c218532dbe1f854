#include "QmlHarness.h"
#include "TestFiles.h"
#include "TestMain.h"
#include "storage/ProgressStore.h"

#include <QJSValue>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

using norvane::test::readFile;
using norvane::test::writeFile;

namespace {

QJsonObject record(const QString &key, const QString &type, qint64 position, qint64 duration,
                   double updatedAt)
{
    return QJsonObject{{"key", key},
                       {"contentType", type},
                       {"contentId", key.section(':', 1, 1)},
                       {"name", "Nombre " + key},
                       {"positionMs", position},
                       {"durationMs", duration},
                       {"updatedAt", updatedAt},
                       {"url", "http://h/movie/u/p/" + key + ".mp4"}};
}

} // namespace

class TestProgressStore : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path() const { return m_dir.filePath("Norvane/progress.json"); }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path());
    }

    void derivedRules_data()
    {
        QTest::addColumn<qint64>("position");
        QTest::addColumn<qint64>("duration");
        QTest::addColumn<bool>("unfinished");
        QTest::addColumn<qint64>("resume");
        QTest::addColumn<double>("fraction");
        QTest::newRow("94 of 100") << 94LL << 100LL << true << 94LL << 0.94;
        QTest::newRow("95 of 100 is watched") << 95LL << 100LL << false << 0LL << 0.95;
        QTest::newRow("unknown duration") << 5000LL << 0LL << true << 5000LL << 0.0;
        QTest::newRow("not started") << 0LL << 100LL << false << 0LL << 0.0;
        QTest::newRow("past the end") << 120LL << 100LL << false << 0LL << 1.0;
        QTest::newRow("just under 95 %") << 9499LL << 10000LL << true << 9499LL << 0.9499;
    }
    void derivedRules()
    {
        QFETCH(qint64, position);
        QFETCH(qint64, duration);
        QFETCH(bool, unfinished);
        QFETCH(qint64, resume);
        QFETCH(double, fraction);
        const ProgressEntry e("movie:1", ContentType::Movie, "1", "X", std::nullopt, position, duration, 1,
                              "u");
        QCOMPARE(e.isUnfinished(), unfinished);
        QCOMPARE(e.resumePositionMs(), resume);
        QCOMPARE(e.watchedFraction(), fraction);
    }

    void zeroTimesRecordNothing_data()
    {
        QTest::addColumn<qint64>("position");
        QTest::addColumn<qint64>("duration");
        QTest::newRow("position 0") << 0LL << 100LL;
        QTest::newRow("duration 0") << 100LL << 0LL;
    }
    void zeroTimesRecordNothing()
    {
        QFETCH(qint64, position);
        QFETCH(qint64, duration);
        ProgressStore store(path());
        QSignalSpy changed(&store, &ProgressStore::entriesChanged);
        store.recordPosition("movie:1", ContentType::Movie, "1", "X", std::nullopt, "u", position, duration);
        QVERIFY(store.entries().isEmpty());
        QCOMPARE(changed.count(), 0);
        QVERIFY(!QFile::exists(path()));
    }

    void listsUnfinishedOfOneTypeMostRecentFirst()
    {
        const QJsonArray array{
            record("movie:1", "movie", 10, 100, 1000.5), record("movie:2", "movie", 20, 100, 3000.25),
            record("movie:3", "movie", 95, 100, 9000), // watched
            record("series:5:ep:9", "series", 10, 100, 5000), record("movie:4", "movie", 5000, 0, 2000),
            // A type this app does not know: in no list, and kept when the file is written again.
            record("clip:6", "clip", 10, 100, 8000)};
        writeFile(path(), QJsonDocument(array).toJson());
        ProgressStore store(path());
        QCOMPARE(store.entries().size(), 6);
        QStringList keys;
        for (const ProgressEntry &e : store.inProgress(ContentType::Movie))
            keys << e.key();
        QCOMPARE(keys, QStringList({"movie:2", "movie:4", "movie:1"}));
        QCOMPARE(store.inProgress(ContentType::Series).size(), 1);
        QCOMPARE(store.find("movie:3")->resumePositionMs(), 0);
        store.removeEntry("movie:3");
        store.flush();
        QCOMPARE(ProgressStore(path()).find("clip:6")->toJson(), record("clip:6", "clip", 10, 100, 8000));
    }

    void recordsRoundTripThroughTheFile()
    {
        const double start = double(QDateTime::currentMSecsSinceEpoch());
        ProgressStore store(path());
        QSignalSpy changed(&store, &ProgressStore::entriesChanged);
        store.recordPosition("movie:1", ContentType::Movie, "1", "Película", std::nullopt,
                             "http://h/movie/u/p/1.mp4", 94000, 100000);
        store.recordPosition("series:7:ep:2", ContentType::Series, "7", "Serie", QString("http://h/i.jpg"),
                             "http://h/series/u/p/2.mkv", 1, 2);
        QCOMPARE(changed.count(), 2);
        const double updatedAt = store.find("movie:1")->updatedAt();
        QVERIFY(updatedAt >= start && updatedAt <= double(QDateTime::currentMSecsSinceEpoch()));

        store.flush(); // written beside the main thread
        const QByteArray file = readFile(path());
        const QJsonArray raw = QJsonDocument::fromJson(file).array();
        QCOMPARE(raw.size(), 2);
        for (const QJsonValue &v : raw) {
            const QJsonObject o = v.toObject();
            QCOMPARE(o.contains("imageUrl"), o.value("key").toString() == "series:7:ep:2");
        }
        QVERIFY(file.contains("\"positionMs\":94000,") || file.contains("\"positionMs\":94000}"));
        QVERIFY(!file.contains('\n'));

        ProgressStore reloaded(path());
        QCOMPARE(reloaded.entries(), store.entries()); // every field, updatedAt to the last bit
        QVERIFY(!reloaded.find("movie:1")->imageUrl().has_value());
    }

    void filesAreOwnerOnly()
    {
        ProgressStore store(path());
        QCOMPARE(QFile::permissions(QFileInfo(path()).absolutePath()) & 0x0777,
                 QFileDevice::Permissions(0x0700));
        store.recordPosition("movie:1", ContentType::Movie, "1", "X", std::nullopt, "u", 1, 2);
        store.flush();
        QCOMPARE(QFile::permissions(path()) & 0x0777, QFileDevice::Permissions(0x0600));
    }

    void unloadableFileIsKeptAsideBeforeTheFirstWrite_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QJsonObject noUrl = record("movie:1", "movie", 10, 100, 1);
        noUrl.remove("url");
        QJsonObject textPosition = record("movie:1", "movie", 10, 100, 1);
        textPosition.insert("positionMs", "10");
        QJsonObject fractionalPosition = record("movie:1", "movie", 10, 100, 1);
        fractionalPosition.insert("positionMs", 10.5);
        QJsonObject numericImage = record("movie:1", "movie", 10, 100, 1);
        numericImage.insert("imageUrl", 3);
        auto doc = [](const QJsonObject &bad) {
            return QJsonDocument(QJsonArray{record("movie:9", "movie", 10, 100, 1), bad}).toJson();
        };
        QTest::newRow("entry without url") << doc(noUrl);
        QTest::newRow("position as text") << doc(textPosition);
        QTest::newRow("fractional position") << doc(fractionalPosition);
        QTest::newRow("image of the wrong type") << doc(numericImage);
        QTest::newRow("half-written") << doc(noUrl).left(60);
        QTest::newRow("an object, not a list") << QJsonDocument(noUrl).toJson();
        QTest::newRow("element that is no object") << QByteArray("[1]");
        QTest::newRow("binary noise") << QByteArray("\x00\xff\xfe[{", 5);
    }
    void unloadableFileIsKeptAsideBeforeTheFirstWrite()
    {
        QFETCH(QByteArray, bytes);
        writeFile(path(), bytes);
        writeFile(path() + ".corrupt", "older damaged copy");

        ProgressStore store(path());
        QVERIFY(store.entries().isEmpty());
        QCOMPARE(readFile(path()), bytes); // loading alone touches nothing

        store.recordPosition("movie:2", ContentType::Movie, "2", "X", std::nullopt, "u", 5, 10);
        store.flush();
        QCOMPARE(readFile(path() + ".corrupt.1"), bytes);
        QCOMPARE(readFile(path() + ".corrupt"), QByteArray("older damaged copy")); // never replaced
        QCOMPARE(ProgressStore(path()).entries().keys(), QStringList{"movie:2"});

        // Only the file that failed to load is kept; later writes replace the store's own file.
        store.removeEntry("movie:2");
        store.flush();
        QCOMPARE(readFile(path() + ".corrupt.1"), bytes);
        QCOMPARE(readFile(path()), QByteArray("[]"));
    }

    // Every unloadable file is kept under a name of its own, up to five: the oldest go first.
    void repeatedUnloadableFilesKeepTheNewestFive()
    {
        writeFile(path() + ".corrupt", "from an earlier version");
        for (int i = 1; i <= 7; ++i) {
            writeFile(path(), "damaged " + QByteArray::number(i));
            ProgressStore store(path());
            store.recordPosition("movie:1", ContentType::Movie, "1", "X", std::nullopt, "u", 5, 10);
        }
        const QStringList kept =
            QDir(QFileInfo(path()).absolutePath()).entryList({"progress.json.*"}, QDir::Files);
        QCOMPARE(kept.size(), StoreFile::maxAsideCopies);
        for (int i = 3; i <= 7; ++i)
            QCOMPARE(readFile(path() + ".corrupt." + QString::number(i)), "damaged " + QByteArray::number(i));
    }

    void oversizedFileIsNeitherReadNorLost()
    {
        QDir().mkpath(QFileInfo(path()).absolutePath());
        QFile file(path());
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(StoreFile::maxBytes + 1)); // sparse: instant, no real disk use
        file.close();
        ProgressStore store(path());
        QVERIFY(store.entries().isEmpty());
        store.recordPosition("movie:2", ContentType::Movie, "2", "X", std::nullopt, "u", 5, 10);
        store.flush();
        QCOMPARE(QFileInfo(path() + ".corrupt.1").size(), StoreFile::maxBytes + 1);
    }

    void duplicateKeysKeepTheLaterRecord()
    {
        writeFile(path(), QJsonDocument(QJsonArray{record("movie:1", "movie", 10, 100, 1),
                                                   record("movie:1", "movie", 70, 100, 2)})
                              .toJson());
        ProgressStore store(path());
        QCOMPARE(store.entries().size(), 1);
        QCOMPARE(store.find("movie:1")->positionMs(), 70);
        store.removeEntry("movie:404");
        store.flush();
        QCOMPARE(QJsonDocument::fromJson(readFile(path())).array().size(), 1);
    }

    void removingAnAbsentKeyRewritesTheFile()
    {
        ProgressStore store(path());
        store.recordPosition("movie:1", ContentType::Movie, "1", "X", std::nullopt, "u", 5, 10);
        store.flush();
        QFile::remove(path());
        QSignalSpy changed(&store, &ProgressStore::entriesChanged);
        store.removeEntry("movie:404");
        QCOMPARE(changed.count(), 0);
        store.flush();
        QCOMPARE(ProgressStore(path()).entries(), store.entries());
    }

    void blockedFolderKeepsPositionsInMemory()
    {
        writeFile(m_dir.filePath("Norvane"), "a file where the folder should be");
        ProgressStore store(path());
        store.recordPosition("movie:1", ContentType::Movie, "1", "X", std::nullopt, "u", 5, 10);
        QCOMPARE(store.entries().size(), 1);
        QCOMPARE(readFile(m_dir.filePath("Norvane")), QByteArray("a file where the folder should be"));
    }

    void reachableFromQml()
    {
        QCOMPARE(QFileInfo(ProgressStore::shared()->fileURL().toLocalFile()).fileName(),
                 QString("progress.json"));
        QVERIFY(ProgressStore::defaultFilePath().endsWith("/Norvane/progress.json"));
        ProgressStore *shared = ProgressStore::shared();
        shared->recordPosition("movie:qml-probe", ContentType::Movie, "qml-probe", "X", std::nullopt, "u", 96,
                               100);
        norvane::test::QmlHarness harness;
        QObject *root = harness.create(R"(
            import QtQml
            import Norvane.Core
            QtObject {
                function probe() {
                    const e = ProgressStore.entry("movie:qml-probe")
                    return {
                        absent: ProgressStore.entry("movie:no-such-id") === undefined,
                        resume: e.resumePositionMs,
                        hasImage: e.hasImageUrl,
                        fraction: ProgressStore.watchedFraction(e),
                        inMap: ProgressStore.entries["movie:qml-probe"].key === "movie:qml-probe"
                    }
                }
            })");
        QVERIFY(root);
        QVariant result;
        QVERIFY(QMetaObject::invokeMethod(root, "probe", Q_RETURN_ARG(QVariant, result)));
        shared->removeEntry("movie:qml-probe");
        const QVariantMap probe = result.metaType() == QMetaType::fromType<QJSValue>()
                                      ? result.value<QJSValue>().toVariant().toMap()
                                      : result.toMap();
        QCOMPARE(probe.value("absent").toBool(), true);
        QCOMPARE(probe.value("resume").toInt(), 0);
        QCOMPARE(probe.value("hasImage").toBool(), false);
        QCOMPARE(probe.value("fraction").toDouble(), 0.96);
        QCOMPARE(probe.value("inMap").toBool(), true);
        QVERIFY(!shared->find("movie:qml-probe"));
    }
};

NORVANE_TEST_MAIN(TestProgressStore)
#include "tst_progressstore.moc"
