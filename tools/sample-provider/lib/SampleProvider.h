#pragma once

#include "ProviderFault.h"

#include <QAbstractHttpServer>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrlQuery>
#include <functional>

class QTcpSocket;

// One request as the provider saw it, for tests that assert what the app asked for.
struct ProviderRequest
{
    QString path;
    QString action;                    // empty for the sign-in request
    QMap<QString, QString> query;      // decoded query items
    QByteArray rawQuery;               // the query exactly as sent (percent-encoding included)
    QString host;                      // the local address that took the request
    quint16 port = 0;
    QByteArray userAgent;
};

// A provider's HTTP API on loopback. The answers of every action come from the provider's
// catalog; tests can replace any answer and add faults per action.
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
    QString username() const { return m_username; }
    QString password() const { return m_password; }

    // Where the answer of an action comes from (the catalog when none is set).
    void setApiHandler(ApiHandler handler) { m_apiHandler = std::move(handler); }
    // Replaces the answer of one action ("" is the sign-in request).
    void setAnswer(const QString &action, const QByteArray &body, int status = 200);
    void setFault(const QString &action, const ProviderFault &fault);
    // Faults for paths outside the API (images and streams), matched by path prefix.
    void setPathFault(const QString &pathPrefix, const ProviderFault &fault);
    void clearScript();

    // Serves other paths (images, streams): the first handler whose prefix matches gets the request.
    void addPathHandler(const QString &prefix, PathHandler handler);

    QList<ProviderRequest> requests() const { return m_log; }
    QList<ProviderRequest> requests(const QString &action) const;
    void clearLog() { m_log.clear(); }

    // Writes an HTTP answer with the fault applied (used by the path handlers too).
    void respond(QTcpSocket *socket, int status, const QByteArray &contentType, const QByteArray &body,
                 const ProviderFault &fault = {});

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override;
    void missingHandler(const QHttpServerRequest &request, QTcpSocket *socket) override;

private:
    void handleApi(const QHttpServerRequest &request, QTcpSocket *socket);
    QByteArray defaultApiAnswer(const QString &action, const QUrlQuery &query) const;
    void writeNow(QTcpSocket *socket, int status, const QByteArray &contentType, const QByteArray &body,
                  const ProviderFault &fault);
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
};
