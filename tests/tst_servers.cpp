#include "TestMain.h"
#include "session/NorvaneServers.h"

class TestServers : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<QString>("configured");
        QTest::addColumn<QStringList>("expected");
        const QString a = QStringLiteral("http://127.0.0.1:41234");
        const QString b = QStringLiteral("http://127.0.0.2:41234");
        QTest::newRow("two") << a + QLatin1Char(';') + b << QStringList{a, b};
        QTest::newRow("blanks, slashes, empty pieces")
            << QStringLiteral(" %1//; ;%2/;").arg(a, b) << QStringList{a, b};
        QTest::newRow("nothing") << QString() << QStringList{};
        QTest::newRow("only separators") << QStringLiteral(" ; ;") << QStringList{};
    }
    void parse()
    {
        QFETCH(QString, configured);
        QFETCH(QStringList, expected);
        QCOMPARE(NorvaneServers::parse(configured), expected);
    }

    void candidates_data()
    {
        QTest::addColumn<QString>("preferred");
        QTest::addColumn<bool>("hasPreferred");
        QTest::addColumn<QStringList>("expected");
        // The servers this build was configured with (a provider's build has its own).
        const QStringList all = NorvaneServers::all();
        if (all.isEmpty())
            QSKIP("this build names no provider servers");
        const QString last = all.last();
        QStringList lastFirst = all;
        lastFirst.move(all.size() - 1, 0);
        QTest::newRow("none") << QString() << false << all;
        QTest::newRow("primary") << all.first() << true << all;
        QTest::newRow("last one first") << last << true << lastFirst;
        QTest::newRow("unknown base keeps defaults")
            << QStringLiteral("http://old.example:8080") << true << all;
    }
    void candidates()
    {
        QFETCH(QString, preferred);
        QFETCH(bool, hasPreferred);
        QFETCH(QStringList, expected);
        const std::optional<QString> pref = hasPreferred ? std::optional<QString>(preferred) : std::nullopt;
        QCOMPARE(NorvaneServers::candidates(pref), expected);
    }
};

NORVANE_TEST_MAIN(TestServers)
#include "tst_servers.moc"
