#include "QmlHarness.h"
#include "TestMain.h"

// The suite's own plumbing: QML from the Norvane module loads in a test, and a QML warning fails it.
class TestQmlHarness : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void loadsNorvaneModule()
    {
        norvane::test::QmlHarness harness;
        QObject *root = harness.create("import QtQuick\nimport Norvane\nAppRoot { }\n");
        QVERIFY(root);
    }
};

NORVANE_TEST_MAIN(TestQmlHarness)
#include "tst_qmlharness.moc"
