// How long the sample provider takes to write its whole-catalog answers (the benchmarks and the
// large demo depend on it), against the QJsonDocument route it avoids, measured in the same run.
// With --media it also times making the sample media from scratch in a temporary folder.
// Usage: bench_samplecatalog [--media]. It reads no catalog file: what it times is the writing of the
// sample provider's own catalogs (the other benchmarks take a provider's body instead).
#include "BenchReport.h"
#include "SampleCatalog.h"
#include "SampleMedia.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

template <typename F>
qint64 bestOfMs(int runs, F &&work)
{
    qint64 best = std::numeric_limits<qint64>::max();
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, timer.elapsed());
    }
    return best;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const QString base = QStringLiteral("http://127.0.0.1:8080");
    const struct
    {
        SampleCatalog::Kind kind;
        const char *name;
    } kinds[] = {{SampleCatalog::Kind::Vod, "vod"}, {SampleCatalog::Kind::Series, "series"}, {SampleCatalog::Kind::Live, "live"}};
    const struct
    {
        SampleCatalog::Size size;
        const char *name;
    } sizes[] = {{SampleCatalog::Size::Default, "default"}, {SampleCatalog::Size::Large, "large"},
                 {SampleCatalog::Size::Extreme, "extreme"}};

    BenchReport::title(QStringLiteral("Sample provider: whole-catalog answers"),
                       QStringLiteral("The sample provider writes its whole-catalog answers straight into a byte "
                                      "buffer (best of 3, fresh catalog each time); the baseline parses and "
                                      "re-serialises the same bytes with QJsonDocument, roughly what building the "
                                      "answer through QJsonDocument would cost. Not a product path: the provider "
                                      "stands in for the server."));
    out << "| catalog | size | records | bytes | direct writer (ms) | QJsonDocument round trip (ms) |\n";
    out << "|---|---|---|---|---|---|\n";
    for (const auto &size : sizes) {
        for (const auto &kind : kinds) {
            QByteArray body;
            const qint64 direct = bestOfMs(3, [&] {
                const SampleCatalog catalog(size.size); // fresh: no cached answer
                body = catalog.wholeList(kind.kind, base);
            });
            const qint64 viaDocument = bestOfMs(1, [&] {
                const QByteArray again = QJsonDocument::fromJson(body).toJson(QJsonDocument::Compact);
                Q_UNUSED(again);
            });
            const SampleCatalog::Counts counts = SampleCatalog::countsFor(size.size);
            const int records = kind.kind == SampleCatalog::Kind::Vod      ? counts.movies
                                : kind.kind == SampleCatalog::Kind::Series ? counts.series
                                                                           : counts.channels;
            BenchReport::row({QStringLiteral("%1 %2: %3 records, %4 MB")
                                  .arg(QLatin1String(kind.name), QLatin1String(size.name))
                                  .arg(records)
                                  .arg(body.size() / 1e6, 0, 'f', 1),
                              {"direct writer (SampleCatalog::wholeList)", double(direct), "ms"},
                              {{"QJsonDocument parse + compact write of the same body", double(viaDocument), "ms"}},
                              0, {}, std::nullopt, {}});
            out << "| " << kind.name << " | " << size.name << " | " << records << " | " << body.size() << " | "
                << direct << " | " << viaDocument << " |\n";
            out.flush();
        }
    }

    if (app.arguments().contains(QStringLiteral("--media"))) {
        QTemporaryDir dir;
        qputenv("NORVANE_SAMPLE_MEDIA_DIR", dir.path().toLocal8Bit());
        QElapsedTimer timer;
        timer.start();
        const bool made = SampleMedia::ensureAll();
        out << "\nsample media made from scratch in " << timer.elapsed() << " ms" << (made ? "" : " (FAILED)") << '\n';
    }
    return 0;
}
