// The demo provider that ./scripts/run starts: the two default provider addresses on port 8080.
//   norvane-sample-provider [--size default|large|extreme] [--port N]
//   norvane-sample-provider --write-catalog vod|series|live default|large|extreme <out.json>
#include "SampleCatalog.h"
#include "SampleMedia.h"
#include "SampleProvider.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QSaveFile>
#include <QTextStream>
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
    QTextStream(stderr) << "Uso: norvane-sample-provider [--size default|large|extreme] [--port N]\n"
                           "     norvane-sample-provider --write-catalog vod|series|live default|large|extreme "
                           "<archivo.json>\n";
    return 2;
}

// Writes the whole-catalog answer of one kind, as the demo provider would send it, for the benchmarks.
int writeCatalog(const QString &kindName, const QString &sizeName, const QString &outPath)
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
    const SampleCatalog catalog(*size);
    QSaveFile out(outPath);
    if (!out.open(QIODevice::WriteOnly)
        || out.write(catalog.wholeList(kind, QStringLiteral("http://127.0.0.1:8080"))) < 0 || !out.commit()) {
        QTextStream(stderr) << "No se pudo escribir " << outPath << '\n';
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    // The provider draws its images with QPainter but never opens a window: no display needed.
    qInstallMessageHandler(quietMessages);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    SampleCatalog::Size size = SampleCatalog::Size::Default;
    // Another port lets scripts (the fuzz seeds) ask a provider while the demo keeps 8080.
    quint16 port = 8080;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--write-catalog")) {
            if (i + 3 >= args.size())
                return usage();
            return writeCatalog(args[i + 1], args[i + 2], args[i + 3]);
        }
        if (args[i] == QLatin1String("--size") && i + 1 < args.size()) {
            const auto named = SampleCatalog::sizeFromName(args[++i]);
            if (!named)
                return usage();
            size = *named;
            continue;
        }
        if (args[i] == QLatin1String("--port") && i + 1 < args.size()) {
            bool ok = false;
            port = args[++i].toUShort(&ok);
            if (!ok || port == 0)
                return usage();
            continue;
        }
        return usage();
    }

    SampleProvider provider;
    provider.setCatalogSize(size);
    const QList<QHostAddress> addresses{QHostAddress(QStringLiteral("127.0.0.1")),
                                        QHostAddress(QStringLiteral("127.0.0.2"))};
    for (const QHostAddress &address : addresses) {
        if (!provider.listenOn(address, port)) {
            QTextStream(stderr) << "No se pudo escuchar en " << address.toString() << ':' << port << '\n';
            return 1;
        }
    }
    // Make the streams while the user signs in, so the first play does not wait for ffmpeg.
    std::thread([] {
        if (!SampleMedia::ensureAll())
            QTextStream(stderr) << "Sin videos de ejemplo: " << SampleMedia::lastError() << '\n';
    }).detach();
    QTextStream(stdout) << "Proveedor de ejemplo en http://127.0.0.1:" << port << " y http://127.0.0.2:" << port
                        << " (usuario " << provider.username() << ", contraseña " << provider.password()
                        << ")" << Qt::endl;
    return QCoreApplication::exec();
}
