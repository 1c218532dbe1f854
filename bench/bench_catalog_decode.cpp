// Whole-catalog decode: our VodStream decoding beside simdjson's bare DOM parse (the floor) and
// QJsonDocument::fromJson, best of N runs each; then the main thread's longest stall while the
// catalog downloads from the sample provider and decodes through the real path.
//
//   bench_catalog_decode [catalog.json] [--runs N]
// Without a file the sample provider's large movie catalog (100,000 movies) is used.
#include <simdjson.h>

#include "ApiConnection.h"
#include "DecodeCatalog.h"
#include "ProviderJson.h"
#include "SampleCatalog.h"
#include "SampleProvider.h"
#include "XtreamClient.h"

#include <QCoroTask>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <ctime>
#include <functional>

namespace {

double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// Best wall time and best CPU time of this thread (the latter holds up on a loaded machine).
struct Timing
{
    double wallMs = 1e300;
    double cpuMs = 1e300;
};

Timing bestOf(int runs, const std::function<void()> &work)
{
    Timing best;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer clock;
        const double cpuStart = threadCpuMs();
        clock.start();
        work();
        best.wallMs = std::min(best.wallMs, clock.nsecsElapsed() / 1e6);
        best.cpuMs = std::min(best.cpuMs, threadCpuMs() - cpuStart);
    }
    return best;
}

// The DOM parser refuses a whole document holding one integer beyond 64 bits, which provider
// catalogs do hold. For the floor, such literals become a same-length decimal it accepts.
QByteArray withoutOversizedIntegers(QByteArray body)
{
    char *data = body.data();
    const qsizetype size = body.size();
    for (qsizetype i = 0; i < size; ++i) {
        if (data[i] < '0' || data[i] > '9' || (i > 0 && ((data[i - 1] >= '0' && data[i - 1] <= '9') || data[i - 1] == '.')))
            continue;
        qsizetype end = i;
        while (end < size && data[end] >= '0' && data[end] <= '9')
            ++end;
        if (end - i > 18 && (end >= size || (data[end] != '.' && data[end] != 'e' && data[end] != 'E')))
            data[end - 2] = '.';
        i = end;
    }
    return body;
}

struct StallProbe
{
    QTimer timer;
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 worst = 0;
    int over50 = 0; // gaps longer than 50 ms
    StallProbe()
    {
        timer.setInterval(5);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            const qint64 now = clock.elapsed();
            worst = std::max(worst, now - last);
            over50 += (now - last) > 50 ? 1 : 0;
            last = now;
        });
        clock.start();
        timer.start();
    }
};

struct LoadFigures
{
    qint64 worstGapMs = 0;
    double downloadMs = 0;
    double decodeMs = 0;
    qsizetype records = 0;
    qint64 progressCalls = 0;
    int gapsOver50 = 0;
    double mainThreadCpuMs = 0; // what the main thread itself spent while the catalog loaded
};

QCoro::Task<LoadFigures> loadThroughTheClient(XtreamClient client)
{
    LoadFigures figures;
    StallProbe probe;
    const double cpuStart = threadCpuMs();
    QElapsedTimer clock;
    clock.start();
    Result<QByteArray> body = co_await client.rawData(QLatin1String("get_vod_streams"), {},
                                                      [&figures](qint64) { ++figures.progressCalls; });
    figures.downloadMs = clock.nsecsElapsed() / 1e6;
    if (!body) {
        std::fprintf(stderr, "download failed\n");
        co_return figures;
    }
    clock.restart();
    const std::optional<QList<VodStream>> movies = co_await decodeCatalog<QList<VodStream>>(std::move(body).value());
    figures.decodeMs = clock.nsecsElapsed() / 1e6;
    figures.records = movies ? movies->size() : -1;
    figures.worstGapMs = probe.worst;
    figures.gapsOver50 = probe.over50;
    figures.mainThreadCpuMs = threadCpuMs() - cpuStart;
    co_return figures;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    int runs = 5;
    bool decodeOnly = false; // for profiling the decoder alone
    QString path;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--runs") && i + 1 < args.size())
            runs = args[++i].toInt();
        else if (args[i] == QLatin1String("--decode-only"))
            decodeOnly = true;
        else
            path = args[i];
    }

    QByteArray body;
    if (path.isEmpty()) {
        body = SampleCatalog(SampleCatalog::Size::Large).wholeList(SampleCatalog::Kind::Vod, QStringLiteral("http://127.0.0.1:8080"));
    } else {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
            return 1;
        }
        body = file.readAll();
    }
    body.reserve(body.size() + qsizetype(simdjson::SIMDJSON_PADDING));
    std::printf("catalog: %s, %.1f MB, best of %d runs\n", path.isEmpty() ? "sample provider, large" : qPrintable(path),
                body.size() / 1e6, runs);

    qsizetype records = 0;
    const Timing ours = bestOf(runs, [&] {
        const auto movies = ProviderJson::decode<QList<VodStream>>(body);
        records = movies ? movies->size() : -1;
    });
    std::printf("%-52s wall %7.1f ms  cpu %7.1f ms  (%lld records)\n", "VodStream decode (On-Demand, records built):",
                ours.wallMs, ours.cpuMs, qlonglong(records));
    if (decodeOnly)
        return 0;

    const QByteArray domInput = withoutOversizedIntegers(body);
    const simdjson::padded_string padded(domInput.constData(), size_t(domInput.size()));
    simdjson::error_code domError = simdjson::SUCCESS;
    const Timing coldDom = bestOf(runs, [&] {
        simdjson::dom::parser fresh; // a one-off decode pays for its parser's memory too
        domError = fresh.parse(padded).error();
    });
    simdjson::dom::parser warmParser;
    const Timing warmDom = bestOf(runs, [&] { domError = warmParser.parse(padded).error(); });
    std::printf("%-52s wall %7.1f ms  cpu %7.1f ms  (%s, %s)\n", "simdjson DOM parse, fresh parser (floor):", coldDom.wallMs,
                coldDom.cpuMs, simdjson::error_message(domError), simdjson::get_active_implementation()->name().c_str());
    std::printf("%-52s wall %7.1f ms  cpu %7.1f ms\n", "simdjson DOM parse, reused parser:", warmDom.wallMs, warmDom.cpuMs);

    int qtCount = 0;
    const Timing qt = bestOf(std::max(1, runs / 2), [&] { qtCount = int(QJsonDocument::fromJson(body).array().size()); });
    std::printf("%-52s wall %7.1f ms  cpu %7.1f ms  (%d elements)\n", "QJsonDocument::fromJson:", qt.wallMs, qt.cpuMs,
                qtCount);
    std::printf("cpu ratios: ours / fresh DOM %.2f, ours / reused DOM %.2f, QJsonDocument / ours %.1f\n",
                ours.cpuMs / coldDom.cpuMs, ours.cpuMs / warmDom.cpuMs, qt.cpuMs / ours.cpuMs);

    // The real path: the provider serves from its own thread, the main thread only downloads,
    // hands the body to a worker for decoding, and keeps ticking every 5 ms.
    QThread providerThread;
    providerThread.start();
    QObject providerContext;
    providerContext.moveToThread(&providerThread);
    SampleProvider *provider = nullptr;
    QMetaObject::invokeMethod(&providerContext, [&] {
        provider = new SampleProvider;
        provider->setCatalogSize(SampleCatalog::Size::Large);
        provider->listenOn();
        if (!path.isEmpty())
            provider->setAnswer(QStringLiteral("get_vod_streams"), body);
        else
            provider->catalog().wholeList(SampleCatalog::Kind::Vod, provider->baseUrl()); // made before timing
    }, Qt::BlockingQueuedConnection);
    const XtreamClient client(provider->baseUrl(), provider->username(), provider->password());
    const LoadFigures load = QCoro::waitFor(loadThroughTheClient(client));
    std::printf("download %.0f ms (%lld progress calls), decode off the main thread %.0f ms (%lld records); "
                "longest main-thread gap between 5 ms ticks: %lld ms (%d gaps over 50 ms); main-thread cpu %.0f ms\n",
                load.downloadMs, qlonglong(load.progressCalls), load.decodeMs, qlonglong(load.records),
                qlonglong(load.worstGapMs), load.gapsOver50, load.mainThreadCpuMs);
    QMetaObject::invokeMethod(&providerContext, [&] { delete provider; }, Qt::BlockingQueuedConnection);
    providerThread.quit();
    providerThread.wait();
    return 0;
}
