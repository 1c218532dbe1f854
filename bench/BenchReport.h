#pragma once

// Machine-readable results of a benchmark: one line per figure, "@bench {json}", which
// ./scripts/bench turns into the tables of docs/performance.md. Human-readable output may
// surround them; only these lines are read.
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <ctime>
#include <optional>
#include <sys/resource.h>

namespace BenchReport {

// One measured quantity; lower is better unless the target says otherwise.
struct Figure
{
    QString label;
    double value = 0;
    QString unit; // "ms", "MB", "B", "x", ...
};

struct Row
{
    QString name;            // what this row measures: "100,000 movies, warm memory"
    Figure ours;             // Norvane's figure
    QList<Figure> baselines; // measured in the same run; the ratio column is ours / baseline
    int target = 0;          // number of the performance target this row checks; 0 when none
    QString targetText;      // "≤ 3x DOM parse", "< 50 ms", ... empty when none
    std::optional<bool> met; // absent when the row checks no target
    QString detail;          // anything else worth a cell (counts, spread)
};

inline QJsonObject toJson(const Figure &figure)
{
    return {{"label", figure.label}, {"value", figure.value}, {"unit", figure.unit}};
}

inline void writeLine(QJsonObject line)
{
    line.insert("bench", QFileInfo(QCoreApplication::applicationFilePath()).fileName());
    std::printf("@bench %s\n", QJsonDocument(line).toJson(QJsonDocument::Compact).constData());
    std::fflush(stdout);
}

// The benchmark's heading and a sentence on what it measures (written once per run).
inline void title(const QString &text, const QString &about)
{
    writeLine({{"type", "title"}, {"title", text}, {"about", about}});
}

// unmetVerdict: shown instead of "missed" when the bound cannot be judged on this machine
// ("needs a GPU").
inline void row(const Row &row, const QString &unmetVerdict = {})
{
    QJsonArray baselines;
    for (const Figure &baseline : row.baselines)
        baselines.append(toJson(baseline));
    QJsonObject line{{"type", "row"},          {"name", row.name},     {"ours", toJson(row.ours)},
                     {"baselines", baselines}, {"target", row.target}, {"targetText", row.targetText},
                     {"detail", row.detail}};
    if (row.met)
        line.insert("met", *row.met);
    if (row.met && !*row.met && !unmetVerdict.isEmpty())
        line.insert("verdict", unmetVerdict);
    writeLine(line);
}

// The folder of cached sample catalogs that ./scripts/bench made ("vod-large.json", ...), or
// empty when the benchmark runs on its own.
// The value after `name` among the arguments ("--catalog FILE"), taken out of them so that the
// rest can be read by position; empty when the option is not there.
inline QString takeOption(QStringList &args, QLatin1String name)
{
    const qsizetype at = args.indexOf(name);
    if (at < 0 || at + 1 >= args.size())
        return {};
    const QString value = args.at(at + 1);
    args.remove(at, 2);
    return value;
}

// The two ways the sample catalogs are written: as PHP panels escape them ("\/", \u00e9; what
// providers send, measured first) and plain UTF-8, for comparison.
struct CatalogStyle
{
    const char *label;  // in row names: "PHP-style", "plain"
    const char *suffix; // of the file names: "vod-large-php.json", "vod-large-plain.json"
    bool plain;
};
inline constexpr CatalogStyle catalogStyles[] = {{"PHP-style", "-php", false}, {"plain", "-plain", true}};

inline QString catalogFile(const QString &kind, const QString &size,
                           const CatalogStyle &style = catalogStyles[0])
{
    const QString dir = qEnvironmentVariable("NORVANE_BENCH_CATALOGS");
    if (dir.isEmpty())
        return QString();
    const QString path = dir + QLatin1Char('/') + kind + QLatin1Char('-') + size +
                         QLatin1String(style.suffix) + QLatin1String(".json");
    return QFile::exists(path) ? path : QString();
}

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return file.readAll();
}

// Points HOME and the preferences at `dir`, so what the benchmark writes stays out of the
// user's files. Call after QStandardPaths::setTestModeEnabled(true).
inline void useHome(const QString &dir)
{
    qputenv("HOME", dir.toLocal8Bit());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir + QLatin1String("/config"));
}

// CPU time of the calling thread, in ms.
inline double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// CPU time of the whole process (every thread), in ms.
inline double processCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval &t) { return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// A line of /proc/self/status in bytes ("VmRSS", "VmHWM").
inline qint64 statusBytes(const char *key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray prefix = QByteArray(key) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').first().toLongLong() * 1024;
    }
    return 0;
}

// Sets the peak resident size back to the current one, so VmHWM measures what follows.
inline void resetPeakResident()
{
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    if (clearRefs.open(QIODevice::WriteOnly))
        clearRefs.write("5");
}

} // namespace BenchReport
