// The shared screen components, each in the states a screen can put it in.
#include <QVariantList>
#include <QVariantMap>

#include "ScreenshotRun.h"

namespace {

// A component on the window background, centred, at its natural size unless the QML sets one.
QByteArray onBackground(const QByteArray &component)
{
    return "import QtQuick\nimport Norvane\n"
           "Rectangle {\n  color: Brand.background\n" +
           component + "\n}\n";
}

void retryBox(ScreenshotRun &run)
{
    if (!run.show(onBackground(R"(
  RetryBox {
    anchors.fill: parent
    message: "Sin conexión con el servidor.\nRevisa tu internet e inténtalo de nuevo."
  })"),
                  {}, QSize(640, 360)))
        return;
    run.settle(100);
    run.shoot(QStringLiteral("component-retry-box"));
}

void pinPromptWrong(ScreenshotRun &run)
{
    QQuickItem *root = run.show(onBackground(R"(
  Rectangle {
    anchors.centerIn: parent
    width: prompt.implicitWidth
    height: prompt.implicitHeight
    radius: 16
    color: Brand.surface
    PinPrompt {
      id: prompt
      objectName: "prompt"
      anchors.fill: parent
      onSubmitted: pin => { if (pin !== "0000") reject() }
    }
  })"),
                                {}, QSize(520, 480));
    if (!root)
        return;
    QObject *prompt = root->findChild<QObject *>(QStringLiteral("prompt"));
    prompt->setProperty("pin", QStringLiteral("1234"));
    QMetaObject::invokeMethod(prompt, "submit");
    if (!run.waitUntil([&] { return prompt->property("wrong").toBool(); }, 2000,
                       QStringLiteral("PIN incorrecto")))
        return;
    run.settle(100);
    run.shoot(QStringLiteral("component-pin-prompt-wrong"));
}

void catalogLoading(ScreenshotRun &run)
{
    if (run.show(onBackground("  CatalogLoadingView { anchors.fill: parent; fraction: 0.42 }"), {},
                 QSize(640, 360))) {
        run.settle(100);
        run.shoot(QStringLiteral("component-catalog-loading-fraction"));
    }
    if (run.show(onBackground("  CatalogLoadingView { anchors.fill: parent; bytes: 24536678 }"), {},
                 QSize(640, 360))) {
        run.settle(300);
        run.shoot(QStringLiteral("component-catalog-loading-bytes"));
    }
}

} // namespace

void shootComponentStates(ScreenshotRun &run)
{
    retryBox(run);
    pinPromptWrong(run);
    catalogLoading(run);
}
