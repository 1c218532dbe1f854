#include "KeyringSandbox.h"
#include "TestMain.h"
#include "session/Keychain.h"
#include "session/ParentalControl.h"
#include "session/ParentalLock.h"

namespace {
const QString pinAccount = QStringLiteral("parental_pin");
}

class TestParentalControl : public QObject
{
    Q_OBJECT

    // Stores a PIN the way another program would (the app never writes one), and checks the
    // keyring really took it.
    static bool storePin(const QByteArray &pin)
    {
        norvane::test::storeWithSecretTool(pinAccount, pin);
        return norvane::test::itemCount(pinAccount) == 1;
    }

private Q_SLOTS:
    void init() { Keychain::remove(pinAccount); }
    void cleanup() { Keychain::remove(pinAccount); }

    void blockedNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("blocked");
        QTest::newRow("upper case") << "ADULTOS" << true;
        QTest::newRow("adulto") << "Adulto" << true;
        QTest::newRow("adult") << "Adult" << true;
        QTest::newRow("xxx anywhere") << "Canal XXX Premium" << true;
        QTest::newRow("18 alone") << "Deportes 18" << false;
        QTest::newRow("18+ first") << "18+ Cine" << true;
        QTest::newRow("+18 last") << "Cine +18" << true;
        QTest::newRow("inside a word") << "PORNÔ" << true;
        QTest::newRow("accented capitals lower-cased") << "CINE ADULTO ÉXITOS" << true;
        QTest::newRow("ordinary") << "Películas de acción" << false;
        QTest::newRow("look-alike letters are other letters")
            << QString::fromUtf8("ХХХ") << false; // Cyrillic
        QTest::newRow("empty") << "" << false;
    }
    void blockedNames()
    {
        QFETCH(QString, name);
        QFETCH(bool, blocked);
        QCOMPARE(ParentalControl::isBlocked(name), blocked);
    }

    void fallbackPinWhileNoneIsStored_data()
    {
        QTest::addColumn<QString>("entered");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("fallback") << "8057" << true;
        QTest::newRow("trailing blank") << "8057 " << false;
        QTest::newRow("leading blank") << " 8057" << false;
        QTest::newRow("other digits") << "0000" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("full-width digits") << QString::fromUtf8("８０５７") << false;
    }
    void fallbackPinWhileNoneIsStored()
    {
        QFETCH(QString, entered);
        QFETCH(bool, accepted);
        QVERIFY(!Keychain::read(pinAccount));
        QCOMPARE(ParentalControl::acceptsPin(entered), accepted);
    }

    void storedPinReplacesTheFallback_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("entered");
        QTest::addColumn<bool>("accepted");
        const auto row = [](const char *name, const char *stored, const char *entered, bool accepted) {
            QTest::newRow(name) << QByteArray(stored) << QString::fromUtf8(entered) << accepted;
        };
        row("stored value", "1234", "1234", true);
        row("fallback no longer works", "1234", "8057", false);
        row("trailing blank", "1234", "1234 ", false);
        row("stored with a blank, matched exactly", " 42", " 42", true);
        row("stored with a blank, trimmed entry", " 42", "42", false);
        // An empty text is no PIN: as with none stored, the fallback opens.
        row("empty: the fallback", "", "8057", true);
        // Bytes that are no text may be a PIN another program stored: nothing opens.
        row("not UTF-8: nothing opens", "\xff\xfe", "8057", false);
    }
    void storedPinReplacesTheFallback()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QString, entered);
        QFETCH(bool, accepted);
        QVERIFY2(storePin(stored), "the keyring (started by ./scripts/test) did not keep the PIN");
        QCOMPARE(ParentalControl::acceptsPin(entered), accepted);
    }

    void pinIsReadAtEachSubmission()
    {
        QVERIFY(ParentalControl::acceptsPin("8057"));
        QVERIFY(storePin("2468"));
        QVERIFY(!ParentalControl::acceptsPin("8057"));
        QVERIFY(ParentalControl::acceptsPin("2468"));
        Keychain::remove(pinAccount);
        QVERIFY(ParentalControl::acceptsPin("8057"));
    }

    void lockIsPerSectionAndOnlyGrows()
    {
        ParentalLock live;
        ParentalLock movies;
        QVERIFY(live.isLocked("7", "Adultos"));
        QVERIFY(!live.isLocked("8", "Noticias"));
        QVERIFY(live.unlock("7"));
        QVERIFY(!live.unlock("7")); // already there: nothing changes
        QVERIFY(!live.isLocked("7", "Adultos"));
        QVERIFY(movies.isLocked("7", "Adultos"));
        QVERIFY(live.isLocked("9", "XXX"));
        QCOMPARE(live.unlockedCategoryList(), QStringList{"7"});
    }
};

NORVANE_TEST_MAIN(TestParentalControl)
#include "tst_parentalcontrol.moc"
