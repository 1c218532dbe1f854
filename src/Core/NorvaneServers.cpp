#include "NorvaneServers.h"

#include "NorvaneBuildConfig.h"

const QStringList &NorvaneServers::all()
{
    static const QStringList bases = [] {
        QStringList list;
        const QString configured = QStringLiteral(NORVANE_PROVIDER_BASES_LIST);
        for (const QString &piece : configured.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            QString base = piece.trimmed();
            while (base.endsWith(QLatin1Char('/')))
                base.chop(1);
            if (!base.isEmpty())
                list.append(base);
        }
        return list;
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
