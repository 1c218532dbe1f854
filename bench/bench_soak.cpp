// A long session against the sample provider: zaps through live channels with real libVLC and
// opens movie details with their posters, then reports resident memory and open file descriptors
// before and after. Growth beyond what the image cache holds (it is bounded) would be a leak.
//
// Usage: bench_soak [zaps=300] [details=200]
#include "ChannelsModel.h"
#include "FavoritesStore.h"
#include "ImageCache.h"
#include "MovieDetailModel.h"
#include "MoviesModel.h"
#include "ProgressStore.h"
#include "SampleMedia.h"
#include "SampleProvider.h"
#include "SampleProviderThread.h"
#include "VLCEngine.h"

#include <QCoroTask>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <functional>
#include <malloc.h>

namespace {

QTextStream out(stdout);

bool waitUntil(const std::function<bool()> &done, int ms)
{
    QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
    return done();
}

struct Usage
{
    qint64 residentKb = 0;
    qsizetype openFds = 0;
};

Usage usageNow()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    malloc_trim(0);
    Usage usage;
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("VmRSS:"))
                usage.residentKb = line.mid(6).trimmed().split(' ').first().toLongLong();
        }
    }
    usage.openFds = QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size();
    return usage;
}

void report(const char *when, const Usage &usage, qint64 imageCacheBytes)
{
    out << when << ": RSS " << usage.residentKb / 1024 << " MB, open fds " << usage.openFds
        << ", image cache " << imageCacheBytes / 1024 / 1024 << " MB" << Qt::endl;
}

} // namespace

int main(int argc, char *argv[])
{
    QStandardPaths::setTestModeEnabled(true);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int zaps = argc > 1 ? atoi(argv[1]) : 300;
    const int details = argc > 2 ? atoi(argv[2]) : 200;
    QTemporaryDir home; // the stores; catalogs and images go to the test-mode cache folders
    if (!SampleMedia::ensureAll()) {
        out << "no sample media: " << SampleMedia::lastError() << Qt::endl;
        return 1;
    }
    auto *provider = new SampleProvider;
    if (!provider->listenOn())
        return 1;
    const SampleProviderThread providerThread(provider);
    const XtreamClient client(provider->baseUrl(), provider->username(), provider->password());
    ProgressStore progress(home.path() + QLatin1String("/progress.json"));
    FavoritesStore favorites(home.path() + QLatin1String("/favorites.json"));
    ImageCache *images = ImageCache::shared();
    VLCEngine *engine = VLCEngine::shared();

    ChannelsModel channels(engine, &favorites);
    channels.setClient(client);
    channels.selectCategory(QStringLiteral("1"));
    waitUntil([&] { return !channels.isLoadingChannels() && !channels.channels().isEmpty(); }, 30000);
    const QList<ChannelRow> rows = channels.channels();
    MoviesModel movies(&progress);
    movies.setClient(client);
    movies.selectCategory(QStringLiteral("__recent__"));
    waitUntil([&] { return movies.allMovies().has_value(); }, 60000);
    QList<VodStream> catalog = movies.allMovies().value_or(QList<VodStream>());
    if (rows.isEmpty() || catalog.isEmpty()) {
        out << "the provider gave no channels or movies" << Qt::endl;
        return 1;
    }

    // As a RemoteImage does: fetched, then kept in the memory level.
    const auto keepImage = [&](const QString &url) {
        if (const auto image = QCoro::waitFor(images->fetch(url)))
            images->remember(url, *image);
    };
    int played = 0;
    int failed = 0;
    const auto zap = [&](int i) {
        const ChannelRow &row = rows[i % rows.size()];
        channels.select(row);
        if (row.iconURL())
            keepImage(*row.iconURL());
        waitUntil([&] { return engine->status() == VLCEngine::Status::Playing || !channels.playbackError().isEmpty(); },
                  8000);
        engine->status() == VLCEngine::Status::Playing ? ++played : ++failed;
    };
    const auto openDetail = [&](int i) {
        MovieDetailModel detail(&progress);
        detail.setClient(client);
        detail.setMovie(catalog[i % catalog.size()]);
        detail.load();
        waitUntil([&] { return !detail.isLoading(); }, 10000);
        if (!detail.posterUrl().isEmpty())
            keepImage(detail.posterUrl());
    };

    // One of each first, so what is made once per process (libVLC, the connection) is in the baseline.
    zap(0);
    openDetail(0);
    const Usage start = usageNow();
    report("start", start, images->memoryCost());
    QElapsedTimer clock;
    clock.start();
    for (int i = 1; i <= zaps; ++i)
        zap(i);
    for (int i = 1; i <= details; ++i)
        openDetail(i);
    engine->stop();
    const Usage end = usageNow();
    report("end", end, images->memoryCost());
    out << zaps << " zaps (" << played << " playing, " << failed << " not), " << details << " details, "
        << clock.elapsed() / 1000 << " s" << Qt::endl;
    out << "RSS growth " << (end.residentKb - start.residentKb) / 1024 << " MB, of which the image cache's "
        << "memory level accounts for up to " << images->memoryCost() / 1024 / 1024 << " MB (bound "
        << ImageCache::maxMemoryCost / 1024 / 1024 << " MB, " << ImageCache::maxMemoryEntries << " images; holds "
        << images->memoryCount() << "); fds " << start.openFds << " -> " << end.openFds << Qt::endl;
    return 0;
}
