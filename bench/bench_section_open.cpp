// Opening the movies (and series) section with a disk copy of the whole catalog: the time from
// creating the model and loading the categories until "Recién agregadas" is on screen, and the
// memory the loaded catalogs hold. Beside it, in the same run, the steps on their own (reading
// the file, decoding it with the project's decoder, picking the newest 60) and the baseline of a
// QJsonDocument parse of the same body.
//
// Usage: bench_section_open [runs] [--movies FILE] [--series FILE]
// Without files: the cached catalogs of ./scripts/bench, else the sample provider's generator (large:
// 100,000 movies and 20,000 series, PHP-style and plain; extreme: 250,000 movies and 35,000
// series, PHP-style).
#include "BenchReport.h"
#include "storage/DiskCatalogCache.h"
#include "catalog/MoviesModel.h"
#include "storage/ProgressStore.h"
#include "provider/ProviderJson.h"
#include "SampleCatalog.h"
#include "SampleProvider.h"
#include "catalog/SeriesModel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QLocale>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <QThreadPool>
#include <algorithm>
#include <ctime>
#include <malloc.h>
#include <sys/resource.h>

namespace {

QTextStream out(stdout);

// Bytes malloc has handed out and not got back, in every arena (the records are made on pool
// threads), mapped large chunks included. The resident size is no measure of what a catalog holds:
// it also counts memory that earlier work freed but the allocator kept, which a later malloc_trim
// may give back, so a difference of two resident sizes can even come out negative.
qint64 heapInUse()
{
    // Objects whose deletion is queued (the watchers of finished tasks, which still hold their
    // results) go first.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks + info.hblkhd); // small chunks in use + mapped large ones
}

double msSince(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

// CPU time of the whole process (every thread), in ms: on a machine shared with other builds the
// wall time mostly measures waiting for a core, the CPU time what the work itself costs.
double processCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval &t) { return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// CPU time of the calling thread, in ms.
double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// Wall and CPU time of one piece of work on this thread.
struct Timing
{
    double wallMs = 0;
    double cpuMs = 0;
};

template <typename F> Timing timed(F &&work)
{
    QElapsedTimer timer;
    timer.start();
    const double cpu = threadCpuMs();
    work();
    return {msSince(timer), threadCpuMs() - cpu};
}

QString pair(double wall, double cpu, int decimals = 0)
{
    return QString::number(wall, 'f', decimals) + QLatin1String(" / ") + QString::number(cpu, 'f', decimals);
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

QString mb(qint64 bytes)
{
    return QString::number(double(bytes) / (1024.0 * 1024.0), 'f', 1);
}

void writeCopy(const QString &fileName, const QByteArray &body)
{
    QFile file(DiskCatalogCache::dir() + QLatin1Char('/') + fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(body) != body.size())
        qFatal("cannot write the disk copy");
}

// The whole catalog a section holds once "Recién agregadas" is on screen.
const std::optional<QList<VodStream>> &wholeCatalog(const MoviesModel &model)
{
    return model.allMovies();
}
const std::optional<QList<SeriesStream>> &wholeCatalog(const SeriesModel &model)
{
    return model.allSeries();
}

// Creates the model, loads the categories and waits until the first selection is on screen.
template <typename Model> Timing openSection(const XtreamClient &client, std::unique_ptr<Model> &model)
{
    QElapsedTimer timer;
    timer.start();
    const double cpu = processCpuMs();
    model = std::make_unique<Model>();
    model->setClient(client);
    QEventLoop loop;
    QObject::connect(model.get(), &Model::isLoadingCategoriesChanged, &loop, [&] {
        if (!model->isLoadingCategories())
            loop.quit();
    });
    model->loadCategories();
    loop.exec();
    const Timing elapsed{msSince(timer), processCpuMs() - cpu};
    if (model->rows()->rowCount() != 60 || !wholeCatalog(*model))
        qFatal("the section did not show \"Recién agregadas\"");
    return elapsed;
}

template <typename Model>
void benchSection(const char *label, const QString &fileName, const QByteArray &body, int runs,
                  const XtreamClient &client, SampleProvider &provider, const QString &action)
{
    using Records = QList<typename Model::Records::Record>;
    writeCopy(fileName, body);

    // The steps on their own, on this thread.
    QByteArray read;
    const Timing readTime = timed([&] {
        QFile file(DiskCatalogCache::dir() + QLatin1Char('/') + fileName);
        file.open(QIODevice::ReadOnly);
        read = file.readAll();
    });
    std::optional<Records> decoded;
    const Timing decodeTime = timed([&] { decoded = ProviderJson::decode<Records>(read).toOptional(); });
    if (!decoded)
        qFatal("the body does not decode");
    const Timing topTime = timed([&] { Model::Records::topRecent(*decoded); });
    const Timing documentTime = timed([&] { QJsonDocument::fromJson(read); });
    const qsizetype records = decoded->size();
    decoded.reset();
    read.clear();

    // The section opened `runs` times, each a new visit (a new model).
    QList<double> opens;
    QList<double> openCpu;
    std::unique_ptr<Model> model;
    for (int i = 0; i < runs; ++i) {
        model.reset();
        const Timing open = openSection(client, model);
        opens.append(open.wallMs);
        openCpu.append(open.cpuMs);
    }
    if (provider.requests(action).size() != 0)
        qFatal("a fresh disk copy must not be downloaded again");
    model.reset();

    const bool movies = std::is_same_v<Model, MoviesModel>;
    const int target = movies && records >= 100000 ? 3 : 0;
    const double limit = records >= 250000 ? 700 : 300;
    BenchReport::row(
        {QStringLiteral("%1, %2 records (%3 MB): \"Recién agregadas\" shown, median of %4 visits")
             .arg(QLatin1String(label))
             .arg(QLocale(QLocale::English).toString(qlonglong(records)))
             .arg(mb(body.size()))
             .arg(runs),
         {"open with a disk copy", median(opens), "ms"},
         {{"QJsonDocument parse of the same body (no records)", documentTime.wallMs, "ms"},
          {"our decode alone, main thread", decodeTime.wallMs, "ms"}},
         target,
         target ? QStringLiteral("< %1 ms").arg(limit) : QString(),
         target ? std::optional<bool>(median(opens) < limit) : std::nullopt,
         QStringLiteral("best %1 ms; CPU median %2 ms (all threads); file read %3 ms; newest 60: %4 ms")
             .arg(*std::min_element(opens.cbegin(), opens.cend()), 0, 'f', 0)
             .arg(median(openCpu), 0, 'f', 0)
             .arg(readTime.wallMs, 0, 'f', 0)
             .arg(topTime.wallMs, 0, 'f', 1)});
    out << "| " << label << " | " << records << " | " << mb(body.size()) << " MB | "
        << pair(*std::min_element(opens.cbegin(), opens.cend()),
                *std::min_element(openCpu.cbegin(), openCpu.cend()))
        << " | " << pair(median(opens), median(openCpu)) << " | " << pair(readTime.wallMs, readTime.cpuMs)
        << " | " << pair(decodeTime.wallMs, decodeTime.cpuMs) << " | "
        << pair(topTime.wallMs, topTime.cpuMs, 1) << " | " << pair(documentTime.wallMs, documentTime.cpuMs)
        << " |\n";
    out.flush();
}

// Lets the pool threads that decoded go idle and end, so what they keep per thread (the JSON
// parser's buffers) is given back.
void letPoolThreadsExpire()
{
    QThreadPool::globalInstance()->waitForDone();
    QThread::msleep(2 * quint64(QThreadPool::globalInstance()->expiryTimeout()) + 100);
    QCoreApplication::processEvents();
}

// What one loaded catalog holds once the section is open (the body itself is gone by then): right
// after opening, and once the decoding thread has ended.
template <typename Model>
void measureMemory(const char *label, const QString &fileName, const QByteArray &body,
                   const XtreamClient &client)
{
    writeCopy(fileName, body);
    std::unique_ptr<Model> model;
    // One visit first, then dropped, so that what a first visit makes once (the pool threads' malloc
    // arenas and parser, Qt's lazily made state) is in the baseline, not in the catalog's figure.
    openSection(client, model);
    model.reset();
    letPoolThreadsExpire();
    const qint64 before = heapInUse();
    openSection(client, model);
    const qint64 opened = heapInUse() - before;
    letPoolThreadsExpire();
    const qint64 heap = heapInUse() - before;
    const qsizetype records = wholeCatalog(*model)->size();
    BenchReport::row({QStringLiteral("%1, %2 records: memory per record once loaded")
                          .arg(QLatin1String(label))
                          .arg(QLocale(QLocale::English).toString(qlonglong(records))),
                      {"heap held, per record", double(heap) / double(records), "B"},
                      {{"body bytes per record", double(body.size()) / double(records), "B"}},
                      records >= 250000 || (std::is_same_v<Model, SeriesModel> && records >= 35000) ? 5 : 0,
                      QStringLiteral("reported"),
                      std::nullopt,
                      QStringLiteral("heap %1 MB (%2 MB right after opening, while the decoding thread still "
                                     "lived)")
                          .arg(mb(heap))
                          .arg(mb(opened))});
    out << "| " << label << " | " << records << " | " << mb(body.size()) << " MB | " << mb(opened) << " MB | "
        << mb(heap) << " MB | " << heap / records << " B | " << body.size() / records << " B |\n";
    out.flush();
}

} // namespace

int main(int argc, char *argv[])
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication app(argc, argv);
    QTemporaryDir home;
    BenchReport::useHome(home.path());

    const QStringList args = app.arguments();
    const int runs = args.size() > 1 && args.at(1).toInt() > 0 ? args.at(1).toInt() : 5;
    const auto fileArgument = [&](const char *flag) -> QString {
        const qsizetype at = args.indexOf(QLatin1String(flag));
        return at >= 0 && at + 1 < args.size() ? args.at(at + 1) : QString();
    };
    const auto readFile = [](const QString &path) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            qFatal("cannot read %s", qPrintable(path));
        return file.readAll();
    };

    SampleProvider provider;
    if (!provider.listenOn())
        qFatal("cannot listen");
    const XtreamClient client(provider.baseUrl(), provider.username(), provider.password());
    const QString base = QStringLiteral("http://127.0.0.1:8080");

    struct Bodies
    {
        const char *name;
        QByteArray movies;
        QByteArray series;
    };
    QList<Bodies> sets;
    if (!fileArgument("--movies").isEmpty() || !fileArgument("--series").isEmpty()) {
        sets.append({"given files",
                     fileArgument("--movies").isEmpty() ? QByteArray() : readFile(fileArgument("--movies")),
                     fileArgument("--series").isEmpty() ? QByteArray() : readFile(fileArgument("--series"))});
    } else {
        // Both sizes as PHP panels write them; the large one plain as well.
        const auto add = [&](const char *name, const char *size, SampleCatalog::Size generated,
                             const BenchReport::CatalogStyle &style) {
            const QString movies = BenchReport::catalogFile("vod", QLatin1String(size), style);
            const QString series = BenchReport::catalogFile("series", QLatin1String(size), style);
            const SampleCatalog catalog(generated, SampleCatalog::defaultSeed,
                                        style.plain ? JsonWriter::Style::Plain : JsonWriter::Style::Php);
            sets.append(
                {name,
                 movies.isEmpty() ? catalog.wholeList(SampleCatalog::Kind::Vod, base) : readFile(movies),
                 series.isEmpty() ? catalog.wholeList(SampleCatalog::Kind::Series, base) : readFile(series)});
        };
        add("large, PHP-style", "large", SampleCatalog::Size::Large, BenchReport::catalogStyles[0]);
        add("large, plain", "large", SampleCatalog::Size::Large, BenchReport::catalogStyles[1]);
        add("extreme, PHP-style", "extreme", SampleCatalog::Size::Extreme, BenchReport::catalogStyles[0]);
    }

    BenchReport::title(
        QStringLiteral("Opening a section with a disk copy, and catalog memory"),
        QStringLiteral("A new `MoviesModel` / `SeriesModel` loads its categories (sample provider on "
                       "loopback) and shows \"Recién agregadas\" from a fresh disk copy of the whole "
                       "catalog (nothing downloaded); the clock stops when `isLoadingCategories` turns "
                       "false. Then the memory an open section's catalog holds, once the decoding "
                       "thread has ended."));
    out << "Opening a section with a disk copy (" << runs << " visits each; wall / CPU ms)\n\n"
        << "| section | records | body | open: best | open: median | read file | decode | newest 60 | "
           "baseline: QJsonDocument parse |\n"
        << "|---|---|---|---|---|---|---|---|---|\n";
    for (const Bodies &set : sets) {
        if (!set.movies.isEmpty())
            benchSection<MoviesModel>(qPrintable(QStringLiteral("movies (%1)").arg(QLatin1String(set.name))),
                                      QStringLiteral("vod_all.json"), set.movies, runs, client, provider,
                                      QStringLiteral("get_vod_streams"));
        if (!set.series.isEmpty())
            benchSection<SeriesModel>(qPrintable(QStringLiteral("series (%1)").arg(QLatin1String(set.name))),
                                      QStringLiteral("series_all.json"), set.series, runs, client, provider,
                                      QStringLiteral("get_series"));
    }

    QThreadPool::globalInstance()->setExpiryTimeout(100);
    out << "\nCatalog memory (held by an open section's model: malloc'd bytes in use, every arena, against "
           "the "
           "process after one earlier visit to the same section)\n\n"
        << "| catalog | records | body | heap right after opening | heap once the decoding thread ended | "
           "per record | body per record |\n"
        << "|---|---|---|---|---|---|---|\n";
    for (const Bodies &set : sets) {
        if (!set.movies.isEmpty())
            measureMemory<MoviesModel>(qPrintable(QStringLiteral("movies (%1)").arg(QLatin1String(set.name))),
                                       QStringLiteral("vod_all.json"), set.movies, client);
        if (!set.series.isEmpty())
            measureMemory<SeriesModel>(qPrintable(QStringLiteral("series (%1)").arg(QLatin1String(set.name))),
                                       QStringLiteral("series_all.json"), set.series, client);
    }
    return 0;
}
