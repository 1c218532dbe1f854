#include "ClockText.h"
#include "TestMain.h"

// The main menu clock in the fixed Chilean Spanish locale.
class TestClockText : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void timeUsesTheLocaleMarkersWithoutLeadingZero_data()
    {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("hours");
        QTest::addColumn<bool>("morning");
        QTest::newRow("9:05") << QTime(9, 5) << QStringLiteral("9:05") << true;
        QTest::newRow("just after midnight") << QTime(0, 7) << QStringLiteral("12:07") << true;
        QTest::newRow("noon") << QTime(12, 0) << QStringLiteral("12:00") << false;
        QTest::newRow("evening") << QTime(21, 45) << QStringLiteral("9:45") << false;
    }

    void timeUsesTheLocaleMarkersWithoutLeadingZero()
    {
        QFETCH(QTime, time);
        QFETCH(QString, hours);
        QFETCH(bool, morning);
        const QLocale chile(QStringLiteral("es_CL"));
        const QString marker = morning ? chile.amText() : chile.pmText();
        const Snapshot snap = ClockText::snapshotAt(QDateTime(QDate(2025, 12, 4), time));
        QCOMPARE(snap.time(), hours + QLatin1Char(' ') + marker);
    }

    void localeMarkersAreTheSpanishOnes()
    {
        // Qt's locale data writes them with a no-break space inside: "a. m." / "p. m.".
        const Snapshot snap = ClockText::snapshotAt(QDateTime(QDate(2025, 12, 4), QTime(9, 5)));
        QCOMPARE(QString(snap.time()).replace(QChar(0x00A0), QLatin1Char(' ')), QStringLiteral("9:05 a. m."));
        const Snapshot evening = ClockText::snapshotAt(QDateTime(QDate(2025, 12, 4), QTime(18, 30)));
        QCOMPARE(QString(evening.time()).replace(QChar(0x00A0), QLatin1Char(' ')), QStringLiteral("6:30 p. m."));
    }

    void dateIsCapitalisedLongForm_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("text");
        QTest::newRow("thursday") << QDate(2025, 12, 4) << QStringLiteral("Jueves, 4 de diciembre");
        QTest::newRow("accented weekday") << QDate(2026, 1, 17) << QStringLiteral("Sábado, 17 de enero");
        QTest::newRow("wednesday") << QDate(2026, 3, 11) << QStringLiteral("Miércoles, 11 de marzo");
    }

    void dateIsCapitalisedLongForm()
    {
        QFETCH(QDate, date);
        QFETCH(QString, text);
        QCOMPARE(ClockText::snapshotAt(QDateTime(date, QTime(9, 5))).date(), text);
    }
};

NORVANE_TEST_MAIN(TestClockText)
#include "tst_clocktext.moc"
