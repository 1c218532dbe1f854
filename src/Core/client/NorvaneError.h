#pragma once

#include "NorvaneFailure.h"

#include <QNetworkReply>
#include <QString>

// The one place where failures become user texts, and where network errors become failure kinds.
namespace NorvaneError {

// The Spanish sentence shown for a failure.
QString message(const NorvaneFailure &failure);

// A finished reply's error as a transport failure. `abortedByTimeout` marks a reply that our own
// idle or total limit aborted, which the network layer reports as a plain cancellation.
TransportError transportError(QNetworkReply::NetworkError error, bool abortedByTimeout, const QString &detail = {});

} // namespace NorvaneError
