#include <QSignalSpy>

#include "ItemInput.h"
#include "QmlHarness.h"
#include "TestMain.h"
#include "shell/AppModel.h"
#include "shell/MenuLayout.h"
#include "system/ClockText.h"
#include "system/MenuSound.h"

using namespace norvane::test;

namespace {

// The main menu at the smallest window size, with short timers.
const QByteArray menuQml = R"(
import QtQuick
import Norvane
MainMenuView {
    width: 1000; height: 640
    app: AppModel { }
    versionDuration: 150
    clockInterval: 50
}
)";

const QByteArray homeQml = R"(
import QtQuick
import Norvane
HomeView {
    width: 1000; height: 640
    app: AppModel { }
}
)";

QQuickItem *card(QmlHarness &harness, int index)
{
    return findByName<QQuickItem>(harness.root(), QStringLiteral("menuCard%1").arg(index));
}

AppModel *appOf(QObject *view)
{
    return view->property("app").value<AppModel *>();
}

} // namespace

// The launcher: card geometry, hover sounds and looks, what each card opens, the logo's version
// popover, the clock, and home's routing between the menu and the section frame.
class TestMainMenu : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cardWidthRule_data()
    {
        QTest::addColumn<qreal>("available");
        QTest::addColumn<int>("count");
        QTest::addColumn<qreal>("width");
        QTest::newRow("1000-point window") << 952.0 << 6 << 892.0 / 6;
        QTest::newRow("exactly the gaps") << 60.0 << 6 << 0.0;
        QTest::newRow("narrower than the gaps") << 30.0 << 6 << 0.0;
        QTest::newRow("one card takes all") << 500.0 << 1 << 500.0;
        QTest::newRow("no cards") << 500.0 << 0 << 0.0;
    }

    void cardWidthRule()
    {
        QFETCH(qreal, available);
        QFETCH(int, count);
        QFETCH(qreal, width);
        QCOMPARE(MenuLayout::cardWidth(available, count), width);
    }

    void cardsAreNamedForAssistiveTechnology()
    {
        QmlHarness harness;
        QVERIFY(createShown(harness, menuQml));
        const QStringList names{"TV en vivo", "Películas", "Series", "Buscar", "Ajustes", "Salir"};
        const QStringList images{"MenuCardLive",   "MenuCardMovies",   "MenuCardSeries",
                                 "MenuCardSearch", "MenuCardSettings", "MenuCardExit"};
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(accessibleName(card(harness, i)), names.at(i));
            QCOMPARE(card(harness, i)->property("imageName").toString(), images.at(i));
            // The artwork is in the resources and readable.
            auto *face = card(harness, i)->findChild<QObject *>(QStringLiteral("cardFace"));
            QVERIFY(face && face->property("hasImage").toBool());
        }
        QVERIFY(
            !accessibleName(findByName<QQuickItem>(harness.root(), QStringLiteral("logoButton"))).isEmpty());
    }

    void hoverSoundsOncePerCardEntered()
    {
        QmlHarness harness;
        QVERIFY(createShown(harness, menuQml));
        MenuSound *sound = MenuSound::shared();
        sound->setLastIndex(-1);
        QSignalSpy played(sound, &MenuSound::played);
        auto *header = findByName<QQuickItem>(harness.root(), QStringLiteral("menuHeader"));

        QCOMPARE(sound->poolSize(), MenuSound::maxPlayers);
        // The menu's MenuSound is the process-wide one.
        const int soundType = qmlTypeId("Norvane.Core", 1, 0, "MenuSound");
        QCOMPARE(harness.engine().singletonInstance<MenuSound *>(soundType), sound);
        hoverItem(card(harness, 2));
        QVERIFY(card(harness, 2)->property("hovering").toBool());
        QCOMPARE(sound->lastIndex(), 2);
        hoverPoint(&harness.window(), sceneCenter(card(harness, 2)) + QPointF(5, 40)); // inside card 2
        hoverItem(card(harness, 3));
        QCOMPARE(sound->lastIndex(), 3);
        QCOMPARE(played.size(), sound->poolSize() > 0 ? 2 : 0);

        hoverItem(header); // leaving every card
        QCOMPARE(sound->lastIndex(), -1);
        hoverItem(card(harness, 3));
        QCOMPARE(played.size(), sound->poolSize() > 0 ? 3 : 0);
    }

    void cardsOpenTheirSection_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("tab"); // -1: the card quits instead
        QTest::newRow("live") << 0 << int(AppModel::AppTab::Live);
        QTest::newRow("movies") << 1 << int(AppModel::AppTab::Movies);
        QTest::newRow("series") << 2 << int(AppModel::AppTab::Series);
        QTest::newRow("search") << 3 << int(AppModel::AppTab::Search);
        QTest::newRow("settings") << 4 << int(AppModel::AppTab::Settings);
        QTest::newRow("exit") << 5 << -1;
    }

    void cardsOpenTheirSection()
    {
        QFETCH(int, index);
        QFETCH(int, tab);
        QmlHarness harness;
        QObject *menu = createShown(harness, menuQml);
        QVERIFY(menu);
        QSignalSpy quit(&harness.engine(), &QQmlEngine::quit);
        clickItem(card(harness, index));
        QCOMPARE(appOf(menu)->openTab(), tab < 0 ? std::nullopt : std::optional(AppModel::AppTab(tab)));
        QCOMPARE(quit.size(), tab < 0 ? 1 : 0);
    }

    void logoShowsTheVersionBriefly()
    {
        // The test program has no version of its own: the popover falls back to 1.0.
        QCoreApplication::setApplicationVersion(QString());
        QmlHarness harness;
        QObject *menu = createShown(harness, menuQml);
        QVERIFY(menu);
        auto *popover = findByName<QObject>(harness.root(), QStringLiteral("versionPopover"));
        QVERIFY(popover && !popover->property("visible").toBool());
        clickItem(findByName<QQuickItem>(harness.root(), QStringLiteral("logoButton")));
        QVERIFY(menu->property("showVersion").toBool());
        QTRY_VERIFY(popover->property("opened").toBool());
        QCOMPARE(
            findByName<QObject>(harness.root(), QStringLiteral("versionText"))->property("text").toString(),
            QStringLiteral("Norvane 1.0"));
        QTRY_VERIFY(!menu->property("showVersion").toBool());
        QTRY_VERIFY(!popover->property("visible").toBool());
    }

    void clockShowsTheSnapshotAndTicks()
    {
        QmlHarness harness;
        const Snapshot before = ClockText().snapshot();
        QObject *menu = createShown(harness, menuQml);
        QVERIFY(menu);
        const Snapshot after = ClockText().snapshot();
        auto *time = findByName<QObject>(harness.root(), QStringLiteral("clockTime"));
        auto *date = findByName<QObject>(harness.root(), QStringLiteral("clockDate"));
        const QString shownTime = time->property("text").toString();
        QVERIFY2(shownTime == before.time() || shownTime == after.time(), qPrintable(shownTime));
        const QString shownDate = date->property("text").toString();
        QVERIFY2(shownDate == before.date() || shownDate == after.date(), qPrintable(shownDate));
        // Each tick replaces what is shown with a fresh snapshot.
        menu->setProperty("now", QVariant::fromValue(Snapshot(QStringLiteral("0:00"), QStringLiteral("x"))));
        QCOMPARE(time->property("text").toString(), QStringLiteral("0:00"));
        QTRY_COMPARE(date->property("text").toString(), ClockText().snapshot().date());
    }

    void homeRoutesBetweenMenuAndSections()
    {
        QmlHarness harness;
        QObject *home = createShown(harness, homeQml);
        QVERIFY(home);
        AppModel *app = appOf(home);
        QVERIFY(findByName<QObject>(harness.root(), QStringLiteral("mainMenu")));

        app->setOpenTab(AppModel::AppTab::Settings);
        QTRY_VERIFY(findByName<QObject>(harness.root(), QStringLiteral("settingsView")));
        QTRY_VERIFY(!findByName<QObject>(harness.root(), QStringLiteral("mainMenu")));
        QCOMPARE(
            findByName<QObject>(harness.root(), QStringLiteral("sectionTitle"))->property("text").toString(),
            QStringLiteral("Ajustes"));

        clickItem(findByName<QQuickItem>(harness.root(), QStringLiteral("backButton")));
        QCOMPARE(app->openTab(), std::nullopt);
        QTRY_VERIFY(findByName<QObject>(harness.root(), QStringLiteral("mainMenu")));

        // Without a client a section shows only its frame.
        app->setOpenTab(AppModel::AppTab::Movies);
        QTRY_COMPARE(
            findByName<QObject>(harness.root(), QStringLiteral("sectionTitle"))->property("text").toString(),
            QStringLiteral("Películas"));
        QTRY_VERIFY(!findByName<QObject>(harness.root(), QStringLiteral("settingsView")));
    }

    // The keyboard alone: the first card has the focus, the arrows and Tab move along the cards
    // with the ring, Return opens a section with the focus inside it, Escape closes it. The
    // tagline is read as text.
    void keyboardOpensAndClosesSections()
    {
        QmlHarness harness;
        QObject *home = createShown(harness, homeQml);
        QVERIFY(home);
        AppModel *app = appOf(home);
        QQuickWindow *window = &harness.window();
        QCOMPARE(accessibleText(findByName<QQuickItem>(home, QStringLiteral("tagline"))),
                 QStringLiteral("Conéctate… disfruta… relájate…"));
        QCOMPARE(focusedName(window), QStringLiteral("menuCard0"));
        const auto ringShown = [&](int index) {
            return isShown(card(harness, index), QStringLiteral("focusRing"));
        };

        QTest::keyClick(window, Qt::Key_Left);
        QCOMPARE(focusedName(window), QStringLiteral("menuCard0"));
        for (const auto key :
             {Qt::Key_Right, Qt::Key_Right, Qt::Key_Tab, Qt::Key_Left, Qt::Key_Tab, Qt::Key_Tab})
            QTest::keyClick(window, key);
        QCOMPARE(focusedName(window), QStringLiteral("menuCard4"));
        QVERIFY(ringShown(4));
        QVERIFY(!ringShown(3));

        QTest::keyClick(window, Qt::Key_Return);
        QCOMPARE(app->openTab(), std::optional(AppModel::AppTab::Settings));
        QTRY_COMPARE(focusedName(window), QStringLiteral("logoutRow"));
        QTest::keyClick(window, Qt::Key_Escape);
        QCOMPARE(app->openTab(), std::nullopt);
        QTRY_COMPARE(focusedName(window), QStringLiteral("menuCard0"));
        // Nothing to leave on the menu.
        QTest::keyClick(window, Qt::Key_Escape);
        QVERIFY(findByName<QObject>(harness.root(), QStringLiteral("mainMenu")));

        QTest::keyClick(window, Qt::Key_Space);
        QCOMPARE(app->openTab(), std::optional(AppModel::AppTab::Live));
    }
};

NORVANE_TEST_MAIN(TestMainMenu)
#include "tst_mainmenu.moc"
