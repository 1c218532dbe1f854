// Scrolling the movie poster grid of a whole movie catalog (by default the sample provider's large
// one, 100,000 movies) offscreen through 5,000 posters, a page at a time, each page drawn once its posters
// are in: how many cards exist at once and in all, the largest decoded poster, what the image cache's memory
// level holds beside its limits, and the process's resident memory along the way.
//
// The posters come from disk copies in the image cache's folder (a pool of drawn posters linked
// under each movie's address), the way they come once they have been downloaded; the network is
// not part of this measurement (the addresses point at a closed port, so an address without a disk
// copy fails at once and keeps its placeholder, as the catalog's broken ones do). Every request goes
// to a closed local proxy, so a provider's own addresses are never fetched either.
//
// Usage: bench_poster_grid [posters] [--catalog FILE]
//   posters   how many posters to scroll past (default 5000)
//   --catalog a get_vod_streams body (any provider's); each http(s) poster address in it gets a
//             drawn poster as its disk copy. Without it, the sample provider's large catalog.
#include "BenchReport.h"
#include "images/ImageCache.h"
#include "ImagePainter.h"
#include "catalog/MovieCatalog.h"
#include "provider/ProviderJson.h"
#include "sections/RecordListModel.h"
#include "images/RemoteImage.h"
#include "SampleCatalog.h"
#include "provider/VodStream.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QNetworkProxy>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQmlExtensionPlugin>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QTextStream>
#include <malloc.h>

#include "shell/NorvaneQmlPlugins.h"

namespace {

QTextStream out(stdout);

// The movies pane of a 1280 x 800 window: the grid the Movies section shows, with its cards.
const QByteArray gridQml = R"(
import QtQuick
import Norvane
PosterGrid {
    id: grid
    required property var cards
    property int created: 0
    property int alive: 0
    width: 972; height: 740
    model: cards
    delegate: Item {
        id: cell
        required property string title
        required property string artwork
        width: grid.cellWidth
        height: grid.cellHeight
        Component.onCompleted: { grid.created++; grid.alive++ }
        Component.onDestruction: grid.alive--
        PosterCard {
            width: grid.cellSize
            title: cell.title
            imageUrl: cell.artwork
        }
    }
}
)";

struct Memory
{
    qint64 residentBytes = 0; // VmRSS
    qint64 peakBytes = 0;     // VmHWM
};

// Lets deleted cards go: outside exec() no event loop of the application's own level runs, so
// objects whose deletion is queued wait until they are sent by hand (as the running app's loop does).
void processEventsAndDeletions()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

Memory memoryNow()
{
    processEventsAndDeletions();
    malloc_trim(0);
    Memory memory;
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n')) {
            const auto kib = [&line] { return line.mid(6).trimmed().split(' ').first().toLongLong() * 1024; };
            if (line.startsWith("VmRSS:"))
                memory.residentBytes = kib();
            else if (line.startsWith("VmHWM:"))
                memory.peakBytes = kib();
        }
    }
    return memory;
}

QString mib(qint64 bytes)
{
    return QString::number(double(bytes) / (1024.0 * 1024.0), 'f', 1);
}

// Drawn posters in the sizes the catalog links: 400 x 600, and 2000 x 3000 for "-xl" addresses.
struct PosterPool
{
    QStringList normal;
    QStringList large;
};

PosterPool drawPool(const QString &dir)
{
    PosterPool pool;
    const auto write = [&dir](const QString &name, const QByteArray &bytes) {
        const QString path = dir + QLatin1Char('/') + name;
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write a pool poster");
        return path;
    };
    for (int i = 0; i < 16; ++i)
        pool.normal << write(QStringLiteral("poster%1.jpg").arg(i),
                             ImagePainter::draw(QStringLiteral("Película %1").arg(i), QSize(400, 600),
                                                ImagePainter::Format::Jpeg));
    for (int i = 0; i < 2; ++i)
        pool.large << write(QStringLiteral("large%1.jpg").arg(i),
                            ImagePainter::draw(QStringLiteral("Estreno %1").arg(i), QSize(2000, 3000),
                                               ImagePainter::Format::Jpeg));
    return pool;
}

// Links a pool poster under the disk-copy name of each poster address among the first `count`
// movies; returns how many were linked.
int seedDiskCopies(const QList<VodStream> &movies, int count, const PosterPool &pool)
{
    ImageCache *cache = ImageCache::shared();
    QDir().mkpath(cache->diskDir());
    int linked = 0;
    for (int i = 0; i < std::min<int>(count, movies.size()); ++i) {
        const QString url = movies.at(i).streamIcon();
        const bool web =
            url.startsWith(QLatin1String("http://")) || url.startsWith(QLatin1String("https://"));
        if (!web || url.endsWith(SampleCatalog::missingImagePath()))
            continue; // empty, null or the sample catalog's broken address: keeps its placeholder
        const QStringList &from = url.endsWith(QLatin1String("-xl.jpg")) ? pool.large : pool.normal;
        if (QFile::link(from.at(i % from.size()), cache->diskPath(url)))
            ++linked;
    }
    return linked;
}

QList<RemoteImage *> pictures(QQuickItem *grid)
{
    QList<RemoteImage *> found;
    QList<QQuickItem *> pending{grid->property("contentItem").value<QQuickItem *>()};
    while (!pending.isEmpty()) {
        QQuickItem *item = pending.takeFirst();
        if (auto *picture = qobject_cast<RemoteImage *>(item))
            found << picture;
        pending << item->childItems();
    }
    return found;
}

// Index of the last card in the lowest row that shows on screen (partly or whole).
int lastShownIndex(QQuickItem *grid)
{
    const qreal bottom = grid->property("contentY").toReal() + grid->height();
    const int lastRow = int(bottom / grid->property("cellHeight").toReal());
    const int columns = grid->property("columnCount").toInt();
    return std::min(grid->property("count").toInt(), (lastRow + 1) * columns) - 1;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_QUICK_BACKEND", "software");
    QTemporaryDir home;
    qputenv("XDG_CACHE_HOME", (home.path() + QLatin1String("/cache")).toUtf8());
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const QString catalogPath = BenchReport::takeOption(args, QLatin1String("--catalog"));
    const int posters = !args.isEmpty() && args.first().toInt() > 0 ? args.first().toInt() : 5000;
    // Port 9 is closed: an address without a disk copy fails at once, wherever it points.
    QNetworkProxy::setApplicationProxy(
        QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), 9));

    const Memory atStart = memoryNow();
    // The body goes once decoded, as in the app.
    std::optional<QList<VodStream>> movies =
        ProviderJson::decode<QList<VodStream>>(
            catalogPath.isEmpty()
                ? SampleCatalog(SampleCatalog::Size::Large)
                      .wholeList(SampleCatalog::Kind::Vod, QStringLiteral("http://127.0.0.1:9"))
                : BenchReport::readFile(catalogPath))
            .toOptional();
    if (!movies)
        qFatal("the catalog does not decode");
    RecordListModel<MovieCatalog> cards;
    cards.setRecords(*movies);
    const Memory withCatalog = memoryNow();

    QDir().mkpath(home.path() + QLatin1String("/pool"));
    const PosterPool pool = drawPool(home.path() + QLatin1String("/pool"));
    const int seeded = seedDiskCopies(*movies, posters + 200, pool);

    QQmlEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/"));
    QQmlComponent component(&engine);
    component.setData(gridQml, QUrl(QStringLiteral("qrc:/bench/PosterGridBench.qml")));
    QQuickWindow window;
    window.resize(972, 740);
    std::unique_ptr<QObject> root(component.createWithInitialProperties(
        {{QStringLiteral("cards"), QVariant::fromValue<QObject *>(&cards)}}));
    auto *grid = qobject_cast<QQuickItem *>(root.get());
    if (!grid)
        qFatal("%s", qPrintable(component.errorString()));
    grid->setParentItem(window.contentItem());
    window.show();
    window.grabWindow();
    const Memory withWindow = memoryNow();

    const int columns = grid->property("columnCount").toInt();
    ImageCache *cache = ImageCache::shared();
    int maxAlive = 0;
    int largestSide = 0;
    int pages = 0;
    qint64 maxCacheCost = 0;
    int maxCacheCount = 0;
    QElapsedTimer clock;
    clock.start();
    // Page by page until the last row on screen holds poster number `posters`.
    while (true) {
        QElapsedTimer settle;
        settle.start();
        QList<RemoteImage *> shown;
        // Disk copies decode as soon as a card is made; the failing addresses answer at once.
        do {
            processEventsAndDeletions();
            shown = pictures(grid);
        } while (settle.elapsed() < 2000 &&
                 std::any_of(shown.cbegin(), shown.cend(), [&](RemoteImage *picture) {
                     return !picture->hasImage() && !picture->urlString().isEmpty() &&
                            QFile::exists(cache->diskPath(picture->urlString()));
                 }));
        window.grabWindow();
        for (RemoteImage *picture : shown) {
            if (picture->hasImage())
                largestSide = std::max({largestSide, picture->image().width(), picture->image().height()});
        }
        maxAlive = std::max(maxAlive, grid->property("alive").toInt());
        maxCacheCost = std::max(maxCacheCost, cache->memoryCost());
        maxCacheCount = std::max(maxCacheCount, cache->memoryCount());
        const int lastShown = lastShownIndex(grid);
        if (lastShown < 0 || lastShown + 1 >= posters)
            break;
        ++pages;
        grid->setProperty("contentY", grid->property("contentY").toReal() + grid->height());
    }
    const double scrollSeconds = double(clock.elapsed()) / 1000.0;
    const Memory afterScroll = memoryNow();

    out << "Poster grid: " << movies->size() << " movies ("
        << (catalogPath.isEmpty() ? QStringLiteral("sample provider, large") : catalogPath) << "), "
        << columns << " columns of " << grid->property("cellSize").toReal() << " px, " << seeded
        << " disk copies linked\n";
    out << "pages scrolled: " << pages << " in " << QString::number(scrollSeconds, 'f', 1)
        << " s; posters passed: " << posters << "\n";
    out << "cards created in all: " << grid->property("created").toInt()
        << "; at most alive at once: " << maxAlive << "\n";
    out << "largest decoded poster side: " << largestSide << " px (limit " << ImageCache::thumbnailSide
        << ")\n";
    out << "image cache memory: now " << mib(cache->memoryCost()) << " MiB in " << cache->memoryCount()
        << " images, at most " << mib(maxCacheCost) << " MiB / " << maxCacheCount << " images (limits "
        << mib(ImageCache::maxMemoryCost) << " MiB / " << ImageCache::maxMemoryEntries << ")\n";
    out << "resident memory (MiB): start " << mib(atStart.residentBytes) << ", catalog decoded "
        << mib(withCatalog.residentBytes) << ", grid shown " << mib(withWindow.residentBytes)
        << ", after scrolling " << mib(afterScroll.residentBytes) << ", peak " << mib(afterScroll.peakBytes)
        << "\n";
    out.flush();
    root.reset();
    return 0;
}
