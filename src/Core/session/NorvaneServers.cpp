#include "session/NorvaneServers.h"

#include "NorvaneBuildConfig.h"

QStringList NorvaneServers::parse(const QString &configured)
{
    QStringList list;
    for (const QString &piece : configured.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        QString base = piece.trimmed();
        while (base.endsWith(QLatin1Char('/')))
            base.chop(1);
        if (!base.isEmpty())
            list.append(base);
    }
    return list;
}

const QStringList &NorvaneServers::all()
{
    // The environment may point an installed build at other servers (the end-to-end test runs
    // its provider on free ports); without it, or when it names none, the built-in list holds.
    static const QStringList bases = [] {
        const QStringList fromEnvironment = parse(qEnvironmentVariable(environmentVariable));
        return fromEnvironment.isEmpty() ? parse(QStringLiteral(NORVANE_PROVIDER_BASES_LIST))
                                         : fromEnvironment;
    }();
    return bases;
}

QStringList NorvaneServers::candidates(const std::optional<QString> &preferring)
{
    return candidates(preferring, all());
}

QStringList NorvaneServers::candidates(const std::optional<QString> &preferring, const QStringList &defaults)
{
    if (!preferring || !defaults.contains(*preferring))
        return defaults;
    QStringList ordered{*preferring};
    for (const QString &base : defaults) {
        if (base != *preferring)
            ordered.append(base);
    }
    return ordered;
}
