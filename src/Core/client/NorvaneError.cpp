#include "client/NorvaneError.h"

namespace NorvaneError {

namespace {

QString transportMessage(TransportError::Kind kind)
{
    using Kind = TransportError::Kind;
    switch (kind) {
    case Kind::timedOut:
        return QStringLiteral("La conexión tardó demasiado.\nInténtalo de nuevo.");
    case Kind::cannotFindHost:
    case Kind::cannotConnectToHost:
    case Kind::dnsLookupFailed:
    case Kind::notConnectedToInternet:
    case Kind::networkConnectionLost:
        return noConnection();
    case Kind::badURL:
    case Kind::cancelled:
    case Kind::other:
        break;
    }
    return QStringLiteral("Problema de conexión.\nRevisa tu internet e inténtalo de nuevo.");
}

} // namespace

QString message(const NorvaneFailure &failure)
{
    if (const auto *transport = std::get_if<TransportError>(&failure))
        return transportMessage(transport->kind);
    if (const auto *http = std::get_if<HTTPError>(&failure))
        return QStringLiteral("El servidor respondió con un error (%1).\nInténtalo más tarde.")
            .arg(http->statusCode);
    if (std::holds_alternative<DecodingError>(failure))
        return QStringLiteral("El servidor respondió algo inesperado.\nInténtalo de nuevo.");
    // The downloader's status error and local file errors get the generic text.
    return QStringLiteral("Ocurrió un error inesperado.\nInténtalo de nuevo.");
}

TransportError transportError(QNetworkReply::NetworkError error, bool abortedByTimeout, const QString &detail)
{
    using Kind = TransportError::Kind;
    if (abortedByTimeout)
        return {Kind::timedOut, detail};
    switch (error) {
    case QNetworkReply::TimeoutError:
        return {Kind::timedOut, detail};
    case QNetworkReply::HostNotFoundError:
        return {Kind::cannotFindHost, detail};
    case QNetworkReply::ConnectionRefusedError:
        return {Kind::cannotConnectToHost, detail};
    case QNetworkReply::RemoteHostClosedError:
        return {Kind::networkConnectionLost, detail};
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
        return {Kind::notConnectedToInternet, detail};
    case QNetworkReply::OperationCanceledError:
        return {Kind::cancelled, detail};
    case QNetworkReply::ProtocolUnknownError:
        return {Kind::badURL, detail};
    default:
        return {Kind::other, detail};
    }
}

QString noConnection()
{
    return QStringLiteral("Sin conexión con el servidor.\nRevisa tu internet e inténtalo de nuevo.");
}

QString subscriptionExpired()
{
    return QStringLiteral("Tu suscripción está vencida.\nContacta a tu proveedor.");
}

QString accountDisabled()
{
    return QStringLiteral("Esta cuenta está deshabilitada.\nContacta a tu proveedor.");
}

QString invalidCredentials()
{
    return QStringLiteral("Usuario o contraseña incorrectos.");
}

QString contentDidNotPlay()
{
    return QStringLiteral(
        "No se pudo reproducir este contenido.\nRevisa tu conexión a internet o inténtalo de nuevo.");
}

QString channelDidNotPlay()
{
    return QStringLiteral(
        "No se pudo reproducir este canal.\nRevisa tu conexión a internet o inténtalo de nuevo.");
}

} // namespace NorvaneError
