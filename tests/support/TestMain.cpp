#include "TestMain.h"

#include "session/Keychain.h"

#include <QGuiApplication>
#include <QStandardPaths>
#include <atomic>

namespace {

std::atomic_bool qmlWarningSeen{false};
QtMessageHandler previousHandler = nullptr;

bool isQmlWarning(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type != QtWarningMsg && type != QtCriticalMsg)
        return false;
    const QByteArray category(context.category ? context.category : "");
    if (category == "qml" || category == "js" || category.startsWith("qt.qml"))
        return true;
    return message.contains(QLatin1String(".qml:"));
}

void handler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (isQmlWarning(type, context, message)) {
        if (QTest::currentTestFunction()) {
            const QByteArray text = "QML warning: " + message.toUtf8();
            QTest::qFail(text.constData(), __FILE__, __LINE__);
        } else {
            qmlWarningSeen = true; // no test to fail: the program fails
        }
    }
    if (previousHandler)
        previousHandler(type, context, message);
}

} // namespace

namespace norvane::test {

void prepareTestProcess()
{
    QStandardPaths::setTestModeEnabled(true);
    // Test programs run side by side on one keyring: each keeps its items under its own service.
    Keychain::setService(
        QStringLiteral("app.norvane.Norvane.test.%1").arg(QCoreApplication::applicationPid()));
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
}

void installQmlWarningGuard()
{
    // QtTest installs its own handler when the run starts, so ours must be put on top of it from
    // inside the run; it forwards everything to QtTest's handler.
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    previousHandler = qInstallMessageHandler(handler);
}

bool sawQmlWarning()
{
    return qmlWarningSeen;
}

} // namespace norvane::test
