#include "ErrorTexts.h"
#include "SampleMedia.h"
#include "SampleProvider.h"
#include "SampleProviderThread.h"
#include "ScriptedPlayer.h"
#include "SectionTestHome.h"
#include "StallMeter.h"
#include "TestMain.h"
#include "TestProvider.h"
#include "catalog/MovieDetailModel.h"
#include "catalog/MoviesModel.h"
#include "catalog/SeriesDetailModel.h"
#include "catalog/SeriesModel.h"
#include "client/ApiConnection.h"
#include "client/NorvaneError.h"
#include "images/ImageCache.h"
#include "live/ChannelsModel.h"
#include "playback/VLCEngine.h"
#include "session/SessionStore.h"
#include "shell/AppModel.h"
#include "storage/FavoritesStore.h"
#include "storage/ProgressStore.h"

#include <QCoroTask>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QTimer>
#include <functional>
#include <memory>

using namespace std::chrono_literals;
using norvane::test::SectionTestHome;
using norvane::test::StallMeter;

namespace {

const QString &decodingText = norvane::test::texts::decoding;
const QString &timeoutText = norvane::test::texts::timeout;
const QString &offlineText = norvane::test::texts::offline;
const QString &unexpectedText = norvane::test::texts::unexpected;
const auto httpText = norvane::test::texts::http;

// What the user sees after one request: the sentence shown (empty when nothing is shown) and
// whether the content arrived.
struct Outcome
{
    QString text;
    bool loaded = false;
};

// How a request's answer looks, which decides what a broken copy of it is.
enum class Shape { List, Object, Image, Stream };

enum class Fault { Http401, Http404, Http500, Html, Empty, Truncated, Dropped, Stall, Slow };

ProviderFault providerFault(Fault fault, Shape shape)
{
    ProviderFault f;
    switch (fault) {
    case Fault::Http401:
        f.status = 401;
        break;
    case Fault::Http404:
        f.status = 404;
        break;
    case Fault::Http500:
        f.status = 500;
        break;
    case Fault::Html:
        f.htmlBody = true;
        break;
    case Fault::Empty:
        f.emptyBody = true;
        break;
    case Fault::Truncated:
        f.body = shape == Shape::List     ? QByteArray(R"([{"category_id":"1","category_name":"Uno"},{"cat)")
                 : shape == Shape::Object ? QByteArray(R"({"user_info":{"auth":1,"status":"Act)")
                 : shape == Shape::Image  ? QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\1", 19)
                                          : QByteArray("#EXTM3U\n#EXT-X-TARGETDURATION:");
        break;
    case Fault::Dropped:
        f.dropMidBody = true;
        break;
    case Fault::Stall:
        f.stall = true;
        break;
    case Fault::Slow:
        f.bytesPerSecond = 512 * 1024;
        break;
    }
    return f;
}

// Runs until `done` holds (processing events), at most `ms`.
bool waitUntil(const std::function<bool()> &done, int ms = 30000)
{
    QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired())
        QTest::qWait(5);
    return done();
}

} // namespace

Q_DECLARE_METATYPE(Fault)

// Every request the app makes, against every way the provider can fail, seen through the models
// the screens show: the exact sentence, or the silent fallback, and an event loop that keeps going.
class TestFaultMatrix : public QObject
{
    Q_OBJECT

    // One request: what the provider calls it (an action, "" for sign-in, or a path prefix), how
    // its answer looks, which sentences it shows, and how a screen's model makes it.
    struct Request
    {
        const char *name;
        QString action;
        QString pathPrefix;
        Shape shape;
        enum class Texts { Client, CatalogDownload, SignIn, Silent, Playback } texts;
        std::function<Outcome(TestFaultMatrix &)> run;
    };

    std::unique_ptr<SectionTestHome> m_home;
    std::unique_ptr<ProgressStore> m_progress;
    std::unique_ptr<FavoritesStore> m_favorites;
    SampleProvider *m_provider = nullptr;
    // Once scripted, the provider answers from its own thread (libVLC's stop waits on it).
    std::unique_ptr<SampleProviderThread> m_providerThread;

    XtreamClient client() const { return norvane::test::clientOf(*m_provider); }
    static QString expectedText(Request::Texts texts, Fault fault);
    static QList<Request> requests();

    template <typename Model> Outcome categories(Model &model)
    {
        model.setClient(client());
        model.loadCategories();
        waitUntil([&] { return !model.isLoadingCategories(); });
        return {model.categoriesError(), !model.categories().isEmpty()};
    }
    template <typename Model> Outcome list(Model &model, const QString &categoryId)
    {
        model.setClient(client());
        model.selectCategory(categoryId);
        // A whole catalog is looked for on disk before its download starts: wait for an outcome.
        waitUntil([&] {
            return !model.isLoadingList() && (!model.listError().isEmpty() || model.rows()->rowCount() != 0);
        });
        return {model.listError(), model.rows()->rowCount() != 0};
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(SampleMedia::ensureAll());
        m_home = std::make_unique<SectionTestHome>();
        m_progress = std::make_unique<ProgressStore>(m_home->path() + QLatin1String("/progress.json"));
        m_favorites = std::make_unique<FavoritesStore>(m_home->path() + QLatin1String("/favorites.json"));
        VLCEngine::shared(); // made once per process (libVLC's start), outside the rows' stall meter
        // The product waits 20 s for data and 60 s on a catalog download; a stalled answer proves
        // the same in a second.
        ApiConnection::setIdleTimeout(1s);
        ApiConnection::setCatalogTimeout(1s);
    }

    void init()
    {
        SectionTestHome::forgetCatalog(QStringLiteral("vod_all.json"));
        SectionTestHome::forgetCatalog(QStringLiteral("series_all.json"));
        m_provider = new SampleProvider;
        QVERIFY(m_provider->listenOn());
    }

    void cleanup()
    {
        if (m_providerThread)
            m_providerThread.reset(); // deletes the provider too
        else
            delete m_provider;
        m_provider = nullptr;
    }

    void outcome_data()
    {
        QTest::addColumn<int>("request");
        QTest::addColumn<Fault>("fault");
        const QList<QPair<Fault, const char *>> faults{{Fault::Http401, "401"},
                                                       {Fault::Http404, "404"},
                                                       {Fault::Http500, "500"},
                                                       {Fault::Html, "HTML page"},
                                                       {Fault::Empty, "empty"},
                                                       {Fault::Truncated, "truncated"},
                                                       {Fault::Dropped, "dropped mid-body"},
                                                       {Fault::Stall, "stall"},
                                                       {Fault::Slow, "slow body"}};
        const QList<Request> all = requests();
        for (int i = 0; i < all.size(); ++i) {
            for (const auto &[fault, name] : faults)
                QTest::addRow("%s, %s", all[i].name, name) << i << fault;
        }
    }

    void outcome()
    {
        QFETCH(int, request);
        QFETCH(Fault, fault);
        const Request r = requests().at(request);
        const ProviderFault providerFault = ::providerFault(fault, r.shape);
        if (r.pathPrefix.isEmpty())
            m_provider->setFault(r.action, providerFault);
        else
            m_provider->setPathFault(r.pathPrefix, providerFault);
        m_providerThread = std::make_unique<SampleProviderThread>(m_provider);

        StallMeter meter;
        const Outcome seen = r.run(*this);

        const QString expected = expectedText(r.texts, fault);
        QCOMPARE(seen.text, expected);
        // What libVLC makes of a broken stream that it does not call an error is its own affair.
        if (r.texts != Request::Texts::Playback || !expected.isEmpty())
            QCOMPARE(seen.loaded, fault == Fault::Slow);
        QVERIFY2(meter.longest < 1000,
                 qPrintable(QStringLiteral("event loop blocked %1 ms").arg(meter.longest)));
    }
};

QString TestFaultMatrix::expectedText(Request::Texts texts, Fault fault)
{
    using Texts = Request::Texts;
    if (fault == Fault::Slow || texts == Texts::Silent)
        return QString();
    // The live model acts on a stream in error or ended. libVLC reports a status or a refused or
    // empty answer as an error and ends on an HTML page, but a broken playlist "plays" nothing, a
    // dropped one keeps buffering and a silent one keeps connecting: no fall-back, no sentence.
    if (texts == Texts::Playback) {
        const bool failsInThePlayer = fault == Fault::Http401 || fault == Fault::Http404 ||
                                      fault == Fault::Http500 || fault == Fault::Empty ||
                                      fault == Fault::Html;
        return failsInThePlayer ? NorvaneError::contentDidNotPlay() : QString();
    }
    // Sign-in tries every server and reports the strongest verdict: a server that failed in any
    // way counts as unreachable.
    if (texts == Texts::SignIn)
        return offlineText;
    switch (fault) {
    case Fault::Http401:
        return texts == Texts::CatalogDownload ? unexpectedText : httpText(401);
    case Fault::Http404:
        return texts == Texts::CatalogDownload ? unexpectedText : httpText(404);
    case Fault::Http500:
        return texts == Texts::CatalogDownload ? unexpectedText : httpText(500);
    case Fault::Html:
    case Fault::Empty:
    case Fault::Truncated:
        return decodingText;
    case Fault::Dropped:
        return offlineText;
    case Fault::Stall:
        return timeoutText;
    case Fault::Slow:
        break;
    }
    return QString();
}

QList<TestFaultMatrix::Request> TestFaultMatrix::requests()
{
    using Texts = Request::Texts;
    const QString none;
    return {
        {"sign-in", QString(), none, Shape::Object, Texts::SignIn,
         [](TestFaultMatrix &t) {
             AppModel model;
             model.setServers({t.m_provider->baseUrl()});
             model.setLoginUser(t.m_provider->username());
             model.setLoginPassword(t.m_provider->password());
             QCoro::waitFor(model.runLogin());
             const bool signedIn = model.phase() == AppModel::Phase::Home;
             model.forgetCredentials();
             return Outcome{model.loginMessageText(), signedIn};
         }},
        {"live categories", QStringLiteral("get_live_categories"), none, Shape::List, Texts::Client,
         [](TestFaultMatrix &t) {
             ChannelsModel model(VLCEngine::shared(), t.m_favorites.get());
             return t.categories(model);
         }},
        {"channels of a category", QStringLiteral("get_live_streams"), none, Shape::List, Texts::Client,
         [](TestFaultMatrix &t) {
             ChannelsModel model(VLCEngine::shared(), t.m_favorites.get());
             model.setClient(t.client());
             model.selectCategory(QStringLiteral("1"));
             waitUntil([&] { return !model.isLoadingList(); });
             return Outcome{model.listError(), !model.channels().isEmpty()};
         }},
        {"movie categories", QStringLiteral("get_vod_categories"), none, Shape::List, Texts::Client,
         [](TestFaultMatrix &t) {
             MoviesModel model(t.m_progress.get());
             return t.categories(model);
         }},
        {"movies of a category", QStringLiteral("get_vod_streams"), none, Shape::List, Texts::Client,
         [](TestFaultMatrix &t) {
             MoviesModel model(t.m_progress.get());
             return t.list(model, QStringLiteral("41"));
         }},
        {"whole movie catalog", QStringLiteral("get_vod_streams"), none, Shape::List, Texts::CatalogDownload,
         [](TestFaultMatrix &t) {
             MoviesModel model(t.m_progress.get());
             return t.list(model, QStringLiteral("__recent__"));
         }},
        {"series categories", QStringLiteral("get_series_categories"), none, Shape::List, Texts::Client,
         [](TestFaultMatrix &t) {
             SeriesModel model(t.m_progress.get(), t.m_favorites.get());
             return t.categories(model);
         }},
        {"series of a category", QStringLiteral("get_series"), none, Shape::List, Texts::Client,
         [](TestFaultMatrix &t) {
             SeriesModel model(t.m_progress.get(), t.m_favorites.get());
             return t.list(model, QStringLiteral("81"));
         }},
        {"whole series catalog", QStringLiteral("get_series"), none, Shape::List, Texts::CatalogDownload,
         [](TestFaultMatrix &t) {
             SeriesModel model(t.m_progress.get(), t.m_favorites.get());
             return t.list(model, QStringLiteral("__recent__"));
         }},
        {"movie details", QStringLiteral("get_vod_info"), none, Shape::Object, Texts::Client,
         [](TestFaultMatrix &t) {
             MovieDetailModel model(t.m_progress.get());
             model.setClient(t.client());
             model.setMovie(VodStream(QStringLiteral("Película"), QStringLiteral("200002"), QString(),
                                      QStringLiteral("41"), QStringLiteral("mp4"), QString()));
             model.load();
             waitUntil([&] { return !model.isLoading(); });
             return Outcome{model.error(), model.hasInfo()};
         }},
        {"series details", QStringLiteral("get_series_info"), none, Shape::Object, Texts::Client,
         [](TestFaultMatrix &t) {
             SeriesDetailModel model(t.m_progress.get(), t.m_favorites.get());
             model.setClient(t.client());
             std::array<QString, SeriesStream::FieldCount> fields;
             fields[SeriesStream::Name] = QStringLiteral("Serie");
             fields[SeriesStream::SeriesId] = QStringLiteral("1");
             model.setSeries(SeriesStream(RecordText<SeriesStream::FieldCount>::fromStrings(fields), 0));
             model.load();
             waitUntil([&] { return !model.isLoading(); });
             return Outcome{model.error(), model.hasResponse()};
         }},
        // The guide under the preview fails silently: no sentence anywhere, an empty guide.
        {"programme guide", QStringLiteral("get_short_epg"), none, Shape::Object, Texts::Silent,
         [](TestFaultMatrix &t) {
             VLCEngine engine(std::make_unique<norvane::test::ScriptedPlayer>(), nullptr);
             ChannelsModel model(&engine, t.m_favorites.get());
             model.setClient(t.client());
             model.setFallbackWatchMs(50); // the scripted player stays connecting: no fall-back
             model.select(ChannelRow(QStringLiteral("1001"), QStringLiteral("1"), QStringLiteral("Canal"),
                                     std::nullopt));
             waitUntil([&] { return model.epgLoaded(); });
             const QString shown = model.listError() + model.categoriesError() + model.playbackError();
             return Outcome{shown, !model.epg().isEmpty()};
         }},
        // A poster that does not arrive leaves the placeholder, silently.
        {"poster image", none, QStringLiteral("/images/"), Shape::Image, Texts::Silent,
         [](TestFaultMatrix &t) {
             static int run = 0;
             ImageCache cache(t.m_home->path() + QLatin1String("/images-") + QString::number(++run));
             cache.setRequestTimeout(1s);
             const auto image = QCoro::waitFor(
                 cache.fetch(t.m_provider->baseUrl() + QLatin1String("/images/poster/200001.jpg")));
             return Outcome{QString(), image.has_value()};
         }},
        // The live preview tries the adaptive stream, then the transport stream, then says so.
        {"live stream", none, QStringLiteral("/live/"), Shape::Stream, Texts::Playback,
         [](TestFaultMatrix &t) {
             VLCEngine *engine = VLCEngine::shared();
             ChannelsModel model(engine, t.m_favorites.get());
             model.setClient(t.client());
             model.setFallbackWatchMs(2500);
             model.select(ChannelRow(QStringLiteral("1001"), QStringLiteral("1"), QStringLiteral("Canal"),
                                     std::nullopt));
             // The guide is asked for once the fall-back watch is over: the outcome is settled then.
             waitUntil([&] { return model.epgLoaded(); });
             const Outcome outcome{model.playbackError(), engine->status() == VLCEngine::Status::Playing};
             engine->stop();
             return outcome;
         }},
    };
}

NORVANE_TEST_MAIN(TestFaultMatrix)
#include "tst_faultmatrix.moc"
