#include "SampleProvider.h"
#include "SectionTestHome.h"
#include "TestMain.h"
#include "TestProvider.h"
#include "catalog/MoviesModel.h"
#include "catalog/SeriesModel.h"
#include "client/NorvaneError.h"
#include "live/ChannelsModel.h"
#include "storage/FavoritesStore.h"
#include "storage/ProgressStore.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <memory>

using norvane::test::SectionTestHome;

namespace {

enum class Kind { Live, Movies, Series };

// What differs between the sections for these tests: the provider's actions, two of its
// categories, and one of the section's own rows (a list that needs no request).
struct Shape
{
    QString categoriesAction;
    QString listAction;
    QString first;
    QString second;
    QString ownRow;
};

Shape shapeOf(Kind kind)
{
    switch (kind) {
    case Kind::Live:
        return {"get_live_categories", "get_live_streams", "1", "2", "__favorites__"};
    case Kind::Movies:
        return {"get_vod_categories", "get_vod_streams", "41", "42", "__continue__"};
    case Kind::Series:
        return {"get_series_categories", "get_series", "81", "82", "__favorites__"};
    }
    return {};
}

QString kindName(Kind kind)
{
    return kind == Kind::Live ? "live" : kind == Kind::Movies ? "movies" : "series";
}

} // namespace

Q_DECLARE_METATYPE(Kind)

// The one list state of every categorized section (live TV, movies, series), proved once for
// each: the list on screen follows the latest request only, a failed list says why and loads
// again, failed categories keep the list they had, and the selected row is told apart from a
// category whose id is empty.
class TestSectionList : public QObject
{
    Q_OBJECT

    std::unique_ptr<SectionTestHome> m_home;
    std::unique_ptr<ProgressStore> m_progress;
    std::unique_ptr<FavoritesStore> m_favorites;
    std::unique_ptr<SampleProvider> m_provider;
    std::unique_ptr<CategorizedSectionModel> m_model;
    std::unique_ptr<QAbstractItemModelTester> m_tester;

    CategorizedSectionModel &make(Kind kind)
    {
        switch (kind) {
        case Kind::Live:
            m_model = std::make_unique<ChannelsModel>(nullptr, m_favorites.get());
            break;
        case Kind::Movies:
            m_model = std::make_unique<MoviesModel>(m_progress.get());
            break;
        case Kind::Series:
            m_model = std::make_unique<SeriesModel>(m_progress.get(), m_favorites.get());
            break;
        }
        m_model->setClient(norvane::test::clientOf(*m_provider));
        m_tester = std::make_unique<QAbstractItemModelTester>(
            m_model->rows(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        return *m_model;
    }

    int requests(const QString &action) const { return int(m_provider->requests(action).size()); }

    static void addKinds(const char *caseName, const std::function<void(QTestData &)> &columns = {})
    {
        for (Kind kind : {Kind::Live, Kind::Movies, Kind::Series}) {
            QTestData &row = QTest::addRow("%s, %s", qPrintable(kindName(kind)), caseName) << kind;
            if (columns)
                columns(row);
        }
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_home = std::make_unique<SectionTestHome>();
        m_progress = std::make_unique<ProgressStore>(m_home->path() + QLatin1String("/progress.json"));
        m_favorites = std::make_unique<FavoritesStore>(m_home->path() + QLatin1String("/favorites.json"));
    }

    void init()
    {
        m_provider = std::make_unique<SampleProvider>();
        QVERIFY(m_provider->listenOn());
    }

    void cleanup()
    {
        m_tester.reset();
        m_model.reset();
        m_provider.reset();
    }

    // A request answered after a later one changes nothing on screen: whether the user went on to
    // another category, to one of the section's own rows, or asked the same category again (its
    // older answer, even a failure, never wins over the newer one).
    void onlyTheLatestRequestShows_data()
    {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("next"); // "first", "second" or "own"
        QTest::addColumn<bool>("firstFails");
        for (const char *next : {"second", "own", "first"}) {
            for (const bool fails : {false, true})
                addKinds(
                    qPrintable(QStringLiteral("then %1%2").arg(next, fails ? ", the first failing" : "")),
                    [&](QTestData &row) { row << QString(next) << fails; });
        }
    }

    void onlyTheLatestRequestShows()
    {
        QFETCH(Kind, kind);
        QFETCH(QString, next);
        QFETCH(bool, firstFails);
        constexpr int delayMs = 300;
        const Shape shape = shapeOf(kind);
        CategorizedSectionModel &model = make(kind);
        m_provider->setFault(shape.listAction,
                             ProviderFault{.status = firstFails ? 500 : 0, .delayMs = delayMs});
        model.selectCategory(shape.first);
        QVERIFY(model.isLoadingList());
        QTRY_COMPARE(requests(shape.listAction), 1);
        m_provider->clearScript();

        const QString nextId = next == "first" ? shape.first : next == "second" ? shape.second : shape.ownRow;
        model.selectCategory(nextId);
        QTRY_VERIFY(!model.isLoadingList());
        QVERIFY(model.listError().isNull());
        const int shown = model.rows()->rowCount();
        QVERIFY(next == "own" || shown > 0);
        QSignalSpy listChanges(&model, &CategorizedSectionModel::listChanged);
        QSignalSpy loadingChanges(&model, &CategorizedSectionModel::isLoadingListChanged);
        QSignalSpy errorChanges(&model, &CategorizedSectionModel::listErrorChanged);

        QTest::qWait(delayMs + 200); // the first answer has come
        QCOMPARE(model.selectedCategoryIdText(), nextId);
        QCOMPARE(model.rows()->rowCount(), shown);
        QVERIFY(model.listError().isNull());
        QVERIFY(!model.isLoadingList());
        QCOMPARE(listChanges.size() + loadingChanges.size() + errorChanges.size(), 0);
    }

    // A failed list says why with no rows; "Reintentar" clears the error at once, shows the loading
    // state and then the list.
    void failedListLoadsAgain_data()
    {
        QTest::addColumn<Kind>("kind");
        addKinds("500");
    }

    void failedListLoadsAgain()
    {
        QFETCH(Kind, kind);
        const Shape shape = shapeOf(kind);
        CategorizedSectionModel &model = make(kind);
        m_provider->setFault(shape.listAction, ProviderFault{.status = 500});
        model.selectCategory(shape.first);
        QTRY_VERIFY(!model.isLoadingList());
        QCOMPARE(model.listError(),
                 QStringLiteral("El servidor respondió con un error (500).\nInténtalo más tarde."));
        QCOMPARE(model.rows()->rowCount(), 0);

        m_provider->clearScript();
        model.reloadList();
        QVERIFY(model.listError().isNull());
        QVERIFY(model.isLoadingList());
        QTRY_VERIFY(!model.isLoadingList());
        QVERIFY(model.listError().isNull());
        QVERIFY(model.rows()->rowCount() > 0);
        QCOMPARE(requests(shape.listAction), 2);
    }

    // A failed reload of the categories keeps the ones loaded before and the selection; the retry
    // clears the error when it starts.
    void failedCategoriesKeepTheirList_data()
    {
        QTest::addColumn<Kind>("kind");
        addKinds("500");
    }

    void failedCategoriesKeepTheirList()
    {
        QFETCH(Kind, kind);
        const Shape shape = shapeOf(kind);
        CategorizedSectionModel &model = make(kind);
        model.loadCategories();
        QTRY_VERIFY_WITH_TIMEOUT(!model.isLoadingCategories(), 10000);
        const QList<Category> categories = model.categories();
        QVERIFY(!categories.isEmpty());
        QVERIFY(model.categoriesError().isNull());
        model.selectCategory(shape.second);
        QTRY_VERIFY(!model.isLoadingList());

        m_provider->setFault(shape.categoriesAction, ProviderFault{.htmlBody = true});
        model.loadCategories();
        QTRY_VERIFY(!model.isLoadingCategories());
        QCOMPARE(model.categoriesError(),
                 QStringLiteral("El servidor respondió algo inesperado.\nInténtalo de nuevo."));
        QCOMPARE(model.categories(), categories);

        m_provider->clearScript();
        model.loadCategories();
        QVERIFY(model.categoriesError().isNull());
        QTRY_VERIFY(!model.isLoadingCategories());
        QVERIFY(model.categoriesError().isNull());
        QCOMPARE(model.selectedCategoryIdText(), shape.second);
        QCOMPARE(requests(shape.categoriesAction), 3);
    }

    // No row is selected until one is chosen, even when a category's id is empty; choosing it
    // selects that row and no other.
    void selectedRowOfAnEmptyId_data()
    {
        QTest::addColumn<Kind>("kind");
        addKinds("id \"\"");
    }

    void selectedRowOfAnEmptyId()
    {
        QFETCH(Kind, kind);
        const Shape shape = shapeOf(kind);
        m_provider->setAnswer(shape.categoriesAction,
                              R"([{"category_id":"7","category_name":"Uno"},{"category_name":"Sin id"}])");
        CategorizedSectionModel &model = make(kind);
        QSignalSpy rowChanges(&model, &CategorizedSectionModel::selectedRowChanged);
        if (kind == Kind::Live) {
            model.loadCategories();
            QTRY_VERIFY(!model.isLoadingCategories());
            QCOMPARE(model.selectedRow(), -1);
            QCOMPARE(rowChanges.size(), 0);
        } else {
            // A catalog section selects "Recién agregadas" with its first categories.
            QVERIFY(norvane::test::loadCategoriesAndWait(model));
            QCOMPARE(model.selectedRow(), 0);
        }
        const QList<SectionRow> rows = model.categoryRows();
        QCOMPARE(rows.last().id(), QString());
        model.selectCategory(QString());
        QCOMPARE(model.selectedRow(), rows.size() - 1);
        model.selectCategory(kind == Kind::Live ? "__favorites__" : "__recent__"); // the first row
        QCOMPARE(model.selectedRow(), 0);
    }
};

NORVANE_TEST_MAIN(TestSectionList)
#include "tst_sectionlist.moc"
