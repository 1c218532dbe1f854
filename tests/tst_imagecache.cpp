#include "CannedReply.h"
#include "QmlHarness.h"
#include "SampleProvider.h"
#include "TestFiles.h"
#include "TestMain.h"
#include "images/ImageCache.h"
#include "images/RemoteImage.h"

#include <QBuffer>
#include <QCoroTask>
#include <QHttpServerRequest>
#include <QImageReader>
#include <QImageWriter>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtEndian>

using norvane::test::readFile;

namespace {

QByteArray encode(const QImage &image, const char *format, QImageIOHandler::Transformations transform = {})
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setTransformation(transform);
    writer.write(image);
    return bytes;
}

QByteArray picture(int width, int height, const char *format, QColor color = Qt::red)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    return encode(image, format);
}

quint32 crc32(const QByteArray &data)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : data) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray pngChunk(const QByteArray &type, const QByteArray &data)
{
    QByteArray chunk(4, '\0');
    qToBigEndian<quint32>(quint32(data.size()), chunk.data());
    const QByteArray typed = type + data;
    QByteArray crc(4, '\0');
    qToBigEndian<quint32>(crc32(typed), crc.data());
    return chunk + typed + crc;
}

// A PNG of the given size: 8-bit RGBA with a few bytes of pixel data (a header that only
// announces the size), or 1-bit grey with every row present (tiny on disk, huge in pixels).
QByteArray pngOfSize(quint32 width, quint32 height, bool complete)
{
    QByteArray ihdr(13, '\0');
    qToBigEndian<quint32>(width, ihdr.data());
    qToBigEndian<quint32>(height, ihdr.data() + 4);
    ihdr[8] = complete ? 1 : 8; // bit depth
    ihdr[9] = complete ? 0 : 6; // grey or RGBA
    const qsizetype rowBytes = 1 + (qsizetype(width) + 7) / 8;
    const QByteArray raw(complete ? rowBytes * height : 64, '\0');
    const QByteArray pixels = qCompress(raw).mid(4); // a zlib stream
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", ihdr) + pngChunk("IDAT", pixels) +
           pngChunk("IEND", {});
}

// The largest the process's address space has ever been, in kB (Linux).
qint64 peakVirtualKb()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmPeak:"))
            return line.mid(7).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

std::optional<QImage> fetchNow(ImageCache &cache, const QString &url)
{
    return QCoro::waitFor(cache.fetch(url));
}

// Answers every https request with a redirect to `target`; anything else goes to the network.
class HttpsRedirects : public QNetworkAccessManager
{
public:
    explicit HttpsRedirects(QByteArray target) : m_target(std::move(target)) {}

protected:
    QNetworkReply *createRequest(Operation op, const QNetworkRequest &request, QIODevice *data) override
    {
        if (request.url().scheme() != QLatin1String("https"))
            return QNetworkAccessManager::createRequest(op, request, data);
        auto *reply = new CannedReply(request, "<html>Moved</html>", 18, {}, this);
        reply->redirectTo(m_target);
        return reply;
    }

private:
    QByteArray m_target;
};

} // namespace

class TestImageCache : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    SampleProvider m_provider;
    QHash<QString, QByteArray> m_images; // served under /img/<name>

    QString diskDir() const { return m_dir.filePath("cache/NorvaneImages"); }
    QString url(const QString &name) const { return m_provider.baseUrl() + "/img/" + name; }
    int requestsFor(const QString &name) const
    {
        int count = 0;
        for (const ProviderRequest &r : m_provider.requests())
            count += r.path == "/img/" + name;
        return count;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_provider.listenOn());
        m_provider.addPathHandler("/img/", [this](const QHttpServerRequest &request, QTcpSocket *socket) {
            const QString name = request.url().path().mid(5);
            if (name == "moved.png") {
                m_provider.respond(socket, 301, "text/html", "<html>Moved</html>", {},
                                   {{"Location", url("blue.png").toUtf8()}});
                return true;
            }
            if (!m_images.contains(name))
                return false;
            // "<status>-" images come with that status (a redirect without an address for 3xx): the
            // body counts all the same.
            const int status = std::max(name.section('-', 0, 0).toInt(), 200);
            ProviderFault fault{.delayMs = name.startsWith("slow-") ? 400 : 0};
            m_provider.respond(socket, status, "image/jpeg", m_images.value(name), fault);
            return true;
        });
        m_images.insert("poster.jpg", picture(1200, 800, "JPEG"));
        for (const char *status : {"302", "400", "404", "407", "418", "503"})
            m_images.insert(QString::fromLatin1(status) + "-logo.png", picture(300, 200, "PNG"));
        m_images.insert("page.html", "<html><body>Not an image</body></html>");
        m_images.insert("slow-red.png", picture(40, 60, "PNG", Qt::red));
        m_images.insert("blue.png", picture(40, 60, "PNG", Qt::blue));
        m_images.insert("green.png", picture(40, 60, "PNG", Qt::green));
    }

    void init()
    {
        QDir(diskDir()).removeRecursively();
        m_provider.clearLog();
    }

    // The names files already on disk carry: a cache folder filled by an earlier version keeps
    // serving its addresses.
    void diskNames_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("name");
        QTest::newRow("\"/\" and \"+\" of Base64 replaced")
            << QString("http://h/i.jpg?a=~~~>") << QString("aHR0cDovL2gvaS5qcGc_YT1-fn4-");
        QTest::newRow("non-ASCII") << QString("http://h/póster ñandú.jpg")
                                   << QString("aHR0cDovL2gvcMOzc3RlciDDsWFuZMO6LmpwZw==");
        QTest::newRow("exactly 180 characters")
            << ("http://h/" + QString(126, 'a')) << ("aHR0cDovL2gv" + QString("YWFh").repeated(42));
        QTest::newRow("181 and more: 116 and the address's SHA-256")
            << ("http://h/" + QString(127, 'a'))
            << ("aHR0cDovL2gv" + QString("YWFh").repeated(26) +
                "35b51ee90c8c7b5d99be47e4db0a33e938ea9287dde11e3189e8bc7e4b8b42cc");
    }
    void diskNames()
    {
        QFETCH(QString, url);
        QFETCH(QString, name);
        QCOMPARE(ImageCache::diskFileName(url), name);
    }

    void longUrlsSharingAPrefixGetTheirOwnFiles()
    {
        m_images.insert(QString(140, 'x') + "-red.png", picture(10, 10, "PNG", Qt::red));
        m_images.insert(QString(140, 'x') + "-blue.png", picture(10, 10, "PNG", Qt::blue));
        const QString first = url(QString(140, 'x') + "-red.png");
        const QString second = url(QString(140, 'x') + "-blue.png");
        QCOMPARE(first.toUtf8().left(135), second.toUtf8().left(135));
        QVERIFY(ImageCache::diskFileName(first) != ImageCache::diskFileName(second));

        ImageCache cache(diskDir());
        QCOMPARE(fetchNow(cache, first)->pixelColor(5, 5), QColor(Qt::red));
        QCOMPARE(fetchNow(cache, second)->pixelColor(5, 5), QColor(Qt::blue));
        QCOMPARE(QDir(diskDir()).entryList(QDir::Files).size(), 2);
    }

    void decodesToAThumbnail_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QSize>("expected");
        QTest::newRow("1200x800 jpeg") << picture(1200, 800, "JPEG") << QSize(600, 400);
        QTest::newRow("1200x800 png") << picture(1200, 800, "PNG") << QSize(600, 400);
        QTest::newRow("2000x3000 jpeg") << picture(2000, 3000, "JPEG") << QSize(400, 600);
        QTest::newRow("300x200 kept") << picture(300, 200, "JPEG") << QSize(300, 200);
        QTest::newRow("1200x800 webp") << picture(1200, 800, "WEBP") << QSize(600, 400);
        QTest::newRow("600x600 kept") << picture(600, 600, "PNG") << QSize(600, 600);
        QTest::newRow("1-bit 4000x3000") << pngOfSize(4000, 3000, true) << QSize(600, 450);
        QTest::newRow("a thin strip keeps a pixel") << picture(6000, 2, "PNG") << QSize(600, 1);
        QImage stored(1200, 800, QImage::Format_RGB32);
        stored.fill(Qt::white);
        QTest::newRow("orientation applied")
            << encode(stored, "JPEG", QImageIOHandler::TransformationRotate90) << QSize(400, 600);
    }
    void decodesToAThumbnail()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QSize, expected);
        const auto image = ImageCache::decode(bytes);
        QVERIFY(image);
        QCOMPARE(image->size(), expected);
    }

    void refusesWhatIsNoWholeImage_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray jpeg = picture(300, 200, "JPEG");
        const QByteArray png = picture(300, 200, "PNG");
        QTest::newRow("zero bytes") << QByteArray();
        QTest::newRow("html page") << QByteArray("<!DOCTYPE html><html><body>404</body></html>");
        QTest::newRow("truncated jpeg") << jpeg.left(jpeg.size() * 2 / 3);
        QTest::newRow("jpeg headers only") << jpeg.left(600);
        QTest::newRow("truncated png") << png.left(png.size() / 2);
        QTest::newRow("30000x30000 png header") << pngOfSize(30000, 30000, false);
        QTest::newRow("zero-width png header") << pngOfSize(0, 100, false);
        QTest::newRow("whole 9000x9000 png of 13 kB") << pngOfSize(9000, 9000, true);
    }
    void refusesWhatIsNoWholeImage()
    {
        QFETCH(QByteArray, bytes);
        // Qt warns when an allocation beyond its limit is even attempted: none must be.
        QTest::failOnWarning(QRegularExpression(".*"));
        const qint64 peakBefore = peakVirtualKb();
        QVERIFY(!ImageCache::decode(bytes));
        QVERIFY2(peakVirtualKb() - peakBefore < 512 * 1024, "the decoder reserved a huge picture");
        QVERIFY(QImageReader::allocationLimit() > 0 && QImageReader::allocationLimit() <= 256);
    }

    void fetchDownloadsOnceThenReadsTheDisk()
    {
        ImageCache cache(diskDir());
        const QString poster = url("poster.jpg");
        const auto first = fetchNow(cache, poster);
        QVERIFY(first);
        QCOMPARE(first->size(), QSize(600, 400));
        QCOMPARE(requestsFor("poster.jpg"), 1);
        QCOMPARE(m_provider.requests().last().userAgent, QByteArray("okhttp/4.9.0"));

        const QString path = cache.diskPath(poster);
        QCOMPARE(readFile(path), m_images.value("poster.jpg")); // the body as downloaded
        QCOMPARE(QFile::permissions(path) & 0x0777, QFileDevice::Permissions(0x0600));
        QCOMPARE(QFile::permissions(diskDir()) & 0x0777, QFileDevice::Permissions(0x0700));

        ImageCache nextLaunch(diskDir());
        QCOMPARE(fetchNow(nextLaunch, poster)->size(), QSize(600, 400));
        QCOMPARE(requestsFor("poster.jpg"), 1);
    }

    void undecodableDiskFileIsFetchedAgain()
    {
        ImageCache cache(diskDir());
        const QString logo = url("blue.png");
        QFile file(cache.diskPath(logo));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("garbage");
        file.close();
        QCOMPARE(fetchNow(cache, logo)->pixelColor(1, 1), QColor(Qt::blue));
        QCOMPARE(readFile(cache.diskPath(logo)), m_images.value("blue.png"));
    }

    void answersWithoutAnImage_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("requests");
        QTest::newRow("html 404") << url("page-that-is-missing.jpg") << 1;
        QTest::newRow("html 200") << url("page.html") << 1;
        QTest::newRow("empty") << QString() << 0;
        QTest::newRow("not a URL") << QString("no es una dirección") << 0;
        QTest::newRow("refused port") << QString("http://127.0.0.1:1/x.png") << 0;
        // Only web addresses: a provider's icon must never bring the user's own files into the cache.
        const QString local = m_dir.filePath("local.png");
        norvane::test::writeFile(local, picture(30, 30, "PNG"));
        QTest::newRow("file address") << QUrl::fromLocalFile(local).toString() << 0;
        QTest::newRow("file address naming a host") << QStringLiteral("file://localhost") + local << 0;
        QTest::newRow("data address")
            << QString::fromLatin1("data:image/png;base64," + picture(30, 30, "PNG").toBase64()) << 0;
        QTest::newRow("ftp address") << QString("ftp://127.0.0.1/x.png") << 0;
        QTest::newRow("no host") << QString("http:/x.png") << 0;
    }
    void answersWithoutAnImage()
    {
        QFETCH(QString, address);
        QFETCH(int, requests);
        ImageCache cache(diskDir());
        QVERIFY(!fetchNow(cache, address));
        QCOMPARE(m_provider.requests().size(), requests);
        QCOMPARE(QDir(diskDir()).entryList(QDir::Files), QStringList());
    }

    // Whatever the status, an answer's body decides.
    void errorStatusWithAnImageBodyStillShowsIt_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *status : {"302", "400", "404", "407", "418", "503"})
            QTest::newRow(status) << QString::fromLatin1(status) + "-logo.png";
    }
    void errorStatusWithAnImageBodyStillShowsIt()
    {
        QFETCH(QString, name);
        ImageCache cache(diskDir());
        const auto image = fetchNow(cache, url(name));
        QVERIFY(image);
        QCOMPARE(image->size(), QSize(300, 200));
        QVERIFY(QFile::exists(cache.diskPath(url(name))));
    }

    void redirectIsFollowed()
    {
        ImageCache cache(diskDir());
        QCOMPARE(fetchNow(cache, url("moved.png"))->pixelColor(1, 1), QColor(Qt::blue));
        QCOMPARE(requestsFor("blue.png"), 1);
        QCOMPARE(readFile(cache.diskPath(url("moved.png"))), m_images.value("blue.png"));
    }

    // Never from https down to http: the picture behind the plain address is not fetched.
    void httpsRedirectToHttpIsRefused()
    {
        HttpsRedirects network(url("blue.png").toUtf8());
        ImageCache cache(diskDir(), &network);
        QVERIFY(!fetchNow(cache, QStringLiteral("https://images.example/blue.png")));
        QCOMPARE(requestsFor("blue.png"), 0);
        QCOMPARE(QDir(diskDir()).entryList(QDir::Files), QStringList());
    }

    void brokenTransfersGiveNothing_data()
    {
        QTest::addColumn<QString>("prefix");
        QTest::newRow("no answer") << "/stall/";
        QTest::newRow("dropped mid-body") << "/drop/";
        QTest::newRow("headers, then silence") << "/quiet/";
    }
    void brokenTransfersGiveNothing()
    {
        QFETCH(QString, prefix);
        ProviderFault fault;
        fault.stall = prefix == "/stall/";
        fault.dropMidBody = prefix == "/drop/";
        fault.stallAfterHeaders = prefix == "/quiet/";
        m_provider.setPathFault(prefix, fault);
        ImageCache cache(diskDir());
        cache.setRequestTimeout(std::chrono::milliseconds(300));
        QVERIFY(!fetchNow(cache, m_provider.baseUrl() + prefix + "x.png"));
        QCOMPARE(QDir(diskDir()).entryList(QDir::Files), QStringList());
    }

    void memoryIsBoundedByCountAndCost()
    {
        ImageCache cache(diskDir());
        QImage tiny(2, 2, QImage::Format_RGB32);
        for (int i = 0; i < 401; ++i) {
            cache.remember(QString::number(i), tiny);
            if (i == 200)
                QVERIFY(cache.cached("0")); // used again: no longer the oldest
        }
        QCOMPARE(cache.memoryCount(), 400);
        QVERIFY(cache.cached("0"));
        QVERIFY(!cache.cached("1"));
        QCOMPARE(cache.memoryCost(), 400 * 16);

        QImage poster(600, 600, QImage::Format_RGB32);
        for (int i = 0; i < 120; ++i)
            cache.remember("poster" + QString::number(i), poster);
        QVERIFY(cache.memoryCost() <= ImageCache::maxMemoryCost);
        QVERIFY(cache.memoryCost() > ImageCache::maxMemoryCost - 600 * 600 * 4 - 400 * 16);
        QVERIFY(cache.cached("poster119"));
        QVERIFY(!cache.cached("poster0"));

        QImage huge(6000, 6000, QImage::Format_RGB32); // 144 MB alone: never kept
        cache.remember("huge", huge);
        QVERIFY(!cache.cached("huge"));
    }

    // The bound is on the bytes the pixels take, whatever the decoder made of the file.
    void memoryBoundCountsWhatThePixelsTake_data()
    {
        QTest::addColumn<QImage>("image");
        QImage deep(600, 600, QImage::Format_RGBA64);
        deep.fill(Qt::darkCyan);
        const auto decoded = ImageCache::decode(encode(deep, "PNG")); // a 16-bit PNG
        QVERIFY(decoded);
        QCOMPARE(decoded->depth(), 64);
        QTest::newRow("16-bit png, 8 bytes a pixel") << *decoded;
        QImage grey(600, 600, QImage::Format_Grayscale8);
        grey.fill(Qt::gray);
        QTest::newRow("grey, 1 byte a pixel") << grey;
        QImage padded(601, 400, QImage::Format_RGB888);
        padded.fill(Qt::yellow);
        QTest::newRow("3 bytes a pixel, padded rows") << padded;
    }
    void memoryBoundCountsWhatThePixelsTake()
    {
        QFETCH(QImage, image);
        ImageCache cache(diskDir());
        for (int i = 0; i < ImageCache::maxMemoryEntries; ++i)
            cache.remember("image" + QString::number(i), image);
        // What the kept pixels really take, whatever the cache counted.
        const qint64 held = cache.memoryCount() * image.sizeInBytes();
        QVERIFY(held <= ImageCache::maxMemoryCost);
        QVERIFY(held > ImageCache::maxMemoryCost - image.sizeInBytes());
    }

    void sourceRectCropsToTheItemsShape_data()
    {
        QTest::addColumn<QSize>("image");
        QTest::addColumn<QSizeF>("item");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QRectF>("shown");
        const int crop = RemoteImage::PreserveAspectCrop;
        QTest::newRow("stretch shows everything")
            << QSize(400, 600) << QSizeF(136, 200) << int(RemoteImage::Stretch) << QRectF(0, 0, 400, 600);
        QTest::newRow("wide picture loses its sides")
            << QSize(600, 300) << QSizeF(100, 100) << crop << QRectF(150, 0, 300, 300);
        QTest::newRow("tall picture loses top and bottom")
            << QSize(300, 900) << QSizeF(150, 150) << crop << QRectF(0, 300, 300, 300);
        QTest::newRow("2:3 poster in a 0.68 card") << QSize(400, 600) << QSizeF(136, 200) << crop
                                                   << QRectF(0, (600 - 400 / 0.68) / 2, 400, 400 / 0.68);
        QTest::newRow("no item size keeps everything")
            << QSize(400, 600) << QSizeF(0, 0) << crop << QRectF(0, 0, 400, 600);
    }
    void sourceRectCropsToTheItemsShape()
    {
        QFETCH(QSize, image);
        QFETCH(QSizeF, item);
        QFETCH(int, mode);
        QFETCH(QRectF, shown);
        QCOMPARE(RemoteImage::sourceRect(image, item, RemoteImage::FillMode(mode)), shown); // fuzzy
    }

    void remoteImageShowsPlaceholderThenTheStretchedImage()
    {
        norvane::test::QmlHarness harness;
        QObject *root = harness.create(R"(
            import QtQuick
            import Norvane.Core
            Item {
                width: 200; height: 200
                property alias url: picture.urlString
                RemoteImage {
                    id: picture
                    objectName: "picture"
                    width: 90; height: 120
                    placeholder: Component { Rectangle { objectName: "placeholder"; color: "gray" } }
                }
            })");
        QVERIFY(root);
        auto *picture = harness.find<RemoteImage>("picture");
        auto *placeholder = harness.find<QQuickItem>("placeholder");
        QVERIFY(picture && placeholder);
        QVERIFY(placeholder->isVisible() && !picture->hasImage());
        QCOMPARE(placeholder->size(), QSizeF(90, 120));
        QCOMPARE(m_provider.requests().size(), 0); // no URL: no request

        // A newer URL wins even when the older answer arrives later.
        root->setProperty("url", url("slow-red.png"));
        root->setProperty("url", url("blue.png"));
        QTRY_VERIFY(picture->hasImage());
        QVERIFY(!placeholder->isVisible());
        // The older answer has come in (and was kept on disk) without replacing the picture.
        QTRY_VERIFY(QFile::exists(ImageCache::shared()->diskPath(url("slow-red.png"))));
        QCOMPARE(requestsFor("slow-red.png"), 1);
        const QImage frame = harness.grab();
        QCOMPARE(frame.pixelColor(45, 60), QColor(Qt::blue));
        QCOMPARE(frame.pixelColor(88, 118), QColor(Qt::blue)); // stretched to the whole item
        QCOMPARE(frame.pixelColor(95, 125), QColor(Qt::white));

        // Memory first: an image decoded in this process shows at once, without a request.
        m_provider.clearLog();
        root->setProperty("url", url("green.png"));
        QTRY_VERIFY(picture->hasImage());
        root->setProperty("url", url("blue.png"));
        QVERIFY(picture->hasImage());
        QCOMPARE(picture->image().pixelColor(1, 1), QColor(Qt::blue));
        QCOMPARE(requestsFor("blue.png"), 0);

        root->setProperty("url", QString());
        QVERIFY(!picture->hasImage() && placeholder->isVisible());
        QVERIFY(ImageCache::shared()->memoryCount() >= 2);
        // The shared cache's folder is the suite's: take out only what this test put there.
        for (const QString name : {"slow-red.png", "blue.png", "green.png"})
            QFile::remove(ImageCache::shared()->diskPath(url(name)));
    }

    // An address that gave nothing is tried again when the item is shown again or given the same
    // address again, not only by a new item.
    void failedAddressIsTriedAgain_data()
    {
        QTest::addColumn<bool>("hideAndShow");
        QTest::newRow("the same address set again") << false;
        QTest::newRow("hidden and shown again") << true;
    }
    void failedAddressIsTriedAgain()
    {
        QFETCH(bool, hideAndShow);
        norvane::test::QmlHarness harness;
        QObject *root = harness.create(R"(
            import QtQuick
            import Norvane.Core
            Item {
                width: 100; height: 100
                property alias url: picture.urlString
                RemoteImage { id: picture; objectName: "picture"; anchors.fill: parent }
            })");
        QVERIFY(root);
        auto *item = harness.find<RemoteImage>("picture");
        const QString name = hideAndShow ? "late-shown.png" : "late-set.png";
        root->setProperty("url", url(name)); // not there yet: a 404 page
        QTRY_COMPARE(requestsFor(name), 1);
        m_images.insert(name, picture(20, 20, "PNG", Qt::blue));
        // Each turn comes back to the item once more; the first after the failure fetches again.
        QTRY_VERIFY([&] {
            if (hideAndShow) {
                item->setVisible(false);
                item->setVisible(true);
            } else {
                root->setProperty("url", url(name));
            }
            return item->hasImage();
        }());
        QFile::remove(ImageCache::shared()->diskPath(url(name)));
    }
};

NORVANE_TEST_MAIN(TestImageCache)
#include "tst_imagecache.moc"
