// The demo provider that ./scripts/run starts: the two default provider addresses on port 8080.
//   norvane-sample-provider [--size default|large|extreme] [--port N] [--cut-live-after S]
//                           [--cut-outage S]
// --port N listens on port N of both addresses instead; --port 0 takes a free port (the same on
// both) and prints it in the first line. --cut-live-after and --cut-outage set, in seconds
// (fractions allowed), when the channel "Canal con cortes" is cut and how long it stays down;
// --cut-live-after 0 leaves it uncut.
//   norvane-sample-provider --write-catalog vod|series|live default|large|extreme <out.json>
// The JSON is escaped the way PHP panels send it ("\/", \u00e9); --plain-json (anywhere among the
// arguments) writes plain UTF-8 with only the escapes JSON requires.
#include "SampleCatalog.h"
#include "SampleMedia.h"
#include "SampleProvider.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QSaveFile>
#include <QTextStream>
#include <chrono>
#include <optional>
#include <thread>

namespace {

// The demo prints where it listens and nothing else; Qt's note about a missing XDG_RUNTIME_DIR
// (a headless session) is noise here.
void quietMessages(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR")))
        return;
    QTextStream(stderr) << qFormatLogMessage(type, context, message) << '\n';
}

int usage()
{
    QTextStream(stderr)
        << "Uso: norvane-sample-provider [--size default|large|extreme] [--port N] [--plain-json]\n"
           "                               [--cut-live-after SEGUNDOS] [--cut-outage SEGUNDOS]\n"
           "     norvane-sample-provider --write-catalog vod|series|live default|large|extreme "
           "<archivo.json> [--plain-json]\n";
    return 2;
}

// Writes the whole-catalog answer of one kind, as the demo provider would send it, for the benchmarks.
int writeCatalog(const QString &kindName, const QString &sizeName, const QString &outPath,
                 JsonWriter::Style style)
{
    const auto size = SampleCatalog::sizeFromName(sizeName);
    SampleCatalog::Kind kind = SampleCatalog::Kind::Vod;
    if (kindName == QLatin1String("series"))
        kind = SampleCatalog::Kind::Series;
    else if (kindName == QLatin1String("live"))
        kind = SampleCatalog::Kind::Live;
    else if (kindName != QLatin1String("vod"))
        return usage();
    if (!size)
        return usage();
    const SampleCatalog catalog(*size, SampleCatalog::defaultSeed, style);
    QSaveFile out(outPath);
    if (!out.open(QIODevice::WriteOnly) ||
        out.write(catalog.wholeList(kind, QStringLiteral("http://127.0.0.1:8080"))) < 0 || !out.commit()) {
        QTextStream(stderr) << "No se pudo escribir " << outPath << '\n';
        return 1;
    }
    return 0;
}

// A number of seconds given on the command line, as milliseconds; nothing when it is not one.
std::optional<std::chrono::milliseconds> secondsArgument(const QString &text)
{
    bool valid = false;
    const double seconds = text.toDouble(&valid);
    if (!valid || !(seconds >= 0) || seconds > 86'400)
        return std::nullopt;
    return std::chrono::milliseconds(qRound64(seconds * 1000));
}

} // namespace

int main(int argc, char *argv[])
{
    // The provider draws its images with QPainter but never opens a window: no display needed.
    qInstallMessageHandler(quietMessages);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const JsonWriter::Style style = args.removeAll(QStringLiteral("--plain-json")) > 0
                                        ? JsonWriter::Style::Plain
                                        : JsonWriter::Style::Php;
    SampleCatalog::Size size = SampleCatalog::Size::Default;
    quint16 port = 8080;
    std::chrono::milliseconds cutAfter = SampleProvider::demoCutAfter;
    std::chrono::milliseconds cutOutage = SampleProvider::demoCutOutage;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--write-catalog")) {
            if (i + 3 >= args.size())
                return usage();
            return writeCatalog(args[i + 1], args[i + 2], args[i + 3], style);
        }
        if (args[i] == QLatin1String("--size") && i + 1 < args.size()) {
            const auto named = SampleCatalog::sizeFromName(args[++i]);
            if (!named)
                return usage();
            size = *named;
            continue;
        }
        if (args[i] == QLatin1String("--port") && i + 1 < args.size()) {
            bool valid = false;
            const uint asked = args[++i].toUInt(&valid);
            if (!valid || asked > 65535)
                return usage();
            port = quint16(asked);
            continue;
        }
        if ((args[i] == QLatin1String("--cut-live-after") || args[i] == QLatin1String("--cut-outage")) &&
            i + 1 < args.size()) {
            const auto seconds = secondsArgument(args[i + 1]);
            if (!seconds)
                return usage();
            (args[i] == QLatin1String("--cut-live-after") ? cutAfter : cutOutage) = *seconds;
            ++i;
            continue;
        }
        return usage();
    }

    SampleProvider provider;
    provider.setCatalogSize(size);
    provider.setJsonStyle(style);
    provider.setLiveCut(SampleCatalog::cutChannelId, cutAfter, cutOutage);
    const QList<QHostAddress> addresses{QHostAddress(QStringLiteral("127.0.0.1")),
                                        QHostAddress(QStringLiteral("127.0.0.2"))};
    for (const QHostAddress &address : addresses) {
        // After the first address, port 0 has become the port the system chose: both share it.
        if (!provider.listenOn(address, port)) {
            QTextStream(stderr) << "No se pudo escuchar en " << address.toString() << ':' << port << '\n';
            return 1;
        }
        port = provider.port();
    }
    QTextStream(stdout) << "Proveedor de ejemplo en http://127.0.0.1:" << port
                        << " y http://127.0.0.2:" << port << " (usuario " << provider.username()
                        << ", contraseña " << provider.password() << ")" << Qt::endl;
    // Make the streams while the user signs in, so the first play does not wait for ffmpeg.
    // The line "Videos de ejemplo listos" tells scripts that playback can start.
    std::thread([] {
        if (SampleMedia::ensureAll())
            QTextStream(stdout) << "Videos de ejemplo listos" << Qt::endl;
        else
            QTextStream(stderr) << "Sin videos de ejemplo: " << SampleMedia::lastError() << '\n';
    }).detach();
    return QCoreApplication::exec();
}
