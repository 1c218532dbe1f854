#include <QAccessible>
#include <QSignalSpy>
#include <QStringListModel>
#include <QVariantMap>

#include "ItemInput.h"
#include "QmlHarness.h"
#include "ScriptedPlayer.h"
#include "TestMain.h"
#include "catalog/CatalogLoadingText.h"
#include "components/AccessibleItemFactory.h"
#include "images/RemoteImage.h"
#include "sections/CategorizedSectionModel.h"

using namespace norvane::test;

namespace {

// A section with four fixed categories (the last without an id) under two rows of its own.
class FixedSection : public CategorizedSectionModel
{
public:
    FixedSection() : CategorizedSectionModel(nullptr)
    {
        setCategories({Category(QStringLiteral("10"), QStringLiteral("Acción")),
                       Category(QStringLiteral("14"), QStringLiteral("Adultos +18")),
                       Category(QStringLiteral("15"), QStringLiteral("Infantiles")),
                       Category(QString(), QStringLiteral("Sin id"))});
    }
    void selectCategory(const QString &id) override { setSelectedCategoryId(id); }
    QAbstractItemModel *rows() const override { return const_cast<QStringListModel *>(&m_rows); }

protected:
    QString categoriesAction() const override { return {}; }
    QList<SectionRow> specialRows() const override
    {
        return {SectionRow::continueWatching(), SectionRow::recent()};
    }
    void clearList() override {}

private:
    QStringListModel m_rows;
};

const QByteArray categoryColumnQml = R"(
import QtQuick
import Norvane
CategoryColumn {
    width: 300; height: 500
    property var selections: []
    onSelect: id => selections = selections.concat([id])
}
)";

QQuickItem *item(QmlHarness &harness, const QString &objectName)
{
    auto *found = findByName<QQuickItem>(harness.root(), objectName);
    if (!found)
        qWarning("no item %s", qPrintable(objectName));
    return found;
}

} // namespace

// The shared screen components: what they show and which callback each click reaches.
class TestComponents : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void pinPromptWrongThenRight()
    {
        QmlHarness harness;
        QObject *root = createShown(harness, R"(
import QtQuick
import Norvane
PinPrompt {
    property var tried: []
    property int cancels: 0
    onSubmitted: pin => {
        tried = tried.concat([pin])
        if (pin !== "4321")
            reject()
    }
    onCancel: cancels += 1
}
)");
        QVERIFY(root);
        auto *field = item(harness, QStringLiteral("pinField"));
        auto *wrongText = item(harness, QStringLiteral("pinWrong"));
        QVERIFY(field && wrongText);
        QCOMPARE(accessibleName(field), QStringLiteral("PIN"));
        QVERIFY(!wrongText->isVisible());

        field->forceActiveFocus();
        typeText(&harness.window(), QStringLiteral("1111"));
        QTest::keyClick(&harness.window(), Qt::Key_Return);
        QCOMPARE(root->property("tried").toStringList(), QStringList{"1111"});
        QVERIFY(root->property("wrong").toBool());
        QVERIFY(wrongText->isVisible());
        QCOMPARE(wrongText->property("text").toString(), QStringLiteral("PIN incorrecto."));
        QCOMPARE(root->property("pin").toString(), QString());
        QCOMPARE(field->property("text").toString(), QString());

        // Typing again keeps the message until the next submit.
        typeText(&harness.window(), QStringLiteral("43"));
        QVERIFY(wrongText->isVisible());
        typeText(&harness.window(), QStringLiteral("21"));
        QCOMPARE(root->property("pin").toString(), QStringLiteral("4321"));
        clickItem(item(harness, QStringLiteral("pinAccept")));
        QCOMPARE(root->property("tried").toStringList(), (QStringList{"1111", "4321"}));
        QVERIFY(!root->property("wrong").toBool());
        QVERIFY(!wrongText->isVisible());
        // An accepted PIN stays for the caller, who closes the panel.
        QCOMPARE(root->property("pin").toString(), QStringLiteral("4321"));

        clickItem(item(harness, QStringLiteral("pinCancel")));
        QCOMPARE(root->property("cancels").toInt(), 1);
        QCOMPARE(root->property("tried").toStringList().size(), 2);
    }

    // A fitted picture keeps its proportions, centred in the item (channel logos).
    void fittedPictureKeepsItsProportions_data()
    {
        QTest::addColumn<QSize>("image");
        QTest::addColumn<QRectF>("drawn");
        QTest::newRow("wide logo") << QSize(200, 100) << QRectF(0, 8.5, 34, 17);
        QTest::newRow("tall logo") << QSize(50, 100) << QRectF(8.5, 0, 17, 34);
        QTest::newRow("square logo") << QSize(64, 64) << QRectF(0, 0, 34, 34);
    }
    void fittedPictureKeepsItsProportions()
    {
        QFETCH(QSize, image);
        QFETCH(QRectF, drawn);
        QCOMPARE(RemoteImage::targetRect(image, QSizeF(34, 34), RemoteImage::PreserveAspectFit), drawn);
        QCOMPARE(RemoteImage::targetRect(image, QSizeF(34, 34), RemoteImage::Stretch), QRectF(0, 0, 34, 34));
    }

    void catalogTextsWithFraction_data()
    {
        QTest::addColumn<double>("fraction");
        QTest::addColumn<QString>("text");
        QTest::newRow("0.999 truncates") << 0.999 << QStringLiteral("Preparando catálogo… 99%");
        QTest::newRow("done") << 1.0 << QStringLiteral("Preparando catálogo… 100%");
        QTest::newRow("0.07 is 7 not 6") << 0.07 << QStringLiteral("Preparando catálogo… 7%");
        QTest::newRow("overshoot") << 1.2 << QStringLiteral("Preparando catálogo… 100%");
        QTest::newRow("not a number") << qQNaN() << QStringLiteral("Preparando catálogo… 0%");
    }

    void catalogTextsWithFraction()
    {
        QFETCH(double, fraction);
        QFETCH(QString, text);
        QCOMPARE(CatalogLoadingText::forFraction(fraction), text);
    }

    void catalogTextsWithBytes_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("1.5 MB") << qint64(1572864) << QStringLiteral("Preparando catálogo… 1.5 MB");
        QTest::newRow("rounds to one decimal")
            << qint64(1101005) << QStringLiteral("Preparando catálogo… 1.1 MB");
        QTest::newRow("beyond 32 bits")
            << qint64(5) * 1024 * 1024 * 1024 << QStringLiteral("Preparando catálogo… 5120.0 MB");
    }

    void catalogTextsWithBytes()
    {
        QFETCH(qint64, bytes);
        QFETCH(QString, text);
        // A decimal point whatever the user's locale.
        const QLocale previous;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const QString shown = CatalogLoadingText::forBytes(bytes);
        QLocale::setDefault(previous);
        QCOMPARE(shown, text);
    }

    void catalogLoadingViewShowsBarOrSpinner()
    {
        QmlHarness harness;
        QObject *root = createShown(harness, "import QtQuick\nimport Norvane\nCatalogLoadingView { }\n",
                                    {{QStringLiteral("fraction"), 0.999}});
        QVERIFY(root);
        auto *text = item(harness, QStringLiteral("catalogProgressText"));
        QCOMPARE(text->property("text").toString(), QStringLiteral("Preparando catálogo… 99%"));
        QVERIFY(item(harness, QStringLiteral("catalogProgressBar"))->isVisible());
        QVERIFY(!item(harness, QStringLiteral("catalogSpinner"))->isVisible());
        QCOMPARE(item(harness, QStringLiteral("catalogFirstTimeNote"))->property("text").toString(),
                 QStringLiteral("(solo la primera vez)"));

        root->setProperty("fraction", -1.0);
        root->setProperty("bytes", 1572864.0);
        QCOMPARE(text->property("text").toString(), QStringLiteral("Preparando catálogo… 1.5 MB"));
        QVERIFY(!item(harness, QStringLiteral("catalogProgressBar"))->isVisible());
        QVERIFY(item(harness, QStringLiteral("catalogSpinner"))->isVisible());
    }

    void retryBoxShowsMessageAndRetries()
    {
        QmlHarness harness;
        QObject *root = createShown(harness, R"(
import QtQuick
import Norvane
RetryBox {
    property int retries: 0
    message: "Sin conexión con el servidor."
    onAction: retries += 1
}
)");
        QVERIFY(root);
        QCOMPARE(item(harness, QStringLiteral("retryMessage"))->property("text").toString(),
                 QStringLiteral("Sin conexión con el servidor."));
        auto *button = item(harness, QStringLiteral("retryButton"));
        QCOMPARE(accessibleName(button), QStringLiteral("Reintentar"));
        clickItem(button);
        QCOMPARE(root->property("retries").toInt(), 1);
    }

    void everyControlIsNamed_data()
    {
        QTest::addColumn<QByteArray>("qml");
        QTest::newRow("main menu") << QByteArray("MainMenuView { app: AppModel { } }");
        QTest::newRow("settings and a confirmation") << QByteArray(
            "SettingsView {\n app: AppModel { }\n Component.onCompleted: confirmForget = true\n}");
        QTest::newRow("section frame") << QByteArray("SectionScaffold { title: \"Series\" }");
        QTest::newRow("PIN prompt") << QByteArray("PinPrompt { }");
        QTest::newRow("retry box") << QByteArray("RetryBox { message: \"Error\" }");
        QTest::newRow("catalog loading") << QByteArray("CatalogLoadingView { fraction: 0.5 }");
    }

    void everyControlIsNamed()
    {
        QFETCH(QByteArray, qml);
        QmlHarness harness;
        QVERIFY(createShown(harness, "import QtQuick\nimport Norvane\n" + qml + "\n"));
        // From the window's root, so that open popups and dialogs are included.
        QTRY_VERIFY(harness.window().contentItem()->childItems().size() > 0);
        const QStringList unnamed = unnamedControls(harness.window().contentItem());
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QStringLiteral(", "))));
    }

    // Every shared button is reached by Tab with its ring, and Space, Return and Enter press it.
    void buttonsAnswerTheKeyboard_data()
    {
        QTest::addColumn<QByteArray>("qml");
        QTest::newRow("BrandButton") << QByteArray("BrandButton { text: \"Aceptar\"");
        QTest::newRow("IconButton") << QByteArray("IconButton { symbol: \"star\"; label: \"Favorito\"");
        QTest::newRow("SymbolLabelButton")
            << QByteArray("SymbolLabelButton { symbol: \"star\"; text: \"Favorito\"");
        QTest::newRow("BackButton") << QByteArray("BackButton { width: 120");
    }
    void buttonsAnswerTheKeyboard()
    {
        QFETCH(QByteArray, qml);
        QmlHarness harness;
        QObject *button =
            createShown(harness, "import QtQuick\nimport Norvane\n" + qml +
                                     "; x: 20; y: 20; property int clicks: 0; onClicked: clicks++ }\n");
        QVERIFY(button);
        QQuickWindow *window = &harness.window();
        QVERIFY(!isShown(button, QStringLiteral("focusRing")));
        QTest::keyClick(window, Qt::Key_Tab);
        QVERIFY(isShown(button, QStringLiteral("focusRing")));
        QTest::keyClick(window, Qt::Key_Space);
        QTest::keyClick(window, Qt::Key_Return);
        QTest::keyClick(window, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(button->property("clicks").toInt(), 3);
    }

    // The category list has the keyboard: the arrows move along the rows with the ring, Return or
    // Space clicks the row under it (the section's controller decides about the PIN). Only the
    // selected row is highlighted: none at first, also when a category's id is empty.
    void categoryListAnswersTheKeyboard()
    {
        FixedSection section;
        QmlHarness harness;
        QObject *root = createShown(harness, categoryColumnQml,
                                    {{QStringLiteral("section"), QVariant::fromValue<QObject *>(&section)}});
        QVERIFY(root);
        QQuickWindow *window = &harness.window();
        const auto highlighted = [&] {
            QStringList ids;
            for (const QString id : {"__continue__", "__recent__", "10", "14", "15", ""}) {
                if (item(harness, QStringLiteral("categoryRow_") + id)->property("selected").toBool())
                    ids << id;
            }
            return ids;
        };
        QCOMPARE(highlighted(), QStringList());
        QCOMPARE(focusedName(window), QStringLiteral("categoryRow___continue__"));
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(window, Qt::Key_Down);
        QCOMPARE(focusedName(window), QStringLiteral("categoryRow_14"));
        QVERIFY(isShown(item(harness, QStringLiteral("categoryRow_14")), QStringLiteral("focusRing")));
        QTest::keyClick(window, Qt::Key_Return);
        QTest::keyClick(window, Qt::Key_Up);
        QTest::keyClick(window, Qt::Key_Space);
        QCOMPARE(root->property("selections").toStringList(),
                 (QStringList{QStringLiteral("14"), QStringLiteral("10")}));
        QVERIFY(isShown(item(harness, QStringLiteral("categoryRow_14")), QStringLiteral("lockSymbol")));
        section.selectCategory(QString());
        QCOMPARE(highlighted(), QStringList{QString()});
        section.selectCategory(QStringLiteral("15"));
        QCOMPARE(highlighted(), QStringList{QStringLiteral("15")});
    }

    // The volume control on the engine: the button mutes and says what it will do next, the
    // slider sets the level and follows it; every use is announced.
    void volumeControlDrivesTheEngine()
    {
        ScriptedEngine scripted;
        VLCEngine *engine = scripted.engine.get();
        engine->setVolume(50);
        engine->setMuted(false);
        QmlHarness harness;
        QObject *control = createShown(
            harness,
            "import QtQuick\nimport Norvane\nVolumeControl { property int uses: 0; onUsed: uses++ }\n",
            {{QStringLiteral("engine"), QVariant::fromValue(engine)}});
        QVERIFY(control);
        auto *mute = findByName<QQuickItem>(control, QStringLiteral("muteButton"));
        auto *slider = findByName<QQuickItem>(control, QStringLiteral("volumeSlider"));
        QCOMPARE(accessibleName(mute), QStringLiteral("Silenciar"));
        QCOMPARE(accessibleName(slider), QStringLiteral("Volumen"));
        QCOMPARE(slider->property("value").toInt(), 50);

        clickItem(mute);
        QVERIFY(engine->muted());
        QCOMPARE(accessibleName(mute), QStringLiteral("Activar sonido"));
        slider->forceActiveFocus(Qt::TabFocusReason);
        QTest::keyClick(&harness.window(), Qt::Key_Right);
        QCOMPARE(engine->volume(), 55);
        QCOMPARE(control->property("uses").toInt(), 2);
        engine->setVolume(20);
        QCOMPARE(slider->property("value").toInt(), 20);
        // A screen reader sets the level through the slider's value.
        QAccessible::queryAccessibleInterface(slider)->valueInterface()->setCurrentValue(35);
        QCOMPARE(engine->volume(), 35);
        // Both are kept in the settings file that the suite's programs share.
        engine->setVolume(VLCEngine::defaultVolume);
        engine->setMuted(false);
    }

    // The accessible items rest on Qt Quick's private API: on any Qt but the build's, Qt's own
    // stay, and a line under norvane.accessibility says why.
    void accessibleItemsOnlyOnTheBuildsQt_data()
    {
        QTest::addColumn<QString>("runtime");
        QTest::addColumn<bool>("installed");
        QTest::newRow("the build's Qt") << QStringLiteral(QT_VERSION_STR) << true;
        QTest::newRow("next patch release") << QStringLiteral("%1.%2.%3")
                                                   .arg(QT_VERSION_MAJOR)
                                                   .arg(QT_VERSION_MINOR)
                                                   .arg(QT_VERSION_PATCH + 1)
                                            << false;
        QTest::newRow("earlier minor release") << QStringLiteral("%1.%2.%3")
                                                      .arg(QT_VERSION_MAJOR)
                                                      .arg(QT_VERSION_MINOR - 1)
                                                      .arg(QT_VERSION_PATCH)
                                               << false;
    }
    void accessibleItemsOnlyOnTheBuildsQt()
    {
        QFETCH(QString, runtime);
        QFETCH(bool, installed);
        QLoggingCategory::setFilterRules(QStringLiteral("norvane.accessibility.info=true"));
        if (!installed)
            QTest::ignoreMessage(QtInfoMsg, QRegularExpression("Qt's own accessibility stays"));
        QCOMPARE(AccessibleItemFactory::install(runtime.toLatin1().constData()), installed);
        QLoggingCategory::setFilterRules({});
    }
};

NORVANE_TEST_MAIN(TestComponents)
#include "tst_components.moc"
