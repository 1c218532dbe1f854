#include "client/ApiConnection.h"

#include "client/DeclaredLength.h"
#include "client/NorvaneError.h"
#include "client/ReplyWatchdog.h"
#include "system/SignalOrGone.h"

#include <QCoreApplication>
#include <QMutex>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QThread>
#include <memory>

namespace {

using namespace std::chrono_literals;

std::chrono::milliseconds s_idleTimeout = 20s;
std::chrono::milliseconds s_totalTimeout = 120s;
std::chrono::milliseconds s_catalogTimeout = 60s;
QPointer<QNetworkAccessManager> s_testManager;

struct DeleteLater
{
    void operator()(QObject *object) const { object->deleteLater(); }
};

// A reply deleted before it finished: its connection closed as the application ended.
TransportError closedConnection()
{
    return TransportError{TransportError::Kind::cancelled, QStringLiteral("the connection was closed")};
}

} // namespace

QNetworkAccessManager *ApiConnection::shared()
{
    if (s_testManager)
        return s_testManager;
    static QMutex mutex;
    static QPointer<QNetworkAccessManager> manager;
    QMutexLocker lock(&mutex);
    if (!manager) {
        QCoreApplication *app = QCoreApplication::instance();
        manager = new QNetworkAccessManager(); // the connection outlives any caller
        if (app) {
            manager->moveToThread(app->thread());
            manager->setParent(app);
        }
    }
    return manager;
}

void ApiConnection::setSharedForTesting(QNetworkAccessManager *manager)
{
    s_testManager = manager;
}

std::chrono::milliseconds ApiConnection::idleTimeout()
{
    return s_idleTimeout;
}
void ApiConnection::setIdleTimeout(std::chrono::milliseconds timeout)
{
    s_idleTimeout = timeout;
}
std::chrono::milliseconds ApiConnection::totalTimeout()
{
    return s_totalTimeout;
}
void ApiConnection::setTotalTimeout(std::chrono::milliseconds timeout)
{
    s_totalTimeout = timeout;
}
std::chrono::milliseconds ApiConnection::catalogTimeout()
{
    return s_catalogTimeout;
}
void ApiConnection::setCatalogTimeout(std::chrono::milliseconds timeout)
{
    s_catalogTimeout = timeout;
}

QCoro::Task<Result<QByteArray>> ApiConnection::get(QUrl url)
{
    QPointer<QNetworkReply> pending = shared()->get(QNetworkRequest(url));
    ReplyWatchdog watchdog(pending.data(), s_idleTimeout, s_totalTimeout);
    SignalOrGone finished(pending.data(),
                          &QNetworkReply::finished); // named: GCC 12 destroys temporaries in co_await twice
    const bool arrived = co_await finished;
    if (!arrived)
        co_return closedConnection();
    const std::unique_ptr<QNetworkReply, DeleteLater> reply(pending.data());

    // A status answer is never a transport error: the status decides first.
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid() && (status.toInt() < 200 || status.toInt() > 299))
        co_return HTTPError{status.toInt()};
    if (reply->error() != QNetworkReply::NoError)
        co_return NorvaneError::transportError(reply->error(), watchdog.fired(), reply->errorString());
    QByteArray body = reply->readAll();
    // A connection dropped mid-body: the lost connection, not a body that fails to decode.
    if (DeclaredLength::fallsShort(*reply, body.size()))
        co_return TransportError{TransportError::Kind::networkConnectionLost,
                                 QStringLiteral("body cut short")};
    co_return body;
}
