#include "SampleProvider.h"

#include <QHttpServerRequest>
#include <QTcpServer>
#include <QTcpSocket>
#include <QDateTime>
#include <QTimer>

namespace {

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200: return "OK";
    case 206: return "Partial Content";
    case 302: return "Found";
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 416: return "Range Not Satisfiable";
    case 500: return "Internal Server Error";
    case 503: return "Service Unavailable";
    default: return "Status";
    }
}

QByteArray htmlPage(int status)
{
    return "<!DOCTYPE html><html><head><title>" + QByteArray::number(status) + " " + reasonPhrase(status)
           + "</title></head><body><h1>" + reasonPhrase(status)
           + "</h1><p>nginx</p></body></html>";
}

QByteArray headerBlock(int status, const QByteArray &contentType, qint64 length)
{
    QByteArray head = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reasonPhrase(status) + "\r\n";
    head += "Server: nginx\r\n";
    if (!contentType.isEmpty())
        head += "Content-Type: " + contentType + "\r\n";
    head += "Content-Length: " + QByteArray::number(length) + "\r\n";
    head += "Connection: keep-alive\r\n\r\n";
    return head;
}

} // namespace

SampleProvider::SampleProvider(QObject *parent) : QAbstractHttpServer(parent) {}

SampleProvider::~SampleProvider() = default;

bool SampleProvider::listenOn(const QHostAddress &address, quint16 port)
{
    const quint16 bound = listen(address, port);
    if (bound == 0)
        return false;
    if (m_port == 0) {
        m_port = bound;
        m_firstHost = address.toString();
    }
    return true;
}

QString SampleProvider::baseUrl() const
{
    return QStringLiteral("http://%1:%2").arg(m_firstHost.isEmpty() ? QStringLiteral("127.0.0.1") : m_firstHost)
        .arg(m_port);
}

void SampleProvider::setCredentials(const QString &username, const QString &password)
{
    m_username = username;
    m_password = password;
}

void SampleProvider::setAnswer(const QString &action, const QByteArray &body, int status)
{
    m_answers.insert(action, qMakePair(body, status));
}

void SampleProvider::setFault(const QString &action, const ProviderFault &fault)
{
    m_faults.insert(action, fault);
}

void SampleProvider::setPathFault(const QString &pathPrefix, const ProviderFault &fault)
{
    m_pathFaults.append(qMakePair(pathPrefix, fault));
}

void SampleProvider::clearScript()
{
    m_answers.clear();
    m_faults.clear();
    m_pathFaults.clear();
}

void SampleProvider::addPathHandler(const QString &prefix, PathHandler handler)
{
    m_pathHandlers.append(qMakePair(prefix, std::move(handler)));
}

QList<ProviderRequest> SampleProvider::requests(const QString &action) const
{
    QList<ProviderRequest> matching;
    for (const ProviderRequest &r : m_log) {
        if (r.path.endsWith(QLatin1String("/player_api.php")) && r.action == action)
            matching.append(r);
    }
    return matching;
}

void SampleProvider::logRequest(const QHttpServerRequest &request, QTcpSocket *socket)
{
    ProviderRequest entry;
    entry.path = request.url().path();
    const QUrlQuery query = request.query();
    for (const auto &item : query.queryItems(QUrl::FullyDecoded))
        entry.query.insert(item.first, item.second);
    entry.action = entry.query.value(QStringLiteral("action"));
    entry.rawQuery = request.url().query(QUrl::FullyEncoded).toUtf8();
    entry.host = socket->localAddress().toString();
    entry.port = socket->localPort();
    entry.userAgent = request.value("user-agent");
    m_log.append(entry);
}

bool SampleProvider::handleRequest(const QHttpServerRequest &request, QTcpSocket *socket)
{
    logRequest(request, socket);
    const QString path = request.url().path();
    if (path == QLatin1String("/player_api.php") || path.endsWith(QLatin1String("//player_api.php"))) {
        handleApi(request, socket);
        return true;
    }
    for (const auto &fault : std::as_const(m_pathFaults)) {
        if (path.startsWith(fault.first)) {
            const int status = fault.second.status ? fault.second.status : 200;
            respond(socket, status, "text/html", htmlPage(status), fault.second);
            return true;
        }
    }
    for (const auto &handler : std::as_const(m_pathHandlers)) {
        if (path.startsWith(handler.first) && handler.second(request, socket))
            return true;
    }
    respond(socket, 404, "text/html", htmlPage(404));
    return true;
}

void SampleProvider::missingHandler(const QHttpServerRequest &, QTcpSocket *socket)
{
    respond(socket, 404, "text/html", htmlPage(404));
}

void SampleProvider::handleApi(const QHttpServerRequest &request, QTcpSocket *socket)
{
    const QUrlQuery query = request.query();
    const QString action = query.queryItemValue(QStringLiteral("action"), QUrl::FullyDecoded);
    const ProviderFault fault = m_faults.value(action);

    int status = 200;
    QByteArray body;
    const QString user = query.queryItemValue(QStringLiteral("username"), QUrl::FullyDecoded);
    const QString pass = query.queryItemValue(QStringLiteral("password"), QUrl::FullyDecoded);
    if (m_answers.contains(action)) {
        body = m_answers.value(action).first;
        status = m_answers.value(action).second;
    } else if (user != m_username || pass != m_password) {
        // Real panels answer wrong credentials with this, whatever the action.
        body = R"({"user_info":{"auth":0}})";
    } else {
        body = m_apiHandler ? m_apiHandler(action, query) : defaultApiAnswer(action, query);
    }
    if (fault.status)
        status = fault.status;
    QByteArray contentType = "application/json";
    if (fault.htmlBody) {
        body = htmlPage(status);
        contentType = "text/html";
    }
    if (fault.emptyBody)
        body.clear();
    if (fault.body)
        body = *fault.body;
    respond(socket, status, contentType, body, fault);
}

QByteArray SampleProvider::defaultApiAnswer(const QString &action, const QUrlQuery &) const
{
    if (!action.isEmpty())
        return "[]";
    return QStringLiteral(R"({"user_info":{"username":"%1","password":"%2","auth":1,"status":"Active",)"
                          R"("exp_date":"1893456000","is_trial":"0","active_cons":"0","max_connections":"1"},)"
                          R"("server_info":{"url":"127.0.0.1","port":"8080","server_protocol":"http",)"
                          R"("timezone":"America/Santiago","timestamp_now":%3}})")
        .arg(m_username, m_password)
        .arg(QDateTime::currentSecsSinceEpoch())
        .toUtf8();
}

void SampleProvider::respond(QTcpSocket *socket, int status, const QByteArray &contentType,
                             const QByteArray &body, const ProviderFault &fault)
{
    if (fault.stall) {
        m_stalled.append(socket);
        return;
    }
    if (fault.delayMs > 0) {
        QPointer<QTcpSocket> guard(socket);
        QTimer::singleShot(fault.delayMs, this, [=, this] {
            if (guard)
                writeNow(guard, status, contentType, body, fault);
        });
        return;
    }
    writeNow(socket, status, contentType, body, fault);
}

void SampleProvider::writeNow(QTcpSocket *socket, int status, const QByteArray &contentType,
                              const QByteArray &body, const ProviderFault &fault)
{
    socket->write(headerBlock(status, contentType, body.size()));
    if (fault.stallAfterHeaders) {
        m_stalled.append(socket);
        return;
    }
    if (fault.bytesPerSecond > 0) {
        writeSlowly(socket, body, fault.bytesPerSecond, fault.dropMidBody);
        return;
    }
    if (fault.dropMidBody) {
        socket->write(body.left(body.size() / 2));
        socket->flush();
        socket->abort();
        return;
    }
    socket->write(body);
}

void SampleProvider::writeSlowly(QTcpSocket *socket, const QByteArray &body, int bytesPerSecond, bool drop)
{
    // Ten slices a second, so progress can be seen arriving in several steps.
    const qsizetype slice = std::max<qsizetype>(1, bytesPerSecond / 10);
    const qsizetype stopAt = drop ? body.size() / 2 : body.size();
    auto *timer = new QTimer(socket);
    timer->setInterval(100);
    auto offset = std::make_shared<qsizetype>(0);
    QPointer<QTcpSocket> guard(socket);
    connect(timer, &QTimer::timeout, socket, [=] {
        if (!guard)
            return;
        const qsizetype n = std::min(slice, stopAt - *offset);
        guard->write(body.mid(*offset, n));
        guard->flush();
        *offset += n;
        if (*offset >= stopAt) {
            timer->stop();
            timer->deleteLater();
            if (drop)
                guard->abort();
        }
    });
    timer->start();
}
