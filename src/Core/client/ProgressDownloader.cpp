#include "client/ProgressDownloader.h"

#include "client/DeclaredLength.h"
#include "client/NorvaneError.h"
#include "client/ReplyWatchdog.h"
#include "provider/ProviderJson.h"
#include "storage/DiskCatalogCache.h"
#include "storage/PrivateFiles.h"

#include <QCoroFuture>
#include <QCoroNetworkReply>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTemporaryFile>
#include <QtConcurrent/QtConcurrentRun>
#include <fcntl.h>
#include <limits>
#include <memory>
#include <sys/file.h>
#include <unistd.h>

namespace {

constexpr qint64 readChunkBytes = 256 * 1024;
constexpr QLatin1StringView temporaryPrefix("norvane-download-");
// A running download holds a lock on its file. One that nobody locks and that is untouched for
// this long was left by a run that was killed, and would otherwise stay in the cache for good (the
// age spares a file made a moment ago, before its download locked it).
constexpr qint64 leftoverAgeSeconds = 30 * 60;

struct DeleteLater
{
    void operator()(QObject *object) const { object->deleteLater(); }
};

std::optional<int> statusOf(QNetworkReply *reply)
{
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    return status.isValid() ? std::optional<int>(status.toInt()) : std::nullopt;
}

bool isSuccess(int status)
{
    return status >= 200 && status <= 299;
}

bool isRedirect(int status)
{
    return status >= 300 && status <= 399;
}

// Removes the file unless a running download (of this process or another) holds its lock: after a
// suspend, a clock jump or a long stall a running download's file looks as old as a left-over.
void removeUnlessLocked(const QString &path)
{
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (descriptor < 0)
        return;
    if (::flock(descriptor, LOCK_EX | LOCK_NB) == 0)
        QFile::remove(path);
    ::close(descriptor);
}

void removeLeftovers(const QString &folder)
{
    const QDateTime before = QDateTime::currentDateTime().addSecs(-leftoverAgeSeconds);
    const QStringList pattern{QString(temporaryPrefix) + QLatin1Char('*')};
    for (const QFileInfo &file : QDir(folder).entryInfoList(pattern, QDir::Files | QDir::Hidden)) {
        if (file.lastModified() < before)
            removeUnlessLocked(file.filePath());
    }
}

// The body's file, owner-only (QTemporaryFile) and locked while the download runs: beside the disk
// copies, not in the system's temporary folder (often in memory, and a catalog is tens of
// megabytes), unless the cache folder cannot be made or written; then the temporary folder, so
// the section still shows the catalog, as if nothing were kept.
bool openBodyFile(QTemporaryFile &file, const QString &cacheFolder)
{
    for (const QString &folder : {cacheFolder, QDir::tempPath()}) {
        if (folder != cacheFolder)
            removeLeftovers(folder);
        file.setFileTemplate(folder + QLatin1Char('/') + QString(temporaryPrefix) + QLatin1String("XXXXXX"));
        if (file.open()) {
            ::flock(file.handle(), LOCK_EX | LOCK_NB);
            return true;
        }
    }
    return false;
}

// Reads the finished file and removes it, off the main thread: giving back the disk blocks of tens
// of megabytes takes longer than a frame.
Result<QByteArray> takeWhole(const QString &path)
{
    QString error;
    std::optional<QByteArray> bytes =
        PrivateFiles::readAll(path, std::numeric_limits<qint64>::max(), ProviderJson::bodyPadding, &error);
    QFile::remove(path);
    if (!bytes)
        return FileError{error};
    return std::move(*bytes);
}

} // namespace

ProgressDownloader::ProgressDownloader(ProgressCallback onProgress, QNetworkAccessManager *network)
    : m_onProgress(std::move(onProgress)), m_network(network)
{
}

QCoro::Task<Result<QByteArray>> ProgressDownloader::download(QNetworkRequest request,
                                                             std::chrono::milliseconds idleTimeout)
{
    Q_ASSERT(!m_used);
    m_used = true;
    // Deleted later: the reply is still emitting `finished` when this coroutine ends.
    std::unique_ptr<QNetworkAccessManager, DeleteLater> session(m_network ? nullptr
                                                                          : new QNetworkAccessManager);
    QNetworkReply *reply = (m_network ? m_network : session.get())->get(request);
    // Bounded, so one readyRead never hands over more than this: when the main thread was busy
    // for a while, the network thread would otherwise pile up tens of MB that the main thread
    // then writes to the temporary file in one go, stalling the screen for as long.
    reply->setReadBufferSize(readChunkBytes);
    ReplyWatchdog watchdog(reply, idleTimeout, std::chrono::milliseconds(0));
    const QString cacheFolder = DiskCatalogCache::dir();
    removeLeftovers(cacheFolder);
    QTemporaryFile file;
    std::optional<NorvaneFailure> failure;
    qint64 received = 0;
    const ProgressCallback onProgress = m_onProgress;

    // Connections live exactly as long as this frame.
    QObject context;
    const auto stop = [&](NorvaneFailure why) {
        if (!failure)
            failure = std::move(why);
        QMetaObject::invokeMethod(reply, &QNetworkReply::abort, Qt::QueuedConnection);
    };
    QObject::connect(reply, &QNetworkReply::metaDataChanged, &context, [&] {
        const std::optional<int> status = statusOf(reply);
        if (status && !isSuccess(*status) && !isRedirect(*status))
            stop(HTTPStatusError{*status}); // the body is never read
    });
    QObject::connect(reply, &QNetworkReply::readyRead, &context, [&] {
        if (failure)
            return;
        const std::optional<int> status = statusOf(reply);
        if (status && !isSuccess(*status))
            return; // a redirect's own body, or an error about to be reported
        if (!file.isOpen() && !openBodyFile(file, cacheFolder)) {
            stop(FileError{file.errorString()});
            return;
        }
        const QByteArray chunk = reply->readAll();
        if (file.write(chunk) != chunk.size()) {
            stop(FileError{file.errorString()});
            return;
        }
        received += chunk.size();
        if (onProgress)
            onProgress(received);
    });

    co_await reply;
    QObject::disconnect(reply, nullptr, &context, nullptr);

    if (failure)
        co_return *failure;
    const std::optional<int> status = statusOf(reply);
    if (status && !isSuccess(*status))
        co_return HTTPStatusError{*status};
    if (reply->error() != QNetworkReply::NoError)
        co_return NorvaneError::transportError(reply->error(), watchdog.fired(), reply->errorString());
    // A connection dropped mid-body is at times finished without an error: a plain body shorter
    // than its declared length was cut off, and is not handed on as if it were whole.
    if (DeclaredLength::fallsShort(*reply, received))
        co_return TransportError{TransportError::Kind::networkConnectionLost,
                                 QStringLiteral("body cut short")};
    if (!file.isOpen())
        co_return QByteArray(); // an empty body
    if (!file.flush())
        co_return FileError{file.errorString()};
    // Named, so the worker removes it once this handle is closed (a download younger than the
    // left-overs' age needs no lock to be spared).
    const QString path = file.fileName();
    file.setAutoRemove(false);
    file.close();
    QFuture<Result<QByteArray>> taking = QtConcurrent::run(takeWhole, path);
    co_return co_await taking;
}
