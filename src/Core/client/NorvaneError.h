#pragma once

#include "provider/NorvaneFailure.h"

#include <QNetworkReply>
#include <QString>

// The one place where failures become user texts, and where network errors become failure kinds.
namespace NorvaneError {

// The Spanish sentence shown for a failure.
QString message(const NorvaneFailure &failure);

// The sentences of the failures that are not a request's: sign-in answers and playback.
QString noConnection();
QString subscriptionExpired();
QString accountDisabled();
QString invalidCredentials();
// A movie, an episode or a channel in the preview that did not play.
QString contentDidNotPlay();
// A channel in the live full-screen view that did not play.
QString channelDidNotPlay();

// A finished reply's error as a transport failure. `abortedByTimeout` marks a reply that our own
// idle or total limit aborted, which the network layer reports as a plain cancellation.
TransportError transportError(QNetworkReply::NetworkError error, bool abortedByTimeout,
                              const QString &detail = {});

} // namespace NorvaneError
