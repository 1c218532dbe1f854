#include "client/DeclaredLength.h"

#include <QNetworkReply>

namespace DeclaredLength {

bool fallsShort(const QNetworkReply &reply, qint64 received)
{
    const QVariant declared = reply.header(QNetworkRequest::ContentLengthHeader);
    return declared.isValid() && reply.rawHeader("Content-Encoding").isEmpty() &&
           received < declared.toLongLong();
}

} // namespace DeclaredLength
