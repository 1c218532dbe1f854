#pragma once

#include "client/LoginOutcome.h"
#include "provider/ContentType.h"
#include "provider/ProviderJson.h"
#include "provider/Result.h"

#include <QCoroTask>
#include <QMap>
#include <QObject>
#include <QString>
#include <QUrl>
#include <QtQml/qqmlregistration.h>
#include <functional>
#include <optional>

// The provider connection: base URL, user name and password. A value, copied freely.
// Every provider request and every stream address is made from these three fields.
//
// The operations are coroutines on the main thread. They read the client only before their
// first suspension, so a copy that goes away while a request runs does no harm.
class XtreamClient
{
    Q_GADGET
    QML_VALUE_TYPE(xtreamClient)
    Q_PROPERTY(QString base READ base CONSTANT FINAL)
    Q_PROPERTY(QString username READ username CONSTANT FINAL)
    Q_PROPERTY(QString password READ password CONSTANT FINAL)
public:
    // Extra query items of a request, by name.
    using QueryItems = QMap<QString, QString>;
    using HTTPError = ::HTTPError;

    XtreamClient() = default;
    XtreamClient(QString base, QString username, QString password)
        : m_base(std::move(base)), m_username(std::move(username)), m_password(std::move(password))
    {
    }

    QString base() const { return m_base; }
    QString username() const { return m_username; }
    QString password() const { return m_password; }
    bool isValid() const { return !m_base.isEmpty(); }

    // The API address: base + "/player_api.php" with username, password, the action when
    // given, then the extra items. Every name and value is percent-encoded outside
    // A-Z a-z 0-9 - . _ ~, so any credential reaches the server exactly as typed.
    // Absent when the base does not make an absolute URL.
    std::optional<QUrl> url(const std::optional<QString> &action, const QueryItems &extra = {}) const;

    // The address of a stream: the kind's name, then the credentials as path segments
    // (percent-encoded where a segment needs it), the id and the container extension.
    QString streamUrl(ContentType kind, const QString &id, const QString &extension) const;

    // The body of an answer; badURL, a transport error, or HTTPError for a status outside 2xx.
    QCoro::Task<Result<QByteArray>> rawData(std::optional<QString> action, QueryItems extra = {}) const;

    // The same request as a whole-catalog download: the body streamed to a temporary file with
    // running byte totals to `onProgress`, a 60 s limit without data, and HTTPStatusError (not
    // HTTPError) for a status outside 2xx.
    QCoro::Task<Result<QByteArray>> rawData(std::optional<QString> action, QueryItems extra,
                                            std::function<void(qint64)> onProgress) const;

    // rawData decoded as a record or a list of records.
    template <typename T>
    QCoro::Task<Result<T>> fetch(std::optional<QString> action, QueryItems extra = {}) const
    {
        Result<QByteArray> body = co_await rawData(std::move(action), std::move(extra));
        if (!body)
            co_return body.failure();
        co_return ProviderJson::decode<T>(std::move(body).value());
    }

    // "get_live_streams", of one category or (no id) of all.
    QCoro::Task<Result<QList<LiveStream>>>
    liveStreams(std::optional<QString> categoryId = std::nullopt) const;
    // "get_vod_info" of one movie.
    QCoro::Task<Result<VodInfoResponse>> vodInfo(QString vodId) const;
    // "get_short_epg": the guide entries of one channel, at most `limit` of them.
    QCoro::Task<Result<QList<EPGListing>>> shortEPG(QString streamId, int limit) const;
    // "get_series_info" of one series.
    QCoro::Task<Result<SeriesInfoResponse>> seriesInfo(QString seriesId) const;

    // The sign-in verdict. Never fails: every failure becomes a verdict.
    QCoro::Task<LoginOutcome> authenticate() const;

    bool operator==(const XtreamClient &) const = default;

private:
    QString m_base;
    QString m_username;
    QString m_password;
};
