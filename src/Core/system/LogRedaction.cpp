#include "system/LogRedaction.h"

#include <QRegularExpression>

QString LogRedaction::withoutCredentials(const QString &line)
{
    static const QRegularExpression pathForm(QStringLiteral("(/(?:live|movie|series)/)[^/\\s]+/[^/\\s]+/"),
                                             QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression queryItem(QStringLiteral("([?&;](?:username|password)=)[^&;#\\s]*"),
                                              QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression userInfo(QStringLiteral("(://)[^/@\\s]+@"));
    QString redacted = line;
    redacted.replace(pathForm, QStringLiteral("\\1***/***/"));
    redacted.replace(queryItem, QStringLiteral("\\1***"));
    redacted.replace(userInfo, QStringLiteral("\\1***@"));
    return redacted;
}
