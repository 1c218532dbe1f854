#pragma once

#include <QtGlobal>

class QNetworkReply;

// The length an answer declared for its body, against what arrived.
namespace DeclaredLength {

// True when the answer declared a length that the body bytes received fall short of: the
// connection was dropped mid-body, which the network layer at times finishes without an error.
// Only for a body sent as is: a compressed one declares the length of what was compressed.
bool fallsShort(const QNetworkReply &reply, qint64 received);

} // namespace DeclaredLength
