#include "QmlHarness.h"
#include "RecordFields.h"
#include "TestFiles.h"
#include "TestMain.h"
#include "storage/FavoritesStore.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

using norvane::test::readFile;
using norvane::test::writeFile;

namespace {

QStringList names(const QList<Favorite> &favorites)
{
    return norvane::test::fieldOf(favorites, &Favorite::name);
}

QStringList ids(const QList<Favorite> &favorites)
{
    return norvane::test::fieldOf(favorites, &Favorite::id);
}

} // namespace

class TestFavoritesStore : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path() const { return m_dir.filePath("Norvane/favorites.json"); }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path());
    }

    void cleanup() { QLocale::setDefault(QLocale::system()); }

    void loadsRecordsLeniently()
    {
        writeFile(path(), R"([{"contentId":"1","name":"Canal Uno"},
                              {"contentType":7,"contentId":"2","name":"Canal Dos","imageUrl":5},
                              {"contentType":"series","contentId":"3","name":"Serie","imageUrl":"c.jpg"},
                              {"contentType":"radio","contentId":"4","name":"Radio"}])");
        FavoritesStore store(path());
        QCOMPARE(ids(store.items()), QStringList({"live:1", "live:2", "series:3", "radio:4"}));
        QVERIFY(!store.items().at(1).imageUrl().has_value());
        QCOMPARE(*store.items().at(2).imageUrl(), QString("c.jpg"));
        QVERIFY(store.isFavorite(ContentType::Live, "1"));
        QVERIFY(!store.isFavorite(ContentType::Series, "1"));
        // A type this app does not know is no favourite of any kind, and stays in the file.
        QVERIFY(!store.isFavorite(ContentType::Live, "4") && !store.isFavorite(ContentType::Series, "4"));
        QCOMPARE(ids(store.items(ContentType::Live)), QStringList({"live:2", "live:1"}));
        store.remove(ContentType::Live, "2");
        QCOMPARE(ids(FavoritesStore(path()).items()), QStringList({"live:1", "series:3", "radio:4"}));
    }

    void addsOnceAndKeepsTheOrderOfAddition()
    {
        FavoritesStore store(path());
        QSignalSpy changed(&store, &FavoritesStore::itemsChanged);
        store.add(Favorite(ContentType::Live, "9", "Zeta", std::nullopt));
        store.add(Favorite(ContentType::Live, "8", "alfa", QString("http://h/l.png")));
        store.add(Favorite(ContentType::Live, "9", "Zeta otra vez", std::nullopt));
        QCOMPARE(changed.count(), 2);
        QCOMPARE(ids(store.items()), QStringList({"live:9", "live:8"}));

        const QJsonArray file = QJsonDocument::fromJson(readFile(path())).array();
        QCOMPARE(file.size(), 2);
        QCOMPARE(file.at(0).toObject().value("name").toString(), QString("Zeta"));
        QVERIFY(!file.at(0).toObject().contains("imageUrl"));
        QCOMPARE(FavoritesStore(path()).items(), store.items());
    }

    void sortsByNameLocalizedStable()
    {
        QLocale::setDefault(QLocale("es_CL"));
        FavoritesStore store(path());
        store.add(Favorite(ContentType::Live, "1", "Zeta", std::nullopt));
        store.add(Favorite(ContentType::Live, "2", "árbol", std::nullopt));
        store.add(Favorite(ContentType::Series, "3", "Beta", std::nullopt));
        store.add(Favorite(ContentType::Live, "4", "alfa", std::nullopt));
        store.add(Favorite(ContentType::Live, "5", "Ñandú", std::nullopt));
        store.add(Favorite(ContentType::Live, "6", "ALFA", std::nullopt));
        store.add(Favorite(ContentType::Live, "7", "nube", std::nullopt));
        store.add(Favorite(ContentType::Live, "8", "alfa", std::nullopt));
        QCOMPARE(names(store.items(ContentType::Live)),
                 QStringList({"alfa", "ALFA", "alfa", "árbol", "nube", "Ñandú", "Zeta"}));
        QCOMPARE(ids(store.items(ContentType::Live)).mid(0, 3), QStringList({"live:4", "live:6", "live:8"}));
        QCOMPARE(names(store.items(ContentType::Series)), QStringList{"Beta"});
        QCOMPARE(ids(store.items()).first(), QString("live:1")); // the store itself keeps addition order
    }

    void removeDropsEveryMatchAndAlwaysWrites()
    {
        writeFile(
            path(),
            R"([{"contentId":"1","name":"A"},{"contentId":"2","name":"B"},{"contentId":"1","name":"A2"}])");
        FavoritesStore store(path());
        store.remove(ContentType::Live, "1");
        QCOMPARE(ids(store.items()), QStringList{"live:2"});
        QFile::remove(path());
        QSignalSpy changed(&store, &FavoritesStore::itemsChanged);
        store.remove(ContentType::Live, "404");
        QCOMPARE(changed.count(), 0);
        QCOMPARE(FavoritesStore(path()).items(), store.items());
    }

    // The file's shape (list, JSON at all) is proved for both stores by the progress store's tests.
    void unloadableFileIsKeptAsideBeforeTheFirstWrite_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("element without contentId")
            << QByteArray(R"([{"contentId":"1","name":"A"},{"name":"B"}])");
        QTest::newRow("name of the wrong type") << QByteArray(R"([{"contentId":"1","name":2}])");
    }
    void unloadableFileIsKeptAsideBeforeTheFirstWrite()
    {
        QFETCH(QByteArray, bytes);
        writeFile(path(), bytes);
        FavoritesStore store(path());
        QVERIFY(store.items().isEmpty());
        QCOMPARE(readFile(path()), bytes);
        store.add(Favorite(ContentType::Series, "5", "Serie", std::nullopt));
        QCOMPARE(readFile(path() + ".corrupt.1"), bytes);
        QCOMPARE(ids(FavoritesStore(path()).items()), QStringList{"series:5"});
    }

    void reachableFromQml()
    {
        QVERIFY(FavoritesStore::defaultFilePath().endsWith("/Norvane/favorites.json"));
        FavoritesStore *shared = FavoritesStore::shared();
        norvane::test::QmlHarness harness;
        QObject *root = harness.create(R"(
            import QtQml
            import Norvane.Core
            QtObject {
                property int count: FavoritesStore.items.length
                property bool probe: FavoritesStore.items.length, FavoritesStore.items.some(f => f.id === "series:qml-probe")
            })");
        QVERIFY(root);
        const int before = root->property("count").toInt();
        shared->add(Favorite(ContentType::Series, "qml-probe", "Sonda", std::nullopt));
        QCOMPARE(root->property("count").toInt(), before + 1);
        QVERIFY(root->property("probe").toBool());
        shared->remove(ContentType::Series, "qml-probe");
        QVERIFY(!root->property("probe").toBool());
    }
};

NORVANE_TEST_MAIN(TestFavoritesStore)
#include "tst_favoritesstore.moc"
