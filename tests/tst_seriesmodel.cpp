#include "RecordFields.h"
#include "SectionModelFixture.h"
#include "TestFiles.h"
#include "TestMain.h"
#include "catalog/SeriesModel.h"
#include "storage/FavoritesStore.h"

#include <QFile>
#include <QSignalSpy>

using norvane::test::SectionTestHome;

namespace {

const QString seriesAll = QStringLiteral("series_all.json");
const QString seriesAction = QStringLiteral("get_series");
const QString recent = QStringLiteral("__recent__");
const QString favoritesId = QStringLiteral("__favorites__");

// Series 1, 2, ... modified at the given times (raw JSON; left out when empty).
QByteArray catalogBody(const QList<QByteArray> &lastModified)
{
    return norvane::test::numberedCatalog(
        R"({"name":"Serie %1","series_id":%1,"cover":"http://img/c.jpg","plot":"Trama",)"
        R"("genre":"Drama","category_id":"80","rating":"8")",
        "last_modified", lastModified);
}

QStringList ids(const QList<SeriesStream> &series)
{
    return norvane::test::fieldOf(series, &SeriesStream::seriesId);
}

SeriesStream seriesNamed(const QString &id, const QString &name, const QString &cover)
{
    std::array<QString, SeriesStream::FieldCount> fields;
    fields[SeriesStream::Name] = name;
    fields[SeriesStream::SeriesId] = id;
    fields[SeriesStream::Cover] = cover;
    fields[SeriesStream::Genre] = QStringLiteral("Drama");
    return SeriesStream(RecordText<SeriesStream::FieldCount>::fromStrings(fields), 1'700'000'000);
}

} // namespace

// The series section: what differs from the movies section (records, actions, files, recency)
// and the favourite series. The shared section machinery is proved once, by the movies tests.
class TestSeriesModel : public QObject, norvane::test::SectionModelFixture<SeriesModel>
{
    Q_OBJECT

    std::unique_ptr<FavoritesStore> m_favorites;

    SeriesModel &makeModel() { return SectionModelFixture::makeModel(m_favorites.get()); }

public:
    TestSeriesModel() : SectionModelFixture(seriesAll, seriesAction) {}

private Q_SLOTS:
    void initTestCase() { makeHome(); }

    void init()
    {
        const QString favoritesFile = m_home->path() + QLatin1String("/favorites.json");
        QFile::remove(favoritesFile);
        m_favorites = std::make_unique<FavoritesStore>(favoritesFile);
        QVERIFY(startProvider());
    }

    void cleanup()
    {
        dropModel();
        m_favorites.reset();
    }

    void firstLoadShowsTheNewestSeries()
    {
        const QByteArray body = catalogBody(
            {R"("1700000300")", R"("1700000100")", "", R"("1700000300")", R"("ayer")", R"("1700000200")"});
        m_provider->setAnswer(seriesAction, body);
        SeriesModel &model = makeModel();

        openSection();

        QCOMPARE(model.categories().size(), 15);
        QCOMPARE(model.categories().first().categoryId(), QStringLiteral("80"));
        QCOMPARE(model.selectedCategoryId(), std::optional<QString>(recent));
        QCOMPARE(ids(model.items()), (QStringList{"1", "4", "6", "2", "3", "5"}));
        QCOMPARE(model.rows()->rowCount(), 6);
        QCOMPARE(model.rows()->index(1, 0).data(RecordListModel<SeriesCatalog>::TitleRole).toString(),
                 QStringLiteral("Serie 4"));
        QCOMPARE(wholeRequests(), 1);
        // Kept on disk as the movies' catalog is (their tests follow the copy further).
        QTRY_COMPARE(norvane::test::readFile(SectionTestHome::catalogPath(seriesAll)), body);
    }

    void favoritesAreTheFavouriteSeries()
    {
        m_favorites->add(Favorite(ContentType::Series, QStringLiteral("7"), QStringLiteral("Zeta"),
                                  QStringLiteral("http://img/7.jpg")));
        m_favorites->add(
            Favorite(ContentType::Live, QStringLiteral("1001"), QStringLiteral("Canal"), std::nullopt));
        m_favorites->add(
            Favorite(ContentType::Series, QStringLiteral("3"), QStringLiteral("alfa"), std::nullopt));
        SeriesModel &model = makeModel();
        openSection();
        const auto requestsBefore = m_provider->requests().size();

        model.selectCategory(favoritesId);

        QCOMPARE(model.selectedCategoryId(), std::optional<QString>(favoritesId));
        QVERIFY(!model.isLoadingList());
        QCOMPARE(ids(model.items()), (QStringList{"3", "7"})); // by name, case-insensitive
        const SeriesStream alfa = model.items().at(0);
        const SeriesStream zeta = model.items().at(1);
        QCOMPARE(alfa.name(), QStringLiteral("alfa"));
        QVERIFY(alfa.cover().isNull());
        QCOMPARE(zeta.name(), QStringLiteral("Zeta"));
        QCOMPARE(zeta.cover(), QStringLiteral("http://img/7.jpg"));
        QTest::qWait(50);
        QCOMPARE(m_provider->requests().size(), requestsBefore);

        // No favourites: an empty list, no failure.
        m_favorites->remove(ContentType::Series, QStringLiteral("3"));
        m_favorites->remove(ContentType::Series, QStringLiteral("7"));
        model.selectCategory(favoritesId);
        QVERIFY(model.items().isEmpty());
        QVERIFY(model.listError().isEmpty());
    }

    void toggleFollowsTheFavouritesOnScreen()
    {
        m_favorites->add(
            Favorite(ContentType::Series, QStringLiteral("7"), QStringLiteral("Zeta"), std::nullopt));
        SeriesModel &model = makeModel();
        model.selectCategory(favoritesId);
        QCOMPARE(ids(model.items()), QStringList{"7"});
        const SeriesStream breaking = seriesNamed(QStringLiteral("12"), QStringLiteral("Breaking"),
                                                  QStringLiteral("http://img/12.jpg"));

        model.toggleFavorite(breaking);
        QTRY_COMPARE(ids(model.items()), (QStringList{"12", "7"}));
        QVERIFY(m_favorites->isFavorite(ContentType::Series, QStringLiteral("12")));
        QCOMPARE(m_favorites->items().last(),
                 Favorite(ContentType::Series, QStringLiteral("12"), QStringLiteral("Breaking"),
                          QStringLiteral("http://img/12.jpg")));

        model.toggleFavorite(breaking);
        QTRY_COMPARE(ids(model.items()), QStringList{"7"});
        QVERIFY(!m_favorites->isFavorite(ContentType::Series, QStringLiteral("12")));
    }

    void toggleElsewhereLeavesTheListAlone()
    {
        SeriesModel &model = makeModel();
        openSection();
        const QList<SeriesStream> shown = model.items();
        QSignalSpy listChanges(&model, &SeriesModel::listChanged);

        model.toggleFavorite(shown.first());
        QTest::qWait(50);

        QVERIFY(m_favorites->isFavorite(ContentType::Series, shown.first().seriesId()));
        QCOMPARE(listChanges.size(), 0);
        QCOMPARE(model.items(), shown);
        QCOMPARE(model.selectedCategoryId(), std::optional<QString>(recent));
    }
};

NORVANE_TEST_MAIN(TestSeriesModel)
#include "tst_seriesmodel.moc"
