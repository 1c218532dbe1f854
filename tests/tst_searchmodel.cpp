#include "SampleProvider.h"
#include "TestMain.h"
#include "search/FoldedNameIndex.h"
#include "search/SearchModel.h"
#include "search/TextFolding.h"

#include <QCoroTask>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>

namespace {

// A movie list answer with the given names, ids 1, 2, 3 ... in order.
QByteArray moviesNamed(const QStringList &names)
{
    QJsonArray list;
    for (qsizetype i = 0; i < names.size(); ++i)
        list.append(
            QJsonObject{{"name", names.at(i)}, {"stream_id", int(i + 1)}, {"container_extension", "mp4"}});
    return QJsonDocument(list).toJson(QJsonDocument::Compact);
}

QStringList namesOf(const QList<VodStream> &movies)
{
    QStringList names;
    for (const VodStream &movie : movies)
        names.append(movie.name());
    return names;
}

struct NamedRecord
{
    QString name;
    QStringView nameView() const { return name; }
};

} // namespace

class TestSearchModel : public QObject
{
    Q_OBJECT

private:
    SampleProvider m_provider;
    std::unique_ptr<SearchModel> m_model;

    void load(SearchModel::Kind kind)
    {
        m_model->setKind(kind);
        QCoro::waitFor(m_model->ensureLoadedTask());
    }
    QStringList movieNamesFor(const QString &query)
    {
        m_model->setQuery(query);
        return namesOf(m_model->movieResults());
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_provider.listenOn()); }

    void init()
    {
        m_provider.clearScript();
        m_provider.clearLog();
        m_model = std::make_unique<SearchModel>();
        m_model->setClient(XtreamClient(m_provider.baseUrl(), m_provider.username(), m_provider.password()));
    }

    void queryNeedsTwoCharacters_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QVariant>("matched");
        const QVariant none;
        QTest::newRow("empty") << QString() << none;
        QTest::newRow("one letter") << QStringLiteral("a") << none;
        QTest::newRow("blanks around one letter") << QStringLiteral("  a") << none;
        QTest::newRow("line breaks and tabs around one letter") << QStringLiteral("\n\t a \r\n") << none;
        QTest::newRow("precomposed ñ") << QStringLiteral("ñ") << none;
        QTest::newRow("n with combining tilde") << QStringLiteral("n\u0303") << none;
        QTest::newRow("e with two marks") << QStringLiteral("e\u0301\u0323") << none;
        QTest::newRow("flag of two code points") << QStringLiteral("\U0001F1E8\U0001F1F1") << none;
        QTest::newRow("two letters") << QStringLiteral("ab") << QVariant(QStringLiteral("ab"));
        QTest::newRow("two letters in blanks") << QStringLiteral("  ab  ") << QVariant(QStringLiteral("ab"));
        QTest::newRow("combining ñ and a") << QStringLiteral("N\u0303A") << QVariant(QStringLiteral("na"));
        QTest::newRow("inner blank kept") << QStringLiteral(" a b ") << QVariant(QStringLiteral("a b"));
    }
    void queryNeedsTwoCharacters()
    {
        QFETCH(QString, query);
        QFETCH(QVariant, matched);
        const std::optional<QString> result = SearchModel::matchableQuery(query);
        QCOMPARE(result.has_value(), matched.isValid());
        if (result)
            QCOMPARE(*result, matched.toString());
    }

    void caseAndAccentsMatchBothWays_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QStringList>("found");
        const QStringList peliculas{"PELÍCULA uno", "pelicula dos", "Película tres"};
        QTest::newRow("plain finds accented capitals") << "pelicula" << peliculas;
        QTest::newRow("accented capitals find plain") << "PELÍCULA" << peliculas;
        QTest::newRow("decomposed accent") << "peli\u0301cula" << peliculas;
        QTest::newRow("n finds ñ") << "nandu" << QStringList{"El Ñandú"};
        QTest::newRow("Ñ finds ñ") << "ÑANDÚ" << QStringList{"El Ñandú"};
        QTest::newRow("ñ finds n") << "niño" << QStringList{"Nino", "Niño"};
        QTest::newRow("É finds e") << "ÉL Ñ" << QStringList{"El Ñandú"};
        QTest::newRow("blanks trimmed") << "  \tábaco\n " << QStringList{"Ábaco"};
        QTest::newRow("one letter gives nothing") << "a" << QStringList();
        QTest::newRow("no match") << "zz" << QStringList();
    }
    void caseAndAccentsMatchBothWays()
    {
        QFETCH(QString, query);
        QFETCH(QStringList, found);
        m_provider.setAnswer(QStringLiteral("get_vod_streams"),
                             moviesNamed({"PELÍCULA uno", "Nino", "pelicula dos", "El Ñandú", "Ábaco",
                                          "Película tres", "Niño", "otra cosa"}));
        load(SearchModel::Movies);
        QCOMPARE(movieNamesFor(query), found);
        // Other kinds have nothing fetched, so nothing to find.
        QVERIFY(m_model->channelResults().isEmpty());
        QVERIFY(m_model->seriesResults().isEmpty());
    }

    void firstEightyInProviderOrder()
    {
        QStringList names;
        QStringList matching;
        for (int i = 0; i < 300; ++i) {
            // 200 matching names, in a scattered pattern.
            const bool match = i % 3 != 2;
            names.append(match ? QStringLiteral("Cine %1").arg(i) : QStringLiteral("Otro %1").arg(i));
            if (match)
                matching.append(names.last());
        }
        m_provider.setAnswer(QStringLiteral("get_vod_streams"), moviesNamed(names));
        load(SearchModel::Movies);
        m_model->setQuery(QStringLiteral("CINE"));
        const QList<VodStream> results = m_model->movieResults();
        QCOMPARE(results.size(), SearchModel::resultLimit);
        QCOMPARE(namesOf(results), matching.first(80));
        QCOMPARE(results.first().streamId(), QStringLiteral("1"));
        // Every read computes afresh from the list: the same answer again, no state in between.
        QCOMPARE(m_model->movieResults(), results);
    }

    void resultsAreAnnouncedOnEveryChange()
    {
        QSignalSpy results(m_model.get(), &SearchModel::resultsChanged);
        m_model->setQuery(QStringLiteral("ca"));
        m_model->setQuery(QStringLiteral("ca"));
        QCOMPARE(results.count(), 1);
        m_model->setKind(SearchModel::Series);
        m_model->setKind(SearchModel::Series);
        QCOMPARE(results.count(), 2);
        QCoro::waitFor(m_model->ensureLoadedTask());
        QCOMPARE(results.count(), 3);
        QVERIFY(!m_model->seriesResults().isEmpty());
        // A list of another kind arriving leaves the shown results alone.
        m_model->setKind(SearchModel::Live);
        m_model->ensureLoaded();
        m_model->setKind(SearchModel::Series);
        QCOMPARE(results.count(), 5);
        QTRY_VERIFY(m_model->channels().has_value());
        QTest::qWait(20);
        QCOMPARE(results.count(), 5);
    }

    void failedKindIsFetchedAgain()
    {
        m_provider.setFault(QStringLiteral("get_series"), ProviderFault{.status = 503});
        QSignalSpy loading(m_model.get(), &SearchModel::isLoadingChanged);
        m_model->setKind(SearchModel::Series);
        m_model->setQuery(QStringLiteral("casa"));
        m_model->ensureLoaded();
        QVERIFY(m_model->isLoading());
        QTRY_VERIFY(!m_model->isLoading());
        QCOMPARE(loading.count(), 2);
        QVERIFY(!m_model->series());
        QVERIFY(!m_model->loadError().isEmpty());
        QVERIFY(m_model->seriesResults().isEmpty());

        // Another kind that is present only clears the text.
        load(SearchModel::Live);
        QVERIFY(m_model->loadError().isNull());

        m_provider.clearScript();
        m_model->setKind(SearchModel::Series);
        m_model->ensureLoaded();
        QVERIFY(m_model->loadError().isNull());
        QTRY_VERIFY(m_model->series().has_value());
        QTRY_VERIFY(!m_model->isLoading());
        QCOMPARE(m_provider.requests(QStringLiteral("get_series")).size(), 2);
        QVERIFY(!m_model->seriesResults().isEmpty());
        for (const SeriesStream &series : m_model->seriesResults())
            QVERIFY(TextFolding::fold(series.name()).contains(QStringLiteral("casa")));
    }

    // A slow movie fetch that fails while the user looks at series shows neither its spinner nor
    // its error there; back on movies, its error shows and a retry fetches again.
    void eachKindKeepsItsOwnFetchState()
    {
        constexpr int delayMs = 150;
        m_provider.setFault(QStringLiteral("get_vod_streams"),
                            ProviderFault{.status = 503, .delayMs = delayMs});
        m_model->setKind(SearchModel::Movies);
        m_model->ensureLoaded();
        QVERIFY(m_model->isLoading());
        load(SearchModel::Series);
        QVERIFY(m_model->series().has_value());
        QTRY_COMPARE(m_provider.requests(QStringLiteral("get_vod_streams")).size(), 1);
        QTest::qWait(3 * delayMs);
        QVERIFY(!m_model->isLoading());
        QVERIFY(m_model->loadError().isNull());

        m_model->setKind(SearchModel::Movies);
        QVERIFY(!m_model->isLoading());
        QVERIFY(!m_model->loadError().isEmpty());
        m_provider.clearScript();
        m_model->ensureLoaded();
        QVERIFY(m_model->isLoading());
        QVERIFY(m_model->loadError().isNull());
        QTRY_VERIFY(m_model->movies().has_value());
        QVERIFY(!m_model->isLoading());
        QCOMPARE(m_provider.requests(QStringLiteral("get_vod_streams")).size(), 2);
    }

    void switchingKindsKeepsFetchedLists()
    {
        load(SearchModel::Live);
        load(SearchModel::Movies);
        load(SearchModel::Live);
        load(SearchModel::Movies);
        QCOMPARE(m_provider.requests(QStringLiteral("get_live_streams")).size(), 1);
        QCOMPARE(m_provider.requests(QStringLiteral("get_vod_streams")).size(), 1);
        // The whole list: no category is asked for.
        QVERIFY(
            !m_provider.requests(QStringLiteral("get_vod_streams")).first().query.contains("category_id"));
        QCOMPARE(m_model->channels()->size(), m_provider.catalog().counts().channels);
        QCOMPARE(m_model->movies()->size(), m_provider.catalog().counts().movies);
    }

    void channelsAreFoundAsRowsWhateverTheirCategory()
    {
        m_provider.setAnswer(
            QStringLiteral("get_live_streams"),
            R"([{"name":"XXX Noche","stream_id":7,"num":3,"stream_icon":"icon/7.png","category_id":"11"},
                                 {"name":"Noticias","stream_id":8},
                                 {"name":"xxx dos","stream_id":"9","category_id":"11"}])");
        load(SearchModel::Live);
        m_model->setQuery(QStringLiteral("xxx"));
        const QList<ChannelRow> expected{
            ChannelRow("7", QStringLiteral("3"), "XXX Noche", QStringLiteral("icon/7.png")),
            ChannelRow("9", std::nullopt, "xxx dos", std::nullopt)};
        QCOMPARE(m_model->channelResults(), expected);
    }

    // The folded-name buffer gives exactly what folding each name and searching it gives.
    void indexEqualsPlainFolding_data()
    {
        QTest::addColumn<QString>("query");
        for (const char *query :
             {"ss",  "ß", "stra",         "is", "i\u0307", "İ", "ang",  "å", "fi",      "ﬁ", "σ", "ς",
              "ΣΊΣ", "😀", "\U0001F600 x", "ǆ",  "Ǆ",       "b", "mega", "ⅻ", "x\u0301", "–", "co"})
            QTest::newRow(query) << QString::fromUtf8(query);
        QTest::newRow("with a NUL") << QStringLiteral("a") + QChar(0);
        QTest::newRow("lone high surrogate") << QString(QChar(0xD83D));
        QTest::newRow("lone low surrogate") << QString(QChar(0xDE00));
    }
    void indexEqualsPlainFolding()
    {
        QFETCH(QString, query);
        const QList<NamedRecord> records{
            {"Straße"},
            {"STRASSE"},
            {"İstanbul"},
            {"Istanbul"},
            {QStringLiteral("\u212Bngström")},
            {"ﬁlm"},
            {"film"},
            {"ΣΊΣΥΦΟΣ"},
            {"σίσυφος"},
            {"😀 x"},
            {QString(QChar(0xD83D)) + "x"},
            {QString(QChar(0xDE00))},
            {QStringLiteral("a") + QChar(0) + "b"},
            {"ǅ"},
            {"Ωmega"},
            {"Ⅻ"},
            {"x\u0301y"},
            {"a–b"},
            {""},
            {"Cómo"},
            {"COCO"},
        };
        const FoldedNameIndex index = FoldedNameIndex::ofNames(records);
        const QString needle = TextFolding::fold(query);
        QList<qsizetype> plain;
        for (qsizetype i = 0; i < records.size(); ++i)
            if (TextFolding::fold(records.at(i).name).contains(needle))
                plain.append(i);
        QCOMPARE(index.find(needle, 80), plain);
        QCOMPARE(index.find(needle, 1), plain.first(std::min<qsizetype>(1, plain.size())));
    }
};

NORVANE_TEST_MAIN(TestSearchModel)
#include "tst_searchmodel.moc"
