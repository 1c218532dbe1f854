// A series' detail screen of 200 episodes, open over its section, while one of them plays: every
// 5 s the player saves its position into a progress store of 10,000 entries. Measured: the main
// thread's CPU time per save, from the save until the window has drawn the change (or nothing
// more came for 20 ms): the store's change, the section's "Continuar viendo" row, the one episode
// row whose bar moves, and the frame. The file is written beside the main thread and is not part
// of it. Baselines in the same run, on the same store: the same save with no screen open, and
// with rows that each read the whole store on every change (as the detail screen's rows did).
//
//   bench_series_detail [--saves N]
#include "BenchReport.h"
#include "catalog/CatalogScreen.h"
#include "storage/ProgressStore.h"
#include "SampleProvider.h"
#include "catalog/SeriesCatalog.h"
#include "catalog/SeriesDetailModel.h"
#include "catalog/SeriesModel.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>

#include "shell/NorvaneQmlPlugins.h"

namespace {

constexpr int episodeCount = 200;
constexpr int storeEntries = 10'000;
const QString seriesId = QStringLiteral("77");

// The provider's answer for the series: one season of 200 episodes, written as PHP panels write it.
QByteArray seriesInfo()
{
    QByteArray episodes;
    for (int i = 1; i <= episodeCount; ++i) {
        if (i > 1)
            episodes += ',';
        episodes +=
            QStringLiteral(
                R"({"id":"%1","episode_num":%2,"title":"Cap\u00edtulo %2","container_extension":"mp4",)"
                R"("season":1,"info":{"duration_secs":2400,"plot":"Una trama de dos l\u00edneas)"
                R"( para el cap\u00edtulo %2.","movie_image":"http:\/\/127.0.0.1:1\/e\/%1.jpg"}})")
                .arg(9000 + i)
                .arg(i)
                .toUtf8();
    }
    return R"({"seasons":[],"info":{"name":"Serie","cover":"http:\/\/127.0.0.1:1\/c.jpg"},"episodes":{"1":[)" +
           episodes + "]}}";
}

// "progress.json" with 10,000 entries: a third of this series' episodes started or watched, the
// rest other series' and movies'.
void writeStore(const QString &path)
{
    QJsonArray entries;
    for (int i = 0; i < storeEntries; ++i) {
        const bool ours = i < episodeCount && i % 3 == 0;
        const QString key = ours ? SeriesDetailModel::progressKey(seriesId, QString::number(9001 + i))
                                 : (i % 2 ? QStringLiteral("movie:%1").arg(i)
                                          : QStringLiteral("series:%1:ep:%2").arg(i).arg(i));
        entries.append(
            QJsonObject{{"key", key},
                        {"contentType", key.startsWith(QLatin1String("movie")) ? "movie" : "series"},
                        {"contentId", ours ? seriesId : QString::number(i)},
                        {"name", QStringLiteral("Título %1").arg(i)},
                        {"imageUrl", QStringLiteral("http://127.0.0.1:1/i/%1.jpg").arg(i)},
                        {"positionMs", 60'000 + i},
                        {"durationMs", i % 5 ? 2'400'000 : 60'000 + i},
                        {"updatedAt", 1.7e12 + i},
                        {"url", QStringLiteral("http://127.0.0.1:1/series/u/p/%1.mp4").arg(i)}});
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(entries).toJson()) < 0)
        qFatal("cannot write the store");
}

// Runs the event loop until `done` or `ms` have passed.
bool spinUntil(const std::function<bool()> &done, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms) {
        QEventLoop loop;
        QTimer::singleShot(2, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return done();
}

struct Saves
{
    QList<double> cpuMs; // main-thread CPU per save, sorted
    double median() const { return cpuMs.at(cpuMs.size() / 2); }
    double worst() const { return cpuMs.last(); }
};

// `count` saves of one episode's position, 5 s apart in position (not in time): each measured from
// the save until the window has drawn (or 20 ms without a frame, when nothing was to be drawn).
Saves measureSaves(QQuickWindow *window, const QString &key, int count)
{
    ProgressStore *store = ProgressStore::shared();
    int frames = 0;
    QMetaObject::Connection swapped;
    if (window)
        swapped = QObject::connect(window, &QQuickWindow::frameSwapped, [&frames] { ++frames; });
    Saves saves;
    for (int i = 0; i < count; ++i) {
        store->flush(); // the file of the last save is out of the way (it is written off this thread)
        spinUntil([] { return false; }, 30);
        const int framesBefore = frames;
        const double cpuBefore = BenchReport::threadCpuMs();
        store->recordPosition(key, ContentType::Series, seriesId, QStringLiteral("Serie"), std::nullopt,
                              QStringLiteral("http://127.0.0.1:1/series/u/p/9004.mp4"), 300'000 + 5'000 * i,
                              2'400'000);
        QCoreApplication::processEvents();
        if (window)
            spinUntil([&] { return frames > framesBefore; }, 20);
        saves.cpuMs.append(BenchReport::threadCpuMs() - cpuBefore);
    }
    QObject::disconnect(swapped);
    std::sort(saves.cpuMs.begin(), saves.cpuMs.end());
    return saves;
}

QQuickWindow *show(QQmlEngine &engine, const QByteArray &qml, const QVariantMap &properties)
{
    QQmlComponent component(&engine);
    component.setData(qml, QUrl(QStringLiteral("qrc:/bench/SeriesDetail.qml")));
    // Qt 6.4 crashes when a component that failed is asked for an object.
    if (component.isError())
        qFatal("%s", qPrintable(component.errorString()));
    QObject *root = component.createWithInitialProperties(properties);
    if (!root)
        qFatal("%s", qPrintable(component.errorString()));
    auto *window = new QQuickWindow;
    window->resize(1280, 800);
    qobject_cast<QQuickItem *>(root)->setParentItem(window->contentItem());
    root->setParent(window);
    window->show();
    return window;
}

// The rows as the detail screen made them before: each reads the whole store on every change.
const QByteArray wholeStoreRowsQml = R"(
import QtQuick
import Norvane.Core
ListView {
    width: 1280; height: 800
    model: 200
    delegate: Text {
        required property int index
        height: 90
        readonly property var entry: {
            ProgressStore.entries
            return ProgressStore.entry("series:77:ep:" + (9001 + index))
        }
        text: entry === undefined ? "" : entry.positionMs
    }
}
)";

} // namespace

int main(int argc, char *argv[])
{
    QStandardPaths::setTestModeEnabled(true);
    QGuiApplication app(argc, argv);
    QTemporaryDir home;
    BenchReport::useHome(home.path());
    QStringList args = app.arguments();
    const QString savesOption = BenchReport::takeOption(args, QLatin1String("--saves"));
    const int count = savesOption.isEmpty() ? 40 : std::max(3, savesOption.toInt());

    QDir().mkpath(QFileInfo(ProgressStore::defaultFilePath()).absolutePath());
    writeStore(ProgressStore::defaultFilePath());
    ProgressStore *store = ProgressStore::shared();
    if (store->entries().size() != storeEntries)
        qFatal("the store did not load: %lld entries", qlonglong(store->entries().size()));
    SampleProvider provider;
    if (!provider.listenOn())
        qFatal("no provider");
    provider.setAnswer(QStringLiteral("get_series_info"), seriesInfo());
    const XtreamClient client(provider.baseUrl(), provider.username(), provider.password());
    // The episode that plays: the fourth, on screen.
    const QString key = SeriesDetailModel::progressKey(seriesId, QStringLiteral("9004"));

    BenchReport::title(
        QStringLiteral("Series detail while an episode plays"),
        QStringLiteral(
            "The detail screen of a series of %1 episodes lies over its section (a `SeriesModel`); "
            "one episode's position is saved into a progress store of %2 entries, as the "
            "player does every 5 s while it plays. Main-thread CPU time per save, until the "
            "window has drawn the change; %3 saves.")
            .arg(episodeCount)
            .arg(QLocale(QLocale::English).toString(storeEntries))
            .arg(count));

    // No screen: the store and a section model alone.
    SeriesModel section(store, nullptr);
    const Saves alone = measureSaves(nullptr, key, count);

    QQmlEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/")); // the modules' QML files
    QQuickWindow *baselineWindow = show(engine, wholeStoreRowsQml, {});
    spinUntil([] { return false; }, 300);
    const Saves wholeStore = measureSaves(baselineWindow, key, count);
    delete baselineWindow;

    QQuickWindow *window =
        show(engine,
             "import QtQuick\nimport Norvane\nSeriesDetailView { width: 1280; height: 800; screen: "
             "CatalogScreen {} }\n",
             {{QStringLiteral("client"), QVariant::fromValue(client)},
              {QStringLiteral("series"), QVariant::fromValue(SeriesCatalog::known(seriesId, "Serie", ""))}});
    auto *detail =
        window->contentItem()->childItems().first()->property("detail").value<SeriesDetailModel *>();
    if (!spinUntil([&] { return detail->episodeRows()->rowCount() == episodeCount; }, 20000))
        qFatal("the series did not load");
    spinUntil([] { return false; }, 500);
    const Saves ours = measureSaves(window, key, count);
    delete window;
    store->flush();

    std::printf(
        "main-thread CPU per save: detail screen median %.3f ms, worst %.3f ms; no screen median %.3f ms; "
        "rows reading the whole store median %.3f ms, worst %.3f ms\n",
        ours.median(), ours.worst(), alone.median(), wholeStore.median(), wholeStore.worst());
    BenchReport::row({QStringLiteral("%1 episodes, a store of %2 entries: main-thread time per save")
                          .arg(episodeCount)
                          .arg(QLocale(QLocale::English).toString(storeEntries)),
                      {"CPU per save, median", ours.median(), "ms"},
                      {{"no screen open", alone.median(), "ms"},
                       {"rows reading the whole store", wholeStore.median(), "ms"}},
                      9,
                      "≤ 2 ms",
                      ours.median() <= 2.0,
                      QStringLiteral("worst %1 ms (no screen %2 ms, whole-store rows %3 ms)")
                          .arg(ours.worst(), 0, 'f', 2)
                          .arg(alone.worst(), 0, 'f', 2)
                          .arg(wholeStore.worst(), 0, 'f', 2)});
    return 0;
}
