#include "QmlHarness.h"
#include "TestMain.h"
#include "provider/ProviderJson.h"

// Decoding of the provider's records: the tolerant readers, defaults, and list failures.
class TestRecords : public QObject
{
    Q_OBJECT

    // The "rating" of a movie detail goes through flexibleString; "auth" through flexibleInt.
    static std::optional<QString> ratingOf(const QByteArray &json);
    static std::optional<qint64> authOf(const QByteArray &json);
    // One text of the decoded answer of `kind`, or "failed".
    static QString textOf(const QString &kind, QByteArray body);

private Q_SLOTS:
    void flexibleString_data();
    void flexibleString()
    {
        QFETCH(QByteArray, json);
        QFETCH(bool, present);
        QFETCH(QString, expected);
        const std::optional<QString> rating = ratingOf(json);
        QCOMPARE(rating.has_value(), present);
        if (present) {
            QCOMPARE(*rating, expected);
            QVERIFY(!rating->isNull()); // an empty text is present, not absent
        }
    }

    void flexibleInt_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<bool>("present");
        QTest::addColumn<qint64>("expected");
        QTest::newRow("integer") << QByteArray("1") << true << qint64(1);
        QTest::newRow("text") << QByteArray(R"("1")") << true << qint64(1);
        QTest::newRow("text with plus") << QByteArray(R"("+7")") << true << qint64(7);
        QTest::newRow("negative text") << QByteArray(R"("-3")") << true << qint64(-3);
        QTest::newRow("leading zeros") << QByteArray(R"("007")") << true << qint64(7);
        QTest::newRow("whole float") << QByteArray("8.0") << true << qint64(8);
        QTest::newRow("exponent whole") << QByteArray("1e2") << true << qint64(100);
        QTest::newRow("largest") << QByteArray(R"("9223372036854775807")") << true
                                 << std::numeric_limits<qint64>::max();
        QTest::newRow("smallest") << QByteArray("-9223372036854775808") << true
                                  << std::numeric_limits<qint64>::min();
        QTest::newRow("text beyond 64 bits") << QByteArray(R"("9223372036854775808")") << false << qint64(0);
        QTest::newRow("number beyond 64 bits")
            << QByteArray("123456789012345678901234") << false << qint64(0);
        QTest::newRow("huge float") << QByteArray("1e300") << false << qint64(0);
        QTest::newRow("fraction") << QByteArray("4.5") << false << qint64(0);
        QTest::newRow("leading blank") << QByteArray(R"(" 1")") << false << qint64(0);
        QTest::newRow("sign alone") << QByteArray(R"("+")") << false << qint64(0);
        QTest::newRow("two signs") << QByteArray(R"("+-1")") << false << qint64(0);
        QTest::newRow("decimal text") << QByteArray(R"("1.0")") << false << qint64(0);
        QTest::newRow("empty text") << QByteArray(R"("")") << false << qint64(0);
        QTest::newRow("true") << QByteArray("true") << false << qint64(0);
        QTest::newRow("null") << QByteArray("null") << false << qint64(0);
        QTest::newRow("array") << QByteArray("[1]") << false << qint64(0);
    }

    void flexibleInt()
    {
        QFETCH(QByteArray, json);
        QFETCH(bool, present);
        QFETCH(qint64, expected);
        const std::optional<qint64> auth = authOf(json);
        QCOMPARE(auth.has_value(), present);
        if (present)
            QCOMPARE(*auth, expected);
    }

    void movieDefaultsAndOptionalFields()
    {
        const auto movies = ProviderJson::decode<QList<VodStream>>(
            R"([{"stream_id":1234,"stream_icon":null,"container_extension":"mkv","rating":9.5,"extra":{"x":[1,2]}},)"
            R"( {"name":"Dos","stream_id":"1234","category_id":7,"added":"1700000000"}])");
        QVERIFY(movies);
        QCOMPARE(movies->size(), 2);
        const VodStream &first = movies->at(0);
        QCOMPARE(first.name(), QStringLiteral("(sin nombre)"));
        QCOMPARE(first.streamId(), QStringLiteral("1234"));
        QVERIFY(first.streamIcon().isNull());
        QVERIFY(first.categoryId().isNull());
        QCOMPARE(first.containerExtension(), QStringLiteral("mkv"));
        QVERIFY(first.added().isNull());
        QCOMPARE(first.addedEpoch(), 0);
        const VodStream &second = movies->at(1);
        QCOMPARE(second.name(), QStringLiteral("Dos"));
        QCOMPARE(second.streamId(), QStringLiteral("1234"));
        QCOMPARE(second.categoryId(), QStringLiteral("7"));
        QCOMPARE(second.addedEpoch(), 1700000000);
        // One identity, two different values.
        QCOMPARE(first.streamId(), second.streamId());
        QVERIFY(first != second);
        QCOMPARE(first, movies->at(0));
        QCOMPARE(qHash(first), qHash(VodStream(movies->at(0))));
    }

    void addedEpoch_data()
    {
        QTest::addColumn<QByteArray>("added");
        QTest::addColumn<qint64>("expected");
        QTest::newRow("seconds text") << QByteArray(R"("1700000000")") << qint64(1700000000);
        QTest::newRow("seconds number") << QByteArray("1700000000") << qint64(1700000000);
        QTest::newRow("empty") << QByteArray(R"("")") << qint64(0);
        QTest::newRow("calendar date") << QByteArray(R"("2024-01-05")") << qint64(0);
        QTest::newRow("blank inside") << QByteArray(R"(" 17")") << qint64(0);
        QTest::newRow("null") << QByteArray("null") << qint64(0);
    }

    void addedEpoch()
    {
        QFETCH(QByteArray, added);
        QFETCH(qint64, expected);
        const auto movies = ProviderJson::decode<QList<VodStream>>(R"([{"added":)" + added + "}]");
        QVERIFY(movies);
        QCOMPARE(movies->at(0).addedEpoch(), expected);
        // The same rule applies to records made in code.
        const VodStream made(QStringLiteral("x"), QStringLiteral("1"), {}, {}, {}, movies->at(0).added());
        QCOMPARE(made.addedEpoch(), expected);
    }

    void oversizedNumbersKeepTheRestOfTheList()
    {
        const auto channels = ProviderJson::decode<QList<LiveStream>>(
            R"([{"name":"Uno","num":123456789012345678901234,"stream_id":1e300,"category_id":"3"},)"
            R"( {"name":"Dos","num":null,"stream_id":7}])");
        QVERIFY(channels);
        QCOMPARE(channels->size(), 2);
        QCOMPARE(channels->at(0).num(), QStringLiteral("123456789012345678901234"));
        QCOMPARE(channels->at(0).streamId().size(), 301);
        QCOMPARE(channels->at(0).categoryId(), QStringLiteral("3"));
        QVERIFY(channels->at(1).num().isNull());
        QCOMPARE(channels->at(1).streamId(), QStringLiteral("7"));
        QVERIFY(channels->at(1).streamIcon().isNull());
    }

    void categoryNames()
    {
        const auto categories = ProviderJson::decode<QList<Category>>(
            R"([{"category_id":"1"},{"category_id":2,"category_name":""},{"category_name":"Cine","parent_id":0}])");
        QVERIFY(categories);
        QCOMPARE(categories->at(0).categoryName(), QStringLiteral("(sin nombre)"));
        QCOMPARE(categories->at(1).categoryId(), QStringLiteral("2"));
        QVERIFY(categories->at(1).categoryName().isEmpty());
        QVERIFY(!categories->at(1).categoryName().isNull());
        QCOMPARE(categories->at(2).categoryId(), QString());
        QVERIFY(!categories->at(2).categoryId().isNull());
        QCOMPARE(categories->at(2), Category(QString(""), QStringLiteral("Cine")));
    }

    void escapedKeysAndDuplicates();

    // Every escape PHP panels send, in list records (packed text) and in details (plain texts).
    void escapes_data();
    void escapes()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, expected);
        const auto movies = ProviderJson::decode<QList<VodStream>>(
            R"([{"name":")" + text + R"(","stream\u005fid":"7","stream_icon":")" + text + R"("}])");
        QVERIFY(movies);
        QCOMPARE(movies->at(0).name(), expected);
        QCOMPARE(movies->at(0).streamIcon(), expected);
        QCOMPARE(movies->at(0).streamId(), QStringLiteral("7"));
        const auto detail = ProviderJson::decode<VodInfoResponse>(R"({"info":{"plot":")" + text + R"("}})");
        QVERIFY(detail);
        QCOMPARE(detail->info()->plot(), expected);
    }

    void byteOrderMarkIsSkipped_data();
    void byteOrderMarkIsSkipped()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, body);
        QFETCH(QString, expected);
        // Copies of their own: a body shared with another is never cut into pieces.
        QCOMPARE(textOf(kind, QByteArray(body.constData(), body.size())), expected);
        QCOMPARE(textOf(kind, "\xEF\xBB\xBF" + body), expected);
    }

    void brokenListsFailAsAWhole_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("object instead of list") << QByteArray(R"({"name":"a"})");
        QTest::newRow("element not an object") << QByteArray(R"([{"name":"a"},1])");
        QTest::newRow("null element") << QByteArray(R"([null])");
        QTest::newRow("truncated") << QByteArray(R"([{"name":"a"},{"name":"b")");
        QTest::newRow("truncated after comma") << QByteArray(R"([{"name":"a"},)");
        QTest::newRow("content after the list") << QByteArray(R"([{"name":"a"}] [])");
        QTest::newRow("empty body") << QByteArray();
        QTest::newRow("html page") << QByteArray("<!DOCTYPE html><html><body>502</body></html>");
    }

    void brokenListsFailAsAWhole()
    {
        QFETCH(QByteArray, body);
        const auto movies = ProviderJson::decode<QList<VodStream>>(body);
        QVERIFY(!movies);
        QVERIFY(std::holds_alternative<DecodingError>(movies.failure()));
    }

    void emptyListDecodes()
    {
        const auto movies = ProviderJson::decode<QList<VodStream>>(" [ ] \n");
        QVERIFY(movies);
        QVERIFY(movies->isEmpty());
    }

    void movieDetailParts_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("hasInfo");
        QTest::addColumn<bool>("hasMovieData");
        QTest::newRow("both") << QByteArray(R"({"info":{"plot":"p"},"movie_data":{"stream_id":5}})") << true
                              << true;
        QTest::newRow("info as empty array")
            << QByteArray(R"({"info":[],"movie_data":{"stream_id":5}})") << false << true;
        QTest::newRow("movie data as text") << QByteArray(R"({"info":{},"movie_data":"x"})") << true << false;
        QTest::newRow("nulls") << QByteArray(R"({"info":null,"movie_data":null})") << false << false;
        QTest::newRow("empty object") << QByteArray("{}") << false << false;
    }

    void movieDetailParts()
    {
        QFETCH(QByteArray, body);
        QFETCH(bool, hasInfo);
        QFETCH(bool, hasMovieData);
        const auto detail = ProviderJson::decode<VodInfoResponse>(body);
        QVERIFY(detail);
        QCOMPARE(detail->info().has_value(), hasInfo);
        QCOMPARE(detail->movieData().has_value(), hasMovieData);
    }

    void movieDetailFields()
    {
        const auto detail = ProviderJson::decode<VodInfoResponse>(
            R"({"info":{"plot":"Trama","cast":"A, B","director":"D","genre":"Drama","releasedate":"2020-01-01",)"
            R"("movie_image":"http://x/i.jpg","duration":"01:30:00","rating":8.0},)"
            R"("movie_data":{"stream_id":99,"container_extension":"mp4"}})");
        QVERIFY(detail);
        const VodInfo expected({.plot = QStringLiteral("Trama"),
                                .cast = QStringLiteral("A, B"),
                                .director = QStringLiteral("D"),
                                .genre = QStringLiteral("Drama"),
                                .releasedate = QStringLiteral("2020-01-01"),
                                .movieImage = QStringLiteral("http://x/i.jpg"),
                                .duration = QStringLiteral("01:30:00"),
                                .rating = QStringLiteral("8")});
        QCOMPARE(*detail->info(), expected);
        QCOMPARE(detail->movieData()->streamId(), QStringLiteral("99"));
        QCOMPARE(detail->movieData()->containerExtension(), QStringLiteral("mp4"));
    }

    void objectAnswersFailOnlyWhenNotAnObject_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("array") << QByteArray("[]");
        QTest::newRow("html") << QByteArray("<html></html>");
        QTest::newRow("empty") << QByteArray("");
        QTest::newRow("number") << QByteArray("1");
        QTest::newRow("truncated") << QByteArray(R"({"user_info":{"auth":1)");
    }

    void objectAnswersFailOnlyWhenNotAnObject()
    {
        QFETCH(QByteArray, body);
        QVERIFY(!ProviderJson::decode<AuthResponse>(body));
        QVERIFY(!ProviderJson::decode<VodInfoResponse>(body));
    }

    void signInAnswer()
    {
        const auto answer = ProviderJson::decode<AuthResponse>(
            R"({"user_info":{"username":"demo","auth":"1","status":"Active","exp_date":null,"max_connections":2},)"
            R"("server_info":{"port":8080}})");
        QVERIFY(answer);
        const UserInfo info = *answer->userInfo();
        QCOMPARE(info.username(), QStringLiteral("demo"));
        QCOMPARE(info.auth(), std::optional<qint64>(1));
        QCOMPARE(info.status(), QStringLiteral("Active"));
        QVERIFY(info.expDate().isNull());
        QCOMPARE(info.maxConnections(), QStringLiteral("2"));
        QVERIFY(!ProviderJson::decode<AuthResponse>(R"({"user_info":null})")->userInfo());
        QVERIFY(!ProviderJson::decode<AuthResponse>(R"({"user_info":[1]})")->userInfo());
    }

    void recordsReadFromQml();
};

std::optional<QString> TestRecords::ratingOf(const QByteArray &json)
{
    const auto decoded = ProviderJson::decode<VodInfoResponse>(R"({"info":{"rating":)" + json + "}}");
    if (!decoded || !decoded->info())
        qFatal("movie detail did not decode");
    const QString rating = decoded->info()->rating();
    return rating.isNull() ? std::nullopt : std::optional<QString>(rating);
}

std::optional<qint64> TestRecords::authOf(const QByteArray &json)
{
    const auto decoded = ProviderJson::decode<AuthResponse>(R"({"user_info":{"auth":)" + json + "}}");
    if (!decoded || !decoded->userInfo())
        qFatal("sign-in answer did not decode");
    return decoded->userInfo()->auth();
}

void TestRecords::flexibleString_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<bool>("present");
    QTest::addColumn<QString>("expected");
    QTest::newRow("text") << QByteArray(R"("PG-13")") << true << QStringLiteral("PG-13");
    QTest::newRow("empty text stays") << QByteArray(R"("")") << true << QString();
    QTest::newRow("integer") << QByteArray("12") << true << QStringLiteral("12");
    QTest::newRow("negative zero") << QByteArray("-0") << true << QStringLiteral("0");
    QTest::newRow("fraction") << QByteArray("4.5") << true << QStringLiteral("4.5");
    QTest::newRow("whole float") << QByteArray("8.0") << true << QStringLiteral("8");
    QTest::newRow("exponent whole") << QByteArray("1e2") << true << QStringLiteral("100");
    QTest::newRow("shortest form") << QByteArray("0.1") << true << QStringLiteral("0.1");
    QTest::newRow("beyond 64 bits") << QByteArray("123456789012345678901234") << true
                                    << QStringLiteral("123456789012345678901234");
    QTest::newRow("whole beyond 64 bits")
        << QByteArray("1e20") << true << QStringLiteral("100000000000000000000");
    QTest::newRow("huge whole") << QByteArray("1e300") << true << (QStringLiteral("1") + QString(300, u'0'));
    QTest::newRow("negative huge whole")
        << QByteArray("-1.5e300") << true << (QStringLiteral("-15") + QString(299, u'0'));
    QTest::newRow("beyond double") << QByteArray("1e400") << true << QStringLiteral("1e400");
    QTest::newRow("null") << QByteArray("null") << false << QString();
    QTest::newRow("true") << QByteArray("true") << false << QString();
    QTest::newRow("object") << QByteArray(R"({"a":1})") << false << QString();
}

void TestRecords::escapedKeysAndDuplicates()
{
    const auto categories = ProviderJson::decode<QList<Category>>(
        R"([{"category\u005fid":"5","category_name":"a","category_name":"b"}])");
    QVERIFY(categories);
    QCOMPARE(categories->at(0).categoryId(), QStringLiteral("5"));
    QCOMPARE(categories->at(0).categoryName(), QStringLiteral("b"));
}

void TestRecords::escapes_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("solidus") << QByteArray(R"(http:\/\/p.tv\/a.jpg)") << QStringLiteral("http://p.tv/a.jpg");
    QTest::newRow("backslash and quote") << QByteArray(R"(a\\b \"c\")") << QStringLiteral("a\\b \"c\"");
    QTest::newRow("controls") << QByteArray(R"(\b\f\n\r\t.)") << QStringLiteral("\b\f\n\r\t.");
    QTest::newRow("lower-case hex") << QByteArray(R"(Pel\u00edcula \u00f1)") << QStringLiteral("Película ñ");
    QTest::newRow("upper-case hex") << QByteArray(R"(\u00C9xito \u20AC)") << QStringLiteral("Éxito €");
    QTest::newRow("beside raw UTF-8") << QByteArray("Año \\u00e9 ñ 🎬") << QStringLiteral("Año é ñ 🎬");
    QTest::newRow("surrogate pair") << QByteArray(R"(\ud83c\udfac Cine)") << QStringLiteral("🎬 Cine");
    QTest::newRow("lone high surrogate") << QByteArray(R"(a\ud83cb)") << QStringLiteral("a\uFFFDb");
    QTest::newRow("lone low surrogate") << QByteArray(R"(a\udfac)") << QStringLiteral("a\uFFFD");
    QTest::newRow("high before an escape") << QByteArray(R"(\ud83c\n)") << QStringLiteral("\uFFFD\n");
    QTest::newRow("two highs") << QByteArray(R"(\ud83c\ud83c\udfac)") << QStringLiteral("\uFFFD🎬");
    QTest::newRow("high at the end") << QByteArray(R"(x\ud83c)") << QStringLiteral("x\uFFFD");
}

void TestRecords::byteOrderMarkIsSkipped_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("expected");
    QTest::newRow("categories") << "categories" << QByteArray(R"([{"category_name":"Cine"}])") << "Cine";
    QTest::newRow("channels") << "channels" << QByteArray(R"( [{"name":"Uno"}])") << "Uno";
    QTest::newRow("series") << "series" << QByteArray(R"([{"name":"Dos"}])") << "Dos";
    QTest::newRow("sign-in") << "sign-in" << QByteArray(R"({"user_info":{"status":"Active"}})") << "Active";
    QTest::newRow("movie detail") << "movie detail" << QByteArray(R"({"info":{"plot":"Trama"}})") << "Trama";
    QTest::newRow("series detail") << "series detail" << QByteArray(R"({"info":{"plot":"Otra"}})") << "Otra";
    QTest::newRow("guide") << "guide" << QByteArray(R"({"epg_listings":[{"title":"Tm90aWNpYXM="}]})")
                           << "Noticias";
    // Large enough to be cut into pieces decoded side by side.
    QByteArray catalog = "[";
    for (int i = 0; i < 70000; ++i)
        catalog += R"({"name":"Pel\u00edcula )" + QByteArray::number(i) +
                   R"(","stream_icon":"http:\/\/p.tv\/p.jpg"},)";
    catalog += R"({"name":"\u00daltima"}])";
    QTest::newRow("whole catalog") << "movies" << catalog << "Película 0 … Última (70001)";
}

QString TestRecords::textOf(const QString &kind, QByteArray body)
{
    const auto first = [](const auto &decoded, auto text) {
        return decoded ? text(*decoded) : QStringLiteral("failed");
    };
    if (kind == QLatin1String("categories"))
        return first(ProviderJson::decode<QList<Category>>(body),
                     [](auto &d) { return d.at(0).categoryName(); });
    if (kind == QLatin1String("channels"))
        return first(ProviderJson::decode<QList<LiveStream>>(body), [](auto &d) { return d.at(0).name(); });
    if (kind == QLatin1String("series"))
        return first(ProviderJson::decode<QList<SeriesStream>>(body), [](auto &d) { return d.at(0).name(); });
    if (kind == QLatin1String("sign-in"))
        return first(ProviderJson::decode<AuthResponse>(body),
                     [](auto &d) { return d.userInfo()->status(); });
    if (kind == QLatin1String("movie detail"))
        return first(ProviderJson::decode<VodInfoResponse>(body), [](auto &d) { return d.info()->plot(); });
    if (kind == QLatin1String("series detail"))
        return first(ProviderJson::decode<SeriesInfoResponse>(body), [](auto &d) { return d.plot(); });
    if (kind == QLatin1String("guide"))
        return first(ProviderJson::decode<EPGResponse>(body),
                     [](auto &d) { return d.listings().at(0).title(); });
    return first(ProviderJson::decode<QList<VodStream>>(std::move(body)), [](auto &d) {
        return d.first().name() + QStringLiteral(" … ") + d.last().name() +
               QStringLiteral(" (%1)").arg(d.size());
    });
}

// Section models hand records to the screens: their fields must read as QML properties, an absent
// optional text as an empty one.
void TestRecords::recordsReadFromQml()
{
    const auto movies =
        ProviderJson::decode<QList<VodStream>>(R"([{"name":"Uno","stream_id":7,"added":"12"}])");
    const auto detail = ProviderJson::decode<VodInfoResponse>(R"({"info":{"rating":4.5}})");
    QVERIFY(movies && detail);
    norvane::test::QmlHarness harness;
    QObject *root = harness.create(R"(
        import QtQuick
        import Norvane
        Item {
            property var movie
            property var detail
            readonly property string summary: movie.name + "|" + movie.streamId + "|" + movie.addedEpoch
                                             + "|" + movie.streamIcon + "|" + detail.hasInfo + "|" + detail.info.rating
                                             + "|" + detail.hasMovieData
        })",
                                   {{QStringLiteral("movie"), QVariant::fromValue(movies->at(0))},
                                    {QStringLiteral("detail"), QVariant::fromValue(*detail)}});
    QVERIFY(root);
    QCOMPARE(root->property("summary").toString(), QStringLiteral("Uno|7|12||true|4.5|false"));
}

NORVANE_TEST_MAIN(TestRecords)
#include "tst_records.moc"
