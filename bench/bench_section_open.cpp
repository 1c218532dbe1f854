// Opening the movies (and series) section with a disk copy of the whole catalog: the time from
// creating the model and loading the categories until "Recién agregadas" is on screen, and the
// memory the loaded catalogs hold. Beside it, in the same run, the steps on their own (reading
// the file, decoding it with the project's decoder, picking the newest 60) and the baseline of a
// QJsonDocument parse of the same body.
//
// Usage: bench_section_open [runs] [--movies FILE] [--series FILE]
// Without files, the bodies are made by the sample provider's catalog (large: 100,000 movies and
// 20,000 series; extreme: 250,000 movies and 35,000 series).
#include "DiskCatalogCache.h"
#include "MoviesModel.h"
#include "ProgressStore.h"
#include "ProviderJson.h"
#include "SampleCatalog.h"
#include "SampleProvider.h"
#include "SeriesModel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <malloc.h>

namespace {

QTextStream out(stdout);

struct Memory
{
    qint64 residentBytes = 0; // VmRSS
    qint64 heapBytes = 0;     // bytes malloc has handed out and not got back
};

Memory memoryNow()
{
    malloc_trim(0); // freed memory goes back first, so only what is held counts
    Memory memory;
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("VmRSS:"))
                memory.residentBytes = line.mid(6).trimmed().split(' ').first().toLongLong() * 1024;
        }
    }
    memory.heapBytes = qint64(mallinfo2().uordblks);
    return memory;
}

double msSince(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
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

// Creates the model, loads the categories and waits until the first selection is on screen.
template <typename Model>
double openSection(const XtreamClient &client, std::unique_ptr<Model> &model)
{
    QElapsedTimer timer;
    timer.start();
    model = std::make_unique<Model>();
    model->setClient(client);
    QEventLoop loop;
    QObject::connect(model.get(), &Model::isLoadingCategoriesChanged, &loop, [&] {
        if (!model->isLoadingCategories())
            loop.quit();
    });
    model->loadCategories();
    loop.exec();
    const double elapsed = msSince(timer);
    if (model->list().size() != 60 || !model->all())
        qFatal("the section did not show \"Recién agregadas\"");
    return elapsed;
}

template <typename Model>
void benchSection(const char *label, const QString &fileName, const QByteArray &body, int runs,
                  const XtreamClient &client, SampleProvider &provider, const QString &action)
{
    using Records = QList<typename Model::Record>;
    writeCopy(fileName, body);

    // The steps on their own, on this thread.
    QElapsedTimer timer;
    timer.start();
    QFile file(DiskCatalogCache::dir() + QLatin1Char('/') + fileName);
    file.open(QIODevice::ReadOnly);
    const QByteArray read = file.readAll();
    const double readMs = msSince(timer);
    timer.restart();
    const auto decoded = ProviderJson::decode<Records>(read);
    const double decodeMs = msSince(timer);
    if (!decoded)
        qFatal("the body does not decode");
    timer.restart();
    const Records top = Model::topRecent(*decoded);
    const double topMs = msSince(timer);
    timer.restart();
    const QJsonDocument document = QJsonDocument::fromJson(read);
    const double documentMs = msSince(timer);
    const qsizetype records = decoded->size();

    // The section opened `runs` times, each a new visit (a new model).
    QList<double> opens;
    std::unique_ptr<Model> model;
    for (int i = 0; i < runs; ++i) {
        model.reset();
        opens.append(openSection(client, model));
    }
    if (provider.requests(action).size() != 0)
        qFatal("a fresh disk copy must not be downloaded again");
    model.reset();

    out << "| " << label << " | " << records << " | " << mb(body.size()) << " MB | "
        << QString::number(*std::min_element(opens.cbegin(), opens.cend()), 'f', 0) << " | "
        << QString::number(median(opens), 'f', 0) << " | " << QString::number(readMs, 'f', 0) << " | "
        << QString::number(decodeMs, 'f', 0) << " | " << QString::number(topMs, 'f', 1) << " | "
        << QString::number(documentMs, 'f', 0) << " |\n";
    out.flush();
    Q_UNUSED(top);
    Q_UNUSED(document);
}

// What one loaded catalog holds once the section is open (the body itself is gone by then).
template <typename Model>
void measureMemory(const char *label, const QString &fileName, const QByteArray &body, const XtreamClient &client)
{
    writeCopy(fileName, body);
    std::unique_ptr<Model> model;
    const Memory before = memoryNow();
    openSection(client, model);
    const Memory after = memoryNow();
    const qsizetype records = model->all()->size();
    const qint64 heap = after.heapBytes - before.heapBytes;
    const qint64 resident = after.residentBytes - before.residentBytes;
    out << "| " << label << " | " << records << " | " << mb(body.size()) << " MB | " << mb(heap) << " MB | "
        << heap / records << " B | " << mb(resident) << " MB | " << body.size() / records << " B |\n";
    out.flush();
}

} // namespace

int main(int argc, char *argv[])
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication app(argc, argv);
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit()); // the copies and preferences stay out of the user's files
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, home.path() + QLatin1String("/config"));

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
        sets.append({"given files", fileArgument("--movies").isEmpty() ? QByteArray() : readFile(fileArgument("--movies")),
                     fileArgument("--series").isEmpty() ? QByteArray() : readFile(fileArgument("--series"))});
    } else {
        for (const auto size : {SampleCatalog::Size::Large, SampleCatalog::Size::Extreme}) {
            const SampleCatalog catalog(size);
            sets.append({size == SampleCatalog::Size::Large ? "large" : "extreme",
                         catalog.wholeList(SampleCatalog::Kind::Vod, base),
                         catalog.wholeList(SampleCatalog::Kind::Series, base)});
        }
    }

    out << "Opening a section with a disk copy (" << runs << " visits each; times in ms)\n\n"
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

    out << "\nCatalog memory (held by an open section's model; heap = malloc'd bytes in use)\n\n"
        << "| catalog | records | body | heap | heap per record | resident | body per record |\n"
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
