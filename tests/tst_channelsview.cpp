#include <QElapsedTimer>
#include <QQuickItem>
#include <QSignalSpy>

#include "ItemInput.h"
#include "PinPromptCheck.h"
#include "QmlHarness.h"
#include "SampleCatalog.h"
#include "SampleMedia.h"
#include "SampleProviderThread.h"
#include "TestMain.h"
#include "TestProvider.h"
#include "client/NorvaneError.h"
#include "images/RemoteImage.h"
#include "live/ChannelsModel.h"
#include "live/ChannelsScreen.h"
#include "playback/VLCEngine.h"
#include "player/ControlsAutoHide.h"
#include "storage/FavoritesStore.h"
#include "style/TextStyle.h"

using namespace norvane::test;
using Status = VLCEngine::Status;

namespace {

constexpr int hideMs = 300;
constexpr int watchMs = 400;
// A watch that a 404 surely fails within, for the tests that need libVLC's error.
constexpr int errorWatchMs = 2000;
// Limits for what libVLC and the event loop do on a loaded machine; waits end at the condition.
constexpr int patienceMs = 15000;
// Longer than any test: a hide that must not come while the test looks.
constexpr int neverMs = 600000;

const QByteArray viewQml = "import QtQuick\nimport Norvane\nChannelsView { playback.controls.hideDelayMs: "
                           "300; channelsModel.fallbackWatchMs: 400 }\n";

// A get_live_streams answer with one channel per id, all in category "1".
QByteArray channelsJson(const QList<int> &ids)
{
    QByteArray body = "[";
    for (qsizetype i = 0; i < ids.size(); ++i) {
        if (i > 0)
            body += ',';
        const QByteArray id = QByteArray::number(ids.at(i));
        body += R"({"num":)" + QByteArray::number(i + 1) + R"(,"name":"Canal )" + id + R"(","stream_id":)" +
                id + R"(,"stream_icon":"","category_id":"1"})";
    }
    return body + ']';
}

QQuickItem *item(QObject *root, const QString &objectName)
{
    auto *found = findByName<QQuickItem>(root, objectName);
    if (!found)
        qWarning("no item %s", qPrintable(objectName));
    return found;
}

// The channel rows the list has made so far, by stream id.
QStringList rowsMade(QQuickItem *list)
{
    QStringList ids;
    auto *content = list->property("contentItem").value<QQuickItem *>();
    for (QQuickItem *child : content->childItems()) {
        if (child->objectName().startsWith(QLatin1String("channelRow_")))
            ids.append(child->objectName().mid(11));
    }
    return ids;
}

} // namespace

class TestChannelsView : public QObject
{
    Q_OBJECT

private:
    // On its own thread: stopping libVLC waits for the provider's answers.
    SampleProviderThread m_provider;

    XtreamClient client() { return clientOf(m_provider); }
    void answer(const QString &action, const QByteArray &body)
    {
        m_provider.call([&](SampleProvider &provider) { provider.setAnswer(action, body); });
    }
    QVariantMap clientProperty() { return {{QStringLiteral("client"), QVariant::fromValue(client())}}; }
    QStringList guideRequests()
    {
        QStringList ids;
        const QList<ProviderRequest> requests = m_provider.call(
            [](SampleProvider &provider) { return provider.requests(QStringLiteral("get_short_epg")); });
        for (const ProviderRequest &request : requests)
            ids.append(request.query.value(QStringLiteral("stream_id")));
        return ids;
    }
    static ChannelsModel *sectionOf(QObject *view)
    {
        return view->property("channelsModel").value<ChannelsModel *>();
    }
    static ChannelsScreen *screenOf(QObject *view)
    {
        return view->property("screenState").value<ChannelsScreen *>();
    }

    // The view with the provider's categories listed.
    QObject *viewWithCategories(QmlHarness &harness)
    {
        QObject *view = createShown(harness, viewQml, clientProperty());
        if (!view || !QTest::qWaitFor([&] { return sectionOf(view)->categories().size() == 12; }, 5000))
            return nullptr;
        waitForLayout(&harness.window());
        return view;
    }

    // The same with category "1" chosen from its row.
    QObject *viewOnFirstCategory(QmlHarness &harness)
    {
        QObject *view = viewWithCategories(harness);
        if (!view)
            return nullptr;
        ChannelsModel *section = sectionOf(view);
        if (QQuickItem *row = item(view, QStringLiteral("categoryRow_1")))
            clickItem(row);
        if (!QTest::qWaitFor([&] { return !section->isLoadingList() && section->rows()->rowCount() > 0; },
                             5000))
            return nullptr;
        waitForLayout(&harness.window());
        return view;
    }

    void clearLiveFavorites()
    {
        FavoritesStore *store = FavoritesStore::shared();
        for (const Favorite &favorite : store->items(ContentType::Live))
            store->remove(ContentType::Live, favorite.id());
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(startPlaybackProvider(m_provider)); }

    void init()
    {
        m_provider.call([](SampleProvider &provider) {
            provider.clearScript();
            provider.setApiHandler({});
            provider.clearLog();
        });
        clearLiveFavorites();
    }

    void cleanup() { VLCEngine::shared()->stop(); }

    // Before any choice both panels ask for one; the favourites row without favourites is empty.
    void panelStatesBeforeAChoice()
    {
        QmlHarness harness;
        QObject *view = viewWithCategories(harness);
        QVERIFY(view);
        ChannelsModel *section = sectionOf(view);

        // Their texts: keyboardAlone reads them.
        QVERIFY(isShown(view, QStringLiteral("channelsEmpty")));
        QVERIFY(isShown(view, QStringLiteral("previewHint")));
        QVERIFY(!isShown(view, QStringLiteral("floatingVideo")));

        // The favourites row comes first with its label; only the adult categories carry the lock.
        QQuickItem *favorites = item(view, QStringLiteral("categoryRow___favorites__"));
        QVERIFY(favorites);
        QCOMPARE(accessibleName(favorites), QStringLiteral("Favoritos"));
        QVERIFY(isShown(item(view, QStringLiteral("categoryRow_11")), QStringLiteral("lockSymbol")));
        QVERIFY(!isShown(item(view, QStringLiteral("categoryRow_1")), QStringLiteral("lockSymbol")));

        clickItem(favorites);
        QTRY_COMPARE(section->selectedCategoryIdText(), QStringLiteral("__favorites__"));
        QTRY_VERIFY(isShown(view, QStringLiteral("channelsEmpty")));
        QCOMPARE(item(view, QStringLiteral("channelsEmpty"))->property("text").toString(),
                 QStringLiteral("No hay canales en esta categoría."));
    }

    // A locked category asks for the PIN; a wrong one keeps the sheet with its warning, the
    // right one unlocks the category, closes the sheet and selects it.
    void pinSheetUnlocksAndSelects()
    {
        QmlHarness harness;
        QObject *view = viewWithCategories(harness);
        QVERIFY(view);
        ChannelsModel *section = sectionOf(view);
        ChannelsScreen *screen = screenOf(view);
        auto *sheet = findByName<QObject>(view, QStringLiteral("pinSheet"));
        QVERIFY(sheet);

        typeWrongPin(view, QStringLiteral("pinSheet"), QStringLiteral("categoryRow_12"));
        if (QTest::currentTestFailed())
            return;
        QVERIFY(screen->hasPinCategory());
        QCOMPARE(screen->pinCategory()->categoryId(), QStringLiteral("12"));
        QVERIFY(!section->hasSelection());
        QVERIFY(section->unlockedCategories().isEmpty());
        reopenFreshPrompt(view, QStringLiteral("pinSheet"), QStringLiteral("categoryRow_12"));
        if (QTest::currentTestFailed())
            return;

        typeText(&harness.window(), QStringLiteral("8057"));
        QTest::keyClick(&harness.window(), Qt::Key_Return);
        QVERIFY(!screen->hasPinCategory());
        QCOMPARE(section->unlockedCategories(), QStringList{QStringLiteral("12")});
        QTRY_VERIFY(!sheet->property("visible").toBool());
        QTRY_COMPARE(section->selectedCategoryIdText(), QStringLiteral("12"));
        QTRY_VERIFY(!section->isLoadingList());
        QVERIFY(!isShown(item(view, QStringLiteral("categoryRow_12")), QStringLiteral("lockSymbol")));

        // Unlocked for as long as the section lives: the next click selects without a prompt.
        clickItem(item(view, QStringLiteral("categoryRow_1")));
        QTRY_COMPARE(section->selectedCategoryIdText(), QStringLiteral("1"));
        clickItem(item(view, QStringLiteral("categoryRow_12")));
        QVERIFY(!screen->hasPinCategory());
        QTRY_COMPARE(section->selectedCategoryIdText(), QStringLiteral("12"));
    }

    // The preview's button and the row's menu both toggle the favourite and its star. Removing a
    // favourite from the menu while the favourites are listed drops its star at once and keeps
    // the row until the favourites are chosen again.
    void contextMenuTogglesTheStar()
    {
        answer(QStringLiteral("get_live_streams"), channelsJson({1001, 1004, 1005}));
        QmlHarness harness;
        QObject *view = viewOnFirstCategory(harness);
        QVERIFY(view);
        ChannelsModel *section = sectionOf(view);

        QQuickItem *chosen = item(view, QStringLiteral("channelRow_1005"));
        clickItem(chosen);
        QTRY_COMPARE(item(view, QStringLiteral("previewChannelName"))->property("text").toString(),
                     QStringLiteral("Canal 1005"));
        QQuickItem *previewButton = item(view, QStringLiteral("favoriteButton"));
        QVERIFY(previewButton->isVisible());
        for (const bool becomes : {true, false}) {
            QCOMPARE(accessibleName(previewButton),
                     becomes ? QStringLiteral("Favorito") : QStringLiteral("Quitar"));
            clickItem(previewButton);
            QCOMPARE(FavoritesStore::shared()->isFavorite(ContentType::Live, QStringLiteral("1005")),
                     becomes);
            QCOMPARE(isShown(chosen, QStringLiteral("favoriteStar")), becomes);
        }
        QCOMPARE(accessibleName(previewButton), QStringLiteral("Favorito"));
        auto *menu = findByName<QObject>(view, QStringLiteral("channelMenu"));
        QVERIFY(menu);
        auto *menuItem = findByName<QQuickItem>(menu, QStringLiteral("favoriteMenuItem"));
        QVERIFY(menuItem);

        QQuickItem *row = item(view, QStringLiteral("channelRow_1004"));
        QVERIFY(row);
        QCOMPARE(accessibleName(row), QStringLiteral("Canal 1004"));
        QVERIFY(!isShown(row, QStringLiteral("favoriteStar")));
        QTest::mouseClick(&harness.window(), Qt::RightButton, Qt::NoModifier, sceneCenter(row).toPoint());
        QTRY_VERIFY(menu->property("opened").toBool());
        QCOMPARE(menuItem->property("text").toString(), QStringLiteral("Agregar a favoritos"));
        clickItem(menuItem);
        QVERIFY(FavoritesStore::shared()->isFavorite(ContentType::Live, QStringLiteral("1004")));
        QVERIFY(isShown(row, QStringLiteral("favoriteStar")));
        QTRY_VERIFY(!menu->property("visible").toBool());

        clickItem(item(view, QStringLiteral("categoryRow___favorites__")));
        QTRY_COMPARE(section->rows()->rowCount(), 1);
        waitForLayout(&harness.window());
        row = item(view, QStringLiteral("channelRow_1004"));
        QVERIFY(row);
        QVERIFY(isShown(row, QStringLiteral("favoriteStar")));

        QTest::mouseClick(&harness.window(), Qt::RightButton, Qt::NoModifier, sceneCenter(row).toPoint());
        QTRY_VERIFY(menu->property("opened").toBool());
        QCOMPARE(menuItem->property("text").toString(), QStringLiteral("Quitar de favoritos"));
        clickItem(menuItem);
        QVERIFY(!isShown(row, QStringLiteral("favoriteStar")));
        QCOMPARE(section->rows()->rowCount(), 1);
        QVERIFY(isShown(view, QStringLiteral("channelRow_1004")));

        clickItem(item(view, QStringLiteral("categoryRow___favorites__")));
        QTRY_COMPARE(section->rows()->rowCount(), 0);
        QTRY_VERIFY(isShown(view, QStringLiteral("channelsEmpty")));
    }

    // A click plays the channel in the preview; a double click on the video enters full-screen,
    // a click toggles the controls, "Reproducir" enters it again. Leaving the screen stops.
    void fullscreenAndItsControls()
    {
        answer(QStringLiteral("get_live_streams"), channelsJson({1001, 1004, 1005}));
        QmlHarness harness;
        QObject *view = viewOnFirstCategory(harness);
        QVERIFY(view);
        ChannelsModel *section = sectionOf(view);
        ChannelsScreen *screen = screenOf(view);
        ControlsAutoHide *controls = screen->playback()->controls();
        QCOMPARE(controls->hideDelayMs(), hideMs);

        clickItem(item(view, QStringLiteral("channelRow_1001")));
        QTRY_VERIFY(section->selectedChannel().has_value());
        // Connecting: the channel's logo with a spinner over the video.
        QVERIFY(isShown(view, QStringLiteral("connectingOverlay")));
        QCOMPARE(item(view, QStringLiteral("connectingLogo"))->property("size").toReal(), 90.0);
        // Logos keep their proportions, in the rows and while connecting.
        for (const QString &logo : {QStringLiteral("channelRow_1001"), QStringLiteral("connectingLogo")})
            QCOMPARE(findByName<RemoteImage>(item(view, logo), QStringLiteral("logoImage"))->fillMode(),
                     RemoteImage::PreserveAspectFit);
        QQuickItem *floating = item(view, QStringLiteral("floatingVideo"));
        QQuickItem *slot = item(view, QStringLiteral("videoSlot"));
        QTRY_VERIFY(floating->isVisible());
        auto *root = qobject_cast<QQuickItem *>(view);
        const auto onSlot = [&] {
            return floating->mapRectToItem(root, floating->boundingRect()) ==
                   slot->mapRectToItem(root, slot->boundingRect());
        };
        QTRY_VERIFY(onSlot());
        QVERIFY(!isShown(view, QStringLiteral("previewHint")));
        QCOMPARE(accessibleName(item(view, QStringLiteral("playButton"))), QStringLiteral("Reproducir"));
        QTRY_VERIFY(VLCEngine::shared()->status() == Status::Playing);
        // The picture is drawn inside the slot, and nowhere else.
        QQuickItem *video = item(view, QStringLiteral("videoView"));
        QTRY_VERIFY(video->property("showsVideo").toBool());
        const auto pictureInSlot = [&] {
            const QImage frame = harness.grab();
            const QPoint inSlot = sceneCenter(slot).toPoint();
            return frame.pixelColor(inSlot) != QColor(Qt::black) &&
                   frame.pixelColor(5, 5) == QColor(11, 14, 20); // Brand.background
        };
        QTRY_VERIFY_WITH_TIMEOUT(pictureInSlot(), patienceMs);

        // A narrower window: the video follows the slot.
        root->setWidth(1100);
        QTRY_VERIFY(onSlot());

        // Held while the full-screen layout is checked, which a slow run may take longer than the delay for.
        controls->setHideDelayMs(neverMs);
        QTest::mouseDClick(&harness.window(), Qt::LeftButton, Qt::NoModifier,
                           sceneCenter(floating).toPoint());
        QVERIFY(section->isFullscreen());
        QVERIFY(controls->showControls());
        QVERIFY(controls->hidePending());
        QTRY_COMPARE(floating->width(), root->width());
        QVERIFY(isShown(view, QStringLiteral("fullscreenControls")));
        QCOMPARE(item(view, QStringLiteral("connectingLogo"))->property("size").toReal(), 120.0);
        QCOMPARE(unnamedControls(root), QStringList());
        // A click on the video toggles them (the timing is the controller's own test).
        clickItem(floating);
        QVERIFY(!controls->showControls());

        // Leaving full-screen keeps the controls as they were; "Reproducir" comes back to them
        // without scheduling a hide.
        clickItem(floating);
        QVERIFY(controls->showControls());
        // Faded in: a faded-out layer lets the click through to the video.
        QTRY_COMPARE(item(view, QStringLiteral("fullscreenControls"))->opacity(), 1.0);
        clickItem(item(view, QStringLiteral("exitFullscreen")));
        QVERIFY(!section->isFullscreen());
        QVERIFY(controls->showControls());
        QTRY_VERIFY(onSlot());
        controls->cancelHide();
        waitForLayout(&harness.window());
        clickItem(item(view, QStringLiteral("playButton")));
        QVERIFY(section->isFullscreen());
        QVERIFY(controls->showControls());
        QVERIFY(!controls->hidePending());

        // The fill button shows its other label and restarts the delay.
        QQuickItem *fill = item(view, QStringLiteral("fillButton"));
        QCOMPARE(fill->property("text").toString(), QStringLiteral("Llenar"));
        QTRY_VERIFY(isShown(view, QStringLiteral("fullscreenControls")));
        clickItem(fill);
        QVERIFY(VLCEngine::shared()->fillScreen());
        QCOMPARE(fill->property("text").toString(), QStringLiteral("Ajustar"));
        QVERIFY(controls->hidePending());
        VLCEngine::shared()->setFillScreen(false);

        // Leaving the screen (the harness replaces it) stops the engine.
        QVERIFY(VLCEngine::shared()->status() != Status::Stopped);
        QVERIFY(harness.create("import QtQuick\nItem { }\n"));
        QCOMPARE(VLCEngine::shared()->status(), Status::Stopped);
    }

    // Previous on the first channel and next on the last change nothing; the controls come back
    // only once the new channel's watch and guide are over.
    void zappingStaysInTheList()
    {
        answer(QStringLiteral("get_live_streams"), channelsJson({1001, 1004, 1005}));
        QmlHarness harness;
        QObject *view = viewOnFirstCategory(harness);
        QVERIFY(view);
        ChannelsModel *section = sectionOf(view);
        ChannelsScreen *screen = screenOf(view);
        ControlsAutoHide *controls = screen->playback()->controls();
        const auto selectedId = [&] {
            return section->selectedChannel() ? section->selectedChannel()->streamId() : QString();
        };

        // The controls must still be there when the next button is clicked.
        controls->setHideDelayMs(neverMs);
        clickItem(item(view, QStringLiteral("channelRow_1001")));
        QTRY_VERIFY(section->epgLoaded());
        screen->playback()->enterFullscreen();
        controls->setShowControls(false);

        QCoro::waitFor(screen->playback()->playAdjacentTask(-1));
        QCOMPARE(selectedId(), QStringLiteral("1001"));
        QVERIFY(controls->showControls());
        controls->setShowControls(false);
        controls->cancelHide();

        QElapsedTimer clock;
        clock.start();
        screen->playback()->playAdjacent(1);
        QTRY_COMPARE(selectedId(), QStringLiteral("1004"));
        QVERIFY(!controls->showControls());
        QTRY_VERIFY(controls->showControls());
        QVERIFY(clock.elapsed() >= watchMs * 95 / 100);
        QVERIFY(section->epgLoaded());
        QVERIFY(controls->hidePending());

        // The controls have faded in (a faded-out layer lets the click through to the video).
        QTRY_COMPARE(item(view, QStringLiteral("fullscreenControls"))->opacity(), 1.0);
        clickItem(item(view, QStringLiteral("nextChannel")));
        QTRY_COMPARE(selectedId(), QStringLiteral("1005"));
        QTRY_VERIFY(section->epgLoaded());
        QCoro::waitFor(screen->playback()->playAdjacentTask(1));
        QCOMPARE(selectedId(), QStringLiteral("1005"));
        QVERIFY(isShown(view, QStringLiteral("previousChannel")));
        QCOMPARE(accessibleName(item(view, QStringLiteral("previousChannel"))),
                 QStringLiteral("Canal anterior"));
    }

    // Channel numbers and guide times take their digits by the player's one rule: the interface
    // font where all its digits are as wide, else the fixed-width one.
    void digitsFollowThePlayersRule()
    {
        answer(QStringLiteral("get_live_streams"), channelsJson({1001, 1004}));
        QmlHarness harness;
        QObject *view = viewOnFirstCategory(harness);
        QVERIFY(view);
        clickItem(item(view, QStringLiteral("channelRow_1001")));
        QTRY_VERIFY_WITH_TIMEOUT(isShown(view, QStringLiteral("guideTime")), patienceMs);
        const TextStyle *style = TextStyle::create(nullptr, nullptr);
        const QFont rule = style->tabularDigits(style->caption);
        for (const char *name : {"channelNumber", "guideTime"})
            QCOMPARE(item(view, QLatin1String(name))->property("font").value<QFont>().family(),
                     rule.family());
    }

    // The fully broken channel shows the error under the slot; "Reintentar" plays it again from
    // the adaptive address without asking for its guide again.
    void playbackErrorRetriesWithoutTheGuide()
    {
        QmlHarness harness;
        QObject *view = viewOnFirstCategory(harness);
        QVERIFY(view);
        ChannelsModel *section = sectionOf(view);
        // Long enough for libVLC to fail each 404 before its watch ends, even on a busy machine.
        section->setFallbackWatchMs(errorWatchMs);
        const QString broken = QString::number(SampleCatalog::brokenChannelId);

        clickItem(item(view, QStringLiteral("channelRow_") + broken));
        QTRY_VERIFY_WITH_TIMEOUT(isShown(view, QStringLiteral("playbackError")), patienceMs);
        QCOMPARE(item(view, QStringLiteral("playbackError"))->property("text").toString(),
                 NorvaneError::contentDidNotPlay());
        // The logo and spinner are gone with the failed attempt; the slot keeps the black video.
        QVERIFY(!isShown(view, QStringLiteral("connectingOverlay")));
        QTRY_VERIFY_WITH_TIMEOUT(section->epgLoaded(), patienceMs);
        // The row's title on air and the preview's guide.
        const qsizetype guidesBefore = guideRequests().count(broken);
        QCOMPARE(guidesBefore, 2);

        // The error row has pushed the controls down: aim at where the button is now.
        waitForLayout(&harness.window());
        QQuickItem *retry = item(view, QStringLiteral("playbackRetry"));
        QCOMPARE(accessibleName(retry), QStringLiteral("Reintentar"));
        clickItem(retry);
        QVERIFY(section->playbackError().isEmpty());
        QVERIFY(!isShown(view, QStringLiteral("playbackError")));
        QTRY_VERIFY_WITH_TIMEOUT(isShown(view, QStringLiteral("playbackError")), patienceMs);
        QCOMPARE(guideRequests().count(broken), guidesBefore);
        QVERIFY(section->epgLoaded());
    }

    // The keyboard alone, with the texts a screen reader reads: Return opens a category, Tab
    // reaches the channels, Return plays one, Page Down/Up zap and move the current row; F fills
    // the screen and the window; Escape restores the window, then leaves full screen, then the
    // section. The row's menu answers the press action.
    void keyboardAlone()
    {
        answer(QStringLiteral("get_live_streams"), channelsJson({1001, 1004, 1005}));
        QmlHarness harness;
        QObject *view = viewWithCategories(harness);
        QVERIFY(view);
        QQuickWindow *window = &harness.window();
        ChannelsModel *section = sectionOf(view);
        ChannelsScreen *screen = screenOf(view);
        ControlsAutoHide *controls = screen->playback()->controls();
        controls->setHideDelayMs(neverMs);
        const auto selectedId = [&] {
            return section->selectedChannel() ? section->selectedChannel()->streamId() : QString();
        };
        QCOMPARE(accessibleText(item(view, QStringLiteral("channelsEmpty"))),
                 QStringLiteral("Elige una categoría."));
        QCOMPARE(accessibleText(item(view, QStringLiteral("previewHint"))),
                 QStringLiteral("Selecciona un canal para verlo aquí."));

        QCOMPARE(focusedName(window), QStringLiteral("categoryRow___favorites__"));
        for (int i = 0; i < 12 && focusedName(window) != QLatin1String("categoryRow_1"); ++i)
            QTest::keyClick(window, Qt::Key_Down);
        QCOMPARE(focusedName(window), QStringLiteral("categoryRow_1"));
        QTest::keyClick(window, Qt::Key_Return);
        QTRY_VERIFY(section->rows()->rowCount() == 3 && !section->isLoadingList());
        waitForLayout(window);
        QTest::keyClick(window, Qt::Key_Tab);
        QCOMPARE(focusedName(window), QStringLiteral("channelRow_1001"));
        QCOMPARE(accessibleText(
                     item(item(view, QStringLiteral("channelRow_1001")), QStringLiteral("channelNumber"))),
                 QStringLiteral("1"));
        QTest::keyClick(window, Qt::Key_Return);
        QTRY_COMPARE(selectedId(), QStringLiteral("1001"));
        QTest::keyClick(window, Qt::Key_PageDown);
        QTRY_COMPARE(selectedId(), QStringLiteral("1004"));
        // The focus ring moves with the channel: Return plays the one that plays, not the old one.
        QCOMPARE(focusedName(window), QStringLiteral("channelRow_1004"));
        QTest::keyClick(window, Qt::Key_PageUp);
        QTRY_COMPARE(selectedId(), QStringLiteral("1001"));
        QCOMPARE(focusedName(window), QStringLiteral("channelRow_1001"));
        QVERIFY(!section->isFullscreen());

        QTest::keyClick(window, Qt::Key_F);
        QVERIFY(section->isFullscreen());
        QCOMPARE(window->visibility(), QWindow::FullScreen);
        QTRY_VERIFY(VLCEngine::shared()->status() == Status::Playing);

        QSignalSpy back(view, SIGNAL(back()));
        QTest::keyClick(window, Qt::Key_Escape);
        QCOMPARE(window->visibility(), QWindow::Windowed);
        QVERIFY(section->isFullscreen());
        QTest::keyClick(window, Qt::Key_Escape);
        QVERIFY(!section->isFullscreen());
        QCOMPARE(back.count(), 0);
        QTRY_COMPARE(focusedName(window), QStringLiteral("channelRow_1001"));
        QTest::keyClick(window, Qt::Key_Escape);
        QCOMPARE(back.count(), 1);

        auto *menu = findByName<QObject>(view, QStringLiteral("channelMenu"));
        QTest::keyClick(window, Qt::Key_Menu);
        QTRY_VERIFY(menu->property("opened").toBool());
        QVERIFY(pressByAccessibility(findByName<QQuickItem>(menu, QStringLiteral("favoriteMenuItem"))));
        QVERIFY(FavoritesStore::shared()->isFavorite(ContentType::Live, QStringLiteral("1001")));
        QTRY_VERIFY(!menu->property("visible").toBool());
        // The store's file outlives the program: the next run starts without favourites.
        FavoritesStore::shared()->remove(ContentType::Live, QStringLiteral("1001"));
    }

    // Five thousand channels: rows are made only for what is in view, and only those ask for
    // the title on air; scrolling far asks for the rows that came into view, not those passed.
    void largeCategoryMakesOnlyVisibleRows()
    {
        QList<int> ids;
        for (int i = 0; i < 5000; ++i)
            ids.append(100000 + i);
        answer(QStringLiteral("get_live_streams"), channelsJson(ids));
        QmlHarness harness;
        QObject *view = viewOnFirstCategory(harness);
        QVERIFY(view);
        QCOMPARE(sectionOf(view)->rows()->rowCount(), 5000);
        QQuickItem *list = item(view, QStringLiteral("channelList"));
        QVERIFY(list);

        const QStringList firstRows = rowsMade(list);
        QVERIFY(firstRows.size() > 5);
        QVERIFY(firstRows.size() < 30);
        QTRY_COMPARE(guideRequests().size(), firstRows.size());
        const QStringList asked = guideRequests();
        QCOMPARE(QSet<QString>(asked.cbegin(), asked.cend()),
                 QSet<QString>(firstRows.cbegin(), firstRows.cend()));

        QMetaObject::invokeMethod(list, "positionViewAtIndex", Q_ARG(int, 2500), Q_ARG(int, 0));
        waitForLayout(&harness.window());
        const QStringList laterRows = rowsMade(list);
        QVERIFY(laterRows.contains(QStringLiteral("102500")));
        QVERIFY(laterRows.size() < 30);
        QTRY_COMPARE(guideRequests().size(), firstRows.size() + laterRows.size());
        QVERIFY(!guideRequests().contains(QStringLiteral("101000")));
    }
};

NORVANE_TEST_MAIN(TestChannelsView)
#include "tst_channelsview.moc"
