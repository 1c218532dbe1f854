#include "SampleMedia.h"
#include "SampleProvider.h"
#include "SampleProviderThread.h"
#include "TestMain.h"
#include "catalog/MovieDetailModel.h"
#include "catalog/MoviesModel.h"
#include "images/ImageCache.h"
#include "live/ChannelsModel.h"
#include "playback/VLCEngine.h"
#include "player/PlayerModel.h"
#include "session/Keychain.h"
#include "shell/AppModel.h"
#include "storage/FavoritesStore.h"
#include "storage/ProgressStore.h"

#include <QCoroTask>
#include <QDeadlineTimer>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtQml/QQmlExtensionPlugin>
#include <cstdio>
#include <sys/stat.h>

#include "shell/NorvaneQmlPlugins.h"

namespace {

// Distinctive enough that any occurrence is a leak, and the same in a URL as typed.
const QString password = QStringLiteral("Pq7zXv3Kw9Lm2Rt");

bool waitUntil(const std::function<bool()> &done, int ms = 20000)
{
    QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired())
        QTest::qWait(10);
    return done();
}

void say(const char *step)
{
    std::fputs(step, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// The child's session, as a user would go through it: sign in, browse live TV and watch a
// channel, open the movies and a movie's details, look at a poster, watch the movie a little.
// With `signInOnly` it stops after signing in (the run without a Secret Service).
int runSession(bool signInOnly)
{
    static int argc = 1;
    static char name[] = "tst_credentials";
    static char *argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);
    // The suite's keyring is shared by test programs running side by side.
    Keychain::setService(
        QStringLiteral("app.norvane.Norvane.test.%1").arg(QCoreApplication::applicationPid()));
    auto *provider = new SampleProvider;
    provider->setCredentials(QStringLiteral("demo"), password);
    if (!provider->listenOn())
        return 2;
    const SampleProviderThread providerThread(provider);
    AppModel session;
    session.setServers({provider->baseUrl()});
    session.setLoginUser(QStringLiteral("demo"));
    session.setLoginPassword(password);
    QCoro::waitFor(session.runLogin());
    if (session.phase() != AppModel::Phase::Home)
        return 3;
    say("signed-in");
    if (signInOnly)
        return 0;
    const XtreamClient client = *session.client();

    VLCEngine *engine = VLCEngine::shared();
    ChannelsModel channels(engine, FavoritesStore::shared());
    channels.setClient(client);
    channels.loadCategories();
    channels.selectCategory(QStringLiteral("1"));
    if (!waitUntil([&] { return !channels.isLoadingList() && !channels.channels().isEmpty(); }))
        return 4;
    const ChannelRow channel = channels.channels().first();
    channels.select(channel);
    channels.toggleFavorite(channel);
    if (!waitUntil([&] { return engine->status() == VLCEngine::Status::Playing; }))
        return 5;
    say("live played");

    MoviesModel movies(ProgressStore::shared());
    movies.setClient(client);
    movies.selectCategory(QStringLiteral("__recent__"));
    if (!waitUntil([&] { return !movies.isLoadingList() && !movies.movies().isEmpty(); }))
        return 6;
    MovieDetailModel detail(ProgressStore::shared());
    detail.setClient(client);
    detail.setMovie(movies.movies().first());
    detail.load();
    if (!waitUntil([&] { return detail.hasInfo(); }))
        return 7;
    // Some catalog entries carry no poster or a broken one: the first few hold a real one.
    bool posterSeen = false;
    for (const VodStream &movie : movies.movies().mid(0, 8))
        posterSeen =
            posterSeen || QCoro::waitFor(ImageCache::shared()->fetch(movie.streamIcon())).has_value();
    if (!posterSeen)
        return 8;

    PlayerModel player(engine, ProgressStore::shared());
    player.setQueue({detail.playableItem(false)});
    player.setIndex(0);
    player.playCurrent(0);
    if (!waitUntil(
            [&] { return engine->status() == VLCEngine::Status::Playing && engine->currentTimeMs() > 500; }))
        return 9;
    player.close();
    say("movie played");
    ProgressStore::shared()->flush(); // std::exit skips the flush at the application's end
    return ProgressStore::shared()->entries().isEmpty() ? 10 : 0;
}

[[maybe_unused]] const bool sessionRan = [] {
    const QByteArray mode = qgetenv("NORVANE_CREDENTIALS_SESSION");
    if (!mode.isEmpty())
        std::exit(runSession(mode == "sign-in"));
    return false;
}();

// The child's output and exit code, run with its home (and every XDG folder) in `home`.
struct SessionRun
{
    QByteArray output;
    int exitCode = -1;
    qint64 ms = 0;
};

SessionRun runChild(const QString &home, const QByteArray &mode, bool withSecretService)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("NORVANE_CREDENTIALS_SESSION"), QString::fromLatin1(mode));
    env.remove(QStringLiteral("NORVANE_VLC_LOG"));
    // Every logging category on, each line marked with its category, so that a credential in any
    // of them would show in the output.
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("norvane.*=true"));
    env.insert(QStringLiteral("QT_MESSAGE_PATTERN"), QStringLiteral("%{category}: %{message}"));
    env.insert(QStringLiteral("HOME"), home);
    // The sample media stay where this process made them, outside the home under inspection.
    env.insert(QStringLiteral("NORVANE_SAMPLE_MEDIA_DIR"), QFileInfo(SampleMedia::directory()).path());
    for (const char *variable : {"XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_CONFIG_HOME", "XDG_STATE_HOME"})
        env.insert(QString::fromLatin1(variable),
                   home + QLatin1Char('/') + QString::fromLatin1(variable).toLower());
    if (!withSecretService) {
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                   QStringLiteral("unix:path=") + home + QStringLiteral("/no-bus"));
        env.remove(QStringLiteral("DISPLAY"));
    }
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    QElapsedTimer clock;
    clock.start();
    child.start(QCoreApplication::applicationFilePath(), {});
    SessionRun run;
    if (!child.waitForStarted(10000))
        return run;
    if (!child.waitForFinished(120000))
        child.kill();
    child.waitForFinished(5000);
    run.output = child.readAll();
    run.exitCode = child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
    run.ms = clock.elapsed();
    return run;
}

// The file's text with the stream addresses of watch progress left out: they hold the password
// by design (the provider's stream addresses are made of it).
QByteArray withoutStreamAddresses(const QString &path, const QByteArray &bytes)
{
    if (!path.endsWith(QLatin1String("/progress.json")))
        return bytes;
    QJsonArray entries = QJsonDocument::fromJson(bytes).array();
    for (auto entry : entries) {
        QJsonObject object = entry.toObject();
        object.remove(QStringLiteral("url"));
        entry = object;
    }
    return QJsonDocument(entries).toJson();
}

} // namespace

// The subscriber's password stays in the Secret Service and in the stream addresses: never on the
// terminal, in a file or in the settings; every file and folder the app makes is the user's alone.
class TestCredentials : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(SampleMedia::ensureAll()); }

    void passwordStaysOutOfOutputAndFiles()
    {
        QTemporaryDir home;
        QVERIFY(home.isValid());
        const SessionRun run = runChild(home.path(), "full", true);
        QVERIFY2(run.exitCode == 0, run.output.constData());
        QVERIFY2(run.output.contains("movie played"), run.output.constData());
        for (const char *category : {"norvane.provider:", "norvane.playback:", "norvane.keyring:"})
            QVERIFY2(run.output.contains(category), category);
        QVERIFY2(!run.output.contains(password.toUtf8()), run.output.constData());

        int files = 0;
        bool progressKeepsAddresses = false;
        QDirIterator it(home.path(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            const QFileInfo info = it.fileInfo();
            if (path.contains(QLatin1String("/Norvane"))) {
                struct stat mode;
                QCOMPARE(::stat(QFile::encodeName(path).constData(), &mode), 0);
                QVERIFY2((mode.st_mode & 0777) == (info.isDir() ? 0700u : 0600u), qPrintable(path));
            }
            if (!info.isFile())
                continue;
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll();
            ++files;
            progressKeepsAddresses |=
                path.endsWith(QLatin1String("/progress.json")) && bytes.contains(password.toUtf8());
            QVERIFY2(!withoutStreamAddresses(path, bytes).contains(password.toUtf8()), qPrintable(path));
        }
        // The stores, the catalog copy, its size setting and the poster were all looked at.
        QVERIFY2(files >= 5, qPrintable(QString::number(files)));
        QVERIFY(progressKeepsAddresses);
    }

    // Without a session bus to reach there is no Secret Service: signing in still works, at once.
    void signInWithoutSecretService()
    {
        QTemporaryDir home;
        QVERIFY(home.isValid());
        const SessionRun run = runChild(home.path(), "sign-in", false);
        QVERIFY2(run.exitCode == 0, run.output.constData());
        QVERIFY(run.output.contains("signed-in"));
        QVERIFY2(!run.output.contains(password.toUtf8()), run.output.constData());
        qInfo("signed in without a Secret Service in %lld ms (process start included)", run.ms);
        QVERIFY2(run.ms < 30000, qPrintable(QString::number(run.ms)));
    }
};

NORVANE_TEST_MAIN(TestCredentials)
#include "tst_credentials.moc"
