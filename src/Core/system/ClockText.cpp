#include "system/ClockText.h"

QLocale ClockText::locale()
{
    return QLocale(QStringLiteral("es_CL"));
}

Snapshot ClockText::snapshotAt(const QDateTime &moment)
{
    const QLocale chile = locale();
    // "Ap" is the locale's own morning/afternoon marker as written in its data ("a. m."), where
    // Qt's "a" would change its case.
    const QString time = chile.toString(moment, QStringLiteral("h:mm Ap"));
    QString date = chile.toString(moment, QStringLiteral("dddd, d 'de' MMMM"));
    if (!date.isEmpty())
        date.replace(0, 1, chile.toUpper(date.left(1)));
    return Snapshot(time, date);
}

Snapshot ClockText::snapshot() const
{
    return snapshotAt(QDateTime::currentDateTime());
}
