// Decoding a poster (by default a drawn 2000 x 3000 JPEG) to the 600 px thumbnail the image cache keeps, through the
// cache's own decode path (scaled while decoding), beside a full decode followed by a scale.
// Usage: bench_poster_decode [rounds] [--image FILE]
//   rounds   best and median of the rounds (default 50)
//   --image  a poster as a provider serves it (any format Qt reads) instead of the drawn JPEG
#include "BenchReport.h"
#include "images/ImageCache.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QRandomGenerator>
#include <QSysInfo>
#include <QTextStream>
#include <algorithm>
#include <functional>

namespace {

// A poster-like picture: gradients, shapes and grain, so the JPEG has realistic detail.
QByteArray makePoster()
{
    QImage image(2000, 3000, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient sky(0, 0, 2000, 3000);
    sky.setColorAt(0, QColor(20, 30, 90));
    sky.setColorAt(0.5, QColor(200, 90, 40));
    sky.setColorAt(1, QColor(10, 10, 10));
    painter.fillRect(image.rect(), sky);
    QRandomGenerator random(42);
    for (int i = 0; i < 400; ++i) {
        painter.setBrush(QColor::fromRgb(random.generate() | 0xff000000u));
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(QPointF(random.bounded(2000), random.bounded(3000)), random.bounded(10, 160),
                            random.bounded(10, 160));
    }
    painter.setFont(QFont("Sans", 160, QFont::Bold));
    painter.setPen(Qt::white);
    painter.drawText(QRect(0, 2300, 2000, 400), Qt::AlignCenter, "NORVANE");
    painter.end();
    for (int y = 0; y < image.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int grain = int(random.bounded(7)) - 3;
            const QRgb p = row[x];
            row[x] = qRgb(std::clamp(qRed(p) + grain, 0, 255), std::clamp(qGreen(p) + grain, 0, 255),
                          std::clamp(qBlue(p) + grain, 0, 255));
        }
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "JPEG");
    writer.setQuality(85);
    writer.write(image);
    return bytes;
}

struct Result
{
    std::vector<double> times;
    QSize size;
    double best() const { return *std::min_element(times.begin(), times.end()); }
    double median() const
    {
        std::vector<double> sorted = times;
        std::sort(sorted.begin(), sorted.end());
        return sorted[sorted.size() / 2];
    }
};

void timeOnce(Result &result, const std::function<QImage()> &decode)
{
    QElapsedTimer clock;
    clock.start();
    const QImage image = decode();
    result.times.push_back(double(clock.nsecsElapsed()) / 1e6);
    result.size = image.size();
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const QString imagePath = BenchReport::takeOption(args, QLatin1String("--image"));
    const int rounds = !args.isEmpty() ? std::max(1, args.first().toInt()) : 50;
    const QByteArray jpeg = imagePath.isEmpty() ? makePoster() : BenchReport::readFile(imagePath);
    QBuffer header;
    header.setData(jpeg);
    QImageReader headerReader(&header);
    const QSize source = headerReader.size();
    const QByteArray format = headerReader.format().toUpper();
    if (!source.isValid())
        qFatal("not an image Qt can read");
    const QString sourceText = QStringLiteral("%1x%2 %3").arg(source.width()).arg(source.height()).arg(QLatin1String(format));

    const auto viaCache = [&] { return ImageCache::decode(jpeg).value_or(QImage()); };
    const auto fullThenScale = [&] {
        const QImage decoded = QImage::fromData(jpeg);
        if (std::max(decoded.width(), decoded.height()) <= ImageCache::thumbnailSide)
            return decoded; // kept as it is, as the cache keeps it
        return decoded.scaled(ImageCache::thumbnailSide, ImageCache::thumbnailSide, Qt::KeepAspectRatio,
                              Qt::SmoothTransformation);
    };
    // Warm-up (plugin loading), then the two paths in alternation so both meet the same machine load.
    viaCache();
    fullThenScale();
    Result thumbnail;
    Result full;
    for (int i = 0; i < rounds; ++i) {
        timeOnce(thumbnail, viaCache);
        timeOnce(full, fullThenScale);
    }

    QTextStream out(stdout);
    out << sourceText << ", " << jpeg.size() / 1024 << " KiB, " << rounds << " rounds of each path, alternating\n";
    out << QString("thumbnail decode (ImageCache::decode): best %1 ms, median %2 ms -> %3x%4\n")
               .arg(thumbnail.best(), 0, 'f', 2).arg(thumbnail.median(), 0, 'f', 2)
               .arg(thumbnail.size.width()).arg(thumbnail.size.height());
    out << QString("full decode + smooth scale:            best %1 ms, median %2 ms -> %3x%4\n")
               .arg(full.best(), 0, 'f', 2).arg(full.median(), 0, 'f', 2)
               .arg(full.size.width()).arg(full.size.height());
    BenchReport::title(QStringLiteral("Poster decode"),
                       QStringLiteral("The bytes of a %1 poster (%2 KiB, %3) turned "
                                      "into the thumbnail the image cache keeps (at most 600 px on the longer side) by "
                                      "`ImageCache::decode` (scaled decode), beside a full decode and smooth scale; %4 "
                                      "rounds of each, alternating.")
                           .arg(sourceText)
                           .arg(jpeg.size() / 1024)
                           .arg(imagePath.isEmpty() ? QStringLiteral("drawn by the benchmark") : imagePath)
                           .arg(rounds));
    BenchReport::row({QStringLiteral("%1 to a %2x%3 thumbnail, median")
                          .arg(sourceText)
                          .arg(thumbnail.size.width())
                          .arg(thumbnail.size.height()),
                      {"ImageCache::decode", thumbnail.median(), "ms"},
                      {{"full decode + smooth scale", full.median(), "ms"}},
                      6, "faster than a full decode and scale", thumbnail.median() < full.median(),
                      QStringLiteral("best %1 ms vs %2 ms; kept image %3x%4 (%5 MB) vs a %6x%7 bitmap (%8 MB) decoded first")
                          .arg(thumbnail.best(), 0, 'f', 2)
                          .arg(full.best(), 0, 'f', 2)
                          .arg(thumbnail.size.width())
                          .arg(thumbnail.size.height())
                          .arg(thumbnail.size.width() * thumbnail.size.height() * 4 / 1e6, 0, 'f', 2)
                          .arg(source.width())
                          .arg(source.height())
                          .arg(source.width() * source.height() * 4 / 1e6, 0, 'f', 0)});
    out << "machine: " << QSysInfo::prettyProductName() << ", " << QSysInfo::currentCpuArchitecture()
        << ", Qt " << qVersion() << "\n";
    return 0;
}
