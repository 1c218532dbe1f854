// The demo provider that ./scripts/run starts: the two default provider addresses on port 8080.
#include "SampleProvider.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    SampleProvider provider;
    const quint16 port = 8080;
    const QList<QHostAddress> addresses{QHostAddress(QStringLiteral("127.0.0.1")),
                                        QHostAddress(QStringLiteral("127.0.0.2"))};
    for (const QHostAddress &address : addresses) {
        if (!provider.listenOn(address, port)) {
            QTextStream(stderr) << "No se pudo escuchar en " << address.toString() << ':' << port << '\n';
            return 1;
        }
    }
    QTextStream(stdout) << "Proveedor de ejemplo en http://127.0.0.1:8080 y http://127.0.0.2:8080"
                        << " (usuario " << provider.username() << ", contraseña " << provider.password()
                        << ")\n";
    return QCoreApplication::exec();
}
