// Foreground load of a whole movie catalog through the real path: a MoviesModel with no disk copy
// opens "Recién agregadas", which downloads the catalog from the sample provider on loopback (a
// child process, as a remote server would be) with the byte counter, decodes it, shows the newest 60
// and writes "vod_all.json". Measured on the main thread: the longest gap between the ticks of a
// 5 ms timer (event-loop latency), the longest time between two byte-counter updates, and the peak
// resident memory the load adds, beside the body size. Baseline: the same 5 ms timer on an idle
// main thread for as long, in the same run.
//
//   bench_catalog_load [--catalog FILE] [--runs N]
// Without a file: the cached extreme movie catalog of ./scripts/bench (250,000 movies), else the
// sample provider's generator; written as PHP panels send it, then plain.
#include "BenchReport.h"
#include "storage/CatalogDiskCopy.h"
#include "catalog/MoviesModel.h"
#include "SampleCatalog.h"
#include "SampleProvider.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

namespace {

// Ticks every 5 ms on the main thread and keeps the longest gap between two ticks.
struct LatencyProbe
{
    QTimer timer;
    QElapsedTimer clock;
    qint64 lastNs = 0;
    qint64 worstNs = 0;
    int over50 = 0;
    LatencyProbe()
    {
        timer.setTimerType(Qt::PreciseTimer);
        timer.setInterval(5);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            const qint64 now = clock.nsecsElapsed();
            worstNs = std::max(worstNs, now - lastNs);
            over50 += (now - lastNs) > 50'000'000 ? 1 : 0;
            lastNs = now;
        });
        clock.start();
        timer.start();
    }
    double worstMs() const { return double(worstNs) / 1e6; }
};

struct Load
{
    double totalMs = 0;
    double worstGapMs = 0;
    int gapsOver50 = 0;
    double worstProgressMs = 0; // longest time without a byte-counter update while downloading
    int progressUpdates = 0;
    double downloadMs = 0;
    qint64 peakAddedBytes = 0;
    double mainCpuMs = 0;
    qsizetype records = 0;
    bool written = false;
};

Load loadOnce(const XtreamClient &client, qint64 bodyBytes)
{
    QFile::remove(CatalogDiskCopy(QStringLiteral("vod_all.json")).path());
    QSettings().clear();
    Load load;
    MoviesModel model;
    model.setClient(client);
    QElapsedTimer clock;
    qint64 lastProgressNs = -1;
    qint64 downloadStartNs = -1;
    QObject::connect(&model, &MoviesModel::downloadedBytesChanged, [&] {
        const qint64 now = clock.nsecsElapsed();
        if (model.downloadedBytes() == 0) {
            downloadStartNs = lastProgressNs = now; // the counter starts
            return;
        }
        load.worstProgressMs = std::max(load.worstProgressMs, double(now - lastProgressNs) / 1e6);
        lastProgressNs = now;
        ++load.progressUpdates;
        if (model.downloadedBytes() == bodyBytes)
            load.downloadMs = double(now - downloadStartNs) / 1e6;
    });
    QEventLoop loop;
    bool started = false;
    QObject::connect(&model, &MoviesModel::isLoadingListChanged, &loop, [&] {
        started = started || model.isLoadingList();
        if (started && !model.isLoadingList())
            loop.quit();
    });

    BenchReport::resetPeakResident();
    const qint64 residentBefore = BenchReport::statusBytes("VmRSS");
    const double cpuBefore = BenchReport::threadCpuMs();
    LatencyProbe probe;
    clock.start();
    model.loadCategories();
    loop.exec();
    // The list shows before the copy is written (off the main thread); the load ends with it.
    const QString copyPath = CatalogDiskCopy(QStringLiteral("vod_all.json")).path();
    while (QFileInfo(copyPath).size() != bodyBytes && clock.elapsed() < 300000) {
        QEventLoop wait;
        QTimer::singleShot(2, &wait, &QEventLoop::quit);
        wait.exec();
    }
    load.totalMs = double(clock.nsecsElapsed()) / 1e6;
    load.worstGapMs = probe.worstMs();
    load.gapsOver50 = probe.over50;
    load.mainCpuMs = BenchReport::threadCpuMs() - cpuBefore;
    load.peakAddedBytes = BenchReport::statusBytes("VmHWM") - residentBefore;
    load.records = model.allMovies() ? model.allMovies()->size() : 0;
    load.written = QFileInfo(copyPath).size() == bodyBytes;
    if (model.movies().size() != 60 || !load.written)
        qFatal("the catalog did not load: %lld movies shown, copy written: %d",
               qlonglong(model.movies().size()), int(load.written));
    return load;
}

// The same probe with nothing else to do: the timer's own jitter on this machine.
double idleWorstGapMs(double forMs)
{
    LatencyProbe probe;
    QEventLoop loop;
    QTimer::singleShot(int(forMs), &loop, &QEventLoop::quit);
    loop.exec();
    return probe.worstMs();
}

} // namespace

// The child: serves the catalog body (a file, or the generator's extreme catalog) and prints
// "<base> <bytes> <user> <password>".
int serve(const QString &path, bool plain)
{
    SampleProvider provider;
    provider.setCatalogSize(SampleCatalog::Size::Extreme);
    provider.setJsonStyle(plain ? JsonWriter::Style::Plain : JsonWriter::Style::Php);
    if (!provider.listenOn())
        return 1;
    const QByteArray body = path.isEmpty()
                                ? provider.catalog().wholeList(SampleCatalog::Kind::Vod, provider.baseUrl())
                                : BenchReport::readFile(path);
    provider.setAnswer(QStringLiteral("get_vod_streams"), body);
    std::printf("%s %lld %s %s\n", qPrintable(provider.baseUrl()), qlonglong(body.size()),
                qPrintable(provider.username()), qPrintable(provider.password()));
    std::fflush(stdout);
    return QCoreApplication::exec();
}

int measureLoads(const QString &path, bool plain, const QString &styleLabel, int runs);

int main(int argc, char *argv[])
{
    QStandardPaths::setTestModeEnabled(true);
    QGuiApplication app(argc, argv);
    QTemporaryDir home;
    BenchReport::useHome(home.path());
    const QStringList args = app.arguments();
    if (args.size() >= 2 && args.at(1) == QLatin1String("--serve"))
        return serve(args.value(2), args.value(3) == QLatin1String("plain"));
    const qsizetype catalogAt = args.indexOf(QLatin1String("--catalog"));
    const qsizetype runsAt = args.indexOf(QLatin1String("--runs"));
    const int runs = runsAt > 0 && runsAt + 1 < args.size() ? std::max(1, args.at(runsAt + 1).toInt()) : 3;

    BenchReport::title(
        QStringLiteral("Foreground catalog load"),
        QStringLiteral("`MoviesModel` with no disk copy opens \"Recién agregadas\": the whole movie "
                       "catalog downloads from the sample provider on loopback (a child process) with "
                       "the byte counter, decodes off the main thread, the newest 60 are shown and "
                       "\"vod_all.json\" is written. A 5 ms timer on the main thread measures event-loop "
                       "latency; worst of %1 loads. The catalog as PHP panels write it, then plain.")
            .arg(runs));
    if (catalogAt > 0 && catalogAt + 1 < args.size())
        return measureLoads(args.at(catalogAt + 1), false, QString(), runs);
    for (const BenchReport::CatalogStyle &style : BenchReport::catalogStyles) {
        if (const int status = measureLoads(BenchReport::catalogFile("vod", "extreme", style), style.plain,
                                            QLatin1String(style.label), runs))
            return status;
    }
    return 0;
}

// Loads the catalog of `path` (or the sample provider's, plain or PHP-style) `runs` times and writes the
// rows.
int measureLoads(const QString &path, bool plain, const QString &styleLabel, int runs)
{
    // The provider serves from a child process, as a remote server would: its copy of the body and
    // its socket buffers are not this process's memory.
    QProcess server;
    server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server.start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--serve"), path, plain ? QStringLiteral("plain") : QStringLiteral("php")});
    if (!server.waitForReadyRead(600000))
        qFatal("the provider did not start");
    const QStringList served = QString::fromUtf8(server.readLine()).trimmed().split(QLatin1Char(' '));
    if (served.size() != 4)
        qFatal("unexpected provider line");
    const qint64 bodyBytes = served.at(1).toLongLong();
    const XtreamClient client(served.at(0), served.at(2), served.at(3));

    Load worst;
    double idleGap = 0;
    for (int i = 0; i < runs; ++i) {
        const Load load = loadOnce(client, bodyBytes);
        idleGap = std::max(idleGap, idleWorstGapMs(load.totalMs));
        std::printf(
            "load %d: %.0f ms (download %.0f ms, %d counter updates, longest %.1f ms without one), "
            "longest main-thread gap %.1f ms (%d over 50 ms), main-thread CPU %.0f ms, peak added %.1f MB, "
            "%lld records\n",
            i + 1, load.totalMs, load.downloadMs, load.progressUpdates, load.worstProgressMs, load.worstGapMs,
            load.gapsOver50, load.mainCpuMs, load.peakAddedBytes / 1e6, qlonglong(load.records));
        std::fflush(stdout);
        worst.totalMs = std::max(worst.totalMs, load.totalMs);
        worst.worstGapMs = std::max(worst.worstGapMs, load.worstGapMs);
        worst.gapsOver50 = std::max(worst.gapsOver50, load.gapsOver50);
        worst.worstProgressMs = std::max(worst.worstProgressMs, load.worstProgressMs);
        worst.progressUpdates = load.progressUpdates;
        worst.downloadMs = std::max(worst.downloadMs, load.downloadMs);
        worst.peakAddedBytes = std::max(worst.peakAddedBytes, load.peakAddedBytes);
        worst.mainCpuMs = std::max(worst.mainCpuMs, load.mainCpuMs);
        worst.records = load.records;
    }
    std::printf("idle main thread, same probe: longest gap %.1f ms\n", idleGap);

    const QString what = QStringLiteral("%1 movies (%2%3 MB)")
                             .arg(QLocale(QLocale::English).toString(qlonglong(worst.records)),
                                  styleLabel.isEmpty() ? QString() : styleLabel + QLatin1String(", "))
                             .arg(bodyBytes / 1e6, 0, 'f', 1);
    BenchReport::row({what + QLatin1String(": longest main-thread stall"),
                      {"gap between 5 ms ticks during the load", worst.worstGapMs, "ms"},
                      {{"same timer, idle main thread", idleGap, "ms"}},
                      2,
                      "≤ 16 ms (one frame at 60 Hz)",
                      worst.worstGapMs <= 16,
                      QStringLiteral("load %1 ms, main-thread CPU %2 ms, %3 gaps over 50 ms")
                          .arg(worst.totalMs, 0, 'f', 0)
                          .arg(worst.mainCpuMs, 0, 'f', 0)
                          .arg(worst.gapsOver50)});
    BenchReport::row({what + QLatin1String(": progress interval"),
                      {"longest time without a byte-counter update", worst.worstProgressMs, "ms"},
                      {},
                      2,
                      "≤ 100 ms",
                      worst.worstProgressMs <= 100,
                      QStringLiteral("%1 updates over a %2 ms download")
                          .arg(worst.progressUpdates)
                          .arg(worst.downloadMs, 0, 'f', 0)});
    BenchReport::row({what + QLatin1String(": peak resident memory added"),
                      {"peak RSS added by the load", worst.peakAddedBytes / 1e6, "MB"},
                      {{"body size", bodyBytes / 1e6, "MB"}},
                      2,
                      "< 3x the body",
                      worst.peakAddedBytes < 3 * bodyBytes,
                      {}});

    server.kill();
    server.waitForFinished();
    return 0;
}
