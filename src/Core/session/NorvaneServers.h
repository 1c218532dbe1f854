#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <optional>

// The provider's default servers, fixed at build time (NORVANE_PROVIDER_BASES); the environment
// variable of the same name replaces them for one run.
class NorvaneServers
{
public:
    static constexpr const char *environmentVariable = "NORVANE_PROVIDER_BASES";

    // Base URLs from a ";"-separated text: trimmed, without trailing slashes, empty pieces dropped.
    static QStringList parse(const QString &configured);

    // Base URLs (scheme, host, port; no trailing slash), primary first.
    static const QStringList &all();
    static QString primary() { return all().value(0); }

    // The order in which sign-in tries the servers: the preferred one first when it is a default.
    static QStringList candidates(const std::optional<QString> &preferring);
    // The same order over another list of bases (the application model's list can be replaced).
    static QStringList candidates(const std::optional<QString> &preferring, const QStringList &bases);
};
