// Search per keystroke: the time of one read of SearchModel::movieResults for every prefix of a
// few typical queries over the whole movie catalog, beside the plain way (fold every name on
// every read, then search it) timed in the same run. Both must give the same results; the
// benchmark exits with status 1 when they differ for any query.
//
//   bench_search [--size large|extreme|both] [--catalog <file with a get_vod_streams body>]
//                [--rounds N]
#include "BenchReport.h"
#include "search/FoldedNameIndex.h"
#include "SampleCatalog.h"
#include "SampleProvider.h"
#include "search/SearchModel.h"
#include "search/TextFolding.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QCoroTask>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTextStream>
#include <algorithm>
#include <limits>

namespace {

const QStringList typedQueries{"la casa", "amor", "noche", "el", "star"};
// Checked for equal results only (accents, capitals, blanks, one letter).
const QStringList checkedQueries{"años", "CRÓNICA", "  rio  ", "e", "Ñ", "regreso a", "(19", "los años de"};

QList<VodStream> plainResults(const QList<VodStream> &movies, const QString &query)
{
    QList<VodStream> found;
    const std::optional<QString> needle = SearchModel::matchableQuery(query);
    if (!needle)
        return found;
    for (const VodStream &movie : movies) {
        if (TextFolding::fold(movie.nameView()).contains(*needle)) {
            found.append(movie);
            if (found.size() == SearchModel::resultLimit)
                break;
        }
    }
    return found;
}

double medianOf(QList<double> values)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const qsizetype mid = values.size() / 2;
    return values.size() % 2 ? values.at(mid) : (values.at(mid - 1) + values.at(mid)) / 2;
}

template <typename F> double timedMs(F &&work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

struct Figures
{
    QList<double> perKeystroke; // median of the rounds, one per keystroke
    double worstRead = 0;
};

struct Outcome
{
    Figures fast;
    Figures plain;
    bool identical = true;
    qint64 movies = 0;
    double loadMs = 0;
    double foldMs = 0;
    qsizetype indexBytes = 0;
};

Outcome measure(SampleProvider &provider, int rounds, QTextStream &out)
{
    Outcome outcome;
    SearchModel model;
    model.setClient(XtreamClient(provider.baseUrl(), provider.username(), provider.password()));
    model.setKind(SearchModel::Movies);
    outcome.loadMs = timedMs([&] { QCoro::waitFor(model.ensureLoadedTask()); });
    if (!model.movies()) {
        out << "could not load the movies: " << model.loadError() << '\n';
        outcome.identical = false;
        return outcome;
    }
    const QList<VodStream> &movies = *model.movies();
    outcome.movies = movies.size();
    // What the model does once per fetched list, off the main thread: best of three.
    outcome.foldMs = std::numeric_limits<double>::max();
    for (int i = 0; i < 3; ++i) {
        FoldedNameIndex index;
        outcome.foldMs = std::min(outcome.foldMs, timedMs([&] { index = FoldedNameIndex::ofNames(movies); }));
        outcome.indexBytes = index.byteSize();
    }

    const auto keystrokes = [](const QString &query) {
        QStringList prefixes;
        // One letter answers nothing without looking at the list: typing starts counting at two.
        for (qsizetype n = 2; n <= query.size(); ++n)
            prefixes.append(query.left(n));
        return prefixes;
    };
    for (const QString &query : typedQueries) {
        for (const QString &prefix : keystrokes(query)) {
            model.setQuery(prefix);
            QList<double> fast;
            QList<double> plain;
            QList<VodStream> fastResult;
            QList<VodStream> plainResult;
            // Alternating, so both meet the same machine load; the plain way is slow, fewer rounds.
            for (int round = 0; round < rounds; ++round) {
                fast.append(timedMs([&] { fastResult = model.movieResults(); }));
                if (round < std::max(1, rounds / 5))
                    plain.append(timedMs([&] { plainResult = plainResults(movies, prefix); }));
            }
            if (fastResult != plainResult) {
                out << "MISMATCH for \"" << prefix << "\": " << fastResult.size() << " against "
                    << plainResult.size() << '\n';
                outcome.identical = false;
            }
            outcome.fast.perKeystroke.append(medianOf(fast));
            outcome.plain.perKeystroke.append(medianOf(plain));
            outcome.fast.worstRead =
                std::max(outcome.fast.worstRead, *std::max_element(fast.cbegin(), fast.cend()));
            outcome.plain.worstRead =
                std::max(outcome.plain.worstRead, *std::max_element(plain.cbegin(), plain.cend()));
            out << "  \"" << prefix << "\": " << fastResult.size() << " results, "
                << QString::number(medianOf(fast), 'f', 3) << " ms (plain "
                << QString::number(medianOf(plain), 'f', 2) << " ms)\n";
        }
    }
    for (const QString &query : checkedQueries) {
        model.setQuery(query);
        if (model.movieResults() != plainResults(movies, query)) {
            out << "MISMATCH for \"" << query << "\"\n";
            outcome.identical = false;
        }
    }
    return outcome;
}

QString ms(double value)
{
    return QString::number(value, 'f', value < 10 ? 3 : 1);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOption(
        {"size", "Sample catalog: large (100,000 movies), extreme (250,000) or both.", "size", "both"});
    parser.addOption({"catalog",
                      "A file holding a get_vod_streams answer to search instead (may be given again).",
                      "file"});
    parser.addOption(
        {"rounds", "Reads per keystroke of the fast path (the plain way gets a fifth).", "n", "25"});
    parser.addHelpOption();
    parser.process(app);
    const int rounds = std::max(1, parser.value("rounds").toInt());
    QTextStream out(stdout);

    struct Run
    {
        QString label;
        std::optional<SampleCatalog::Size> size;
        QByteArray body;
    };
    QList<Run> runs;
    if (parser.isSet("catalog")) {
        for (const QString &path : parser.values("catalog")) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly)) {
                out << "cannot read " << file.fileName() << '\n';
                return 2;
            }
            runs.append({QFileInfo(path).fileName(), std::nullopt, file.readAll()});
        }
    } else {
        const QString size = parser.value("size");
        if (size == "large" || size == "both")
            runs.append({"large", SampleCatalog::Size::Large, {}});
        if (size == "extreme" || size == "both")
            runs.append({"extreme", SampleCatalog::Size::Extreme, {}});
    }

    BenchReport::title(
        QStringLiteral("Search per keystroke"),
        QStringLiteral("One read of `SearchModel::movieResults` for every prefix (from two letters) of "
                       "\"la casa\", \"amor\", \"noche\", \"el\" and \"star\" over the whole movie "
                       "catalog; per keystroke the median of %1 reads. Baseline: fold every name and "
                       "compare on every read (a fifth of the reads), same results required for these "
                       "and eight more queries.")
            .arg(rounds));
    bool allIdentical = true;
    QStringList table;
    for (const Run &run : runs) {
        SampleProvider provider;
        if (run.size)
            provider.setCatalogSize(*run.size);
        else
            provider.setAnswer(QStringLiteral("get_vod_streams"), run.body);
        if (!provider.listenOn()) {
            out << "cannot listen\n";
            return 2;
        }
        out << "catalog " << run.label << ":\n";
        out.flush();
        const Outcome outcome = measure(provider, rounds, out);
        allIdentical = allIdentical && outcome.identical;
        const auto row = [&](const char *path, const Figures &f) {
            return QStringLiteral("| %1 | %2 | %3 | %4 | %5 | %6 |")
                .arg(run.label)
                .arg(outcome.movies)
                .arg(QLatin1String(path))
                .arg(ms(medianOf(f.perKeystroke)))
                .arg(ms(*std::max_element(f.perKeystroke.cbegin(), f.perKeystroke.cend())))
                .arg(ms(f.worstRead));
        };
        const auto worstOf = [](const Figures &f) {
            return *std::max_element(f.perKeystroke.cbegin(), f.perKeystroke.cend());
        };
        const QString what = QStringLiteral("%1 movies%2")
                                 .arg(QLocale(QLocale::English).toString(outcome.movies),
                                      run.size ? QString() : QStringLiteral(" (%1)").arg(run.label));
        const bool targetSize = outcome.movies >= 250000;
        BenchReport::row(
            {what + QLatin1String(", median keystroke"),
             {"SearchModel::movieResults", medianOf(outcome.fast.perKeystroke), "ms"},
             {{"fold-and-compare every name", medianOf(outcome.plain.perKeystroke), "ms"}},
             targetSize ? 4 : 0,
             targetSize ? "< 2 ms" : "",
             targetSize ? std::optional<bool>(medianOf(outcome.fast.perKeystroke) < 2) : std::nullopt,
             QStringLiteral("%1 keystrokes").arg(outcome.fast.perKeystroke.size())});
        BenchReport::row({what + QLatin1String(", worst keystroke"),
                          {"SearchModel::movieResults", worstOf(outcome.fast), "ms"},
                          {{"fold-and-compare every name", worstOf(outcome.plain), "ms"}},
                          targetSize ? 4 : 0,
                          targetSize ? "< 8 ms" : "",
                          targetSize ? std::optional<bool>(worstOf(outcome.fast) < 8) : std::nullopt,
                          QStringLiteral("worst single read %1 ms (baseline %2 ms)")
                              .arg(ms(outcome.fast.worstRead), ms(outcome.plain.worstRead))});
        BenchReport::row({what + QLatin1String(", same results as the baseline"),
                          {"queries answered differently", outcome.identical ? 0.0 : 1.0, ""},
                          {},
                          targetSize ? 4 : 0,
                          targetSize ? "identical results" : "",
                          targetSize ? std::optional<bool>(outcome.identical) : std::nullopt,
                          QStringLiteral("folded names made once per list: %1 ms, %2 KiB held")
                              .arg(ms(outcome.foldMs))
                              .arg(outcome.indexBytes / 1024)});
        table.append(row("folded-name buffer (SearchModel)", outcome.fast));
        table.append(row("plain fold-and-compare", outcome.plain));
        out << "  folded names made once per list: " << ms(outcome.foldMs) << " ms, "
            << outcome.indexBytes / 1024 << " KiB held\n";
        out << "  fetch, decode and folded names: " << ms(outcome.loadMs) << " ms; results "
            << (outcome.identical ? "identical" : "DIFFERENT") << '\n';
        out.flush();
    }
    out << "\n| catalog | movies | path | median per keystroke (ms) | worst keystroke (ms) | worst single "
           "read (ms) |\n";
    out << "|---|---|---|---|---|---|\n";
    for (const QString &line : table)
        out << line << '\n';
    out << (allIdentical ? "\nresults identical for every query\n" : "\nRESULTS DIFFER\n");
    return allIdentical ? 0 : 1;
}
