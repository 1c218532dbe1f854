#include "ProgressDownloader.h"

#include "NorvaneError.h"
#include "ProviderJson.h"
#include "ReplyWatchdog.h"

#include <QCoroFuture>
#include <QCoroNetworkReply>
#include <QDir>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTemporaryFile>
#include <QtConcurrent/QtConcurrentRun>
#include <memory>

namespace {

constexpr qint64 readChunkBytes = 256 * 1024;

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

// True when the answer declared a length that the bytes received fall short of. Only for a body
// sent as is: a compressed one declares the length of what was compressed.
bool endedEarly(const QNetworkReply &reply, qint64 received)
{
    const QVariant declared = reply.header(QNetworkRequest::ContentLengthHeader);
    return declared.isValid() && reply.rawHeader("Content-Encoding").isEmpty() && received < declared.toLongLong();
}

// Reads the finished file in one piece, off the main thread.
Result<QByteArray> readWhole(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return FileError{file.errorString()};
    const qint64 size = file.size();
    QByteArray bytes;
    bytes.reserve(size + ProviderJson::bodyPadding);
    bytes.resize(size);
    if (file.read(bytes.data(), size) != size)
        return FileError{file.errorString()};
    return bytes;
}

} // namespace

ProgressDownloader::ProgressDownloader(ProgressCallback onProgress) : m_onProgress(std::move(onProgress)) {}

QCoro::Task<Result<QByteArray>> ProgressDownloader::download(QNetworkRequest request,
                                                             std::chrono::milliseconds idleTimeout)
{
    Q_ASSERT(!m_used);
    m_used = true;
    // Deleted later: the reply is still emitting `finished` when this coroutine ends.
    std::unique_ptr<QNetworkAccessManager, DeleteLater> session(new QNetworkAccessManager);
    QNetworkReply *reply = session->get(request);
    // Bounded, so one readyRead never hands over more than this: when the main thread was busy
    // for a while, the network thread would otherwise pile up tens of MB that the main thread
    // then writes to the temporary file in one go, stalling the screen for as long.
    reply->setReadBufferSize(readChunkBytes);
    ReplyWatchdog watchdog(reply, idleTimeout, std::chrono::milliseconds(0));
    QTemporaryFile file(QDir::tempPath() + QLatin1String("/norvane-download-XXXXXX"));
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
        if (!file.isOpen() && !file.open()) {
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
    if (endedEarly(*reply, received))
        co_return TransportError{TransportError::Kind::networkConnectionLost, QStringLiteral("body cut short")};
    if (!file.isOpen())
        co_return QByteArray(); // an empty body
    if (!file.flush())
        co_return FileError{file.errorString()};
    const QString path = file.fileName();
    co_return co_await QtConcurrent::run(readWhole, path);
}
