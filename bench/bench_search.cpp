// Search per keystroke: the time of one read of SearchModel::movieResults for every prefix of a
// few typical queries over the whole movie catalog, beside the plain way (fold every name on
// every read, then search it) timed in the same run. Both must give the same results; the
// benchmark exits with status 1 when they differ for any query.
//
//   bench_search [--size large|extreme|both] [--catalog <file with a get_vod_streams body>]
//                [--rounds N]
#include "SampleCatalog.h"
#include "SampleProvider.h"
#include "SearchModel.h"
#include "TextFolding.h"

#include <QCommandLineParser>
#include <QCoroTask>
#include <QElapsedTimer>
#include <QFile>
#include <QCoreApplication>
#include <QTextStream>
#include <algorithm>

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

template <typename F>
double timedMs(F &&work)
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

    const auto keystrokes = [](const QString &query) {
        QStringList prefixes;
        for (qsizetype n = 1; n <= query.size(); ++n)
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
                out << "MISMATCH for \"" << prefix << "\": " << fastResult.size() << " against " << plainResult.size()
                    << '\n';
                outcome.identical = false;
            }
            outcome.fast.perKeystroke.append(medianOf(fast));
            outcome.plain.perKeystroke.append(medianOf(plain));
            outcome.fast.worstRead = std::max(outcome.fast.worstRead, *std::max_element(fast.cbegin(), fast.cend()));
            outcome.plain.worstRead = std::max(outcome.plain.worstRead, *std::max_element(plain.cbegin(), plain.cend()));
            out << "  \"" << prefix << "\": " << fastResult.size() << " results, " << QString::number(medianOf(fast), 'f', 3)
                << " ms (plain " << QString::number(medianOf(plain), 'f', 2) << " ms)\n";
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
    parser.addOption({"size", "Sample catalog: large (100,000 movies), extreme (250,000) or both.", "size", "both"});
    parser.addOption({"catalog", "A file holding a get_vod_streams answer to search instead.", "file"});
    parser.addOption({"rounds", "Reads per keystroke of the fast path (the plain way gets a fifth).", "n", "25"});
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
        QFile file(parser.value("catalog"));
        if (!file.open(QIODevice::ReadOnly)) {
            out << "cannot read " << file.fileName() << '\n';
            return 2;
        }
        runs.append({file.fileName(), std::nullopt, file.readAll()});
    } else {
        const QString size = parser.value("size");
        if (size == "large" || size == "both")
            runs.append({"large", SampleCatalog::Size::Large, {}});
        if (size == "extreme" || size == "both")
            runs.append({"extreme", SampleCatalog::Size::Extreme, {}});
    }

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
        table.append(row("folded-name buffer (SearchModel)", outcome.fast));
        table.append(row("plain fold-and-compare", outcome.plain));
        out << "  fetch, decode and folded names: " << ms(outcome.loadMs) << " ms; results "
            << (outcome.identical ? "identical" : "DIFFERENT") << '\n';
        out.flush();
    }
    out << "\n| catalog | movies | path | median per keystroke (ms) | worst keystroke (ms) | worst single read (ms) |\n";
    out << "|---|---|---|---|---|---|\n";
    for (const QString &line : table)
        out << line << '\n';
    out << (allIdentical ? "\nresults identical for every query\n" : "\nRESULTS DIFFER\n");
    return allIdentical ? 0 : 1;
}
