// A long session against the sample provider: zaps through live channels with real libVLC and
// opens movie details with their posters, then tells where resident memory went. The image
// cache's memory level is bounded; everything else must level off, or it is a leak.
//
// Each reading is taken with no channel playing: the channel is stopped and every libVLC player
// let go of is released first. What a playing stream holds (libVLC's caching, the HLS segments
// read ahead: 20-30 MB) comes and goes with the channel and depends on where in its buffering the
// reading falls, so read while playing it said more about that moment than about the session.
// What a channel playing on takes is read apart, at the end.
//
// The provider runs as a process of its own (norvane-sample-provider), so its request log and
// encoded images are not counted as ours. Every reading first hands freed heap back to the
// system (malloc_trim), so memory the allocator merely kept is told apart from memory in use.
//
// Usage: bench_soak [zaps=300] [details=200] [--exit-live] [--malloc-info]
//   --exit-live    ends without freeing what main() holds (after the report), so that heaptrack
//                  lists all that was live at the end as "leaked"; two runs of different lengths
//                  diffed with heaptrack_print -d show what grows with the counts.
//   --malloc-info  prints the allocator's own account at the end (its arenas, free and in use).
// NORVANE_SOAK_DEFAULT_ALLOCATOR=1 leaves glibc's thresholds as they are instead of setting them
// as the application does (ProcessMemory), to see what that setting saves.
#include "BenchReport.h"
#include "live/ChannelsModel.h"
#include "storage/FavoritesStore.h"
#include "images/ImageCache.h"
#include "catalog/MovieDetailModel.h"
#include "catalog/MoviesModel.h"
#include "playback/PlayerRetirer.h"
#include "system/ProcessMemory.h"
#include "storage/ProgressStore.h"
#include "SampleMedia.h"
#include "playback/VLCEngine.h"

#include <QCoroTask>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <QThreadPool>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <malloc.h>
#include <optional>

namespace {

QTextStream out(stdout);

constexpr double MB = 1024.0 * 1024.0;
// A phase levels off when the heap it adds outside the image cache in its second half is at most
// this share of what it added in its first half (a steady leak adds about the same in both)...
constexpr double levellingShare = 0.25;
// ...or is too small to tell from noise.
constexpr qint64 levellingNoiseBytes = 2 * 1024 * 1024;
// The API's and the images' network managers may each keep six connections to the provider open.
constexpr qsizetype keptConnections = 12;
// Long enough for a live channel's buffers to fill (libVLC reads the HLS segments ahead).
constexpr std::chrono::milliseconds holdPlaying{15000};
// A player of the sample provider is released within milliseconds of its stop; one that takes
// longer than this is stuck, and the reading after it would not be the application's own.
constexpr std::chrono::milliseconds windDownLimit{10000};

bool waitUntil(const std::function<bool()> &done, int ms)
{
    QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
    return done();
}

// Brings the process to what it holds between uses, for a reading: stops whatever plays and
// waits (bounded) until every player let go of has been released, then lets the worker pool's
// threads end. Each of those keeps a JSON parser sized to the largest document it decoded (at most
// keptParserCapacity) until it has been idle for half a minute, so a reading would otherwise
// count them or not depending on when the last catalog was decoded. Events are handled between
// the waits, so work that one posts for the other (a decode's result, an object deleted later)
// is done too. False when a player or a pool thread is still busy after the limit.
bool settle(VLCEngine *engine)
{
    engine->stop();
    bool settled =
        waitUntil([] { return PlayerRetirer::pendingInProcess() == 0; }, int(windDownLimit.count()));
    for (int round = 0; round < 2; ++round) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
        settled = QThreadPool::globalInstance()->waitForDone(int(windDownLimit.count())) && settled;
    }
    return settled;
}

// The demo provider on a free port, in a process of its own.
class ProviderProcess
{
public:
    ~ProviderProcess() { stop(); }
    bool start()
    {
        m_process.setProgram(QStringLiteral(NORVANE_SAMPLE_PROVIDER_BINARY));
        m_process.setArguments({QStringLiteral("--port"), QStringLiteral("0")});
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start();
        if (!m_process.waitForStarted(10000))
            return false;
        // "Proveedor de ejemplo en http://127.0.0.1:<port> ... (usuario <u>, contraseña <p>)"
        static const QRegularExpression first(
            QStringLiteral(R"((http://127\.0\.0\.1:\d+) .*usuario (\S+), contraseña (\S+)\))"));
        QDeadlineTimer deadline(30000);
        while (!deadline.hasExpired()) {
            if (!m_process.canReadLine() && !m_process.waitForReadyRead(int(deadline.remainingTime())))
                break;
            while (m_process.canReadLine()) {
                const QString line = QString::fromUtf8(m_process.readLine()).trimmed();
                if (const auto match = first.match(line); match.hasMatch()) {
                    m_baseUrl = match.captured(1);
                    m_username = match.captured(2);
                    m_password = match.captured(3);
                }
                if (line.startsWith(QLatin1String("Videos de ejemplo listos")))
                    return !m_baseUrl.isEmpty();
            }
        }
        return false;
    }
    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    XtreamClient client() const { return XtreamClient(m_baseUrl, m_username, m_password); }

private:
    QProcess m_process;
    QString m_baseUrl;
    QString m_username;
    QString m_password;
};

struct Memory
{
    qint64 residentBeforeTrim = 0;
    qint64 resident = 0; // the rest is after the trim
    qint64 anonymous = 0;
    qint64 fileBacked = 0;
    qint64 heapInUse = 0;  // what the program holds from malloc (mmapped blocks included)
    qint64 heapFree = 0;   // free inside the heap; the trim returns its whole pages
    qint64 imageCache = 0; // the cache's memory level, part of heapInUse
    qint64 threads = 0;
    qsizetype openFds = 0;

    qint64 heapBesideImages() const { return heapInUse - imageCache; }
    qint64 anonymousBesideHeap() const { return anonymous - heapInUse; }
};

// Handles no events: what the reading sees is what the caller left (see settle()).
Memory measure(const ImageCache &images)
{
    Memory memory;
    memory.residentBeforeTrim = BenchReport::statusBytes("VmRSS");
    malloc_trim(0);
    const struct mallinfo2 heap = mallinfo2();
    memory.resident = BenchReport::statusBytes("VmRSS");
    memory.anonymous = BenchReport::statusBytes("RssAnon");
    memory.fileBacked = BenchReport::statusBytes("RssFile") + BenchReport::statusBytes("RssShmem");
    memory.heapInUse = qint64(heap.uordblks + heap.hblkhd);
    memory.heapFree = qint64(heap.fordblks);
    memory.imageCache = images.memoryCost();
    memory.threads = [] {
        QFile status(QStringLiteral("/proc/self/status"));
        if (status.open(QIODevice::ReadOnly))
            for (const QByteArray &line : status.readAll().split('\n'))
                if (line.startsWith("Threads:"))
                    return line.mid(8).trimmed().toLongLong();
        return 0LL;
    }();
    memory.openFds =
        QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size();
    return memory;
}

QString mb(qint64 bytes)
{
    return QString::number(double(bytes) / MB, 'f', 1);
}

QString signedMb(qint64 bytes)
{
    return (bytes >= 0 ? QStringLiteral("+") : QString()) + mb(bytes);
}

void printHeader()
{
    out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9 %10 %11 %12 %13")
               .arg(QStringLiteral("phase"), -8)
               .arg(QStringLiteral("done"), 5)
               .arg(QStringLiteral("playing"), 8)
               .arg(QStringLiteral("RSS"), 7)
               .arg(QStringLiteral("trimmed"), 8)
               .arg(QStringLiteral("files"), 6)
               .arg(QStringLiteral("anon"), 6)
               .arg(QStringLiteral("heap"), 6)
               .arg(QStringLiteral("images"), 7)
               .arg(QStringLiteral("heap-img"), 9)
               .arg(QStringLiteral("anon-heap"), 10)
               .arg(QStringLiteral("threads"), 8)
               .arg(QStringLiteral("fds"), 4)
        << Qt::endl
        << "(MB; playing = RSS just before the channel was stopped; the rest with nothing playing,"
        << " after returning free heap, trimmed = what that returned)" << Qt::endl;
}

void printRow(const QString &phase, int done, const Memory &m, std::optional<qint64> residentPlaying)
{
    out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9 %10 %11 %12 %13")
               .arg(phase, -8)
               .arg(done, 5)
               .arg(residentPlaying ? mb(*residentPlaying) : QStringLiteral("-"), 8)
               .arg(mb(m.resident), 7)
               .arg(mb(m.residentBeforeTrim - m.resident), 8)
               .arg(mb(m.fileBacked), 6)
               .arg(mb(m.anonymous), 6)
               .arg(mb(m.heapInUse), 6)
               .arg(mb(m.imageCache), 7)
               .arg(mb(m.heapBesideImages()), 9)
               .arg(mb(m.anonymousBesideHeap()), 10)
               .arg(m.threads, 8)
               .arg(m.openFds, 4)
        << Qt::endl;
}

// How one phase grew outside the image cache, over its first and its second half.
struct Growth
{
    qint64 firstHalf = 0;
    qint64 secondHalf = 0;
    bool levelsOff() const
    {
        return secondHalf <= levellingNoiseBytes || double(secondHalf) <= levellingShare * double(firstHalf);
    }
};

struct Levelling
{
    QString phase;
    Growth heap;     // heap in use beside the image cache
    Growth resident; // RSS beside the image cache
    bool levelsOff() const { return heap.levelsOff() && resident.levelsOff(); }
};

Levelling levellingOf(const QString &phase, const QList<Memory> &readings)
{
    // readings: the phase's start, then one per step; the middle one splits it in halves.
    const Memory &start = readings.first();
    const Memory &middle = readings.at(readings.size() / 2);
    const Memory &end = readings.last();
    const auto growth = [&](const std::function<qint64(const Memory &)> &of) {
        return Growth{of(middle) - of(start), of(end) - of(middle)};
    };
    return {phase, growth([](const Memory &m) { return m.heapBesideImages(); }),
            growth([](const Memory &m) { return m.resident - m.imageCache; })};
}

} // namespace

int main(int argc, char *argv[])
{
    // As the application does; NORVANE_SOAK_DEFAULT_ALLOCATOR=1 measures glibc's own behaviour.
    const bool defaultAllocator = qEnvironmentVariableIsSet("NORVANE_SOAK_DEFAULT_ALLOCATOR");
    if (!defaultAllocator)
        ProcessMemory::returnFreedPromptly();
    QStandardPaths::setTestModeEnabled(true);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool exitLive = args.removeAll(QStringLiteral("--exit-live")) > 0;
    const bool mallocInfo = args.removeAll(QStringLiteral("--malloc-info")) > 0;
    const int zaps = args.size() > 0 ? args[0].toInt() : 300;
    const int details = args.size() > 1 ? args[1].toInt() : 200;
    if (!SampleMedia::ensureAll()) {
        out << "no sample media: " << SampleMedia::lastError() << Qt::endl;
        return 1;
    }
    // A home of this run: stores, catalog copies and images all start empty, as in a first session
    // (a catalog copy of an earlier run would point at that run's provider port). The media stay.
    qputenv("NORVANE_SAMPLE_MEDIA_DIR", QFileInfo(SampleMedia::directory()).path().toLocal8Bit());
    QTemporaryDir home;
    BenchReport::useHome(home.path());
    ProviderProcess provider;
    if (!provider.start()) {
        out << "the sample provider did not start" << Qt::endl;
        return 1;
    }
    const XtreamClient client = provider.client();
    ProgressStore progress(home.path() + QLatin1String("/progress.json"));
    FavoritesStore favorites(home.path() + QLatin1String("/favorites.json"));
    ImageCache &images = *ImageCache::shared(); // its folder is in the home of this run
    VLCEngine *engine = VLCEngine::shared();

    ChannelsModel channels(engine, &favorites);
    channels.setClient(client);
    channels.selectCategory(QStringLiteral("1"));
    waitUntil([&] { return !channels.isLoadingList() && !channels.channels().isEmpty(); }, 30000);
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
        if (const auto image = QCoro::waitFor(images.fetch(url)))
            images.remember(url, *image);
    };
    // True when the channel plays.
    const auto zap = [&](int i) {
        const ChannelRow &row = rows[i % rows.size()];
        channels.select(row);
        if (row.iconURL())
            keepImage(*row.iconURL());
        waitUntil(
            [&] {
                return engine->status() == VLCEngine::Status::Playing || !channels.playbackError().isEmpty();
            },
            8000);
        return engine->status() == VLCEngine::Status::Playing;
    };
    int played = 0;
    int failed = 0;
    const auto countedZap = [&](int i) { zap(i) ? ++played : ++failed; };
    const auto openDetail = [&](int i) {
        MovieDetailModel detail(&progress);
        detail.setClient(client);
        detail.setMovie(catalog[i % catalog.size()]);
        detail.load();
        waitUntil([&] { return !detail.isLoading(); }, 10000);
        if (!detail.posterUrl().isEmpty())
            keepImage(detail.posterUrl());
    };

    // One of each first, so what is made once per process (libVLC, its decoders, the connections)
    // is in the baseline; the first channel plays until it shows a picture, which is when libVLC
    // has loaded what decoding needs.
    countedZap(0);
    waitUntil([&] { return engine->surface()->displayedFrames() > 0; }, 10000);
    openDetail(0);
    printHeader();
    int unsettled = 0; // readings taken while a stopped player or a pool thread was still busy
    const auto readStopped = [&](const QString &phase, int done) {
        std::optional<qint64> playing;
        if (engine->status() == VLCEngine::Status::Playing)
            playing = measure(images).resident;
        if (!settle(engine))
            ++unsettled;
        const Memory memory = measure(images);
        printRow(phase, done, memory, playing);
        return memory;
    };
    const auto runPhase = [&](const QString &name, int count, const std::function<void(int)> &step) {
        QList<Memory> readings{readStopped(name, 0)};
        const int every = std::max(1, count / 10);
        for (int i = 1; i <= count; ++i) {
            step(i);
            if (i % every == 0 || i == count)
                readings.append(readStopped(name, i));
        }
        return readings;
    };
    QElapsedTimer clock;
    clock.start();
    const QList<Memory> zapping = runPhase(QStringLiteral("zap"), zaps, countedZap);
    const qint64 zapSeconds = clock.elapsed() / 1000;
    const QList<Memory> detailing = runPhase(QStringLiteral("detail"), details, openDetail);
    const qint64 detailSeconds = clock.elapsed() / 1000 - zapSeconds;
    const Memory start = zapping.first();
    const Memory end = detailing.last();

    // A channel left on fills libVLC's buffers, which a zap every second or so never does: what
    // that takes, and whether stopping gives it back (what leaving it out of the readings rests on).
    bool heldPlays = false;
    for (int next = zaps + 1; !heldPlays && next <= zaps + 5; ++next)
        heldPlays = zap(next);
    waitUntil([] { return false; }, int(holdPlaying.count()));
    const Memory held = measure(images);
    if (!settle(engine))
        ++unsettled;
    const Memory released = measure(images);
    printRow(QStringLiteral("held"), int(holdPlaying.count() / 1000), released, held.resident);
    // Judged on the heap in use: the resident pages freed heap leaves behind depend on how the
    // arenas of libVLC's threads were cut up, which the phases' RSS rule covers.
    const bool heldGivenBack = released.heapBesideImages() - end.heapBesideImages() <= levellingNoiseBytes;

    out << Qt::endl
        << (defaultAllocator ? "glibc's own trim and mmap thresholds"
                             : "the application's allocator settings")
        << ": arenas of other threads " << (defaultAllocator ? "keep" : "give back") << " their freed top"
        << Qt::endl
        << zaps << " zaps (" << played << " playing, " << failed << " not, the first one included) in "
        << zapSeconds << " s, " << details << " details in " << detailSeconds << " s" << Qt::endl;
    out << "Growth, start to end, read with no channel playing (MB):" << Qt::endl
        << "  RSS                  " << mb(start.resident) << " -> " << mb(end.resident) << ": "
        << signedMb(end.resident - start.resident) << " (before returning free heap "
        << signedMb(end.residentBeforeTrim - start.residentBeforeTrim) << ")" << Qt::endl
        << "  mapped from files    " << signedMb(end.fileBacked - start.fileBacked)
        << " (libraries and fonts read on first use)" << Qt::endl
        << "  anonymous            " << signedMb(end.anonymous - start.anonymous) << Qt::endl
        << "    heap in use        " << mb(start.heapInUse) << " -> " << mb(end.heapInUse) << ": "
        << signedMb(end.heapInUse - start.heapInUse) << Qt::endl
        << "      image cache      " << signedMb(end.imageCache - start.imageCache) << " (level "
        << mb(end.imageCache) << " of " << mb(ImageCache::maxMemoryCost) << ", " << images.memoryCount()
        << " of " << ImageCache::maxMemoryEntries << " images)" << Qt::endl
        << "      everything else  " << signedMb(end.heapBesideImages() - start.heapBesideImages())
        << Qt::endl
        << "    outside the heap   " << mb(start.anonymousBesideHeap()) << " -> "
        << mb(end.anonymousBesideHeap()) << ": "
        << signedMb(end.anonymousBesideHeap() - start.anonymousBesideHeap())
        << " (free heap the trim cannot return; thread stacks)" << Qt::endl
        << "  threads " << start.threads << " -> " << end.threads << ", open fds " << start.openFds << " -> "
        << end.openFds << Qt::endl
        << "A channel " << (heldPlays ? "playing" : "started but NOT playing") << " for "
        << holdPlaying.count() / 1000 << " s at the end: RSS " << mb(held.resident) << " MB (heap in use "
        << signedMb(held.heapInUse - end.heapInUse) << " MB, fds " << held.openFds
        << "); stopped and released: RSS " << mb(released.resident) << " MB, heap beside the images "
        << signedMb(released.heapBesideImages() - end.heapBesideImages())
        << " MB against the end: " << (heldGivenBack ? "given back" : "NOT GIVEN BACK") << Qt::endl;
    if (unsettled > 0)
        out << unsettled << " readings came while a stopped player or a pool thread was still busy after "
            << windDownLimit.count() / 1000 << " s: NOT what the application holds between uses" << Qt::endl;

    bool bounded = end.imageCache <= ImageCache::maxMemoryCost &&
                   end.openFds <= start.openFds + keptConnections && unsettled == 0 && heldPlays &&
                   heldGivenBack;
    for (const Levelling &phase : {levellingOf(QStringLiteral("zapping"), zapping),
                                   levellingOf(QStringLiteral("details"), detailing)}) {
        out << "Beside the image cache, " << phase.phase << ": heap in use " << signedMb(phase.heap.firstHalf)
            << " MB in the first half, " << signedMb(phase.heap.secondHalf) << " MB in the second; RSS "
            << signedMb(phase.resident.firstHalf) << " then " << signedMb(phase.resident.secondHalf)
            << " MB: " << (phase.levelsOff() ? "levels off" : "KEEPS GROWING") << Qt::endl;
        bounded = bounded && phase.levelsOff();
    }
    out << (bounded
                ? "Within bounds: the image cache stays under its bound, the rest levels off, and a channel "
                  "gives back what it took."
                : "NOT within bounds: see above.")
        << Qt::endl;

    BenchReport::title(
        QStringLiteral("Long session"),
        QStringLiteral("%1 channel changes with real libVLC, then %2 movie details with their posters, "
                       "against the sample provider in its own process; memory read with the channel "
                       "stopped and its player released, after returning free heap to the system")
            .arg(zaps)
            .arg(details));
    BenchReport::row(
        {QStringLiteral("RSS growth"),
         {QStringLiteral("RSS"), double(end.resident - start.resident) / MB, QStringLiteral("MB")},
         {},
         0,
         QString(),
         std::nullopt,
         QStringLiteral("%1 -> %2 MB; image cache %3 MB (bound %4 MB); a channel left on: %5 MB")
             .arg(mb(start.resident), mb(end.resident), mb(end.imageCache), mb(ImageCache::maxMemoryCost),
                  mb(held.resident))});
    BenchReport::row({QStringLiteral("Heap growth beside the image cache"),
                      {QStringLiteral("heap"), double(end.heapBesideImages() - start.heapBesideImages()) / MB,
                       QStringLiteral("MB")},
                      {},
                      0,
                      QStringLiteral("levels off"),
                      bounded,
                      QStringLiteral("fds %1 -> %2, threads %3 -> %4")
                          .arg(start.openFds)
                          .arg(end.openFds)
                          .arg(start.threads)
                          .arg(end.threads)});
    if (mallocInfo) {
        out.flush();
        malloc_info(0, stdout);
        std::fflush(stdout);
    }
    if (exitLive) {
        provider.stop();
        home.remove();
        out.flush();
        std::exit(bounded ? 0 : 2); // static destructors and heaptrack's own end still run
    }
    return bounded ? 0 : 2;
}
