// Zapping: from choosing a live channel to its first picture on screen, against the sample provider
// on loopback (on a thread of its own), beside libVLC's own floor measured in the same run.
//
// Norvane's path: the adaptive stream (.m3u8) is chosen as the live screen does (ChannelsModel::select),
// the transport stream (.ts) as the fall-back and the full-screen view start it (VLCEngine::play);
// the clock stops at the first frame the window swaps with the picture in the video view
// (VLCPlayerView in a window, as the screens show it). Each timed zap leaves a channel that has been
// playing for a second, as a user's zap does; the start of that channel, with nothing playing, is
// timed too.
// The floor: a bare libVLC player on an instance with the same options (the engine's own list:
// network caching 3000 ms, late frames kept, ...), on the same address, from its play to the first
// picture its video output displays (memory output in the decoder's own I420, nothing else playing).
// Floor and zap alternate within each round, so background load hits both alike; the figures are
// medians over the rounds, after one round that is not counted (libVLC loads its modules).
//
// Each stream is zapped to twice: sent as fast as loopback goes, and sent at the stream's own rate, as
// a live server sends it (libVLC then shows its first picture before its 3000 ms of network caching
// has filled, on both sides alike).
//
// Usage: bench_zap [rounds, default 7] [--case hls|ts|hls-live-rate|ts-live-rate]
// Runs with QT_QPA_PLATFORM=offscreen and QT_QUICK_BACKEND=software unless set otherwise.
#include "BenchReport.h"
#include "live/ChannelsModel.h"
#include "MemoryOutput.h"
#include "playback/PlayerRetirer.h"
#include "SampleMedia.h"
#include "SampleProviderThread.h"
#include "playback/VLCEngine.h"
#include "playback/VLCPlayerView.h"
#include "playback/VideoSurface.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QQuickWindow>
#include <QSGNode>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// A zap that shows nothing in this long has failed (a busy machine takes a few seconds).
constexpr int zapLimitMs = 30'000;
// How long the channel zapped from plays before the zap.
constexpr int playingBeforeZapMs = 1000;
// A stopped player is released within milliseconds here; one that takes longer is stuck.
constexpr int windDownLimitMs = 10'000;
// The target: what Norvane's path adds to a zap over libVLC's own floor.
constexpr double maxAddedMs = 300;
// Two channels of the sample provider's first category that play on both addresses.
const QString fromChannel = QStringLiteral("1005");
const QString toChannel = QStringLiteral("1006");

QTextStream out(stdout);

double msBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// Runs the event loop (without spinning: a busy wait would take a core from the players) until
// `done` says so or the limit passes; true when done. The times themselves are taken where things
// happen, not here.
bool waitFor(const std::function<bool()> &done, int limitMs)
{
    QElapsedTimer elapsed;
    elapsed.start();
    while (!done()) {
        if (elapsed.elapsed() > limitMs)
            return false;
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

void idle(int ms)
{
    waitFor([] { return false; }, ms);
}

QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("?");
    return QString::fromLatin1(file.readAll()).section(QLatin1Char(' '), 0, 0);
}

// The screens' video view, noting the first scene-graph sync after arm() that puts a picture into
// its node (the background is the node's first child, a picture its second).
class TimedPlayerView : public VLCPlayerView
{
public:
    void arm()
    {
        m_synced = false;
        m_armed = true;
    }
    bool pictureSynced() const { return m_synced; }
    Clock::time_point syncedAt() const { return m_syncedAt; }

protected:
    QSGNode *updatePaintNode(QSGNode *oldNode, UpdatePaintNodeData *data) override
    {
        QSGNode *node = VLCPlayerView::updatePaintNode(oldNode, data);
        if (m_armed && !m_synced && node && node->childCount() > 1) {
            m_syncedAt = Clock::now();
            m_synced = true;
        }
        return node;
    }

private:
    std::atomic_bool m_armed{false};
    std::atomic_bool m_synced{false};
    Clock::time_point m_syncedAt;
};

// A window with the video view filling it; knows when the first frame with the picture is swapped.
class Screen
{
public:
    explicit Screen(QSize size)
    {
        m_window.resize(size);
        m_window.setColor(Qt::black);
        m_view = new TimedPlayerView;
        m_view->setParent(m_window.contentItem());
        m_view->setParentItem(m_window.contentItem()); // the view learns the window's scene graph
        m_view->setSize(size);
        m_view->attach();
        QObject::connect(
            &m_window, &QQuickWindow::frameSwapped, &m_window,
            [this] {
                if (!m_shown && m_view->pictureSynced()) {
                    m_shownAt = Clock::now();
                    m_shown = true;
                }
            },
            Qt::DirectConnection);
        m_window.show();
    }

    void arm()
    {
        m_shown = false;
        m_view->arm();
    }
    bool shown() const { return m_shown; }
    Clock::time_point shownAt() const { return m_shownAt; }
    Clock::time_point syncedAt() const { return m_view->syncedAt(); }

private:
    QQuickWindow m_window;
    TimedPlayerView *m_view; // a child of the window's content item
    std::atomic_bool m_shown{false};
    Clock::time_point m_shownAt;
};

// One start through Norvane's path, in ms from the call that starts it.
struct PathStart
{
    bool ok = false;
    double heardMs = 0;  // the main thread is told of the first picture (VideoSurface::frameDisplayed)
    double syncedMs = 0; // the view's node takes it
    double shownMs = 0;  // the window swaps the frame that shows it
};

PathStart timePath(Screen &screen, VideoSurface *surface, const std::function<void()> &start)
{
    screen.arm();
    std::optional<Clock::time_point> heard;
    // A picture of the channel before may still be announced; the surface was cleared by the start,
    // so only an announcement with a picture there counts.
    const QMetaObject::Connection announced =
        QObject::connect(surface, &VideoSurface::frameDisplayed, surface, [&, surface] {
            if (!heard && !surface->currentFrame().isNull())
                heard = Clock::now();
        });
    const Clock::time_point began = Clock::now();
    start();
    PathStart result;
    result.ok = waitFor([&] { return screen.shown(); }, zapLimitMs);
    QObject::disconnect(announced);
    if (result.ok) {
        result.heardMs = msBetween(began, *heard);
        result.syncedMs = msBetween(began, screen.syncedAt());
        result.shownMs = msBetween(began, screen.shownAt());
    }
    return result;
}

// libVLC's floor: a bare player on its own instance with the engine's options, from its play to the
// first picture its video output displays. Nothing else plays meanwhile.
struct BareStart
{
    bool ok = false;
    double shownMs = 0;
};

BareStart timeBareLibVlc(libvlc_instance_t *vlc, const QString &url)
{
    std::atomic_bool shown{false};
    Clock::time_point shownAt;
    // The display callback runs on the one video output thread.
    MemoryOutput output(MemoryOutput::Chroma::I420, [&shown, &shownAt] {
        if (!shown) {
            shownAt = Clock::now();
            shown = true;
        }
    });
    libvlc_media_player_t *player = libvlc_media_player_new(vlc);
    if (libvlc_media_t *media = libvlc_media_new_location(vlc, url.toUtf8().constData())) {
        libvlc_media_player_set_media(player, media);
        libvlc_media_release(media);
    }
    output.attachTo(player);
    const Clock::time_point began = Clock::now();
    libvlc_media_player_play(player);
    BareStart result;
    result.ok = waitFor([&shown] { return shown.load(); }, zapLimitMs);
    libvlc_media_player_stop(player);
    libvlc_media_player_release(player);
    if (result.ok)
        result.shownMs = msBetween(began, shownAt);
    return result;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

QString spread(const std::vector<double> &values)
{
    if (values.empty())
        return QStringLiteral("-");
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    return QStringLiteral("%1 to %2 ms").arg(*low, 0, 'f', 0).arg(*high, 0, 'f', 0);
}

struct Case
{
    QString name;      // "hls", "ts-live-rate", ...
    QString extension; // of the stream address
    QString label;     // in the rows
    QString path;      // what starts a channel on Norvane's side
    bool liveRate;     // the provider sends at the stream's own rate
};

struct Figures
{
    std::vector<double> floor, zap, added, fromNothing, heard, synced;
};

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND") && qgetenv("QT_QPA_PLATFORM") == "offscreen")
        qputenv("QT_QUICK_BACKEND", "software");
    // No sound device is needed: both sides get the same extra option, as the tests do.
    qputenv("NORVANE_VLC_OPTS", "--aout=adummy");
    QStandardPaths::setTestModeEnabled(true);
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const QString onlyCase = BenchReport::takeOption(args, QLatin1String("--case"));
    const int rounds = args.isEmpty() ? 7 : std::max(1, args.first().toInt());

    QTemporaryDir home;
    BenchReport::useHome(home.path());
    if (!SampleMedia::ensureAll()) {
        std::fprintf(stderr, "no sample media: %s\n", qPrintable(SampleMedia::lastError()));
        return 1;
    }
    // On its own thread: the provider answers while the main thread waits, as a server would.
    SampleProviderThread provider;
    if (!provider.listenOn()) {
        std::fprintf(stderr, "the sample provider did not start\n");
        return 1;
    }
    const XtreamClient client(provider.baseUrl(), provider.username(), provider.password());

    VLCEngine *engine = VLCEngine::shared();
    VideoSurface *surface = engine->surface();
    Screen screen(QSize(1280, 720));

    const QStringList options = VLCEngine::libraryOptionsFromEnvironment();
    std::vector<QByteArray> encoded;
    for (const QString &option : options)
        encoded.push_back(option.toUtf8());
    std::vector<const char *> argvVlc;
    for (const QByteArray &option : encoded)
        argvVlc.push_back(option.constData());
    libvlc_instance_t *bareVlc = libvlc_new(int(argvVlc.size()), argvVlc.data());
    if (!bareVlc) {
        std::fprintf(stderr, "libVLC did not start\n");
        return 1;
    }
    libvlc_log_set(
        bareVlc, [](void *, int, const libvlc_log_t *, const char *, va_list) {}, nullptr);

    // The stream's own rate: the recording's bytes over its length (the HLS segments are cut from
    // the same recording). The provider sends it in tenths of a second.
    ProviderFault liveRate;
    liveRate.bytesPerSecond =
        int(QFileInfo(SampleMedia::path(SampleMedia::Kind::LiveTs)).size() / SampleMedia::liveSeconds);
    const QString atLiveRate = QStringLiteral(", sent at the stream's own rate");
    std::vector<Case> cases;
    for (const Case &c :
         {Case{QStringLiteral("hls"), QStringLiteral("m3u8"), QStringLiteral("HLS (.m3u8)"),
               QStringLiteral("ChannelsModel::select"), false},
          Case{QStringLiteral("ts"), QStringLiteral("ts"), QStringLiteral("MPEG-TS (.ts)"),
               QStringLiteral("VLCEngine::play"), false},
          Case{QStringLiteral("hls-live-rate"), QStringLiteral("m3u8"),
               QStringLiteral("HLS (.m3u8)") + atLiveRate, QStringLiteral("ChannelsModel::select"), true},
          Case{QStringLiteral("ts-live-rate"), QStringLiteral("ts"),
               QStringLiteral("MPEG-TS (.ts)") + atLiveRate, QStringLiteral("VLCEngine::play"), true}}) {
        if (onlyCase.isEmpty() || onlyCase == c.name)
            cases.push_back(c);
    }

    const QString loadAtStart = loadAverage();
    BenchReport::title(
        QStringLiteral("Zapping to a live channel"),
        QStringLiteral(
            "From choosing a live channel to the first frame the window swaps with its picture, on the "
            "sample provider (loopback, own thread): the adaptive stream started as the live screen does "
            "(`ChannelsModel::select`), the transport stream as the fall-back does (`VLCEngine::play`), "
            "into `VideoSurface` and `VLCPlayerView` in an offscreen window (scene graph \"%1\"), each zap "
            "made while another channel has played for a second; each stream sent as fast as loopback goes "
            "and "
            "at its own rate, as a live server sends it. Beside it, libVLC's floor in the same "
            "run: a bare player with the engine's options (%2) on the same address, from its play to the "
            "first picture its video output displays (memory output, I420), nothing else playing. One "
            "warm-up round, then medians of %3 rounds.")
            .arg(qEnvironmentVariable("QT_QUICK_BACKEND", QStringLiteral("default")))
            .arg(QStringLiteral("\"") + options.join(QStringLiteral("\", \"")) + QStringLiteral("\""))
            .arg(rounds));
    out << "Rounds: " << rounds << " (after one warm-up round), load average at start " << loadAtStart
        << "\n\n"
        << "| Round | Stream | libVLC floor, ms | Norvane zap, ms | added, ms | start with nothing playing, "
           "ms | "
           "zap: main thread told / view took the first picture, ms | load |\n"
           "|---|---|---:|---:|---:|---:|---:|---:|\n";
    out.flush();

    std::vector<Figures> figures(cases.size());
    std::vector<QString> loads;
    for (int round = 0; round <= rounds; ++round) {
        const bool counted = round > 0;
        const QString load = loadAverage();
        if (counted)
            loads.push_back(load);
        for (size_t f = 0; f < cases.size(); ++f) {
            const Case &zapCase = cases[f];
            const ProviderFault delivery = zapCase.liveRate ? liveRate : ProviderFault{};
            provider.call(
                [&delivery](SampleProvider &p) { p.setPathFault(QStringLiteral("/live/"), delivery); });
            // A model per round: its fall-back watch and guide request end with it.
            auto channels = std::make_unique<ChannelsModel>(engine, nullptr);
            channels->setClient(client);
            const auto startChannel = [&](const QString &id) {
                if (zapCase.extension == QLatin1String("m3u8"))
                    channels->select(ChannelRow(id, id, QStringLiteral("Canal ") + id, std::nullopt));
                else
                    engine->play(client.streamUrl(ContentType::Live, id, zapCase.extension), 0);
            };
            const auto bare = [&] {
                return timeBareLibVlc(bareVlc,
                                      client.streamUrl(ContentType::Live, toChannel, zapCase.extension));
            };
            // Which side goes first alternates with the rounds.
            BareStart floor = round % 2 ? bare() : BareStart{};
            const PathStart fromNothing = timePath(screen, surface, [&] { startChannel(fromChannel); });
            idle(playingBeforeZapMs);
            const PathStart zap = timePath(screen, surface, [&] { startChannel(toChannel); });
            engine->stop();
            channels.reset();
            if (!waitFor([] { return PlayerRetirer::pendingInProcess() == 0; }, windDownLimitMs))
                std::fprintf(stderr, "a stopped player has not wound down in %d ms\n", windDownLimitMs);
            if (round % 2 == 0)
                floor = bare();

            const auto ms = [](bool ok, double value) {
                return ok ? QString::number(value, 'f', 0) : QStringLiteral("nothing shown");
            };
            out << "| " << (counted ? QString::number(round) : QStringLiteral("warm-up")) << " | "
                << zapCase.label << " | " << ms(floor.ok, floor.shownMs) << " | " << ms(zap.ok, zap.shownMs)
                << " | " << ms(zap.ok && floor.ok, zap.shownMs - floor.shownMs) << " | "
                << ms(fromNothing.ok, fromNothing.shownMs) << " | " << ms(zap.ok, zap.heardMs) << " / "
                << ms(zap.ok, zap.syncedMs) << " | " << load << " |\n";
            out.flush();
            if (!counted)
                continue;
            Figures &figure = figures[f];
            if (!zap.ok || !floor.ok)
                continue; // left out of the medians; the count of rounds counted says so
            figure.floor.push_back(floor.shownMs);
            figure.zap.push_back(zap.shownMs);
            figure.added.push_back(zap.shownMs - floor.shownMs);
            figure.heard.push_back(zap.heardMs);
            figure.synced.push_back(zap.syncedMs);
            if (fromNothing.ok)
                figure.fromNothing.push_back(fromNothing.shownMs);
        }
    }
    libvlc_release(bareVlc);

    const QString loadText =
        QStringLiteral("load average %1 to %2 over the rounds")
            .arg(*std::min_element(
                loads.begin(), loads.end(),
                [](const QString &a, const QString &b) { return a.toDouble() < b.toDouble(); }))
            .arg(*std::max_element(loads.begin(), loads.end(), [](const QString &a, const QString &b) {
                return a.toDouble() < b.toDouble();
            }));
    for (size_t f = 0; f < cases.size(); ++f) {
        const Case &zapCase = cases[f];
        const Figures &figure = figures[f];
        // Most zaps must have shown a picture for the medians to say anything.
        const bool countable = int(figure.zap.size()) * 2 > rounds;
        const QString counts = QStringLiteral("%1 of %2 rounds counted").arg(figure.zap.size()).arg(rounds);
        BenchReport::row(
            {zapCase.label + QLatin1String(": choosing the channel to its first picture on screen, median"),
             {QStringLiteral("Norvane, zap (%1 to the window's frame)").arg(zapCase.path), median(figure.zap),
              "ms"},
             {{"bare libVLC, same options and address: play to first picture", median(figure.floor), "ms"}},
             0,
             {},
             std::nullopt,
             QStringLiteral(
                 "zap %1, floor %2; the main thread told of the picture at %3 ms, the view took it "
                 "at %4 ms; a start with nothing playing: %5 ms; %6; %7")
                 .arg(spread(figure.zap), spread(figure.floor))
                 .arg(median(figure.heard), 0, 'f', 0)
                 .arg(median(figure.synced), 0, 'f', 0)
                 .arg(median(figure.fromNothing), 0, 'f', 0)
                 .arg(counts, loadText)});
        const double added = median(figure.added);
        const bool met = countable && added <= maxAddedMs;
        BenchReport::row(
            {zapCase.label + QLatin1String(": what Norvane adds to a zap over libVLC's floor"),
             {"Norvane's zap less the floor, median of the rounds' differences", added, "ms"},
             {},
             0,
             QStringLiteral("≤ 300 ms over libVLC's floor"),
             met,
             QStringLiteral("differences %1; %2; %3").arg(spread(figure.added), counts, loadText)});
    }
    return 0;
}
