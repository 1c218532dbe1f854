#include "MediaRoutes.h"

#include "SampleMedia.h"
#include "SampleProvider.h"

#include <QDir>
#include <QFile>
#include <QHttpServerRequest>
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

} // namespace

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
