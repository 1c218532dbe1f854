#include "TestMain.h"
#include "storage/FavoritesStore.h"
#include "storage/ProgressStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <csignal>
#include <cstdio>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr int totalWrites = 1000;

// Started as a child process (NORVANE_STORE_WRITER=<folder>): writes both stores over and over,
// the way the player and the star buttons do, and reports each finished pair of writes with one
// byte on standard output, until it is killed. Progress entries are replaced in place (the file
// keeps its size); each favorite is new (the file only grows), so a lost write would show.
int runWriter(const QString &folder)
{
    ProgressStore progress(folder + QLatin1String("/progress.json"));
    FavoritesStore favorites(folder + QLatin1String("/favorites.json"));
    for (qint64 i = favorites.items().size();; ++i) {
        const QString id = QString::number(i);
        progress.recordPosition(QStringLiteral("movie:%1").arg(i % 50), ContentType::Movie, id,
                                QStringLiteral("Película ") + id, std::nullopt,
                                QStringLiteral("http://h/movie/u/p/%1.mp4").arg(i), 1000 + i, 7'200'000);
        favorites.add(Favorite(ContentType::Live, id, QStringLiteral("Canal ") + id, std::nullopt));
        progress.flush(); // positions are written beside the main thread: done once flushed
        if (::write(STDOUT_FILENO, ".", 1) != 1)
            return 1;
    }
}

[[maybe_unused]] const bool writerRan = [] {
    if (qEnvironmentVariableIsSet("NORVANE_STORE_WRITER"))
        std::exit(runWriter(qEnvironmentVariable("NORVANE_STORE_WRITER")));
    return false;
}();

} // namespace

// The stores survive being killed at any moment: after each SIGKILL the files load with every
// change that was reported done, nothing is moved aside as corrupt, and nothing is lost.
class TestStoreCrash : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void killedWriterLosesNothing()
    {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString progressPath = folder.filePath(QStringLiteral("progress.json"));
        const QString favoritesPath = folder.filePath(QStringLiteral("favorites.json"));
        int writes = 0;
        int kills = 0;
        qsizetype favoritesBefore = 0;
        QSet<QString> positionsDone;
        while (writes < totalWrites) {
            QProcess writer;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("NORVANE_STORE_WRITER"), folder.path());
            writer.setProcessEnvironment(env);
            writer.start(QCoreApplication::applicationFilePath(), {});
            QVERIFY(writer.waitForStarted(10000));
            // Let it get into its loop, then kill it at a random moment of the next writes.
            QVERIFY(writer.waitForReadyRead(30000));
            std::this_thread::sleep_for(
                std::chrono::microseconds(QRandomGenerator::global()->bounded(60000)));
            ::kill(pid_t(writer.processId()), SIGKILL);
            QVERIFY(writer.waitForFinished(10000));
            QCOMPARE(writer.exitStatus(), QProcess::CrashExit);
            const int done = int(writer.readAllStandardOutput().size());
            writes += done;
            ++kills;

            const ProgressStore progress(progressPath);
            const FavoritesStore favorites(favoritesPath);
            QVERIFY2(QDir(folder.path()).entryList({QStringLiteral("*.corrupt*")}, QDir::Files).isEmpty(),
                     "a store file did not load");
            // Every position reported done is on disk; that of the pair being written when killed
            // may not be (positions are written beside the main thread, favourites at once). The
            // writer starts at the index after the favourites it finds.
            for (qsizetype i = favoritesBefore; i < favoritesBefore + done; ++i)
                positionsDone.insert(QStringLiteral("movie:%1").arg(i % 50));
            for (const QString &key : std::as_const(positionsDone))
                QVERIFY2(progress.entries().contains(key), qPrintable(key));
            // Every pair reported done is on disk; the one being written when killed may be too.
            QVERIFY(favorites.items().size() >= favoritesBefore + done);
            QVERIFY(favorites.items().size() <= favoritesBefore + done + 1);
            favoritesBefore = favorites.items().size();
        }
        qInfo("%d writes of each file, %d kills", writes, kills);
        QVERIFY(kills >= 20);
        // What a kill leaves behind is at most QSaveFile's unfinished temporary, owner-only too.
        for (const QFileInfo &file : QDir(folder.path()).entryInfoList(QDir::Files | QDir::Hidden)) {
            struct stat info;
            QCOMPARE(::stat(QFile::encodeName(file.filePath()).constData(), &info), 0);
            QCOMPARE(info.st_mode & 0777, 0600u);
        }
    }
};

NORVANE_TEST_MAIN(TestStoreCrash)
#include "tst_storecrash.moc"
