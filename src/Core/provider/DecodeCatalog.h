#pragma once

#include "provider/ProviderJson.h"

#include <QByteArray>
#include <QCoroFuture>
#include <QCoroTask>
#include <QtConcurrent/QtConcurrentRun>
#include <optional>

// Decodes a whole-catalog body on a worker thread, so the screen stays responsive while 40 MB
// of JSON become records; the awaiting coroutine resumes on its own thread. The failure says why
// the body did not decode.
template <typename T> QCoro::Task<Result<T>> decodeOffThread(QByteArray body)
{
    // The body is moved along, never copied, so the decoder owns it alone and may cut it into
    // pieces decoded in parallel (an argument of QtConcurrent::run would reach it as a copy).
    // Named, not a temporary inside the co_await: GCC 12 destroys such temporaries twice.
    QFuture<Result<T>> decoding = QtConcurrent::run([bytes = std::move(body)]() mutable -> Result<T> {
        return ProviderJson::decode<T>(std::move(bytes));
    });
    co_return co_await decoding;
}

// The same, absent on any decoding failure.
template <typename T> QCoro::Task<std::optional<T>> decodeCatalog(QByteArray body)
{
    Result<T> decoded = co_await decodeOffThread<T>(std::move(body));
    co_return std::move(decoded).toOptional();
}
