#include "Patience.h"
#include "QmlHarness.h"
#include "SampleMedia.h"
#include "TestMain.h"
#include "playback/VLCEngine.h"
#include "playback/VLCPlayerView.h"
#include "playback/VideoSurface.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <algorithm>
#include <array>
#include <cmath>

// Known pictures through both frame paths on the OpenGL scene graph (Mesa's llvmpipe under Xvfb in
// the suite): colour bars and gradients of known YCbCr samples, encoded losslessly, played by
// libVLC, drawn at their own size and compared, pixel by pixel at sample points, with the RGB the
// published conversion equations give.

namespace {

struct Ycbcr
{
    int y, cb, cr;
};

// 75 % bars as BT.601 studio-range samples (white, yellow, cyan, green, magenta, red, blue, black)
// with two saturated ones; read with another matrix or range they are simply other colours.
const std::array<Ycbcr, 8> bars{{{180, 128, 128},
                                 {162, 44, 142},
                                 {131, 156, 44},
                                 {112, 72, 58},
                                 {84, 184, 198},
                                 {81, 90, 240},
                                 {41, 240, 110},
                                 {16, 128, 128}}};
constexpr int gradientSamples = 8;

// The gradient in the lower half: luma rising left to right over the whole range, the blue
// difference rising and the red difference falling.
Ycbcr gradientAt(int x, int width)
{
    const double t = double(x) / (width - 1);
    return {int(std::lround(255 * t)), int(std::lround(64 + 128 * t)), int(std::lround(192 - 128 * t))};
}

// One I420 picture: bars over the top half, the gradient under it.
QByteArray makePicture(QSize size)
{
    const int w = size.width(), h = size.height(), cw = w / 2, ch = h / 2;
    QByteArray frame(w * h + 2 * cw * ch, Qt::Uninitialized);
    auto *luma = reinterpret_cast<uchar *>(frame.data());
    uchar *cb = luma + w * h;
    uchar *cr = cb + cw * ch;
    const auto sampleAt = [&](int x, int y) {
        return y < h / 2 ? bars[size_t(x * int(bars.size()) / w)] : gradientAt(x, w);
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            luma[y * w + x] = uchar(sampleAt(x, y).y);
    for (int y = 0; y < ch; ++y) {
        for (int x = 0; x < cw; ++x) {
            const Ycbcr s = sampleAt(2 * x, 2 * y);
            cb[y * cw + x] = uchar(s.cb);
            cr[y * cw + x] = uchar(s.cr);
        }
    }
    return frame;
}

// The RGB the published equations give (ITU-R BT.601 and BT.709, studio or full range).
QColor expectedRgb(Ycbcr s, bool hd, bool fullRange)
{
    const double y = fullRange ? s.y / 255.0 : (s.y - 16) / 219.0;
    const double pb = (s.cb - 128) / (fullRange ? 255.0 : 224.0);
    const double pr = (s.cr - 128) / (fullRange ? 255.0 : 224.0);
    const double r = hd ? y + 1.5748 * pr : y + 1.402 * pr;
    const double g = hd ? y - 0.187324 * pb - 0.468124 * pr : y - 0.344136 * pb - 0.714136 * pr;
    const double b = hd ? y + 1.8556 * pb : y + 1.772 * pb;
    const auto byte = [](double v) { return int(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
    return QColor(byte(r), byte(g), byte(b));
}

int distance(QColor a, QColor b)
{
    return std::max(
        {std::abs(a.red() - b.red()), std::abs(a.green() - b.green()), std::abs(a.blue() - b.blue())});
}

struct Sample
{
    QPoint at;
    Ycbcr value;
};

// The middle of every bar, and points along the gradient away from the bars' edge.
QList<Sample> samplePoints(QSize size)
{
    QList<Sample> points;
    const int barWidth = size.width() / int(bars.size());
    for (int i = 0; i < int(bars.size()); ++i)
        points.append({QPoint(i * barWidth + barWidth / 2, size.height() / 4), bars[size_t(i)]});
    for (int i = 0; i < gradientSamples; ++i) {
        const int x = (2 * i + 1) * size.width() / (2 * gradientSamples);
        points.append({QPoint(x, size.height() * 3 / 4), gradientAt(x, size.width())});
    }
    return points;
}

} // namespace

class TestVideoColour : public QObject
{
    Q_OBJECT
    QTemporaryDir m_media;
    int m_comparisons = 0;
    int m_largestDifference = 0;

    bool near(QColor a, QColor b)
    {
        ++m_comparisons;
        m_largestDifference = std::max(m_largestDifference, distance(a, b));
        return distance(a, b) <= tolerance;
    }
    static constexpr int tolerance = 3; // of 255, per channel

    QString encode(const QString &name, QSize size, bool fullRange)
    {
        const QString raw = m_media.filePath(name + QLatin1String(".yuv"));
        QFile file(raw);
        if (!file.open(QIODevice::WriteOnly) || file.write(makePicture(size)) < 0)
            return {};
        file.close();
        const QString clip = m_media.filePath(name + QLatin1String(".mp4"));
        QProcess ffmpeg;
        ffmpeg.setProcessChannelMode(QProcess::MergedChannels);
        // Lossless H.264 of the one picture, 10 s long: the decoder hands back exactly these samples.
        ffmpeg.start(QStringLiteral("ffmpeg"), {"-loglevel",
                                                "error",
                                                "-y",
                                                "-f",
                                                "rawvideo",
                                                "-pix_fmt",
                                                "yuv420p",
                                                "-s",
                                                QStringLiteral("%1x%2").arg(size.width()).arg(size.height()),
                                                "-r",
                                                "25",
                                                "-stream_loop",
                                                "249",
                                                "-i",
                                                raw,
                                                "-c:v",
                                                "libx264",
                                                "-qp",
                                                "0",
                                                "-pix_fmt",
                                                "yuv420p",
                                                "-color_range",
                                                fullRange ? "pc" : "tv",
                                                clip});
        if (!ffmpeg.waitForFinished(120'000) || ffmpeg.exitCode() != 0) {
            qWarning().noquote() << ffmpeg.readAll();
            return {};
        }
        return clip;
    }

    // Plays the clip through the given layout and returns the window's picture once frames arrive.
    QImage render(norvane::test::QmlHarness &harness, const QString &clip, VideoBuffer::Layout layout)
    {
        VLCEngine *engine = VLCEngine::shared();
        engine->stop();
        engine->surface()->setFrameLayout(layout);
        QSignalSpy delivered(engine->surface(), &VideoSurface::frameDisplayed);
        engine->play(QUrl::fromLocalFile(clip).toString(), 0);
        if (!QTest::qWaitFor([&] { return delivered.count() >= 3; }, norvane::test::patience(10'000)))
            return {};
        const VideoSurface::Frame frame = engine->surface()->currentFrame();
        if (bool(frame.planes) != (layout == VideoBuffer::Layout::I420))
            return {};
        return harness.grab();
    }

private Q_SLOTS:
    void initTestCase()
    {
        qputenv("NORVANE_VLC_OPTS", "--aout=adummy");
        if (QQuickWindow::graphicsApi() != QSGRendererInterface::OpenGL)
            QSKIP("the scene graph does not run on OpenGL here (QSG_RHI_BACKEND=opengl under Xvfb)");
        QOffscreenSurface surface;
        surface.create();
        QOpenGLContext context;
        if (!context.create() || !context.makeCurrent(&surface))
            QSKIP("no OpenGL context can be made on this display");
        context.doneCurrent();
        QVERIFY(m_media.isValid());
        QVERIFY(VLCEngine::shared());
        // A view in an OpenGL window makes the surface take the decoder's planes.
        norvane::test::QmlHarness harness;
        QVERIFY(harness.create("import QtQuick\nimport Norvane\nVLCPlayerView { }\n"));
        QCOMPARE(VLCEngine::shared()->surface()->frameLayout(), VideoBuffer::Layout::I420);
    }

    void cleanupTestCase()
    {
        VLCEngine::shared()->stop();
        qInfo("%d pixel comparisons, largest difference %d of 255 (tolerance %d)", m_comparisons,
              m_largestDifference, tolerance);
    }

    // The planar path converts with the stream's matrix and range; libVLC's RGB conversion (the
    // software scene graph's path) always uses BT.601, so on HD the two differ by design and each is
    // compared with its own equations; on SD they must agree with each other.
    void knownPicturesThroughBothPaths_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("fullRange");
        QTest::newRow("SD, studio range") << QSize(720, 576) << false;
        QTest::newRow("SD, full range") << QSize(720, 576) << true;
        QTest::newRow("HD, studio range") << QSize(1280, 720) << false;
        QTest::newRow("HD, full range") << QSize(1280, 720) << true;
        // Rows that are no multiple of the planes' 32-byte pitch, and a decoder picture taller
        // than the visible one (1080 rows are coded as 1088).
        QTest::newRow("480 rows, 854 wide") << QSize(854, 480) << false;
        QTest::newRow("1080 rows") << QSize(1920, 1080) << false;
    }
    void knownPicturesThroughBothPaths()
    {
        QFETCH(QSize, size);
        QFETCH(bool, fullRange);
        const QString clip =
            encode(QStringLiteral("%1p-%2").arg(size.height()).arg(fullRange), size, fullRange);
        QVERIFY2(!clip.isEmpty(), "ffmpeg could not make the clip");
        norvane::test::QmlHarness harness;
        harness.window().resize(size);
        QVERIFY(harness.create("import QtQuick\nimport Norvane\nVLCPlayerView { anchors.fill: parent }\n"));
        const QImage planar = render(harness, clip, VideoBuffer::Layout::I420);
        QVERIFY2(!planar.isNull(), "no planar picture shown");
        const QImage rgb = render(harness, clip, VideoBuffer::Layout::Rgb32);
        QVERIFY2(!rgb.isNull(), "no RGB picture shown");
        QCOMPARE(planar.size(), size);

        const bool hd = size.height() > 576;
        for (const Sample &s : samplePoints(size)) {
            const QColor shader = planar.pixelColor(s.at);
            const QColor converted = rgb.pixelColor(s.at);
            const QColor wanted = expectedRgb(s.value, hd, fullRange);
            const QByteArray where = QByteArray::number(s.at.x()) + "," + QByteArray::number(s.at.y());
            QVERIFY2(near(shader, wanted), where + ": shader " + shader.name().toLatin1() + ", expected " +
                                               wanted.name().toLatin1());
            QVERIFY2(near(converted, expectedRgb(s.value, false, fullRange)),
                     where + ": libVLC's RGB " + converted.name().toLatin1());
            if (!hd)
                QVERIFY2(near(shader, converted), where + ": the paths differ");
        }
    }

    // The planar path is placed like the RGB one: 720x576 of 64:45 pixels (red, a blue band over
    // its top 64 rows) fits a 1280x800 window as 16:9, 1280x720 between bars of 40 rows; squeezed
    // into square pixels it would be 1000x800 between side bars.
    void planarPictureKeepsItsProportions()
    {
        const QString clip = SampleMedia::path(SampleMedia::Kind::ClipAnamorphic);
        QVERIFY2(!clip.isEmpty(), qPrintable(SampleMedia::lastError()));
        norvane::test::QmlHarness harness;
        QVERIFY(harness.create("import QtQuick\nimport Norvane\nVLCPlayerView { anchors.fill: parent }\n"));
        const QImage frame = render(harness, clip, VideoBuffer::Layout::I420);
        QVERIFY(!frame.isNull());
        const auto is = [&frame](QPoint at, QColor wanted) {
            return distance(frame.pixelColor(at), wanted) < 48;
        };
        QVERIFY(is({640, 20}, Qt::black) && is({640, 780}, Qt::black));
        QVERIFY(is({640, 60}, Qt::blue) && is({20, 60}, Qt::blue));
        QVERIFY(is({20, 400}, Qt::red) && is({1260, 400}, Qt::red));
    }
};

NORVANE_TEST_MAIN(TestVideoColour)
#include "tst_videocolour.moc"
