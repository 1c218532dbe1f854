// The movies, series and search sections and the player against the sample provider: a poster
// grid (also with the keyboard's focus ring), a first catalog download with its fraction, the
// continue-watching grid, movie details unfinished and watched, a series with seasons and a
// watched episode, the player with its controls (volume included), its error and its up-next
// overlay, and search results of each kind.
#include <QQuickItem>

#include "SampleCatalog.h"
#include "SampleMedia.h"
#include "SampleProvider.h"
#include "ScreenshotRun.h"
#include "catalog/MovieDetailModel.h"
#include "catalog/MoviesModel.h"
#include "catalog/SeriesDetailModel.h"
#include "catalog/SeriesModel.h"
#include "playback/VLCEngine.h"
#include "player/PlayerModel.h"
#include "search/SearchModel.h"
#include "storage/CatalogDiskCopy.h"
#include "storage/ProgressStore.h"

namespace {

QQuickItem *findNamed(QQuickItem *root, const QString &objectName)
{
    if (!root)
        return nullptr;
    if (root->objectName() == objectName)
        return root;
    for (QQuickItem *child : root->childItems()) {
        if (QQuickItem *found = findNamed(child, objectName))
            return found;
    }
    return nullptr;
}

XtreamClient clientFor(ScreenshotRun &run)
{
    const SampleProvider &provider = run.provider();
    return XtreamClient(provider.baseUrl(), provider.username(), provider.password());
}

const QByteArray moviesViewQml =
    "import QtQuick\nimport Norvane\nCatalogView { id: view; model: MoviesModel { client: view.client } }\n";

QVariantMap withClient(ScreenshotRun &run)
{
    return {{QStringLiteral("client"), QVariant::fromValue(clientFor(run))}};
}

void recordMovie(const VodStream &movie, qint64 positionMs, qint64 durationMs, ScreenshotRun &run)
{
    ProgressStore::shared()->recordPosition(
        MovieDetailModel::progressKey(movie.streamId()), ContentType::Movie, movie.streamId(), movie.name(),
        movie.streamIcon(), clientFor(run).streamUrl(ContentType::Movie, movie.streamId(), "mp4"), positionMs,
        durationMs);
}

// Grid, continue-watching cards and both detail states; returns the movies of the grid.
void movieStates(ScreenshotRun &run)
{
    QQuickItem *view = run.show(moviesViewQml, withClient(run));
    if (!view)
        return;
    auto *model = view->property("model").value<MoviesModel *>();
    if (!run.waitUntil([&] { return !model->categories().isEmpty() && !model->isLoadingList(); }, 30000,
                       QStringLiteral("movie categories")))
        return;
    model->selectCategory(model->categories().first().categoryId());
    if (!run.waitUntil([&] { return !model->isLoadingList() && model->movies().size() > 4; }, 10000,
                       QStringLiteral("movies of a category")))
        return;
    run.settle(2500);
    run.shoot(QStringLiteral("movies-grid"));
    // The keyboard's ring on the second poster, as Tab and Right leave it.
    if (QQuickItem *grid = findNamed(view, QStringLiteral("posterGrid"))) {
        grid->setProperty("currentIndex", 1);
        grid->forceActiveFocus(Qt::TabFocusReason);
        run.settle(300);
        run.shoot(QStringLiteral("movies-grid-keyboard"));
        grid->setFocus(false);
    }

    const QList<VodStream> movies = model->movies();
    recordMovie(movies[0], 1'500'000, 6'000'000, run);
    recordMovie(movies[1], 4'000'000, 6'000'000, run);
    recordMovie(movies[2], 600'000, 6'000'000, run);
    recordMovie(movies[3], 5'900'000, 6'000'000, run);
    model->selectCategory(QStringLiteral("__continue__"));
    run.settle(2500);
    run.shoot(QStringLiteral("movies-continue"));

    view->setProperty("detail", QVariant::fromValue(movies[0]));
    QQuickItem *resume = nullptr;
    run.waitUntil([&] { return (resume = findNamed(view, "resumeButton")) && resume->isVisible(); }, 8000,
                  QStringLiteral("movie details"));
    run.settle(2000);
    run.shoot(QStringLiteral("movie-detail-unfinished"));

    view->setProperty("detail", QVariant());
    view->setProperty("detail", QVariant::fromValue(movies[3]));
    run.waitUntil([&] { return (resume = findNamed(view, "resumeButton")) && resume->isVisible(); }, 8000,
                  QStringLiteral("watched movie details"));
    run.settle(2000);
    run.shoot(QStringLiteral("movie-detail-watched"));
}

void catalogLoadingState(ScreenshotRun &run)
{
    SampleProvider &provider = run.provider();
    const CatalogDiskCopy copy(QStringLiteral("vod_all.json"));
    QFile::remove(copy.path());
    copy.rememberSize(provider.catalog().wholeList(SampleCatalog::Kind::Vod, provider.baseUrl()).size());
    ProviderFault slow;
    slow.bytesPerSecond = 60'000;
    provider.setFault(QStringLiteral("get_vod_streams"), slow);
    QQuickItem *view = run.show(moviesViewQml, withClient(run));
    if (view) {
        auto *model = view->property("model").value<MoviesModel *>();
        if (run.waitUntil([&] { return model->downloadFraction().value_or(0.0) > 0.02; }, 20000,
                          QStringLiteral("catalog download fraction"))) {
            run.settle(300);
            run.shoot(QStringLiteral("movies-catalog-loading"));
        }
    }
    provider.clearScript();
    run.show("import QtQuick\nItem {}\n");
}

void seriesState(ScreenshotRun &run)
{
    std::array<QString, SeriesStream::FieldCount> fields;
    fields[SeriesStream::Name] = run.provider().catalog().seriesName(1).value_or(QStringLiteral("Serie"));
    fields[SeriesStream::SeriesId] = QStringLiteral("1");
    const SeriesStream series(RecordText<SeriesStream::FieldCount>::fromStrings(fields), 0);
    const XtreamClient client = clientFor(run);
    ProgressStore::shared()->recordPosition(
        "series:1:ep:121", ContentType::Series, "1", fields[SeriesStream::Name], std::nullopt,
        client.streamUrl(ContentType::Series, "121", "mp4"), 29'000, 30'000);
    ProgressStore::shared()->recordPosition(
        "series:1:ep:122", ContentType::Series, "1", fields[SeriesStream::Name], std::nullopt,
        client.streamUrl(ContentType::Series, "122", "mp4"), 12'000, 30'000);
    QQuickItem *view =
        run.show("import QtQuick\nimport Norvane\nSeriesDetailView { screen: CatalogScreen {} }\n",
                 {{QStringLiteral("client"), QVariant::fromValue(client)},
                  {QStringLiteral("series"), QVariant::fromValue(series)}});
    if (!view)
        return;
    auto *detail = view->property("detail").value<SeriesDetailModel *>();
    if (!run.waitUntil([&] { return detail->hasResponse(); }, 8000, QStringLiteral("series details")))
        return;
    run.settle(2500);
    run.shoot(QStringLiteral("series-detail"));

    // The grid's "Favoritos" with no favourite series: the two-line hint.
    QQuickItem *section = run.show("import QtQuick\nimport Norvane\nCatalogView { id: view; model: "
                                   "SeriesModel { client: view.client } }\n",
                                   withClient(run));
    if (!section)
        return;
    auto *model = section->property("model").value<SeriesModel *>();
    if (!run.waitUntil([&] { return !model->categories().isEmpty() && !model->isLoadingCategories(); }, 30000,
                       QStringLiteral("series categories")))
        return;
    model->selectCategory(QStringLiteral("__favorites__"));
    run.settle(1500);
    run.shoot(QStringLiteral("series-favorites-hint"));
}

PlayableItem episodeItem(ScreenshotRun &run, int number, qint64 startMs, const QString &address = {})
{
    const QString id = QString::number(120 + number);
    return PlayableItem(
        run.provider().catalog().seriesName(1).value_or(QStringLiteral("Serie")),
        QStringLiteral("T1 · E%1 · ").arg(number) +
            run.provider().catalog().episodeTitle(id.toLongLong()).value_or(QString()),
        address.isEmpty() ? clientFor(run).streamUrl(ContentType::Series, id, "mp4") : address,
        QStringLiteral("series:1:ep:") + id, ContentType::Series, QStringLiteral("1"), std::nullopt, startMs);
}

// The player screen on a model of `queue`; the model lives as long as the run's window content.
QQuickItem *showPlayer(ScreenshotRun &run, const QList<PlayableItem> &queue, PlayerModel *&model)
{
    model = new PlayerModel(VLCEngine::shared(), ProgressStore::shared());
    model->setQueue(queue);
    QQuickItem *view =
        run.show("import QtQuick\nimport Norvane\nPlayerView { playback.controls.hideDelayMs: 600000 }\n",
                 {{QStringLiteral("model"), QVariant::fromValue(model)}});
    if (view)
        model->setParent(view);
    return view;
}

void playerStates(ScreenshotRun &run)
{
    PlayerModel *model = nullptr;
    const QString tracksMovie = clientFor(run).streamUrl(ContentType::Movie, "200002", "mp4");
    if (showPlayer(run, {episodeItem(run, 1, 0, tracksMovie), episodeItem(run, 2, 0)}, model) &&
        run.waitUntil(
            [&] {
                return VLCEngine::shared()->status() == VLCEngine::Status::Playing &&
                       VLCEngine::shared()->currentTimeMs() > 2000;
            },
            20000, QStringLiteral("player playing"))) {
        run.settle(500);
        run.shoot(QStringLiteral("player-controls"));
    }

    if (showPlayer(run, {episodeItem(run, 1, 0, run.provider().baseUrl() + "/media/missing.mp4")}, model) &&
        run.waitUntil([&] { return !model->playbackError().isEmpty(); }, 20000,
                      QStringLiteral("player error"))) {
        run.settle(300);
        run.shoot(QStringLiteral("player-error"));
    }

    if (showPlayer(run, {episodeItem(run, 1, 27'000), episodeItem(run, 2, 0)}, model) &&
        run.waitUntil([&] { return model->showUpNext() && model->upNextCountdown() < 10; }, 30000,
                      QStringLiteral("up next"))) {
        run.settle(300);
        run.shoot(QStringLiteral("player-up-next"));
    }
    VLCEngine::shared()->stop();
    run.show("import QtQuick\nItem {}\n");
}

void searchStates(ScreenshotRun &run)
{
    QQuickItem *view = run.show("import QtQuick\nimport Norvane\nSearchView {}\n", withClient(run));
    if (!view)
        return;
    auto *model = view->property("model").value<SearchModel *>();
    if (!run.waitUntil([&] { return !model->isLoading(); }, 30000, QStringLiteral("search channels")))
        return;
    model->setQuery(QStringLiteral("S"));
    run.settle(500);
    run.shoot(QStringLiteral("search-hint"));
    model->setQuery(QStringLiteral("zzqx"));
    run.settle(500);
    run.shoot(QStringLiteral("search-empty"));
    const SampleCatalog &catalog = run.provider().catalog();
    const struct
    {
        SearchModel::Kind kind;
        QString query;
        QString name;
    } cases[] = {
        {SearchModel::Live, catalog.channelName(1001).value_or(QStringLiteral("Canal")).left(3),
         "search-channels"},
        {SearchModel::Movies, catalog.movieName(200001).value_or(QStringLiteral("El")).left(3),
         "search-movies"},
        {SearchModel::Series, catalog.seriesName(1).value_or(QStringLiteral("La")).left(3), "search-series"},
    };
    for (const auto &shot : cases) {
        model->setKind(shot.kind);
        model->ensureLoaded();
        model->setQuery(shot.query);
        if (!run.waitUntil([&] { return !model->isLoading(); }, 30000, QStringLiteral("search list")))
            continue;
        run.settle(2500);
        run.shoot(shot.name);
    }
}

} // namespace

void shootScreenStates(ScreenshotRun &run)
{
    if (!SampleMedia::ensureAll()) {
        run.fail(QStringLiteral("sample media: ") + SampleMedia::lastError());
        return;
    }
    // The store's folder outlives a run: start without earlier runs' positions, so the first
    // grid has no "Continuar viendo" row yet.
    for (const QString &key : ProgressStore::shared()->entries().keys())
        ProgressStore::shared()->removeEntry(key);
    catalogLoadingState(run);
    movieStates(run);
    seriesState(run);
    playerStates(run);
    searchStates(run);
}
