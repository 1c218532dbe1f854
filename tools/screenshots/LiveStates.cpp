// The live TV section and the live full-screen view against the sample provider's channels:
// categories with locked ones, a list with titles on air, a playing preview with its guide,
// full-screen with controls, and both playback errors.
#include <QQuickItem>

#include "SampleCatalog.h"
#include "SampleMedia.h"
#include "SampleProviderThread.h"
#include "ScreenshotRun.h"
#include "live/ChannelsModel.h"
#include "live/ChannelsScreen.h"
#include "live/LiveFullscreenPlayback.h"
#include "playback/VLCEngine.h"

namespace {

// The first item named `objectName` in the visual tree below `root` (delegates included).
QQuickItem *findItem(QQuickItem *root, const QString &objectName)
{
    if (!root)
        return nullptr;
    if (root->objectName() == objectName)
        return root;
    for (QQuickItem *child : root->childItems()) {
        if (QQuickItem *found = findItem(child, objectName))
            return found;
    }
    return nullptr;
}

QVariant clientOf(SampleProviderThread &provider)
{
    return QVariant::fromValue(XtreamClient(provider.baseUrl(), provider.username(), provider.password()));
}

bool click(ScreenshotRun &run, QQuickItem *root, const QString &objectName)
{
    QQuickItem *target = findItem(root, objectName);
    if (!target) {
        run.fail(QStringLiteral("no item ") + objectName);
        return false;
    }
    QMetaObject::invokeMethod(target, "clicked");
    return true;
}

bool hasNowTitles(const ChannelsModel *section, int wanted)
{
    int titled = 0;
    for (const ChannelRow &row : section->channels()) {
        if (!section->nowTitle(row.streamId()).isEmpty())
            ++titled;
    }
    return titled >= wanted;
}

void channelsStates(ScreenshotRun &run, SampleProviderThread &provider)
{
    QQuickItem *view =
        run.show("import QtQuick\nimport Norvane\nChannelsView { channelsModel.fallbackWatchMs: 2000 }\n",
                 {{QStringLiteral("client"), clientOf(provider)}});
    if (!view)
        return;
    auto *section = view->property("channelsModel").value<ChannelsModel *>();
    auto *screen = view->property("screenState").value<ChannelsScreen *>();
    if (!run.waitUntil([&] { return !section->categories().isEmpty(); }, 8000,
                       QStringLiteral("live categories")))
        return;
    run.settle(200);
    run.shoot(QStringLiteral("live-categories-locked"));

    if (!click(run, view, QStringLiteral("categoryRow_1")) ||
        !run.waitUntil([&] { return !section->isLoadingList() && !section->channels().isEmpty(); }, 8000,
                       QStringLiteral("live channels")))
        return;
    run.waitUntil([&] { return hasNowTitles(section, 5); }, 8000, QStringLiteral("titles on air"));
    run.settle(400);
    run.shoot(QStringLiteral("live-channel-list"));

    if (!click(run, view, QStringLiteral("channelRow_1001")) ||
        !run.waitUntil(
            [&] {
                return VLCEngine::shared()->status() == VLCEngine::Status::Playing && section->epgLoaded();
            },
            12000, QStringLiteral("the preview playing with its guide")))
        return;
    run.settle(800);
    run.shoot(QStringLiteral("live-preview-playing"));

    screen->playback()->enterFullscreen();
    run.settle(800);
    run.shoot(QStringLiteral("live-fullscreen-controls"));
    screen->playback()->exitFullscreen();
    run.settle(400);

    const QString broken = QStringLiteral("channelRow_") + QString::number(SampleCatalog::brokenChannelId);
    if (!click(run, view, broken) ||
        !run.waitUntil([&] { return !section->playbackError().isEmpty() && section->epgLoaded(); }, 12000,
                       QStringLiteral("the preview's playback error")))
        return;
    run.settle(400);
    run.shoot(QStringLiteral("live-preview-error"));
    screen->stopPlayback();
}

// The search's full-screen view of one channel, its attempt given 1.5 s to judge.
LiveFullscreenPlayback *showFullscreenView(ScreenshotRun &run, SampleProviderThread &provider, qint64 id,
                                           const QString &name)
{
    const ChannelRow channel(QString::number(id), std::nullopt, name, std::nullopt);
    QQuickItem *view =
        run.show("import QtQuick\nimport Norvane\nLiveFullscreenView { playback.stream.watchMs: 1500 }\n",
                 {{QStringLiteral("client"), clientOf(provider)},
                  {QStringLiteral("channel"), QVariant::fromValue(channel)}});
    return view ? view->property("playback").value<LiveFullscreenPlayback *>() : nullptr;
}

void fullscreenViewError(ScreenshotRun &run, SampleProviderThread &provider)
{
    auto *playback = showFullscreenView(run, provider, SampleCatalog::brokenChannelId,
                                        QStringLiteral("Noticias 24 Horas"));
    if (!playback)
        return;
    if (run.waitUntil([&] { return !playback->error().isEmpty(); }, 10000,
                      QStringLiteral("the full-screen error"))) {
        run.settle(400);
        run.shoot(QStringLiteral("live-fullscreen-view-error"));
    }
    playback->close();
}

// A channel its provider cuts, seen while the view starts it again.
void fullscreenViewReconnecting(ScreenshotRun &run, SampleProviderThread &provider)
{
    const qint64 cutId = SampleCatalog::cutChannelId;
    provider.call([cutId](SampleProvider &sample) {
        sample.setLiveCut(cutId, std::chrono::milliseconds(2000), std::chrono::milliseconds(60'000));
    });
    auto *playback = showFullscreenView(run, provider, cutId, QStringLiteral("Canal con cortes"));
    if (playback &&
        run.waitUntil([&] { return playback->reconnecting(); }, 20000, QStringLiteral("the reconnect"))) {
        run.settle(300);
        run.shoot(QStringLiteral("live-fullscreen-view-reconnecting"));
    }
    if (playback)
        playback->close();
    provider.call([](SampleProvider &sample) { sample.clearScript(); });
}

} // namespace

void shootLiveStates(ScreenshotRun &run)
{
    if (!SampleMedia::ensureAll()) {
        run.fail(QStringLiteral("sample media: ") + SampleMedia::lastError());
        return;
    }
    // Its own provider, on a thread of its own: stopping an HLS stream waits for the provider.
    SampleProviderThread provider;
    if (!provider.listenOn()) {
        run.fail(QStringLiteral("the live states' provider could not listen"));
        return;
    }
    channelsStates(run, provider);
    fullscreenViewError(run, provider);
    fullscreenViewReconnecting(run, provider);
}
