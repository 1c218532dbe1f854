#include "QmlHarness.h"
#include "TestMain.h"

// The suite's own plumbing: QML from the Norvane module loads in a test, and a QML warning fails
// the test that caused it.
class TestQmlHarness : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void qmlWarningFailsTheTest_data()
    {
        QTest::addColumn<QByteArray>("qml");
        QTest::newRow("Norvane's root view") << QByteArray("import QtQuick\nimport Norvane\nAppRoot { }\n");
        QTest::newRow("a warning") << QByteArray(
            "import QtQuick\nItem { Component.onCompleted: console.warn(\"aviso de prueba\") }\n");
    }
    void qmlWarningFailsTheTest()
    {
        QFETCH(QByteArray, qml);
        norvane::test::QmlHarness harness;
        // Without the guard's failure at the warning, the check below passes unexpectedly.
        QEXPECT_FAIL("a warning", "a QML warning fails the test", Continue);
        QVERIFY(harness.create(qml));
    }
};

NORVANE_TEST_MAIN(TestQmlHarness)
#include "tst_qmlharness.moc"
