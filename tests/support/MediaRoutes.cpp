#include "MediaRoutes.h"

#include "SampleMedia.h"
#include "SampleProvider.h"

#include <QDir>
#include <QFile>
#include <QHttpServerRequest>
#include <QPointer>
#include <QTcpSocket>

namespace norvane::test {

namespace {

QByteArray contentTypeFor(const QString &name)
{
    if (name.endsWith(QLatin1String(".m3u8")))
        return "application/vnd.apple.mpegurl";
    if (name.endsWith(QLatin1String(".ts")))
        return "video/mp2t";
    return "video/mp4";
}

// Where the video first reaches each of the times (seconds from its first picture): the offset of
// the transport packet that starts the first video packet presented at or after it.
QList<qsizetype> offsetsOfTimes(const QByteArray &ts, const QList<double> &seconds)
{
    constexpr qsizetype packetSize = 188;
    QList<qsizetype> offsets;
    qint64 first = -1;
    for (qsizetype at = 0; at + packetSize <= ts.size() && offsets.size() < seconds.size();
         at += packetSize) {
        const auto *packet = reinterpret_cast<const uchar *>(ts.constData() + at);
        const bool startsPayload = packet[0] == 0x47 && (packet[1] & 0x40) && (packet[3] & 0x10);
        const qsizetype payload = 4 + ((packet[3] & 0x20) ? 1 + packet[4] : 0);
        if (!startsPayload || payload + 14 > packetSize)
            continue;
        const uchar *pes = packet + payload;
        const bool timedVideo =
            pes[0] == 0 && pes[1] == 0 && pes[2] == 1 && (pes[3] & 0xf0) == 0xe0 && (pes[7] & 0x80);
        if (!timedVideo)
            continue;
        const uchar *t = pes + 9; // 90 kHz, 33 bits spread over five bytes
        const qint64 pts = (qint64((t[0] >> 1) & 7) << 30) | (qint64(t[1]) << 22) |
                           (qint64(t[2] >> 1) << 15) | (qint64(t[3]) << 7) | qint64(t[4] >> 1);
        first = first < 0 ? pts : first;
        if (double(pts - first) / 90'000 >= seconds.at(offsets.size()))
            offsets.append(at);
    }
    return offsets;
}

} // namespace

struct HeldMedia::Connection
{
    QPointer<QTcpSocket> socket;
    QByteArray body;
    QList<qsizetype> holds;
    qsizetype sent = 0;

    // Up to the next hold, or the rest (and the end of the answer) when none is left.
    void sendOn()
    {
        const qsizetype until = holds.isEmpty() ? body.size() : holds.takeFirst();
        if (!socket)
            return;
        socket->write(body.mid(sent, until - sent));
        sent = until;
        if (sent == body.size())
            socket->disconnectFromHost();
    }
};

HeldMedia::HeldMedia(SampleProvider &provider, QList<double> holdSeconds) : m_provider(provider)
{
    // The provider may outlive this object: its handler holds only what it shares.
    auto connections = std::make_shared<QList<std::shared_ptr<Connection>>>();
    m_connections = connections;
    provider.addPathHandler(
        QStringLiteral("/media/held/"),
        [&provider, connections, holdSeconds](const QHttpServerRequest &request, QTcpSocket *socket) {
            const QString name = request.url().path().mid(int(qstrlen("/media/held/")));
            QFile file(QDir(SampleMedia::directory()).absoluteFilePath(name));
            if (name.contains(QLatin1String("..")) || !file.open(QIODevice::ReadOnly)) {
                provider.respond(socket, 404, "text/plain", "not found");
                return true;
            }
            auto connection = std::make_shared<Connection>();
            connection->socket = socket;
            connection->body = file.readAll();
            connection->holds = offsetsOfTimes(connection->body, holdSeconds);
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: video/mp2t\r\nConnection: close\r\n\r\n");
            connection->sendOn();
            connections->append(connection);
            return true;
        });
}

HeldMedia::~HeldMedia() = default;

QString HeldMedia::url(const QString &fileName) const
{
    return mediaUrl(m_provider, QStringLiteral("held/") + fileName);
}

void HeldMedia::release()
{
    for (const std::shared_ptr<Connection> &connection : std::as_const(*m_connections))
        connection->sendOn();
}

void serveSampleMedia(SampleProvider &provider)
{
    provider.addPathHandler(
        QStringLiteral("/media/"), [&provider](const QHttpServerRequest &request, QTcpSocket *socket) {
            QString name = request.url().path().mid(int(qstrlen("/media/")));
            // A live channel: no length announced, the stream simply goes on until the connection closes.
            const bool endless = name.startsWith(QLatin1String("endless/"));
            if (endless)
                name = name.mid(int(qstrlen("endless/")));
            const bool cut = name.startsWith(QLatin1String("cut/"));
            if (cut)
                name = name.mid(int(qstrlen("cut/")));
            bool live = false;
            if (name == QLatin1String("live-hls/live.m3u8")) {
                name = QStringLiteral("live-hls/index.m3u8");
                live = true;
            }
            const QString path = QDir(SampleMedia::directory()).absoluteFilePath(name);
            QFile file(path);
            if (name.contains(QLatin1String("..")) || !file.open(QIODevice::ReadOnly)) {
                provider.respond(socket, 404, "text/plain", "not found");
                return true;
            }
            QByteArray body = file.readAll();
            if (live)
                body.replace("#EXT-X-ENDLIST\n", "").replace("#EXT-X-PLAYLIST-TYPE:VOD\n", "");
            if (cut) {
                socket->write("HTTP/1.1 200 OK\r\nContent-Type: " + contentTypeFor(name) +
                              "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n");
                socket->write(body.left(body.size() / 10));
                socket->flush();
                socket->abort();
                return true;
            }
            if (endless) {
                socket->write("HTTP/1.1 200 OK\r\nContent-Type: video/mp2t\r\nConnection: close\r\n\r\n");
                socket->write(body);
                socket->disconnectFromHost();
                return true;
            }
            provider.respond(socket, 200, contentTypeFor(name), body);
            return true;
        });
}

QString mediaUrl(const SampleProvider &provider, const QString &fileName)
{
    return provider.baseUrl() + QStringLiteral("/media/") + fileName;
}

} // namespace norvane::test
