// CPU per video frame: libVLC decoding to a null output, libVLC converting to RV32 into memory that
// nobody reads, and the full path (engine, video surface, VLCPlayerView in an offscreen window).
// Usage: bench_video_frames [frames per run, default 150] [rounds, default 3]
// The three paths run one after the other in each round (so background load hits all of them
// alike); the table gives the median over the rounds and the lowest and highest figure.
// Runs with QT_QPA_PLATFORM=offscreen and QT_QUICK_BACKEND=software unless set otherwise.

#include "BenchReport.h"
#include "SampleMedia.h"
#include "VLCEngine.h"
#include "VideoFrameSink.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQmlExtensionPlugin>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSysInfo>
#include <QTextStream>
#include <QThread>
#include <QUrl>
#include <sys/resource.h>
#include <vlc/vlc.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

Q_IMPORT_QML_PLUGIN(Norvane_CorePlugin)

namespace {

constexpr int warmUpFrames = 25;

double processCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long maxRssKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

struct Result
{
    QString name;
    int frames = 0;
    double cpuMsPerFrame = 0;
    double corePercent = 0;
};

// Runs the event loop for a while without spinning (a busy wait would be measured as well).
void idle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Waits (running the event loop) until `frames` more frames are counted, and measures the CPU the
// whole process spent meanwhile.
Result measure(const QString &name, int frames, const std::function<int()> &frameCount)
{
    QElapsedTimer guard;
    guard.start();
    while (frameCount() < warmUpFrames && guard.elapsed() < 20'000)
        idle(20);
    const int startFrames = frameCount();
    const double startCpu = processCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    while (frameCount() < startFrames + frames && guard.elapsed() < 60'000)
        idle(20);
    const double cpu = processCpuSeconds() - startCpu;
    const int counted = frameCount() - startFrames;
    Result r{name, counted, 0, 0};
    if (counted > 0) {
        r.cpuMsPerFrame = cpu * 1000.0 / counted;
        r.corePercent = cpu * 100.0 / (double(wall.nsecsElapsed()) / 1e9);
    }
    return r;
}

std::vector<QByteArray> baseOptions()
{
    return {"--network-caching=3000", "--no-drop-late-frames", "--no-skip-frames", "--audio-time-stretch",
            "--aout=adummy"};
}

int displayedPictures(libvlc_media_player_t *player)
{
    libvlc_media_t *media = libvlc_media_player_get_media(player);
    if (!media)
        return 0;
    libvlc_media_stats_t stats{};
    libvlc_media_get_stats(media, &stats);
    libvlc_media_release(media);
    return stats.i_displayed_pictures;
}

// A libVLC player on its own instance, playing a file; `setup` adds the video output choice.
Result runBareLibVlc(const QString &name, const QString &file, int frames, const std::vector<QByteArray> &extra,
                     const std::function<void(libvlc_media_player_t *)> &setup)
{
    std::vector<QByteArray> options = baseOptions();
    options.insert(options.end(), extra.begin(), extra.end());
    std::vector<const char *> argv;
    for (const QByteArray &o : options)
        argv.push_back(o.constData());
    libvlc_instance_t *vlc = libvlc_new(int(argv.size()), argv.data());
    libvlc_log_set(vlc, [](void *, int, const libvlc_log_t *, const char *, va_list) {}, nullptr);
    libvlc_media_player_t *player = libvlc_media_player_new(vlc);
    if (setup)
        setup(player);
    libvlc_media_t *media = libvlc_media_new_path(vlc, file.toUtf8().constData());
    libvlc_media_player_set_media(player, media);
    libvlc_media_release(media);
    libvlc_media_player_play(player);
    const Result r = measure(name, frames, [player] { return displayedPictures(player); });
    libvlc_media_player_stop(player);
    libvlc_media_player_release(player);
    libvlc_release(vlc);
    return r;
}

// Memory that libVLC converts into and nobody reads.
struct DiscardTarget
{
    std::vector<uchar> bytes;
};

Result runDiscard(const QString &file, int frames)
{
    auto target = std::make_shared<DiscardTarget>();
    return runBareLibVlc(QStringLiteral("libVLC, RV32 into memory, discarded"), file, frames, {},
                         [target](libvlc_media_player_t *player) {
                             libvlc_video_set_callbacks(
                                 player,
                                 [](void *opaque, void **planes) -> void * {
                                     planes[0] = static_cast<DiscardTarget *>(opaque)->bytes.data();
                                     return nullptr;
                                 },
                                 nullptr, nullptr, target.get());
                             libvlc_video_set_format_callbacks(
                                 player,
                                 [](void **opaque, char *chroma, unsigned *width, unsigned *height, unsigned *pitches,
                                    unsigned *lines) -> unsigned {
                                     std::memcpy(chroma, "RV32", 4);
                                     pitches[0] = *width * 4;
                                     lines[0] = *height;
                                     static_cast<DiscardTarget *>(*opaque)->bytes.resize(size_t(pitches[0]) * *height);
                                     return VideoFrameSink::playerBufferCount; // as many as the engine's path
                                 },
                                 nullptr);
                         });
}

Result runEngine(const QString &file, int frames, QSize windowSize)
{
    QQmlEngine qml;
    qml.addImportPath(QStringLiteral("qrc:/"));
    QQuickWindow window;
    window.resize(windowSize);
    QQmlComponent component(&qml);
    component.setData("import QtQuick\nimport Norvane.Core\nVLCPlayerView { }\n", QUrl(QStringLiteral("qrc:/bench.qml")));
    std::unique_ptr<QObject> root(component.create());
    auto *item = qobject_cast<QQuickItem *>(root.get());
    if (!item) {
        std::fprintf(stderr, "%s\n", qPrintable(component.errorString()));
        return {};
    }
    item->setParentItem(window.contentItem());
    item->setSize(windowSize);
    window.show();

    int rendered = 0;
    QObject::connect(&window, &QQuickWindow::frameSwapped, &window, [&rendered] { ++rendered; });
    VLCEngine *engine = VLCEngine::shared();
    const quint64 before = engine->surface()->displayedFrames();
    engine->play(QUrl::fromLocalFile(file).toString(), 0);
    Result r = measure(QStringLiteral("engine + surface + VLCPlayerView (%1 scene graph)")
                           .arg(window.rendererInterface()->graphicsApi() == QSGRendererInterface::Software
                                    ? QStringLiteral("software")
                                    : QStringLiteral("hardware")),
                       frames, [&] { return int(engine->surface()->displayedFrames() - before); });
    const int renderedDuring = rendered;
    engine->stop();
    std::fprintf(stderr, "  %d frames shown, %d window frames rendered\n", r.frames, renderedDuring);
    return r;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND") && qgetenv("QT_QPA_PLATFORM") == "offscreen")
        qputenv("QT_QUICK_BACKEND", "software");
    qputenv("NORVANE_VLC_OPTS", "--aout=adummy");
    QGuiApplication app(argc, argv);
    const int frames = argc > 1 ? std::max(25, QByteArray(argv[1]).toInt()) : 150;
    const int rounds = argc > 2 ? std::max(1, QByteArray(argv[2]).toInt()) : 3;

    struct Clip
    {
        QString label;
        SampleMedia::Kind kind;
        QSize size;
    };
    const Clip clips[] = {{QStringLiteral("1280x720 25 fps H.264"), SampleMedia::Kind::Clip720p, {1280, 720}},
                          {QStringLiteral("1920x1080 25 fps H.264"), SampleMedia::Kind::Clip1080p, {1920, 1080}}};

    QTextStream out(stdout);
    out << "Frames measured per run: " << frames << " (after " << warmUpFrames << " warm-up frames), "
        << QThread::idealThreadCount() << " cores, " << QSysInfo::prettyProductName() << "\n\n";
    BenchReport::title(QStringLiteral("Video frame path"),
                       QStringLiteral("CPU time of the whole process per video frame while a clip plays in real time "
                                      "(getrusage, all threads): Norvane's path (`VLCEngine` into `VideoSurface` into "
                                      "`VLCPlayerView` in an offscreen window the clip's size, scene graph \"%1\") "
                                      "beside libVLC decoding the same file to a null video output, and libVLC "
                                      "converting each frame to RV32 into memory nobody reads.")
                           .arg(qEnvironmentVariable("QT_QUICK_BACKEND", QStringLiteral("default"))));
    out << "| Clip | Path | CPU ms / frame, median (min-max) | % of one core, median |\n|---|---|---:|---:|\n";
    for (const Clip &clip : clips) {
        const QString file = SampleMedia::path(clip.kind);
        if (file.isEmpty()) {
            std::fprintf(stderr, "no sample media: %s\n", qPrintable(SampleMedia::lastError()));
            return 1;
        }
        std::vector<std::vector<Result>> byPath(3);
        for (int round = 0; round < rounds; ++round) {
            byPath[0].push_back(runBareLibVlc(QStringLiteral("libVLC, null video output (--vout=dummy)"), file, frames,
                                              {"--vout=dummy"}, nullptr));
            byPath[1].push_back(runDiscard(file, frames));
            byPath[2].push_back(runEngine(file, frames, clip.size));
        }
        for (auto &results : byPath) {
            std::sort(results.begin(), results.end(),
                      [](const Result &a, const Result &b) { return a.cpuMsPerFrame < b.cpuMsPerFrame; });
        }
        const auto medianOf = [&](int path) { return byPath[size_t(path)][byPath[size_t(path)].size() / 2].cpuMsPerFrame; };
        BenchReport::row({clip.label + QLatin1String(": CPU per frame, median of the rounds"),
                          {"engine + surface + VLCPlayerView", medianOf(2), "ms"},
                          {{"libVLC, null video output", medianOf(0), "ms"},
                           {"libVLC, RV32 into memory, discarded", medianOf(1), "ms"}},
                          7, "≤ 1.3x the null output", medianOf(2) <= 1.3 * medianOf(0),
                          QStringLiteral("%1 frames per run, %2 rounds").arg(frames).arg(rounds)});
        for (auto &results : byPath) {
            const Result &median = results[results.size() / 2];
            out << "| " << clip.label << " | " << median.name << " | " << QString::number(median.cpuMsPerFrame, 'f', 2)
                << " (" << QString::number(results.front().cpuMsPerFrame, 'f', 2) << "-"
                << QString::number(results.back().cpuMsPerFrame, 'f', 2) << ") | "
                << QString::number(median.corePercent, 'f', 1) << " |\n";
        }
        out.flush();
    }
    out << "\nPeak resident memory of the run: " << maxRssKb() / 1024 << " MB\n";
    return 0;
}
