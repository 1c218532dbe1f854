// Whole-catalog decode: our decoding into VodStream / SeriesStream records beside simdjson's bare
// DOM parse of the same bytes (the floor), QJsonDocument::fromJson, and the peers: Node's
// JSON.parse and Python's json, each with their own mapping to records, run on the same file in
// the same run (bench/peers).
//
//   bench_catalog_decode [--vod FILE] [--series FILE] [--runs N] [--decode-only] [FILE]
// A bare FILE is a movie catalog. Without files, the cached sample catalogs of ./scripts/bench
// are used (100,000 movies, 35,000 series), else the sample provider's generator makes them; each
// twice, written as PHP panels send it and plain.
#include <simdjson.h>

#include "BenchReport.h"
#include "provider/ProviderJson.h"
#include "SampleCatalog.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QProcess>
#include <QTemporaryFile>
#include <cstdio>
#include <cstring>
#include <functional>
#include <malloc.h>

namespace {

// Best wall time and best CPU time (all threads: the decode may use several) over the runs.
struct Timing
{
    double wallMs = 1e300;
    double cpuMs = 1e300;
};

Timing bestOf(int runs, const std::function<void()> &work, const std::function<void()> &prepare = {})
{
    Timing best;
    for (int i = 0; i < runs; ++i) {
        if (prepare)
            prepare();
        QElapsedTimer clock;
        const double cpuStart = BenchReport::processCpuMs();
        clock.start();
        work();
        best.wallMs = std::min(best.wallMs, clock.nsecsElapsed() / 1e6);
        best.cpuMs = std::min(best.cpuMs, BenchReport::processCpuMs() - cpuStart);
    }
    return best;
}

// Freed memory stays with the process, so the next decode finds its pages already touched:
// what the work costs without the kernel's first-touch page faults.
void keepFreedMemory(bool keep)
{
    mallopt(M_TRIM_THRESHOLD, keep ? 2000000000 : 128 * 1024);
    mallopt(M_MMAP_THRESHOLD, keep ? 32 * 1024 * 1024 : 128 * 1024);
    mallopt(M_TOP_PAD, keep ? 256 * 1024 * 1024 : 0);
    if (!keep)
        malloc_trim(0);
}

// The DOM parser refuses a whole document holding one integer beyond 64 bits, which provider
// catalogs do hold. For the floor, such literals become a same-length decimal it accepts.
QByteArray withoutOversizedIntegers(QByteArray body)
{
    char *data = body.data();
    const qsizetype size = body.size();
    for (qsizetype i = 0; i < size; ++i) {
        if (data[i] < '0' || data[i] > '9' ||
            (i > 0 && ((data[i - 1] >= '0' && data[i - 1] <= '9') || data[i - 1] == '.')))
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

struct Peer
{
    QString name;
    double parseMs = 0;
    double recordsMs = 0;
    bool ok = false;
};

// Runs one peer script on the body's file; its one JSON line gives best-of-runs times.
Peer runPeer(const QString &program, const QString &script, const QString &file, const QString &kind)
{
    Peer peer{program == QLatin1String("node") ? QStringLiteral("Node JSON.parse")
                                               : QStringLiteral("Python json")};
    QProcess process;
    process.start(program, {QStringLiteral(NORVANE_BENCH_PEERS_DIR "/") + script, file, kind});
    if (!process.waitForFinished(300000) || process.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(program),
                     process.readAllStandardError().constData());
        return peer;
    }
    const QJsonObject answer = QJsonDocument::fromJson(process.readAllStandardOutput().trimmed()).object();
    peer.parseMs = answer.value("parse_ms").toVariant().toDouble();
    peer.recordsMs = answer.value("parse_and_records_ms").toVariant().toDouble();
    peer.ok = peer.recordsMs > 0;
    return peer;
}

QString ms(double value)
{
    return QString::number(value, 'f', 1) + QLatin1String(" ms");
}

// Measures one body and writes its rows; gives our decode with reused memory.
template <typename Record>
Timing measure(const QString &label, const QString &kind, QByteArray body, QString path, int runs,
               bool decodeOnly)
{
    body.reserve(body.size() + qsizetype(simdjson::SIMDJSON_PADDING));
    std::printf("%s: %.1f MB, best of %d runs\n", qPrintable(label), body.size() / 1e6, runs);
    using Records = QList<Record>;
    qsizetype records = 0;
    // The decoder gets a body of its own, as the app's decoding thread does (a shared one could
    // not be cut into pieces); the copy is made before the clock starts.
    QByteArray own;
    std::optional<Result<Records>> decoded; // freed before the clock starts, like the body's copy
    const auto prepare = [&] {
        decoded.reset();
        own = QByteArray();
        own.reserve(body.size() + qsizetype(simdjson::SIMDJSON_PADDING));
        own.resize(body.size());
        std::memcpy(own.data(), body.constData(), size_t(body.size()));
    };
    const auto decode = [&] {
        decoded = ProviderJson::decode<Records>(std::move(own));
        records = *decoded ? (*decoded)->size() : -1;
    };
    // As the app runs it: the records' memory is fresh, each page touched for the first time.
    const Timing cold = bestOf(runs, decode, prepare);
    keepFreedMemory(true);
    prepare();
    decode();
    const Timing warm = bestOf(runs, decode, prepare);
    keepFreedMemory(false);
    decoded.reset();
    std::printf("  ours, fresh memory      wall %7.1f  cpu %7.1f ms (%lld records)\n", cold.wallMs,
                cold.cpuMs, qlonglong(records));
    std::printf("  ours, reused memory     wall %7.1f  cpu %7.1f ms\n", warm.wallMs, warm.cpuMs);
    if (decodeOnly)
        return warm;

    const QByteArray domInput = withoutOversizedIntegers(body);
    const simdjson::padded_string padded(domInput.constData(), size_t(domInput.size()));
    simdjson::error_code domError = simdjson::SUCCESS;
    const Timing freshDom = bestOf(runs, [&] {
        simdjson::dom::parser fresh; // a one-off parse pays for its parser's memory too
        domError = fresh.parse(padded).error();
    });
    simdjson::dom::parser reusedParser;
    const Timing reusedDom = bestOf(runs, [&] { domError = reusedParser.parse(padded).error(); });
    std::printf("  DOM, fresh parser       wall %7.1f  cpu %7.1f ms (%s, %s kernel)\n", freshDom.wallMs,
                freshDom.cpuMs, simdjson::error_message(domError),
                simdjson::get_active_implementation()->name().c_str());
    std::printf("  DOM, reused parser      wall %7.1f  cpu %7.1f ms\n", reusedDom.wallMs, reusedDom.cpuMs);
    const Timing document = bestOf(2, [&] { (void)QJsonDocument::fromJson(body).array().size(); });
    std::printf("  QJsonDocument::fromJson wall %7.1f  cpu %7.1f ms\n", document.wallMs, document.cpuMs);

    QTemporaryFile copy;
    if (path.isEmpty()) {
        if (!copy.open() || copy.write(body) != body.size())
            qFatal("cannot write the body for the peers");
        copy.flush();
        path = copy.fileName();
    }
    const Peer node = runPeer(QStringLiteral("node"), QStringLiteral("peers_decode.js"), path, kind);
    const Peer python = runPeer(QStringLiteral("python3"), QStringLiteral("peers_decode.py"), path, kind);
    for (const Peer &peer : {node, python})
        std::printf("  %-23s parse %7.1f ms, parse + records %7.1f ms%s\n", qPrintable(peer.name),
                    peer.parseMs, peer.recordsMs, peer.ok ? "" : " (FAILED)");

    using BenchReport::Figure;
    const QString what = QStringLiteral("%1 %2 (%3 MB)")
                             .arg(QLocale(QLocale::English).toString(qlonglong(records)), label)
                             .arg(body.size() / 1e6, 0, 'f', 1);
    const QString recordsLabel = kind == QLatin1String("series") ? QStringLiteral("SeriesStream records")
                                                                 : QStringLiteral("VodStream records");
    const QString cpu = QStringLiteral("CPU: ours %1, DOM %2").arg(ms(warm.cpuMs), ms(reusedDom.cpuMs));
    BenchReport::row({what + QLatin1String(", reused memory (the decoding work)"),
                      {recordsLabel, warm.wallMs, "ms"},
                      {{"simdjson DOM parse, reused parser (floor)", reusedDom.wallMs, "ms"}},
                      1,
                      "≤ 3x the DOM parse",
                      warm.wallMs <= 3 * reusedDom.wallMs,
                      cpu});
    BenchReport::row({what + QLatin1String(", CPU time (every thread)"),
                      {recordsLabel + QLatin1String(", reused memory"), warm.cpuMs, "ms"},
                      {{"simdjson DOM parse, reused parser", reusedDom.cpuMs, "ms"}},
                      1,
                      "≤ 4x the DOM parse's CPU",
                      warm.cpuMs <= 4 * reusedDom.cpuMs,
                      {}});
    BenchReport::row({what + QLatin1String(", fresh memory (as the app runs it)"),
                      {recordsLabel, cold.wallMs, "ms"},
                      {{"simdjson DOM parse, fresh parser", freshDom.wallMs, "ms"},
                       {"QJsonDocument::fromJson (no records)", document.wallMs, "ms"}},
                      1,
                      "≤ 3x the DOM parse",
                      cold.wallMs <= 3 * freshDom.wallMs,
                      QStringLiteral("CPU: ours %1, DOM %2").arg(ms(cold.cpuMs), ms(freshDom.cpuMs))});
    if (node.ok) {
        BenchReport::row({what + QLatin1String(" vs Node"),
                          {recordsLabel, cold.wallMs, "ms"},
                          {{"Node JSON.parse + records", node.recordsMs, "ms"},
                           {"Node JSON.parse only", node.parseMs, "ms"}},
                          1,
                          "≥ 4x faster than Node parse + records (ratio ≤ 0.25)",
                          cold.wallMs * 4 <= node.recordsMs,
                          {}});
    }
    if (python.ok) {
        BenchReport::row(
            {what + QLatin1String(" vs Python"),
             {recordsLabel, cold.wallMs, "ms"},
             {{"Python json + records", python.recordsMs, "ms"}, {"Python json only", python.parseMs, "ms"}},
             1,
             "≥ 10x faster than Python parse + records (ratio ≤ 0.1)",
             cold.wallMs * 10 <= python.recordsMs,
             {}});
    }
    return warm;
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    int runs = 5;
    bool decodeOnly = false; // for profiling the decoder alone
    QString vodPath;
    QString seriesPath;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--runs") && i + 1 < args.size())
            runs = std::max(1, args[++i].toInt());
        else if (args[i] == QLatin1String("--decode-only"))
            decodeOnly = true;
        else if (args[i] == QLatin1String("--vod") && i + 1 < args.size())
            vodPath = args[++i];
        else if (args[i] == QLatin1String("--series") && i + 1 < args.size())
            seriesPath = args[++i];
        else
            vodPath = args[i];
    }
    const bool given = !vodPath.isEmpty() || !seriesPath.isEmpty();
    const QString base = QStringLiteral("http://127.0.0.1:8080");
    const auto body = [&](const QString &path, SampleCatalog::Kind kind, SampleCatalog::Size size,
                          const BenchReport::CatalogStyle &style) {
        const auto writing = style.plain ? JsonWriter::Style::Plain : JsonWriter::Style::Php;
        return path.isEmpty() ? SampleCatalog(size, SampleCatalog::defaultSeed, writing).wholeList(kind, base)
                              : BenchReport::readFile(path);
    };
    // Without files: each catalog written as PHP panels send it, then plain, and the cost of the escapes.
    const auto bothStyles = [&](const QString &label, const QString &kind, SampleCatalog::Kind catalogKind,
                                SampleCatalog::Size size, const char *sizeName, auto measureOne) {
        Timing styles[2];
        for (int i = 0; i < 2; ++i) {
            const BenchReport::CatalogStyle &style = BenchReport::catalogStyles[i];
            const QString path = BenchReport::catalogFile(kind, QLatin1String(sizeName), style);
            styles[i] = measureOne(label + QLatin1String(", ") + QLatin1String(style.label), kind,
                                   body(path, catalogKind, size, style), path);
        }
        BenchReport::row(
            {label + QLatin1String(": PHP-style body against the plain one"),
             {"decode CPU, PHP-style body", styles[0].cpuMs, "ms"},
             {{"decode CPU, plain body", styles[1].cpuMs, "ms"}},
             0,
             {},
             std::nullopt,
             QStringLiteral("wall %1 against %2").arg(ms(styles[0].wallMs), ms(styles[1].wallMs))});
    };

    BenchReport::title(
        QStringLiteral("Whole-catalog decode"),
        QStringLiteral("A whole catalog body turned into records (`ProviderJson::decode`, simdjson "
                       "On-Demand), best of %1 runs, beside simdjson's bare DOM parse of the same bytes, "
                       "QJsonDocument, and Node's and Python's parse-and-map (bench/peers) on the same "
                       "file.")
            .arg(runs));
    const auto vod = [&](const QString &label, const QString &kind, QByteArray bytes, const QString &path) {
        return measure<VodStream>(label, kind, std::move(bytes), path, runs, decodeOnly);
    };
    const auto series = [&](const QString &label, const QString &kind, QByteArray bytes,
                            const QString &path) {
        return measure<SeriesStream>(label, kind, std::move(bytes), path, runs, decodeOnly);
    };
    if (!given) {
        bothStyles(QStringLiteral("movies"), QStringLiteral("vod"), SampleCatalog::Kind::Vod,
                   SampleCatalog::Size::Large, "large", vod);
        bothStyles(QStringLiteral("series"), QStringLiteral("series"), SampleCatalog::Kind::Series,
                   SampleCatalog::Size::Extreme, "extreme", series);
        return 0;
    }
    if (!vodPath.isEmpty())
        vod(QStringLiteral("movies"), QStringLiteral("vod"), BenchReport::readFile(vodPath), vodPath);
    if (!seriesPath.isEmpty())
        series(QStringLiteral("series"), QStringLiteral("series"), BenchReport::readFile(seriesPath),
               seriesPath);
    return 0;
}
