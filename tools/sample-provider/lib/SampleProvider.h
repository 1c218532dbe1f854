#pragma once

#include "LiveCut.h"
#include "ProviderFault.h"
#include "SampleCatalog.h"

#include <QAbstractHttpServer>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrlQuery>
#include <chrono>
#include <functional>
#include <memory>

class QTcpSocket;

// One request as the provider saw it, for tests that assert what the app asked for.
struct ProviderRequest
{
    QString path;
    QString action;               // empty for the sign-in request
    QMap<QString, QString> query; // decoded query items
    QByteArray rawQuery;          // the query exactly as sent (percent-encoding included)
    QString host;                 // the local address that took the request
    quint16 port = 0;
    QByteArray userAgent;
};

// A provider's HTTP API on loopback. The answers of every action come from the provider's
// catalog; tests can replace any answer and add faults per action.
//
// Besides player_api.php it serves what the records point at:
//   /images/poster/<movie id>.jpg (400x600), /images/poster/<movie id>-xl.jpg (2000x3000),
//   /images/poster/<movie id>-sm.jpg (200x300), /images/cover/<series id>.jpg (400x600),
//   /images/logo/<channel id>.png (256x256), /images/still/<episode id>.jpg (640x360);
//   /images/missing.jpg and any other image path answer 404 with an HTML page.
//   /live/<user>/<pass>/<id>.m3u8 (segments at /live/<user>/<pass>/<id>/segNNN.ts),
//   /live/<user>/<pass>/<id>.ts, /movie/<user>/<pass>/<id>.<ext>, /series/<user>/<pass>/<episode id>.<ext>,
//   with Range support; wrong credentials answer 403, unknown or broken streams 404.
class SampleProvider : public QAbstractHttpServer
{
    Q_OBJECT
public:
    // A plain answer for a path outside the API (images, streams).
    struct Answer
    {
        int status = 200;
        QByteArray contentType;
        QByteArray body;
    };
    using ApiHandler = std::function<QByteArray(const QString &action, const QUrlQuery &query)>;
    using PathHandler = std::function<bool(const QHttpServerRequest &request, QTcpSocket *socket)>;

    explicit SampleProvider(QObject *parent = nullptr);
    ~SampleProvider() override;

    // Listens on the address and port (0: any free port). Can be called for several addresses.
    bool listenOn(const QHostAddress &address = QHostAddress::LocalHost, quint16 port = 0);
    quint16 port() const { return m_port; }
    QString baseUrl() const;

    void setCredentials(const QString &username, const QString &password);

    // The catalog behind the default answers (made on first use; Default size unless set before).
    void setCatalogSize(SampleCatalog::Size size);
    const SampleCatalog &catalog();
    // How every answer's JSON is written (PHP's escaping unless set).
    void setJsonStyle(JsonWriter::Style style);
    QString username() const { return m_username; }
    QString password() const { return m_password; }

    // Where the answer of an action comes from (the catalog when none is set).
    void setApiHandler(ApiHandler handler) { m_apiHandler = std::move(handler); }
    // Replaces the answer of one action ("" is the sign-in request).
    void setAnswer(const QString &action, const QByteArray &body, int status = 200);
    void setFault(const QString &action, const ProviderFault &fault);
    // Faults for paths outside the API (images and streams), matched by path prefix.
    void setPathFault(const QString &pathPrefix, const ProviderFault &fault);
    // The fault of the longest matching prefix (none set: a default ProviderFault).
    ProviderFault pathFault(const QString &path) const;
    // Cuts a live channel's streams, HLS and TS alike, `after` its first request: open TS
    // connections are dropped, and from then (or, with none open, from the next playlist reload or
    // stream request) every request for the channel answers 503 for `outage`; the first request
    // after that plays again and is cut as long after (see LiveCut). A zero `after` removes the cut.
    // SampleCatalog::cutChannelId is cut with the demo's times unless set otherwise.
    void setLiveCut(qint64 channelId, std::chrono::milliseconds after, std::chrono::milliseconds outage);
    // Whether a cut channel is in its outage now.
    bool liveChannelDown(qint64 channelId) const;
    static constexpr std::chrono::milliseconds demoCutAfter{25'000};
    static constexpr std::chrono::milliseconds demoCutOutage{8'000};
    // Clears the answers, faults and cuts set (the demo channel's cut comes back).
    void clearScript();
    // Closes the connections that stall faults hold open, the way a server that finally gives up would.
    void endStalls();

    // Serves other paths (images, streams): the first handler whose prefix matches gets the request.
    void addPathHandler(const QString &prefix, PathHandler handler);

    QList<ProviderRequest> requests() const { return m_log; }
    QList<ProviderRequest> requests(const QString &action) const;
    void clearLog() { m_log.clear(); }

    // Writes an HTTP answer with the fault applied (used by the path handlers too).
    // Inside a path handler, a fault that is not set takes the path's own fault (setPathFault).
    void respond(QTcpSocket *socket, int status, const QByteArray &contentType, const QByteArray &body,
                 const ProviderFault &fault = {});
    using Headers = QList<QPair<QByteArray, QByteArray>>;
    void respond(QTcpSocket *socket, int status, const QByteArray &contentType, const QByteArray &body,
                 const ProviderFault &fault, const Headers &extraHeaders);

    // "http://<local address>:<port>" of the connection: where a client reached this provider.
    static QString addressOf(const QTcpSocket *socket);

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override;
    void missingHandler(const QHttpServerRequest &request, QTcpSocket *socket) override;

private:
    void handleApi(const QHttpServerRequest &request, QTcpSocket *socket);
    QByteArray defaultApiAnswer(const QString &action, const QUrlQuery &query, const QString &base);
    QByteArray signInAnswer(const QString &base) const;
    bool serveImage(const QHttpServerRequest &request, QTcpSocket *socket);
    bool serveStream(const QHttpServerRequest &request, QTcpSocket *socket);
    void serveFile(const QHttpServerRequest &request, QTcpSocket *socket, const QString &file,
                   const QByteArray &contentType);
    void serveHlsPlaylist(QTcpSocket *socket, const QString &channelId);
    void serveCutTransportStream(QTcpSocket *socket, const QString &file, qint64 channelId,
                                 std::chrono::milliseconds untilCut);
    void notFound(QTcpSocket *socket);
    void writeNow(QTcpSocket *socket, int status, const QByteArray &contentType, const QByteArray &body,
                  const ProviderFault &fault, const Headers &extraHeaders);
    void writeSlowly(QTcpSocket *socket, const QByteArray &body, int bytesPerSecond, bool drop);
    void logRequest(const QHttpServerRequest &request, QTcpSocket *socket);

    QString m_username = QStringLiteral("demo");
    QString m_password = QStringLiteral("demo1234");
    quint16 m_port = 0;
    QString m_firstHost;
    ApiHandler m_apiHandler;
    QHash<QString, QPair<QByteArray, int>> m_answers;
    QHash<QString, ProviderFault> m_faults;
    QList<QPair<QString, ProviderFault>> m_pathFaults;
    QList<QPair<QString, PathHandler>> m_pathHandlers;
    QList<ProviderRequest> m_log;
    QList<QPointer<QTcpSocket>> m_stalled;
    QHash<qint64, LiveCut> m_liveCuts;
    SampleCatalog::Size m_catalogSize = SampleCatalog::Size::Default;
    std::unique_ptr<SampleCatalog> m_catalog;
    JsonWriter::Style m_jsonStyle = JsonWriter::Style::Php;
    QHash<QString, QByteArray> m_imageCache;
    // The path fault of the request being dispatched to a path handler.
    ProviderFault m_dispatchFault;
};
