#include "SampleProvider.h"

#include "ByteRange.h"
#include "ImagePainter.h"
#include "JsonWriter.h"
#include "LivePlaylist.h"
#include "SampleMedia.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHttpServerRequest>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace {

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 206:
        return "Partial Content";
    case 302:
        return "Found";
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 416:
        return "Range Not Satisfiable";
    case 500:
        return "Internal Server Error";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}

// How many seconds of a paced live stream go out at once when it starts.
constexpr int liveHeadStartSeconds = 5;

QByteArray htmlPage(int status)
{
    return "<!DOCTYPE html><html><head><title>" + QByteArray::number(status) + " " + reasonPhrase(status) +
           "</title></head><body><h1>" + reasonPhrase(status) + "</h1><p>nginx</p></body></html>";
}

QByteArray headerBlock(int status, const QByteArray &contentType, qint64 length,
                       const SampleProvider::Headers &extraHeaders = {})
{
    QByteArray head = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reasonPhrase(status) + "\r\n";
    head += "Server: nginx\r\n";
    if (!contentType.isEmpty())
        head += "Content-Type: " + contentType + "\r\n";
    head += "Content-Length: " + QByteArray::number(length) + "\r\n";
    for (const auto &header : extraHeaders)
        head += header.first + ": " + header.second + "\r\n";
    head += "Connection: keep-alive\r\n\r\n";
    return head;
}

} // namespace

SampleProvider::SampleProvider(QObject *parent) : QAbstractHttpServer(parent)
{
    setLiveCut(SampleCatalog::cutChannelId, demoCutAfter, demoCutOutage);
}

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
    return QStringLiteral("http://%1:%2")
        .arg(m_firstHost.isEmpty() ? QStringLiteral("127.0.0.1") : m_firstHost)
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

void SampleProvider::setLiveCut(qint64 channelId, std::chrono::milliseconds after,
                                std::chrono::milliseconds outage)
{
    if (after.count() > 0)
        m_liveCuts.insert(channelId, LiveCut(after, outage));
    else
        m_liveCuts.remove(channelId);
}

bool SampleProvider::liveChannelDown(qint64 channelId) const
{
    const auto cut = m_liveCuts.constFind(channelId);
    return cut != m_liveCuts.cend() && cut->isDown(LiveCut::Clock::now());
}

void SampleProvider::clearScript()
{
    m_answers.clear();
    m_faults.clear();
    m_pathFaults.clear();
    m_liveCuts.clear();
    setLiveCut(SampleCatalog::cutChannelId, demoCutAfter, demoCutOutage);
}

void SampleProvider::endStalls()
{
    const QList<QPointer<QTcpSocket>> stalled = std::exchange(m_stalled, {});
    for (const QPointer<QTcpSocket> &socket : stalled)
        if (socket)
            socket->abort();
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
    const ProviderFault fault = pathFault(path);
    if (fault.changesAnswer()) {
        const int status = fault.status ? fault.status : 200;
        QByteArray body = htmlPage(status);
        if (fault.emptyBody)
            body.clear();
        if (fault.body)
            body = *fault.body;
        respond(socket, status, "text/html", body, fault);
        return true;
    }
    // A fault that only changes the delivery (delay, slow body, drop, stall) applies to the real answer.
    m_dispatchFault = fault;
    bool handled = false;
    for (const auto &handler : std::as_const(m_pathHandlers)) {
        if (path.startsWith(handler.first) && handler.second(request, socket)) {
            handled = true;
            break;
        }
    }
    if (!handled && path.startsWith(QLatin1String("/images/")))
        handled = serveImage(request, socket);
    if (!handled)
        handled = serveStream(request, socket);
    if (!handled)
        notFound(socket);
    m_dispatchFault = {};
    return true;
}

ProviderFault SampleProvider::pathFault(const QString &path) const
{
    const QPair<QString, ProviderFault> *best = nullptr;
    for (const auto &fault : m_pathFaults) {
        if (path.startsWith(fault.first) && (!best || fault.first.size() > best->first.size()))
            best = &fault;
    }
    return best ? best->second : ProviderFault{};
}

void SampleProvider::notFound(QTcpSocket *socket)
{
    respond(socket, 404, "text/html", htmlPage(404));
}

QString SampleProvider::addressOf(const QTcpSocket *socket)
{
    const QHostAddress address = socket->localAddress();
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    const QString host = isV4 ? QHostAddress(v4).toString() : '[' + address.toString() + ']';
    return QStringLiteral("http://%1:%2").arg(host).arg(socket->localPort());
}

void SampleProvider::setCatalogSize(SampleCatalog::Size size)
{
    if (m_catalog && m_catalog->size() == size)
        return;
    m_catalogSize = size;
    m_catalog.reset();
    m_imageCache.clear();
}

void SampleProvider::setJsonStyle(JsonWriter::Style style)
{
    if (m_jsonStyle == style)
        return;
    m_jsonStyle = style;
    m_catalog.reset();
}

const SampleCatalog &SampleProvider::catalog()
{
    if (!m_catalog)
        m_catalog = std::make_unique<SampleCatalog>(m_catalogSize, SampleCatalog::defaultSeed, m_jsonStyle);
    return *m_catalog;
}

void SampleProvider::missingHandler(const QHttpServerRequest &, QTcpSocket *socket)
{
    notFound(socket);
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
        body =
            m_apiHandler ? m_apiHandler(action, query) : defaultApiAnswer(action, query, addressOf(socket));
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

QByteArray SampleProvider::defaultApiAnswer(const QString &action, const QUrlQuery &query,
                                            const QString &base)
{
    if (action.isEmpty())
        return signInAnswer(base);
    return catalog().answer(action, query, base);
}

QByteArray SampleProvider::signInAnswer(const QString &base) const
{
    const QUrl url(base);
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    JsonWriter out(m_jsonStyle);
    out.beginObject();
    out.key("user_info").beginObject();
    out.field("username", m_username.toUtf8());
    out.field("password", m_password.toUtf8());
    out.field("message", "Bienvenido a Norvane");
    out.field("auth", qint64(1));
    out.field("status", "Active");
    out.field("exp_date", "1893456000");
    out.field("is_trial", "0");
    out.field("active_cons", "0");
    out.field("created_at", "1672531200");
    out.field("max_connections", "1");
    out.key("allowed_output_formats").beginArray();
    out.string("m3u8");
    out.string("ts");
    out.endArray();
    out.endObject();
    out.key("server_info").beginObject();
    out.field("url", url.host().toUtf8());
    out.field("port", QByteArray::number(url.port(80)));
    out.field("https_port", "443");
    out.field("server_protocol", "http");
    out.field("rtmp_port", "8880");
    out.field("timezone", "America/Santiago");
    out.field("timestamp_now", now);
    out.field("time_now",
              QDateTime::fromSecsSinceEpoch(now).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8());
    out.endObject();
    out.endObject();
    return out.take();
}

void SampleProvider::respond(QTcpSocket *socket, int status, const QByteArray &contentType,
                             const QByteArray &body, const ProviderFault &fault)
{
    respond(socket, status, contentType, body, fault, {});
}

void SampleProvider::respond(QTcpSocket *socket, int status, const QByteArray &contentType,
                             const QByteArray &body, const ProviderFault &givenFault,
                             const Headers &extraHeaders)
{
    const ProviderFault fault = givenFault.isSet() ? givenFault : m_dispatchFault;
    if (fault.stall) {
        m_stalled.append(socket);
        return;
    }
    if (fault.delayMs > 0) {
        QPointer<QTcpSocket> guard(socket);
        QTimer::singleShot(fault.delayMs, this, [=, this] {
            if (guard)
                writeNow(guard, status, contentType, body, fault, extraHeaders);
        });
        return;
    }
    writeNow(socket, status, contentType, body, fault, extraHeaders);
}

void SampleProvider::writeNow(QTcpSocket *socket, int status, const QByteArray &contentType,
                              const QByteArray &body, const ProviderFault &fault, const Headers &extraHeaders)
{
    socket->write(headerBlock(status, contentType, body.size(), extraHeaders));
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

bool SampleProvider::serveImage(const QHttpServerRequest &request, QTcpSocket *socket)
{
    static const QRegularExpression pattern(
        QStringLiteral(R"(^/images/(poster|cover|logo|still)/(\d{1,15})(-xl|-sm)?\.(jpg|png)$)"));
    const QString path = request.url().path();
    const auto match = pattern.match(path);
    if (!match.hasMatch())
        return false;
    const QString kind = match.captured(1);
    const qint64 id = match.captured(2).toLongLong();
    const QString variant = match.captured(3);
    const bool png = match.captured(4) == QLatin1String("png");
    std::optional<QString> title;
    QSize size(400, 600);
    if (kind == QLatin1String("poster")) {
        title = catalog().movieName(id);
        if (variant == QLatin1String("-xl"))
            size = QSize(2000, 3000);
        else if (variant == QLatin1String("-sm"))
            size = QSize(200, 300);
    } else if (variant.isEmpty() && kind == QLatin1String("cover")) {
        title = catalog().seriesName(id);
    } else if (variant.isEmpty() && kind == QLatin1String("logo")) {
        title = catalog().channelName(id);
        size = QSize(256, 256);
    } else if (variant.isEmpty() && kind == QLatin1String("still")) {
        title = catalog().episodeTitle(id);
        size = QSize(640, 360);
    }
    // Logos are PNG, the rest JPEG; the other extension is not served.
    if (!title || png != (kind == QLatin1String("logo")))
        return false;

    auto cached = m_imageCache.constFind(path);
    if (cached == m_imageCache.cend()) {
        if (m_imageCache.size() >= 512)
            m_imageCache.clear();
        cached = m_imageCache.insert(
            path,
            ImagePainter::draw(*title, size, png ? ImagePainter::Format::Png : ImagePainter::Format::Jpeg));
    }
    respond(socket, 200, png ? "image/png" : "image/jpeg", *cached);
    return true;
}

bool SampleProvider::serveStream(const QHttpServerRequest &request, QTcpSocket *socket)
{
    static const QRegularExpression pattern(QStringLiteral(
        R"(^/(live|movie|series)/([^/]+)/([^/]+)/(\d{1,15})(?:\.([A-Za-z0-9]{1,8})|/(seg\d{3}\.ts))$)"));
    const auto match = pattern.match(request.url().path(QUrl::FullyEncoded));
    if (!match.hasMatch())
        return false;
    const QString user = QUrl::fromPercentEncoding(match.captured(2).toUtf8());
    const QString pass = QUrl::fromPercentEncoding(match.captured(3).toUtf8());
    if (user != m_username || pass != m_password) {
        respond(socket, 403, "text/html", htmlPage(403));
        return true;
    }
    const QString type = match.captured(1);
    const qint64 id = match.captured(4).toLongLong();
    const QString extension = match.captured(5).toLower();
    const QString segment = match.captured(6);

    // A panel whose playlist address answers its web page, with the playlist's type: libVLC reads
    // it as an empty playlist and ends without an error.
    if (type == QLatin1String("live") && id == SampleCatalog::htmlPlaylistChannelId &&
        extension == QLatin1String("m3u8") && segment.isEmpty()) {
        respond(socket, 200, "application/vnd.apple.mpegurl", htmlPage(200));
        return true;
    }
    std::optional<SampleMedia::Kind> media;
    if (type == QLatin1String("live"))
        media = catalog().liveMedia(id, segment.isEmpty() ? extension : QStringLiteral("m3u8"));
    else if (!segment.isEmpty())
        media = std::nullopt;
    else if (type == QLatin1String("movie"))
        media = catalog().movieMedia(id);
    else
        media = catalog().episodeMedia(id);
    if (!media)
        return false;

    if (const auto cut = m_liveCuts.find(id); type == QLatin1String("live") && cut != m_liveCuts.end()) {
        const LiveCut::Clock::time_point now = LiveCut::Clock::now();
        if (!cut->admit(now, segment.isEmpty() ? LiveCut::Request::Opening : LiveCut::Request::Segment)) {
            respond(socket, 503, "text/html", htmlPage(503));
            return true;
        }
        if (*media == SampleMedia::Kind::LiveTs) {
            serveCutTransportStream(socket, SampleMedia::path(*media), id, cut->untilCut(now));
            return true;
        }
    }
    if (*media == SampleMedia::Kind::LivePlaylist && segment.isEmpty()) {
        serveHlsPlaylist(socket, match.captured(4));
        return true;
    }
    QString file = SampleMedia::path(*media);
    if (!file.isEmpty() && !segment.isEmpty())
        file = QFileInfo(file).absoluteDir().absoluteFilePath(segment);
    if (file.isEmpty()) {
        respond(socket, 503, "text/html", htmlPage(503));
        return true;
    }
    const bool transportStream = *media == SampleMedia::Kind::LiveTs || !segment.isEmpty();
    serveFile(request, socket, file, transportStream ? "video/mp2t" : "video/mp4");
    return true;
}

void SampleProvider::serveHlsPlaylist(QTcpSocket *socket, const QString &channelId)
{
    QFile recording(SampleMedia::path(SampleMedia::Kind::LivePlaylist));
    const QList<LivePlaylist::Segment> segments = recording.open(QIODevice::ReadOnly)
                                                      ? LivePlaylist::segmentsOf(recording.readAll())
                                                      : QList<LivePlaylist::Segment>();
    if (segments.isEmpty()) {
        respond(socket, 503, "text/html", htmlPage(503));
        return;
    }
    // The segments live under the channel's own path, so the relative addresses resolve there.
    respond(socket, 200, "application/vnd.apple.mpegurl",
            LivePlaylist::render(segments, channelId.toUtf8() + '/', QDateTime::currentMSecsSinceEpoch()));
}

void SampleProvider::serveCutTransportStream(QTcpSocket *socket, const QString &path, qint64 channelId,
                                             std::chrono::milliseconds untilCut)
{
    QFile file(path);
    const QByteArray recording = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    if (recording.isEmpty()) {
        respond(socket, 503, "text/html", htmlPage(503));
        return;
    }
    // As a live server sends it: no length, the recording looped at the pace it plays, after a head
    // start that fills the player's cache at once; the connection is dropped at the cut.
    socket->write(
        "HTTP/1.1 200 OK\r\nServer: nginx\r\nContent-Type: video/mp2t\r\nConnection: close\r\n\r\n");
    const qint64 perSecond = recording.size() / SampleMedia::liveSeconds;
    auto sent = std::make_shared<qint64>(0);
    const auto send = [recording, sent](QTcpSocket *to, qint64 bytes) {
        while (bytes > 0) {
            const qint64 at = *sent % recording.size();
            const qint64 chunk = std::min(bytes, recording.size() - at);
            to->write(recording.constData() + at, chunk);
            *sent += chunk;
            bytes -= chunk;
        }
    };
    send(socket, perSecond * liveHeadStartSeconds);
    auto *pace = new QTimer(socket);
    pace->setInterval(100);
    connect(pace, &QTimer::timeout, socket, [=] {
        if (socket->state() == QAbstractSocket::ConnectedState)
            send(socket, perSecond / 10);
        else
            pace->stop(); // the player left
    });
    pace->start();
    QTimer::singleShot(untilCut, Qt::PreciseTimer, socket, [this, socket, pace, channelId] {
        pace->stop();
        socket->abort();
        if (const auto cut = m_liveCuts.find(channelId); cut != m_liveCuts.end())
            cut->dropped(LiveCut::Clock::now());
    });
}

void SampleProvider::serveFile(const QHttpServerRequest &request, QTcpSocket *socket, const QString &path,
                               const QByteArray &contentType)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        notFound(socket);
        return;
    }
    const qint64 size = file.size();
    const ByteRange range = ByteRange::parse(request.value("range"), size);
    Headers headers{{"Accept-Ranges", "bytes"}};
    if (range.outcome == ByteRange::Outcome::Unsatisfiable) {
        headers.append({"Content-Range", "bytes */" + QByteArray::number(size)});
        respond(socket, 416, "text/html", htmlPage(416), {}, headers);
        return;
    }
    int status = 200;
    if (range.outcome == ByteRange::Outcome::Partial) {
        status = 206;
        headers.append({"Content-Range", "bytes " + QByteArray::number(range.first) + '-' +
                                             QByteArray::number(range.last) + '/' +
                                             QByteArray::number(size)});
    }
    if (request.method() == QHttpServerRequest::Method::Head) {
        socket->write(headerBlock(status, contentType, range.length(), headers));
        return;
    }
    file.seek(range.first);
    respond(socket, status, contentType, file.read(range.length()), {}, headers);
}
