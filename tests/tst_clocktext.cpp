#include "TestMain.h"
#include "system/ClockText.h"

// The main menu clock in the fixed Chilean Spanish locale.
class TestClockText : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void timeHasNoLeadingZeroAndSpanishMarkers_data()
    {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("text");
        QTest::newRow("morning") << QTime(9, 5) << QStringLiteral("9:05 a. m.");
        QTest::newRow("just after midnight") << QTime(0, 7) << QStringLiteral("12:07 a. m.");
        QTest::newRow("noon") << QTime(12, 0) << QStringLiteral("12:00 p. m.");
        QTest::newRow("evening") << QTime(18, 30) << QStringLiteral("6:30 p. m.");
        QTest::newRow("night") << QTime(21, 45) << QStringLiteral("9:45 p. m.");
    }

    void timeHasNoLeadingZeroAndSpanishMarkers()
    {
        QFETCH(QTime, time);
        QFETCH(QString, text);
        // Qt's locale data writes the markers with a no-break space inside ("a. m.").
        QString shown = ClockText::snapshotAt(QDateTime(QDate(2025, 12, 4), time)).time();
        QCOMPARE(shown.replace(QChar(0x00A0), QLatin1Char(' ')), text);
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
