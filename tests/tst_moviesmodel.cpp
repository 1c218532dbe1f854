#include "RecordFields.h"
#include "SectionModelFixture.h"
#include "TestFiles.h"
#include "TestMain.h"
#include "catalog/CatalogScreen.h"
#include "catalog/MoviesModel.h"

#include <QFile>
#include <QSignalSpy>

using norvane::test::readFile;
using norvane::test::SectionTestHome;

Q_DECLARE_METATYPE(ProviderFault)

namespace {

const QString vodAll = QStringLiteral("vod_all.json");
const QString streamsAction = QStringLiteral("get_vod_streams");
const QString recent = QStringLiteral("__recent__");

// One movie per `added` value (raw JSON, or left out when empty), ids 1, 2, ... in that order.
QByteArray catalogBody(const QList<QByteArray> &addedValues)
{
    return norvane::test::numberedCatalog(
        R"({"name":"Película %1","stream_id":%1,"stream_icon":"http://img/p.jpg",)"
        R"("category_id":"40","container_extension":"mp4")",
        "added", addedValues);
}

// `count` movies added at 1000, 1001, ... so the newest is the last one.
QByteArray risingCatalog(int count)
{
    QList<QByteArray> added;
    for (int i = 0; i < count; ++i)
        added.append('"' + QByteArray::number(1000 + i) + '"');
    return catalogBody(added);
}

QStringList ids(const QList<VodStream> &movies)
{
    return norvane::test::fieldOf(movies, &VodStream::streamId);
}

QStringList idRange(int from, int downTo)
{
    QStringList list;
    for (int id = from; id >= downTo; --id)
        list.append(QString::number(id));
    return list;
}

} // namespace

// The movies section: categories, the first "Recién agregadas", the per-visit cache, the whole
// catalog from its disk copy or a download with a byte counter, and the background refresh.
class TestMoviesModel : public QObject, norvane::test::SectionModelFixture<MoviesModel>
{
    Q_OBJECT

public:
    TestMoviesModel() : SectionModelFixture(vodAll, streamsAction) {}

private Q_SLOTS:
    void initTestCase() { makeHome(); }
    void init() { QVERIFY(startProvider()); }
    void cleanup() { dropModel(); }

    void firstLoadSelectsRecentFromADownload()
    {
        const QByteArray body = risingCatalog(100);
        m_provider->setAnswer(streamsAction, body);
        MoviesModel &model = makeModel();
        // What was on screen when the categories stopped loading.
        qsizetype moviesWhenCategoriesSettled = -1;
        connect(&model, &MoviesModel::isLoadingCategoriesChanged, this, [&] {
            if (!model.isLoadingCategories())
                moviesWhenCategoriesSettled = model.movies().size();
        });
        QSignalSpy loadingMovies(&model, &MoviesModel::isLoadingListChanged);

        openSection();

        QCOMPARE(model.categories().size(), 20);
        QCOMPARE(model.categories().first().categoryId(), QStringLiteral("40"));
        QCOMPARE(model.selectedCategoryId(), std::optional<QString>(recent));
        QCOMPARE(moviesWhenCategoriesSettled, 60);
        QCOMPARE(ids(model.movies()), idRange(100, 41));
        QCOMPARE(model.rows()->rowCount(), 60);
        QCOMPARE(model.rows()->index(0, 0).data(RecordListModel<MovieCatalog>::RecordRole).value<VodStream>(),
                 model.movies().first());
        QCOMPARE(loadingMovies.size(), 2); // the foreground download showed the loading state
        QVERIFY(!model.isLoadingList());
        QVERIFY(model.listError().isEmpty());
        QCOMPARE(wholeRequests(), 1);
        QCOMPARE(model.allMovies()->size(), 100);

        // The body is kept owner-only with its size, for the next visit.
        QTRY_COMPARE(SectionTestHome::expectedSize(vodAll), qint64(body.size()));
        QCOMPARE(readFile(SectionTestHome::catalogPath(vodAll)), body);
        QCOMPARE(QFile::permissions(SectionTestHome::catalogPath(vodAll)) &
                     (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther),
                 QFile::Permissions());
    }

    void continueEmptiesAndFetchesNothing()
    {
        MoviesModel &model = makeModel();
        openSection();
        QVERIFY(!model.movies().isEmpty());
        const auto requestsBefore = m_provider->requests().size();

        model.selectCategory(QStringLiteral("__continue__"));

        QCOMPARE(model.selectedCategoryId(), std::optional<QString>(QStringLiteral("__continue__")));
        QVERIFY(model.movies().isEmpty());
        QCOMPARE(model.rows()->rowCount(), 0);
        QVERIFY(!model.isLoadingList());
        QTest::qWait(50);
        QCOMPARE(m_provider->requests().size(), requestsBefore);
    }

    // Each category's list is fetched once per visit, also when its answer came after the user
    // had moved on; "Recién agregadas" comes from the catalog in memory.
    void categoryListIsFetchedOncePerVisit()
    {
        MoviesModel &model = makeModel();
        openSection();
        m_provider->setFault(streamsAction, ProviderFault{.delayMs = 200});
        model.selectCategory(QStringLiteral("40"));
        QTRY_COMPARE(categoryRequests(QStringLiteral("40")), 1);
        m_provider->clearScript();
        model.selectCategory(QStringLiteral("41"));
        QTRY_VERIFY(!model.isLoadingList());
        const QList<VodStream> fortyOne = model.movies();
        QVERIFY(!fortyOne.isEmpty());
        for (const VodStream &movie : fortyOne)
            QCOMPARE(movie.categoryId(), QStringLiteral("41"));
        QTest::qWait(300); // the answer for 40 has come, into the cache only

        for (const QString id : {"40", "41"}) {
            model.selectCategory(id);
            QVERIFY(!model.isLoadingList());
            QCOMPARE(model.movies().first().categoryId(), id);
            QCOMPARE(categoryRequests(id), 1);
        }
        model.selectCategory(recent);
        QCOMPARE(model.movies().size(), 60);
        QCOMPARE(wholeRequests(), 1);
    }

    void topRecent_data()
    {
        QTest::addColumn<QList<QByteArray>>("added");
        QTest::addColumn<QStringList>("expected");

        QList<QByteArray> sixtyOne;
        for (int i = 0; i < 61; ++i)
            sixtyOne.append(QByteArray::number(1000 + i));
        QTest::newRow("61 keep the newest 60") << sixtyOne << idRange(61, 2);
        QList<QByteArray> sixty = sixtyOne.mid(0, 60);
        QTest::newRow("60 keep all") << sixty << idRange(60, 1);
        QTest::newRow("ties keep catalog order")
            << QList<QByteArray>{"5", "9", "5", "9", "7"} << QStringList{"2", "4", "5", "1", "3"};
        QTest::newRow("non-numeric counts as 0")
            << QList<QByteArray>{R"("abc")", R"("-1")", "", R"("12x")", R"("3")", "null", R"("")"}
            << QStringList{"5", "1", "3", "4", "6", "7", "2"};
        QTest::newRow("empty") << QList<QByteArray>{} << QStringList{};
    }

    void topRecent()
    {
        QFETCH(QList<QByteArray>, added);
        QFETCH(QStringList, expected);
        const auto catalog = ProviderJson::decode<QList<VodStream>>(catalogBody(added));
        QVERIFY(catalog);
        QCOMPARE(ids(MoviesModel::Records::topRecent(*catalog)), expected);
    }

    void downloadFraction_data()
    {
        QTest::addColumn<qint64>("storedSize");
        QTest::newRow("no size stored") << qint64(0);
        QTest::newRow("size 1000, body larger") << qint64(1000);
        QTest::newRow("size of the body") << qint64(risingCatalog(30).size());
    }

    void downloadFraction()
    {
        QFETCH(qint64, storedSize);
        const QByteArray body = risingCatalog(30); // about 5 kB, in slices of a tenth of a second
        if (storedSize > 0)
            SectionTestHome::storeExpectedSize(vodAll, storedSize);
        ProviderFault slow{.bytesPerSecond = int(body.size()) * 2};
        m_provider->setAnswer(streamsAction, body);
        m_provider->setFault(streamsAction, slow);
        MoviesModel &model = makeModel();
        QList<qint64> bytes;
        QList<std::optional<double>> fractions;
        connect(&model, &MoviesModel::downloadedBytesChanged, this, [&] {
            bytes.append(model.downloadedBytes());
            fractions.append(model.downloadFraction());
        });

        openSection();

        QCOMPARE(model.movies().size(), 30);
        QVERIFY2(bytes.size() >= 3, qPrintable(QString::number(bytes.size())));
        QVERIFY(std::is_sorted(bytes.cbegin(), bytes.cend()));
        QCOMPARE(bytes.last(), qint64(body.size()));
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            if (storedSize == 0) {
                QVERIFY(!fractions[i]);
            } else {
                QCOMPARE(fractions[i].value_or(-1), std::min(double(bytes[i]) / double(storedSize), 0.99));
            }
        }
        if (storedSize == 1000)
            QCOMPARE(fractions.last().value_or(-1), 0.99);
        if (storedSize > 1000)
            QVERIFY(fractions.first().value_or(1) < 0.99);
        // The next download expects the size of this body.
        QTRY_COMPARE(SectionTestHome::expectedSize(vodAll), qint64(body.size()));
    }

    void backgroundRefreshOfTheDiskCopy_data()
    {
        QTest::addColumn<qint64>("ageSeconds");
        QTest::addColumn<int>("refreshes");
        QTest::newRow("written now") << qint64(0) << 0;
        QTest::newRow("just under three hours") << qint64(10800 - 60) << 0;
        QTest::newRow("older than three hours") << qint64(10800 + 60) << 1;
        // A clock set back: refreshed once, and the new copy carries today's date.
        QTest::newRow("modified in the future") << qint64(-3600) << 1;
        QTest::newRow("days old") << qint64(5 * 86400) << 1;
    }

    void backgroundRefreshOfTheDiskCopy()
    {
        QFETCH(qint64, ageSeconds);
        QFETCH(int, refreshes);
        const QByteArray stored = risingCatalog(70);
        SectionTestHome::storeCatalog(vodAll, stored);
        SectionTestHome::ageCatalog(vodAll, ageSeconds);
        const QByteArray fresh = risingCatalog(80);
        m_provider->setAnswer(streamsAction, fresh);
        MoviesModel &model = makeModel();
        QSignalSpy loadingMovies(&model, &MoviesModel::isLoadingListChanged);

        openSection();

        // The stored copy is on screen (after the loading state of its read), before any refresh.
        QCOMPARE(ids(model.movies()), idRange(70, 11));
        QCOMPARE(loadingMovies.size(), 2);
        if (refreshes == 0) {
            QTest::qWait(200);
            QCOMPARE(wholeRequests(), 0);
            QCOMPARE(model.allMovies()->size(), 70);
            return;
        }
        QTRY_COMPARE(model.allMovies()->size(), 80);
        QCOMPARE(ids(model.movies()), idRange(80, 21)); // "Recién agregadas" was showing: it follows
        QTRY_COMPARE(SectionTestHome::expectedSize(vodAll), qint64(fresh.size()));
        // Selecting the section's categories again refreshes nothing more.
        model.selectCategory(QStringLiteral("__continue__"));
        model.selectCategory(recent);
        openSection();
        QTest::qWait(100);
        QCOMPARE(wholeRequests(), 1);
        QCOMPARE(loadingMovies.size(), 2);
    }

    // While the disk copy is read the pane shows the spinner, never the empty category's text;
    // the download's progress display is for a download only.
    void readingTheDiskCopyShowsTheSpinner()
    {
        SectionTestHome::storeCatalog(vodAll, risingCatalog(70));
        MoviesModel &model = makeModel();
        CatalogScreen screen;
        screen.setModel(&model);
        QList<CatalogScreen::Pane> panes;
        connect(&screen, &CatalogScreen::paneChanged, this, [&] { panes << screen.pane(); });

        openSection();

        QCOMPARE(panes,
                 (QList<CatalogScreen::Pane>{CatalogScreen::Pane::Spinner, CatalogScreen::Pane::Grid}));
        QCOMPARE(wholeRequests(), 0);
    }

    // A whole-catalog download that ends after its section has closed is still decoded and kept:
    // the next visit shows it from the disk copy, without a download.
    void downloadEndingAfterTheSectionClosedIsKept()
    {
        const QByteArray body = risingCatalog(80);
        m_provider->setAnswer(streamsAction, body);
        m_provider->setFault(streamsAction, ProviderFault{.bytesPerSecond = int(body.size()) * 4});
        makeModel().loadCategories();
        QTRY_VERIFY(m_model->downloadedBytes() > 0);
        m_tester.reset();
        m_model.reset();

        QTRY_COMPARE(SectionTestHome::expectedSize(vodAll), qint64(body.size()));
        QCOMPARE(readFile(SectionTestHome::catalogPath(vodAll)), body);
        MoviesModel &next = makeModel();
        openSection();
        QCOMPARE(ids(next.movies()), idRange(80, 21));
        QCOMPARE(wholeRequests(), 1);
    }

    void lateBackgroundRefreshLeavesAnotherCategoryAlone()
    {
        SectionTestHome::storeCatalog(vodAll, risingCatalog(70));
        SectionTestHome::ageCatalog(vodAll, 4 * 3600);
        // The provider's own catalog (3000 movies, about 0.8 MB) comes slowly; a category list is
        // small enough to arrive at once.
        ProviderFault slow{.bytesPerSecond = 2'000'000};
        m_provider->setFault(streamsAction, slow);
        MoviesModel &model = makeModel();
        openSection();
        QCOMPARE(model.allMovies()->size(), 70);

        model.selectCategory(QStringLiteral("43"));
        QTRY_VERIFY(!model.isLoadingList());
        const QList<VodStream> category = model.movies();
        QVERIFY(!category.isEmpty());
        QCOMPARE(model.allMovies()->size(), 70); // the refresh is still running

        QTRY_VERIFY(model.allMovies()->size() > 70);
        QCOMPARE(model.movies(), category);
        QCOMPARE(model.selectedCategoryId(), std::optional<QString>(QStringLiteral("43")));

        model.selectCategory(recent);
        QCOMPARE(model.movies(), MoviesModel::Records::topRecent(*model.allMovies()));
        QCOMPARE(wholeRequests(), 1);
        QTRY_VERIFY(SectionTestHome::expectedSize(vodAll) > risingCatalog(70).size()); // the new copy is kept
    }

    // The text of each fault is the fault matrix's business; here what a failed download leaves.
    void foregroundFailureShowsTheError()
    {
        m_provider->setFault(streamsAction, ProviderFault{.status = 503});
        const QString message = QStringLiteral("Ocurrió un error inesperado.\nInténtalo de nuevo.");
        MoviesModel &model = makeModel();

        openSection();

        QCOMPARE(model.selectedCategoryId(), std::optional<QString>(recent));
        QCOMPARE(model.listError(), message);
        QVERIFY(!model.isLoadingList());
        QVERIFY(model.movies().isEmpty());
        QVERIFY(!model.allMovies());
        QVERIFY(!QFile::exists(SectionTestHome::catalogPath(vodAll)));
        QCOMPARE(SectionTestHome::expectedSize(vodAll), qint64(0));

        // The retry downloads again, with the loading state while it runs.
        m_provider->setFault(streamsAction, {});
        QSignalSpy loading(&model, &MoviesModel::isLoadingListChanged);
        model.selectCategory(recent);
        QTRY_COMPARE(model.movies().size(), 60);
        QVERIFY(model.listError().isEmpty());
        QVERIFY(!model.isLoadingList());
        QCOMPARE(loading.size(), 2);
        QCOMPARE(wholeRequests(), 2);
        QTRY_VERIFY(SectionTestHome::expectedSize(vodAll) > 0);
    }

    // A refresh that fails, or brings a body that does not decode, leaves the copy on screen and
    // on disk, and its size, byte for byte.
    void backgroundFailureIsSilent_data()
    {
        QTest::addColumn<ProviderFault>("broken");
        QTest::newRow("500") << ProviderFault{.status = 500};
        QTest::newRow("200 that does not decode") << ProviderFault{.body = risingCatalog(90).chopped(40)};
    }
    void backgroundFailureIsSilent()
    {
        QFETCH(ProviderFault, broken);
        const QByteArray stored = risingCatalog(70);
        SectionTestHome::storeCatalog(vodAll, stored);
        SectionTestHome::ageCatalog(vodAll, 4 * 3600);
        SectionTestHome::storeExpectedSize(vodAll, stored.size());
        m_provider->setFault(streamsAction, broken);
        MoviesModel &model = makeModel();
        QSignalSpy errors(&model, &MoviesModel::listErrorChanged);

        openSection();
        QTRY_COMPARE(wholeRequests(), 1);
        QTest::qWait(150);

        QCOMPARE(errors.size(), 0);
        QCOMPARE(ids(model.movies()), idRange(70, 11));
        QCOMPARE(readFile(SectionTestHome::catalogPath(vodAll)), stored);
        QCOMPARE(SectionTestHome::expectedSize(vodAll), qint64(stored.size()));
    }

    void unusableDiskCopyIsDownloadedAgain_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("cut short") << risingCatalog(5).left(100);
        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("an object, not a list") << QByteArray(R"({"movies":[]})");
        QTest::newRow("not JSON") << QByteArray("<html>Error</html>");
    }

    void unusableDiskCopyIsDownloadedAgain()
    {
        QFETCH(QByteArray, stored);
        SectionTestHome::storeCatalog(vodAll, stored);
        const QByteArray body = risingCatalog(65);
        m_provider->setAnswer(streamsAction, body);
        MoviesModel &model = makeModel();

        openSection();

        QCOMPARE(wholeRequests(), 1);
        QCOMPARE(ids(model.movies()), idRange(65, 6));
        QVERIFY(model.listError().isEmpty());
        QTRY_COMPARE(SectionTestHome::expectedSize(vodAll), qint64(body.size()));
        QCOMPARE(readFile(SectionTestHome::catalogPath(vodAll)), body);
    }

    void unlockOpensOneCategory()
    {
        MoviesModel &model = makeModel();
        const Category adult(QStringLiteral("59"), QStringLiteral("Adultos +18"));
        const Category other(QStringLiteral("58"), QStringLiteral("XXX Premium"));
        const Category family(QStringLiteral("41"), QStringLiteral("Familia"));
        QSignalSpy changed(&model, &MoviesModel::unlockedCategoriesChanged);
        QVERIFY(model.isLocked(adult));
        QVERIFY(!model.isLocked(family));

        model.unlock(adult.categoryId());
        model.unlock(adult.categoryId());

        QCOMPARE(changed.size(), 1);
        QCOMPARE(model.unlockedCategories(), QStringList{QStringLiteral("59")});
        QVERIFY(!model.isLocked(adult));
        QVERIFY(model.isLocked(other));
        // A new visit starts locked again.
        MoviesModel nextVisit(m_progress.get());
        QVERIFY(nextVisit.isLocked(adult));
    }

    // The column lists the section's own rows, then the categories with their locks; it follows an
    // unlock and the first unfinished movie.
    void categoryRowsFollowLocksAndProgress()
    {
        MoviesModel &model = makeModel();
        openSection();
        const auto ids = [&model] {
            QStringList list;
            for (const SectionRow &row : model.categoryRows())
                list << row.id() + (row.isLocked() ? QStringLiteral("*") : QString());
            return list;
        };
        QCOMPARE(ids().mid(0, 2),
                 (QStringList{QStringLiteral("__recent__"), model.categories().first().categoryId()}));
        QCOMPARE(model.categoryRows().first().label(), QStringLiteral("Recién agregadas"));
        QVERIFY(ids().contains(QStringLiteral("59*")));

        QSignalSpy rows(&model, &CategorizedSectionModel::categoryRowsChanged);
        model.unlock(QStringLiteral("59"));
        QCOMPARE(rows.size(), 1);
        QVERIFY(ids().contains(QStringLiteral("59")));

        m_progress->recordPosition(QStringLiteral("movie:7"), ContentType::Movie, QStringLiteral("7"),
                                   QStringLiteral("Siete"), std::nullopt, QStringLiteral("http://h/7.mp4"),
                                   60'000, 600'000);
        QCOMPARE(rows.size(), 2);
        QCOMPARE(ids().mid(0, 2),
                 (QStringList{QStringLiteral("__recent__"), QStringLiteral("__continue__")}));
        // A series entry is not this section's.
        m_progress->recordPosition(QStringLiteral("series:1:ep:2"), ContentType::Series, QStringLiteral("1"),
                                   QStringLiteral("S"), std::nullopt, QStringLiteral("http://h/2.mp4"),
                                   60'000, 600'000);
        QCOMPARE(rows.size(), 2);
        m_progress->removeEntry(QStringLiteral("movie:7"));
        QCOMPARE(rows.size(), 3);
        QVERIFY(!ids().contains(QStringLiteral("__continue__")));
    }
};

NORVANE_TEST_MAIN(TestMoviesModel)
#include "tst_moviesmodel.moc"
