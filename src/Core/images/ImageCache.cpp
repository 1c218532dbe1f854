#include "images/ImageCache.h"

#include "client/DeclaredLength.h"
#include "storage/PrivateFiles.h"
#include "system/AppInfo.h"
#include "system/Logging.h"

#include <QBuffer>
#include <QCoroNetworkReply>
#include <QCryptographicHash>
#include <QImageReader>
#include <QJSEngine>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStandardPaths>
#include <algorithm>
#include <array>

namespace {

constexpr qsizetype maxPlainNameLength = 180;
constexpr qsizetype hashedNamePrefixLength = 116;
constexpr int maxRedirects = 10;
// Large enough for the biggest source accepted (48 MP at 4 bytes); a tighter process limit stays.
constexpr int allocationLimitMb = 256;

void limitDecoderAllocations()
{
    static const bool applied = [] {
        const int current = QImageReader::allocationLimit();
        if (current == 0 || current > allocationLimitMb)
            QImageReader::setAllocationLimit(allocationLimitMb);
        return true;
    }();
    Q_UNUSED(applied);
}

// A JPEG cut short (a dropped download) still "decodes" into a half-grey picture: refuse it when no
// end-of-image marker follows its last scan. Markers cannot occur inside entropy-coded data.
bool isTruncatedJpeg(const QByteArray &bytes)
{
    if (!bytes.startsWith(QByteArrayView("\xFF\xD8", 2)))
        return false;
    const qsizetype lastScan = bytes.lastIndexOf(QByteArrayView("\xFF\xDA", 2));
    if (lastScan < 0)
        return true;
    return bytes.indexOf(QByteArrayView("\xFF\xD9", 2), lastScan) < 0;
}

QSize thumbnailSize(const QSize &source)
{
    if (std::max(source.width(), source.height()) <= ImageCache::thumbnailSide)
        return source;
    QSize scaled = source.scaled(ImageCache::thumbnailSide, ImageCache::thumbnailSide, Qt::KeepAspectRatio);
    return scaled.expandedTo(QSize(1, 1));
}

// Errors of the transfer itself: no connection, a dropped or timed-out one, a broken protocol.
// The others the network layer derives from an answer's status alone.
bool brokeOff(QNetworkReply::NetworkError error)
{
    return error < QNetworkReply::ProxyAuthenticationRequiredError // the network's and the proxy's
           || error == QNetworkReply::UnknownProxyError || error == QNetworkReply::ProtocolFailure;
}

// An answer with an HTTP status carries the body the server sent, whatever the status (400, 407,
// 418, a redirect without an address): that body decides. Only a request that got no answer or
// whose transfer broke off failed.
bool failedInTransport(const QNetworkReply &reply)
{
    const QNetworkReply::NetworkError error = reply.error();
    if (error == QNetworkReply::NoError)
        return false;
    const bool answered = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
    return !answered || brokeOff(error);
}

bool isWeb(const QUrl &address)
{
    const QString scheme = address.scheme();
    return address.isValid() && !address.host().isEmpty() &&
           (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

// Where a redirect answer sends on to; none for any other answer, and for a redirect that names
// no address (its own body is then the answer).
std::optional<QUrl> redirectTarget(const QNetworkReply &reply)
{
    static constexpr std::array redirects{301, 302, 303, 305, 307, 308};
    const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QByteArray location = reply.rawHeader("Location");
    if (location.isEmpty() || std::find(redirects.begin(), redirects.end(), status) == redirects.end())
        return std::nullopt;
    return reply.url().resolved(QUrl::fromEncoded(location));
}

} // namespace

ImageCache::ImageCache(const QString &diskDir, QNetworkAccessManager *network, QObject *parent)
    : QObject(parent), m_diskDir(diskDir), m_network(network)
{
    if (!m_network)
        m_network = new QNetworkAccessManager(this);
    PrivateFiles::ensureFolder(m_diskDir);
}

ImageCache *ImageCache::shared()
{
    static ImageCache *instance = new ImageCache(defaultDiskDir());
    return instance;
}

ImageCache *ImageCache::create(QQmlEngine *, QJSEngine *)
{
    ImageCache *cache = shared();
    QJSEngine::setObjectOwnership(cache, QJSEngine::CppOwnership);
    return cache;
}

QString ImageCache::defaultDiskDir()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QLatin1Char('/') +
           AppInfo::folderName + QLatin1String("Images");
}

QString ImageCache::diskPath(const QString &url) const
{
    return m_diskDir + QLatin1Char('/') + diskFileName(url);
}

QString ImageCache::diskFileName(const QString &url)
{
    const QByteArray utf8 = url.toUtf8();
    QByteArray name = utf8.toBase64();
    name.replace('/', '_').replace('+', '-');
    if (name.size() <= maxPlainNameLength)
        return QString::fromLatin1(name);
    // Short names stay as they always were, so files already on disk keep serving their URLs.
    const QByteArray digest = QCryptographicHash::hash(utf8, QCryptographicHash::Sha256).toHex();
    return QString::fromLatin1(name.left(hashedNamePrefixLength) + digest);
}

std::optional<QImage> ImageCache::decode(const QByteArray &bytes)
{
    if (bytes.isEmpty() || isTruncatedJpeg(bytes))
        return std::nullopt;
    limitDecoderAllocations();
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);

    // The header's size decides before a single pixel is allocated.
    const QSize source = reader.size();
    if (source.isValid()) {
        if (source.isEmpty() || qint64(source.width()) * source.height() > maxSourcePixels)
            return std::nullopt;
        reader.setScaledSize(thumbnailSize(source));
    }
    QImage image;
    if (!reader.read(&image) || image.isNull())
        return std::nullopt;
    // A format that could not tell its size up front was bounded by the allocation limit only.
    if (!source.isValid() && std::max(image.width(), image.height()) > thumbnailSide)
        image = image.scaled(thumbnailSize(image.size()), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image;
}

bool ImageCache::isWebAddress(const QString &url)
{
    return isWeb(QUrl(url));
}

QCoro::Task<std::optional<QImage>> ImageCache::fetch(QString url)
{
    // A provider's "file:///..." or "data:" icon would otherwise read the user's own files into
    // the cache; nothing but a web address is fetched, nor looked up on disk.
    if (!isWebAddress(url)) {
        qCDebug(lcImages) << "not a web address: not fetched";
        co_return std::nullopt;
    }
    const QString path = diskPath(url);
    if (const auto stored = PrivateFiles::readAll(path, maxBodyBytes)) {
        if (auto image = decode(*stored))
            co_return image;
    }
    QPointer<ImageCache> self(this);
    const std::optional<QByteArray> body = co_await download(url);
    if (!self || !body)
        co_return std::nullopt;
    auto image = decode(*body);
    if (!image) {
        // The address itself stays out of the log: a provider may put a token in it.
        qCInfo(lcImages) << "an image answer of" << body->size() << "bytes did not decode";
        co_return std::nullopt; // nothing that does not decode is kept
    }
    // A failed write only means the next launch downloads it again.
    PrivateFiles::ensureFolder(m_diskDir);
    PrivateFiles::writeAtomically(path, *body);
    co_return image;
}

QCoro::Task<std::optional<QByteArray>> ImageCache::download(QString url)
{
    QUrl address(url);
    for (int redirects = 0; redirects <= maxRedirects; ++redirects) {
        if (!isWeb(address) || !m_network)
            co_return std::nullopt;
        QNetworkRequest request(address);
        request.setHeader(QNetworkRequest::UserAgentHeader, QByteArrayLiteral("okhttp/4.9.0"));
        request.setTransferTimeout(int(m_timeout.count()));
        // Redirects are followed here: the network layer drops the body of one without an address.
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
        QPointer<QNetworkReply> reply = m_network->get(request);
        QNetworkReply *watched = reply.data();
        connect(watched, &QNetworkReply::downloadProgress, watched, [watched](qint64 received, qint64) {
            if (received > maxBodyBytes)
                watched->abort();
        });
        co_await qCoro(watched).waitForFinished();
        if (!reply)
            co_return std::nullopt;
        reply->deleteLater();
        if (failedInTransport(*reply)) {
            qCInfo(lcImages) << "image request failed:" << reply->error();
            co_return std::nullopt;
        }
        if (const std::optional<QUrl> next = redirectTarget(*reply)) {
            if (address.scheme() == QLatin1String("https") && next->scheme() != QLatin1String("https"))
                co_return std::nullopt; // never from https down to http
            address = *next;
            continue;
        }
        QByteArray body = reply->readAll();
        if (DeclaredLength::fallsShort(*reply, body.size()))
            co_return std::nullopt; // the connection dropped mid-body
        co_return body;
    }
    qCInfo(lcImages) << "image request redirected too often";
    co_return std::nullopt;
}

void ImageCache::remember(const QString &url, const QImage &image)
{
    m_memory.insert(url, image);
    Q_EMIT memoryChanged();
}
