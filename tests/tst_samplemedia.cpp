#include "SampleMedia.h"
#include "TestMain.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

Q_DECLARE_METATYPE(SampleMedia::Kind)

namespace {

// ffprobe's view of a file: its streams and its container duration.
QJsonObject probe(const QString &file)
{
    QProcess ffprobe;
    ffprobe.start(QStringLiteral("ffprobe"),
                  {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-of"),
                   QStringLiteral("json"), QStringLiteral("-show_streams"), QStringLiteral("-show_format"),
                   file});
    if (!ffprobe.waitForFinished(30000))
        return {};
    return QJsonDocument::fromJson(ffprobe.readAllStandardOutput()).object();
}

QStringList streamSummary(const QJsonObject &probed)
{
    QStringList summary;
    for (const QJsonValue &stream : probed.value(QLatin1String("streams")).toArray()) {
        const QJsonObject s = stream.toObject();
        QString line = s.value(QLatin1String("codec_type")).toString();
        const QString language =
            s.value(QLatin1String("tags")).toObject().value(QLatin1String("language")).toString();
        if (!language.isEmpty() && language != QLatin1String("und"))
            line += ':' + language;
        summary.append(line);
    }
    return summary;
}

} // namespace

class TestSampleMedia : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        if (!SampleMedia::ffmpegAvailable())
            QFAIL("ffmpeg is missing (scripts/deps.txt installs it)");
        QElapsedTimer timer;
        timer.start();
        QVERIFY2(SampleMedia::ensureAll(), qPrintable(SampleMedia::lastError()));
        qInfo("sample media ready in %lld ms (%s)", timer.elapsed(), qPrintable(SampleMedia::directory()));
    }

    void streams_data()
    {
        QTest::addColumn<SampleMedia::Kind>("kind");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QSize>("size");
        QTest::newRow("live ts") << SampleMedia::Kind::LiveTs << QStringList{"video", "audio"}
                                 << QSize(640, 360);
        QTest::newRow("movie with tracks")
            << SampleMedia::Kind::MovieWithTracks
            << QStringList{"video", "audio:spa", "audio:eng", "subtitle:spa"} << QSize(640, 360);
        QTest::newRow("plain movie") << SampleMedia::Kind::MoviePlain << QStringList{"video", "audio"}
                                     << QSize(640, 360);
        QTest::newRow("episode") << SampleMedia::Kind::Episode << QStringList{"video", "audio"}
                                 << QSize(640, 360);
        QTest::newRow("720p") << SampleMedia::Kind::Clip720p << QStringList{"video", "audio"}
                              << QSize(1280, 720);
        QTest::newRow("1080p") << SampleMedia::Kind::Clip1080p << QStringList{"video", "audio"}
                               << QSize(1920, 1080);
    }
    void streams()
    {
        QFETCH(SampleMedia::Kind, kind);
        QFETCH(QStringList, expected);
        QFETCH(QSize, size);
        const QJsonObject probed = probe(SampleMedia::path(kind));
        QCOMPARE(streamSummary(probed), expected);
        const QJsonObject video = probed.value(QLatin1String("streams")).toArray().first().toObject();
        QCOMPARE(
            QSize(video.value(QLatin1String("width")).toInt(), video.value(QLatin1String("height")).toInt()),
            size);
    }

    void truncatedEpisodeEndsEarly()
    {
        const QString whole = SampleMedia::path(SampleMedia::Kind::Episode);
        const QString cut = SampleMedia::path(SampleMedia::Kind::EpisodeTruncated);
        QCOMPARE(QFileInfo(cut).size(), QFileInfo(whole).size() / 2);
        // It still opens and announces the full length: the break shows only while playing.
        const QJsonObject probed = probe(cut);
        QCOMPARE(streamSummary(probed), QStringList({"video", "audio"}));
        const double announced = probed.value(QLatin1String("format"))
                                     .toObject()
                                     .value(QLatin1String("duration"))
                                     .toString()
                                     .toDouble();
        QVERIFY(announced >= SampleMedia::episodeSeconds - 1);
    }
};

NORVANE_TEST_MAIN(TestSampleMedia)
#include "tst_samplemedia.moc"
