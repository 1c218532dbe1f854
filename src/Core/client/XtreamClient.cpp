#include "client/XtreamClient.h"

#include "client/ApiConnection.h"
#include "client/NorvaneError.h"
#include "client/ProgressDownloader.h"
#include "system/Logging.h"

namespace {

// Stream addresses keep what a path segment may hold as it is, so ordinary credentials give
// the plain address; "/", "?", "#", "%", blanks and non-ASCII letters are encoded.
const QByteArray segmentSafe = QByteArrayLiteral("!$&'()*+,;=:@");

QString pathSegment(const QString &text)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(text, segmentSafe));
}

QByteArray queryItem(const QString &name, const QString &value)
{
    // toPercentEncoding leaves exactly the unreserved characters as they are.
    return QUrl::toPercentEncoding(name) + '=' + QUrl::toPercentEncoding(value);
}

} // namespace

std::optional<QUrl> XtreamClient::url(const std::optional<QString> &action, const QueryItems &extra) const
{
    QUrl address(m_base + QLatin1String("/player_api.php"), QUrl::StrictMode);
    if (!address.isValid() || address.scheme().isEmpty() || address.host().isEmpty())
        return std::nullopt;
    QByteArrayList items{queryItem(QStringLiteral("username"), m_username),
                         queryItem(QStringLiteral("password"), m_password)};
    if (action)
        items.append(queryItem(QStringLiteral("action"), *action));
    for (auto it = extra.cbegin(); it != extra.cend(); ++it)
        items.append(queryItem(it.key(), it.value()));
    address.setQuery(QString::fromLatin1(items.join('&')), QUrl::StrictMode);
    if (!address.isValid())
        return std::nullopt;
    return address;
}

QString XtreamClient::streamUrl(ContentType kind, const QString &id, const QString &extension) const
{
    QString base = m_base;
    if (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    return base + QLatin1Char('/') + contentTypeName(kind) + QLatin1Char('/') + pathSegment(m_username) +
           QLatin1Char('/') + pathSegment(m_password) + QLatin1Char('/') + pathSegment(id) +
           QLatin1Char('.') + pathSegment(extension);
}

namespace {

// One line a request, named by its action: the address carries the credentials, and so can a
// transport error's own text, so a failure is described by its user text only.
Result<QByteArray> logged(const std::optional<QString> &action, Result<QByteArray> result)
{
    const QString name = action.value_or(QStringLiteral("sign-in"));
    if (result)
        qCDebug(lcProvider) << name << "answered" << result->size() << "bytes";
    else
        qCInfo(lcProvider) << name << "failed:" << NorvaneError::message(result.failure());
    return result;
}

} // namespace

QCoro::Task<Result<QByteArray>> XtreamClient::rawData(std::optional<QString> action, QueryItems extra) const
{
    const std::optional<QUrl> address = url(action, extra);
    if (!address)
        co_return TransportError{TransportError::Kind::badURL, {}};
    Result<QByteArray> body = co_await ApiConnection::get(*address);
    co_return logged(action, std::move(body));
}

QCoro::Task<Result<QByteArray>> XtreamClient::rawData(std::optional<QString> action, QueryItems extra,
                                                      std::function<void(qint64)> onProgress) const
{
    const std::optional<QUrl> address = url(action, extra);
    if (!address)
        co_return TransportError{TransportError::Kind::badURL, {}};
    ProgressDownloader downloader(std::move(onProgress));
    Result<QByteArray> body =
        co_await downloader.download(QNetworkRequest(*address), ApiConnection::catalogTimeout());
    co_return logged(action, std::move(body));
}

QCoro::Task<Result<QList<LiveStream>>> XtreamClient::liveStreams(std::optional<QString> categoryId) const
{
    QueryItems extra;
    if (categoryId)
        extra.insert(QStringLiteral("category_id"), *categoryId);
    return fetch<QList<LiveStream>>(QStringLiteral("get_live_streams"), std::move(extra));
}

QCoro::Task<Result<VodInfoResponse>> XtreamClient::vodInfo(QString vodId) const
{
    return fetch<VodInfoResponse>(QStringLiteral("get_vod_info"), {{QStringLiteral("vod_id"), vodId}});
}

QCoro::Task<LoginOutcome> XtreamClient::authenticate() const
{
    const Result<AuthResponse> answer = co_await fetch<AuthResponse>(std::nullopt);
    if (!answer)
        co_return LoginOutcome::failed(NorvaneError::message(answer.failure()));
    const std::optional<UserInfo> &info = answer->userInfo();
    if (!info || info->auth() != 1)
        co_return LoginOutcome::invalidCredentials();
    const QString status = info->status().toLower();
    if (status == QLatin1String("expired"))
        co_return LoginOutcome::expired();
    if (status == QLatin1String("banned") || status == QLatin1String("disabled"))
        co_return LoginOutcome::disabled();
    co_return LoginOutcome::success();
}

QCoro::Task<Result<QList<EPGListing>>> XtreamClient::shortEPG(QString streamId, int limit) const
{
    // QLatin1String here: GCC 12 cannot compile QStringLiteral inside a coroutine.
    const QueryItems extra{{QLatin1String("stream_id"), streamId},
                           {QLatin1String("limit"), QString::number(limit)}};
    const Result<EPGResponse> guide = co_await fetch<EPGResponse>(QLatin1String("get_short_epg"), extra);
    if (!guide)
        co_return guide.failure();
    co_return guide->listings();
}

QCoro::Task<Result<SeriesInfoResponse>> XtreamClient::seriesInfo(QString seriesId) const
{
    return fetch<SeriesInfoResponse>(QStringLiteral("get_series_info"),
                                     {{QStringLiteral("series_id"), seriesId}});
}
