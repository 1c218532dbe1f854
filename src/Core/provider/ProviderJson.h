#pragma once

#include "provider/AuthResponse.h"
#include "provider/Category.h"
#include "provider/EPGResponse.h"
#include "provider/LiveStream.h"
#include "provider/Result.h"
#include "provider/SeriesInfoResponse.h"
#include "provider/SeriesStream.h"
#include "provider/VodInfoResponse.h"
#include "provider/VodStream.h"

#include <QByteArray>
#include <QList>

// Decoding of the provider's answers into records. A list fails as a whole when the answer is
// not a JSON array or one element is not an object; an object answer fails only when it is not
// an object. Fields never fail: they are read with the tolerant readers and take their defaults.
// The body is taken by value: its buffer may be grown for the parser's padding.
namespace ProviderJson {

// Room a body should have past its end so that decoding never copies it: the JSON parser's
// padding (64) and one byte for each of the up to 8 pieces a large list is cut into.
inline constexpr qsizetype bodyPadding = 64 + 8;

template <typename T> Result<T> decode(QByteArray body) = delete;

template <> Result<QList<Category>> decode(QByteArray body);
template <> Result<QList<LiveStream>> decode(QByteArray body);
template <> Result<QList<VodStream>> decode(QByteArray body);
template <> Result<VodInfoResponse> decode(QByteArray body);
template <> Result<AuthResponse> decode(QByteArray body);
template <> Result<QList<SeriesStream>> decode(QByteArray body);
template <> Result<SeriesInfoResponse> decode(QByteArray body);
template <> Result<EPGResponse> decode(QByteArray body);

} // namespace ProviderJson
