#include "MediaRoutes.h"
#include "Patience.h"
#include "QmlHarness.h"
#include "SampleMedia.h"
#include "SampleProvider.h"
#include "TestMain.h"
#include "playback/LibVlcPlayer.h"
#include "playback/VLCEngine.h"
#include "playback/VLCPlayerView.h"
#include "playback/VideoBuffer.h"
#include "playback/VideoFrameSink.h"
#include "playback/VideoSurface.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <cstring>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using Placement = VLCPlayerView::Placement;

namespace {

constexpr QRgb red = 0xffff0000;
constexpr QRgb green = 0xff00ff00;
constexpr QRgb blue = 0xff0000ff;

VideoSurface *sharedSurface()
{
    return VLCEngine::shared()->surface();
}

// Plays the part of libVLC through a frame sink of its own: offered the decoder's size, it fills
// whatever buffer the sink asks for with one colour (libVLC scales the whole picture into it).
struct FakeDecoder
{
    explicit FakeDecoder(VideoSurface *surface, QSize decoded = {160, 90}, QRgb colour = red,
                         std::function<PictureGeometry()> geometry = {})
        : sink(surface, std::move(geometry)), colour(colour)
    {
        char chroma[5] = "I420";
        unsigned width = unsigned(decoded.width());
        unsigned height = unsigned(decoded.height());
        unsigned pitches[3] = {};
        unsigned lines[3] = {};
        count = sink.setupFormat(chroma, &width, &height, pitches, lines);
        buffer = QSize(int(width), int(height));
        pitch = pitches[0];
        rows = lines[0];
        QCOMPARE_EQ(QByteArray(chroma, 4), QByteArray("RV32"));
    }
    void paint(void *bytes) const
    {
        for (unsigned y = 0; y < rows; ++y) {
            auto *line = reinterpret_cast<QRgb *>(static_cast<uchar *>(bytes) + y * pitch);
            std::fill(line, line + pitch / 4, colour);
        }
    }
    void *decodeOne()
    {
        void *planes[3] = {};
        void *picture = sink.lockFrame(planes);
        paint(planes[0]);
        return picture;
    }
    void showOne()
    {
        void *picture = decodeOne();
        sink.displayFrame(picture);
        sink.unlockFrame(picture);
    }

    VideoFrameSink sink;
    QRgb colour;
    QSize buffer;
    unsigned count = 0;
    unsigned pitch = 0;
    unsigned rows = 0;
};

int countColour(const QImage &image, const QRect &area, const std::function<bool(QRgb)> &matches)
{
    int n = 0;
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); y += 2)
        for (int x = r.left(); x <= r.right(); x += 2)
            n += matches(image.pixel(x, y)) ? 1 : 0;
    return n;
}

bool nonBlack(QRgb p)
{
    return qRed(p) > 24 || qGreen(p) > 24 || qBlue(p) > 24;
}

bool isRed(QRgb p)
{
    return qRed(p) > 200 && qGreen(p) < 60 && qBlue(p) < 60;
}

bool isGreen(QRgb p)
{
    return qGreen(p) > 200 && qRed(p) < 60;
}

bool isBlue(QRgb p)
{
    return qBlue(p) > 200 && qRed(p) < 60 && qGreen(p) < 60;
}

const QByteArray twoViews = R"(
import QtQuick
import Norvane
Item {
    width: 1280; height: 800
    property bool showSecond: false
    VLCPlayerView { objectName: "first"; x: 0; y: 0; width: 640; height: 360 }
    Loader {
        active: showSecond
        x: 640; y: 0; width: 640; height: 360
        sourceComponent: VLCPlayerView { objectName: "second"; color: "black" }
    }
}
)";

} // namespace

// Where the picture goes: fit and fill, the view that shows it, and real frames from libVLC.
class TestVideoSurface : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        qputenv("NORVANE_VLC_OPTS", "--aout=adummy");
        QVERIFY(VLCEngine::shared());
    }

    void cleanup()
    {
        VLCEngine::shared()->stop();
        VLCEngine::shared()->setFillScreen(false);
        sharedSurface()->setGeometrySource([] { return VLCEngine::shared()->player()->videoGeometry(); });
    }

    void placement_data()
    {
        QTest::addColumn<QSizeF>("item");
        QTest::addColumn<QRectF>("picture");
        QTest::addColumn<bool>("fill");
        QTest::addColumn<double>("pixelAspect");
        QTest::addColumn<QRectF>("target");
        QTest::addColumn<QRectF>("source");
        const QRectF hd(0, 0, 1280, 720);
        const QRectF pal(0, 0, 720, 576);
        QTest::newRow("fit wide into square: bars above and below")
            << QSizeF(400, 400) << hd << false << 1.0 << QRectF(0, 87.5, 400, 225) << hd;
        QTest::newRow("fill wide into square: sides cropped")
            << QSizeF(400, 400) << hd << true << 1.0 << QRectF(0, 0, 400, 400) << QRectF(280, 0, 720, 720);
        QTest::newRow("fit into taller-than-wide window: bars at the sides")
            << QSizeF(1000, 1000) << QRectF(0, 0, 200, 100) << false << 1.0 << QRectF(0, 250, 1000, 500)
            << QRectF(0, 0, 200, 100);
        QTest::newRow("fill wide window with 4:3: top and bottom cropped")
            << QSizeF(1600, 900) << QRectF(0, 0, 640, 480) << true << 1.0 << QRectF(0, 0, 1600, 900)
            << QRectF(0, 60, 640, 360);
        QTest::newRow("same shape: fit and fill agree")
            << QSizeF(640, 360) << hd << true << 1.0 << QRectF(0, 0, 640, 360) << hd;
        // 720x576 of 64:45 pixels is a 16:9 picture (1024x576 in square pixels).
        QTest::newRow("anamorphic fit: 16:9, bars above and below")
            << QSizeF(1280, 800) << pal << false << 64.0 / 45 << QRectF(0, 40, 1280, 720) << pal;
        QTest::newRow("anamorphic fill: sides cropped, sampled in the buffer's pixels")
            << QSizeF(1280, 800) << pal << true << 64.0 / 45 << QRectF(0, 0, 1280, 800)
            << QRectF(36, 0, 648, 576);
        QTest::newRow("anamorphic into its own shape: fit and fill agree")
            << QSizeF(1024, 576) << pal << true << 64.0 / 45 << QRectF(0, 0, 1024, 576) << pal;
        QTest::newRow("empty item") << QSizeF(0, 0) << hd << false << 1.0 << QRectF() << QRectF();
    }
    void placement()
    {
        QFETCH(QSizeF, item);
        QFETCH(QRectF, picture);
        QFETCH(bool, fill);
        QFETCH(double, pixelAspect);
        QFETCH(QRectF, target);
        QFETCH(QRectF, source);
        const Placement p = VLCPlayerView::place(item, picture, fill, pixelAspect);
        QCOMPARE(p.target, target);
        QCOMPARE(p.source, source);
    }

    // The decoder never writes into the picture on screen, and buffers come back once let go.
    void bufferOnScreenIsNeverReused()
    {
        VideoSurface surface;
        FakeDecoder decoder(&surface);
        QCOMPARE(decoder.count, VideoFrameSink::playerBufferCount);
        decoder.showOne();
        VideoSurface::Frame shown = surface.currentFrame();
        QVERIFY(!shown.isNull());
        const uchar *onScreen = shown.image.constBits();
        for (int i = 0; i < 20; ++i) {
            void *planes[3] = {};
            void *picture = decoder.sink.lockFrame(planes);
            QVERIFY(planes[0] != onScreen);
            decoder.sink.unlockFrame(picture);
        }
        // Frames keep coming while the first one is still held: none of them lands in it.
        for (int i = 0; i < 10; ++i) {
            decoder.showOne();
            QVERIFY(surface.currentFrame().image.constBits() != onScreen);
        }
        QCOMPARE(shown.image.pixel(0, 0), red); // untouched
        shown = {};
        QCOMPARE(surface.displayedFrames(), 11u);
    }

    // A player being let go of keeps decoding into its own sink while the next one shows its
    // pictures: nothing of the old one reaches the surface, and the buffers it still holds stay
    // its own (writing into them never touches what the new player shows).
    void detachedSinkNeverReachesTheSurface()
    {
        VideoSurface surface;
        auto old = std::make_unique<FakeDecoder>(&surface, QSize{160, 90}, red);
        old->showOne();
        void *planes[3] = {};
        void *held = old->sink.lockFrame(planes); // mid-decode when it is let go of
        old->sink.detach();
        QVERIFY(!old->sink.isAttached());

        FakeDecoder next(&surface, {320, 180}, blue);
        QVERIFY(surface.currentFrame().isNull()); // the old format's picture is gone
        next.showOne();
        const quint64 displayed = surface.displayedFrames();

        old->paint(planes[0]);
        old->sink.displayFrame(held);
        old->sink.unlockFrame(held);
        for (int i = 0; i < 5; ++i)
            old->showOne();
        // libVLC reconfigures a winding-down output too: that must not drop the new picture.
        char chroma[5] = "I420";
        unsigned width = 64, height = 64, pitches[3] = {}, lines[3] = {};
        old->sink.setupFormat(chroma, &width, &height, pitches, lines);
        old->sink.cleanupFormat();

        QCOMPARE(surface.displayedFrames(), displayed);
        const VideoSurface::Frame frame = surface.currentFrame();
        QCOMPARE(frame.visible, QRect(0, 0, 320, 180));
        QCOMPARE(frame.image.pixel(10, 10), blue);
        old.reset(); // the sink goes after its player, with its buffers
        QCOMPARE(surface.currentFrame().image.pixel(10, 10), blue);
    }

    // libVLC may describe a new picture only some frames after the decoder has switched to it. The
    // sink asks libVLC for the picture's own size (so it only converts, never scales) when what the
    // player says fits the decoder's size, else for the decoder's; the shape is drawn from what the
    // player says once it fits, with square pixels until then.
    void bufferAndShapeFollowWhatFitsTheDecoder_data()
    {
        QTest::addColumn<QSize>("decoded");
        QTest::addColumn<PictureGeometry>("atSetup");
        QTest::addColumn<PictureGeometry>("later");
        QTest::addColumn<QSize>("buffer");
        QTest::addColumn<double>("shownAspect");
        const PictureGeometry hd{{1920, 1080}};
        const PictureGeometry wide{{720, 576}, 64, 45};
        const PictureGeometry narrow{{720, 576}, 16, 15};
        QTest::newRow("known once frames arrive")
            << QSize(1920, 1090) << PictureGeometry() << hd << QSize(1920, 1090) << 16.0 / 9;
        QTest::newRow("set-up still describes the SD picture before")
            << QSize(1920, 1090) << narrow << hd << QSize(1920, 1090) << 16.0 / 9;
        QTest::newRow("the new picture never described")
            << QSize(1920, 1090) << narrow << narrow << QSize(1920, 1090) << 1920.0 / 1090;
        QTest::newRow("set-up still describes the HD picture before")
            << QSize(720, 578) << hd << wide << QSize(720, 578) << 16.0 / 9;
        QTest::newRow("pixel shape learnt late")
            << QSize(720, 578) << wide << narrow << QSize(720, 576) << 4.0 / 3;
    }
    void bufferAndShapeFollowWhatFitsTheDecoder()
    {
        QFETCH(QSize, decoded);
        QFETCH(PictureGeometry, atSetup);
        QFETCH(PictureGeometry, later);
        QFETCH(QSize, buffer);
        QFETCH(double, shownAspect);
        VideoSurface surface;
        surface.setGeometrySource([later] { return later; });
        FakeDecoder decoder(&surface, decoded, red, [atSetup] { return atSetup; });
        QCOMPARE(decoder.buffer, buffer);
        QSignalSpy delivered(&surface, &VideoSurface::frameDisplayed);
        decoder.showOne();
        QVERIFY(delivered.wait());
        const VideoSurface::Frame frame = surface.currentFrame();
        QCOMPARE(frame.visible, QRect(QPoint(0, 0), buffer)); // the whole buffer is the picture
        QCOMPARE(qRound(frame.visible.width() * frame.pixelAspect / frame.visible.height() * 1000),
                 qRound(shownAspect * 1000));
    }

    // A size beyond the bound (what a broken or hostile stream may announce) is refused and fails
    // the item; the bound itself is taken.
    void picturesBeyondTheBoundFailTheItem_data()
    {
        QTest::addColumn<QSize>("offered");
        QTest::addColumn<bool>("taken");
        QTest::newRow("at the bound") << QSize(8192, 16) << true;
        QTest::newRow("wider") << QSize(8193, 16) << false;
        QTest::newRow("taller") << QSize(16, 8193) << false;
        QTest::newRow("huge both ways") << QSize(65535, 65535) << false;
        QTest::newRow("empty") << QSize(0, 90) << false;
    }
    void picturesBeyondTheBoundFailTheItem()
    {
        QFETCH(QSize, offered);
        QFETCH(bool, taken);
        for (const auto layout : {VideoBuffer::Layout::Rgb32, VideoBuffer::Layout::I420}) {
            VideoSurface surface;
            surface.setFrameLayout(layout);
            int failures = 0;
            VideoFrameSink sink(&surface, {}, [&failures] { ++failures; });
            char chroma[5] = "I420";
            unsigned width = unsigned(offered.width()), height = unsigned(offered.height()), pitches[3] = {},
                     lines[3] = {};
            QCOMPARE(sink.setupFormat(chroma, &width, &height, pitches, lines) > 0, taken);
            QCOMPARE(failures, taken ? 0 : 1);
        }
    }

    // For the OpenGL scene graph the decoder's planes are kept as they come: the full-range chroma
    // (J420) stays full range, anything else becomes studio-range I420; the chroma planes have half
    // the samples each way, rounded up.
    void planarPicturesKeepTheDecodersRange_data()
    {
        QTest::addColumn<QByteArray>("offered");
        QTest::addColumn<QByteArray>("answered");
        QTest::newRow("studio range") << QByteArray("I420") << QByteArray("I420");
        QTest::newRow("full range") << QByteArray("J420") << QByteArray("J420");
        QTest::newRow("a hardware format first") << QByteArray("VAOP") << QByteArray("I420");
    }
    void planarPicturesKeepTheDecodersRange()
    {
        QFETCH(QByteArray, offered);
        QFETCH(QByteArray, answered);
        VideoSurface surface;
        surface.setFrameLayout(VideoBuffer::Layout::I420);
        VideoFrameSink sink(&surface);
        QByteArray chroma = offered;
        unsigned width = 161, height = 91, pitches[3] = {}, lines[3] = {};
        QVERIFY(sink.setupFormat(chroma.data(), &width, &height, pitches, lines) > 0);
        QCOMPARE(chroma, answered);
        QCOMPARE(QList<unsigned>(pitches, pitches + 3), QList<unsigned>({161, 81, 81}));
        QCOMPARE(QList<unsigned>(lines, lines + 3), QList<unsigned>({91, 46, 46}));
        void *planes[3] = {};
        void *picture = sink.lockFrame(planes);
        QVERIFY(planes[0] && planes[1] && planes[2]);
        std::memset(planes[2], 0x80, 81 * 46); // the last plane's last byte is the decoder's
        sink.displayFrame(picture);
        sink.unlockFrame(picture);
        const VideoSurface::Frame frame = surface.currentFrame();
        QVERIFY(frame.planes && frame.image.isNull());
        QCOMPARE(frame.planes->isFullRange(), answered == "J420");
        QCOMPARE(frame.visible, QRect(0, 0, 161, 91));
    }

    // Memory the system refuses fails the item, never the process. A child process under an
    // address-space limit stands in for a machine that cannot hold the pictures.
    void refusedMemoryFailsTheItem()
    {
#if defined(__SANITIZE_ADDRESS__)
        QSKIP("the sanitizer's allocator does not follow an address-space limit");
#endif
        QFile statm(QStringLiteral("/proc/self/statm"));
        QVERIFY(statm.open(QIODevice::ReadOnly));
        const rlim_t mapped =
            statm.readAll().split(' ').first().toULongLong() * rlim_t(sysconf(_SC_PAGESIZE));
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            // Room for one 64 MiB picture, not for two.
            const rlimit limit{mapped + (100u << 20), mapped + (100u << 20)};
            setrlimit(RLIMIT_AS, &limit);
            bool failed = false;
            VideoFrameSink sink(nullptr, {}, [&failed] { failed = true; });
            char chroma[5] = "I420";
            unsigned width = 4096, height = 4096, pitches[3] = {}, lines[3] = {};
            const unsigned count = sink.setupFormat(chroma, &width, &height, pitches, lines);
            for (unsigned i = 0; i < count; ++i) {
                void *planes[3] = {};
                sink.lockFrame(planes);
                std::memset(planes[0], 0x55, size_t(pitches[0]) * lines[0]); // as the decoder does
            }
            _exit(failed ? 0 : 1);
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY2(WIFEXITED(status), "the pictures' memory crashed the process");
        QCOMPARE(WEXITSTATUS(status), 0);
    }

    void lastViewWinsAndTheOtherShowsItsBackground()
    {
        norvane::test::QmlHarness harness;
        QVERIFY(harness.create(twoViews));
        harness.root()->setProperty("showSecond", true); // created after the first
        auto *first = harness.find<VLCPlayerView>(QStringLiteral("first"));
        auto *second = harness.find<VLCPlayerView>(QStringLiteral("second"));
        QVERIFY(first && second);
        QVERIFY(second->showsVideo());
        QVERIFY(!first->showsVideo());
        FakeDecoder decoder(sharedSurface(), {160, 90});
        QSignalSpy delivered(sharedSurface(), &VideoSurface::frameDisplayed);
        decoder.showOne();
        QVERIFY(delivered.wait());
        QImage frame = harness.grab();
        QCOMPARE(countColour(frame, QRect(0, 0, 640, 360), nonBlack), 0);
        QVERIFY(countColour(frame, QRect(640, 0, 640, 360), isRed) > 1000);

        // Asking the host again changes nothing; the other view takes the picture when asked.
        QSignalSpy hostChanged(sharedSurface(), &VideoSurface::hostChanged);
        second->attach();
        QCOMPARE(hostChanged.count(), 0);
        first->attach();
        QVERIFY(first->showsVideo());
        frame = harness.grab();
        QVERIFY(countColour(frame, QRect(0, 0, 640, 360), isRed) > 1000);
        QCOMPARE(countColour(frame, QRect(640, 0, 640, 360), nonBlack), 0);

        // When the host goes away, the view before it shows the picture again.
        second->attach();
        harness.root()->setProperty("showSecond", false);
        QTRY_VERIFY(first->showsVideo());
        QVERIFY(countColour(harness.grab(), QRect(0, 0, 640, 360), isRed) > 1000);
    }

    // A picture that arrives after the view has been drawn goes inside the view, wherever the
    // view lies in the window (not at the window's origin).
    void laterPictureStaysInItsView()
    {
        norvane::test::QmlHarness harness;
        QVERIFY(harness.create("import QtQuick\nimport Norvane\nItem { Item { x: 400; y: 300\n"
                               "VLCPlayerView { x: 10; y: 20; width: 320; height: 180 } } }\n"));
        QCOMPARE(countColour(harness.grab(), QRect(0, 0, 1280, 800), isRed), 0);
        FakeDecoder decoder(sharedSurface(), {160, 90});
        QSignalSpy delivered(sharedSurface(), &VideoSurface::frameDisplayed);
        decoder.showOne();
        QVERIFY(delivered.wait());
        const QImage frame = harness.grab();
        QVERIFY(countColour(frame, QRect(410, 320, 320, 180), isRed) > 1000);
        QCOMPARE(countColour(frame, QRect(0, 0, 1280, 320), isRed), 0);
        QCOMPARE(countColour(frame, QRect(0, 0, 410, 800), isRed), 0);
    }

    void realFramesReachTheView()
    {
        QVERIFY2(SampleMedia::ensureAll(), qPrintable(SampleMedia::lastError()));
        SampleProvider provider;
        QVERIFY(provider.listenOn());
        norvane::test::serveSampleMedia(provider);
        norvane::test::QmlHarness harness;
        QVERIFY(harness.create(
            "import QtQuick\nimport Norvane\nItem { VLCPlayerView { anchors.fill: parent } }\n"));
        QImage frame = harness.grab();
        QCOMPARE(countColour(frame, frame.rect(), nonBlack), 0);

        VLCEngine *engine = VLCEngine::shared();
        QSignalSpy delivered(sharedSurface(), &VideoSurface::frameDisplayed);
        engine->play(norvane::test::mediaUrl(provider, QStringLiteral("clip-720p.mp4")), 0);
        QTRY_VERIFY_WITH_TIMEOUT(delivered.count() >= 5, 10'000);
        QCOMPARE(sharedSurface()->currentFrame().visible.size(), QSize(1280, 720));
        // libVLC converts at the picture's own size, not into the decoder's padded one (1280x738).
        QCOMPARE(sharedSurface()->currentFrame().image.size(), QSize(1280, 720));
        frame = harness.grab();
        // The 1280x720 picture fits the 1280x800 window: 40-pixel bars, colour in between.
        QVERIFY(countColour(frame, QRect(0, 80, 1280, 640), nonBlack) > 10'000);
        QCOMPARE(countColour(frame, QRect(0, 0, 1280, 36), nonBlack), 0);

        engine->stop();
        QTRY_COMPARE(countColour(harness.grab(), frame.rect(), nonBlack), 0);
    }

    // A channel that changes shape mid-stream (SD 16:9, then SD 4:3, then HD 16:9) whose data
    // comes just in time: each change is decoded while nothing after it has arrived, so libVLC sets
    // the new picture format up while it still describes the previous picture, and learns the new
    // shape only as the data goes on. The picture takes each shape once libVLC knows it, and the HD
    // picture is never shrunk to the SD size before it.
    void shapeChangesMidStreamAreFollowed()
    {
        const QString file = SampleMedia::path(SampleMedia::Kind::ClipShapeChanges);
        QVERIFY2(!file.isEmpty(), qPrintable(SampleMedia::lastError()));
        SampleProvider provider;
        QVERIFY(provider.listenOn());
        // The data stops 0.2 s into each new shape; libVLC, a second ahead, has read all of it by
        // the time the change is decoded.
        const double step = SampleMedia::shapePartSeconds;
        norvane::test::HeldMedia held(provider, {step + 0.2, 2 * step + 0.2});
        auto owned = std::make_unique<VideoSurface>();
        VideoSurface *surface = owned.get();
        VLCEngine engine(std::make_unique<LibVlcPlayer>(VLCEngine::libraryOptions(QStringLiteral(
                                                            "--aout=adummy,--network-caching=1000")),
                                                        false, surface),
                         std::move(owned));
        // The colour and the shape it is drawn in.
        const auto shown = [surface] {
            const VideoSurface::Frame frame = surface->currentFrame();
            const QRgb centre = frame.image.isNull() ? 0 : frame.image.pixel(frame.visible.center());
            const char *colour = isRed(centre)     ? "red"
                                 : isGreen(centre) ? "green"
                                 : isBlue(centre)  ? "blue"
                                                   : "-";
            const double aspect =
                frame.isNull() ? 0 : frame.visible.width() * frame.pixelAspect / frame.visible.height();
            return QStringLiteral("%1 %2").arg(QLatin1String(colour)).arg(aspect, 0, 'f', 2);
        };
        // How a part was last shown: as wanted, or as it was when the next part came.
        const auto settled = [&shown](const QString &wanted) {
            const QString colour = wanted.section(QLatin1Char(' '), 0, 0);
            QString last;
            for (QDeadlineTimer deadline(norvane::test::patience(10'000));
                 !deadline.hasExpired() && last != wanted; QTest::qWait(10)) {
                const QString now = shown();
                if (now.startsWith(colour))
                    last = now;
                else if (!last.isEmpty())
                    break;
            }
            return last;
        };
        engine.play(held.url(QFileInfo(file).fileName()), 0);
        QCOMPARE(settled(QStringLiteral("red 1.78")), QStringLiteral("red 1.78"));
        // Decoded while the data stops: libVLC still describes the picture before.
        QTRY_VERIFY_WITH_TIMEOUT(shown().startsWith(QLatin1String("green")), norvane::test::patience(10'000));
        held.release();
#ifndef NORVANE_TEST_SANITIZED
        // libVLC updates a stream's description as it hands the decoder the next block after the
        // decoder switched. Sanitized, the decoder runs slower than the stream and reaches this part
        // after the held data's last block: the shape comes only with the next part's data.
        QCOMPARE(settled(QStringLiteral("green 1.33")), QStringLiteral("green 1.33"));
#endif
        QTRY_VERIFY_WITH_TIMEOUT(shown().startsWith(QLatin1String("blue")), norvane::test::patience(10'000));
        QCOMPARE_GE(surface->currentFrame().image.width(), 1920); // not shrunk to the SD size before
        held.release();
        QCOMPARE(settled(QStringLiteral("blue 1.78")), QStringLiteral("blue 1.78"));
    }

    // 720x576 with 64:45 pixels is a 16:9 picture: fitted into the 1280x800 window it is 1280x720
    // between bars of 40 rows (squeezed, it would be 1000x800 between side bars), and filled it
    // loses its sides, not its top. The picture is red with a blue band over its top 64 rows.
    void anamorphicPictureKeepsItsProportions_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("shape known when the stream opens (mp4)") << QStringLiteral("clip-anamorphic.mp4");
        QTest::newRow("shape known once decoded (ts, as live SD channels)")
            << QStringLiteral("clip-anamorphic.ts");
    }
    void anamorphicPictureKeepsItsProportions()
    {
        QFETCH(QString, file);
        QVERIFY2(SampleMedia::ensureAll(), qPrintable(SampleMedia::lastError()));
        SampleProvider provider;
        QVERIFY(provider.listenOn());
        norvane::test::serveSampleMedia(provider);
        norvane::test::QmlHarness harness;
        QVERIFY(harness.create(
            "import QtQuick\nimport Norvane\nItem { VLCPlayerView { anchors.fill: parent } }\n"));
        VLCEngine::shared()->play(norvane::test::mediaUrl(provider, file), 0);
        const auto fittedAs16by9 = [&harness] {
            const QImage frame = harness.grab();
            return countColour(frame, QRect(0, 0, 1280, 36), nonBlack) == 0 &&
                   countColour(frame, QRect(0, 44, 1280, 70), isBlue) > 15'000 &&
                   countColour(frame, QRect(0, 130, 120, 560), isRed) > 10'000;
        };
        QTRY_VERIFY_WITH_TIMEOUT(fittedAs16by9(), 10'000);
        VLCEngine::shared()->setFillScreen(true);
        const auto filledCroppingTheSides = [&harness] {
            const QImage frame = harness.grab();
            return countColour(frame, QRect(0, 0, 1280, 80), isBlue) > 20'000 &&
                   countColour(frame, QRect(0, 100, 1280, 700), isRed) > 200'000;
        };
        QTRY_VERIFY_WITH_TIMEOUT(filledCroppingTheSides(), 10'000);
    }
};

NORVANE_TEST_MAIN(TestVideoSurface)
#include "tst_videosurface.moc"
