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
};

NORVANE_TEST_MAIN(TestServers)
#include "tst_servers.moc"
