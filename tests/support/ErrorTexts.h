#pragma once

#include <QString>

// The sentences users see for failures, as tests expect them word for word.
namespace norvane::test::texts {

inline const QString decoding = QStringLiteral("El servidor respondió algo inesperado.\nInténtalo de nuevo.");
inline const QString timeout = QStringLiteral("La conexión tardó demasiado.\nInténtalo de nuevo.");
inline const QString offline =
    QStringLiteral("Sin conexión con el servidor.\nRevisa tu internet e inténtalo de nuevo.");
inline const QString connection =
    QStringLiteral("Problema de conexión.\nRevisa tu internet e inténtalo de nuevo.");
inline const QString unexpected = QStringLiteral("Ocurrió un error inesperado.\nInténtalo de nuevo.");

inline QString http(int status)
{
    return QStringLiteral("El servidor respondió con un error (%1).\nInténtalo más tarde.").arg(status);
}

} // namespace norvane::test::texts
