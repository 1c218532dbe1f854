#pragma once

#include "ProviderJson.h"

#include <QByteArray>
#include <QCoroFuture>
#include <QCoroTask>
#include <QtConcurrent/QtConcurrentRun>
#include <optional>

// Decodes a whole-catalog body on a worker thread, so the screen stays responsive while 40 MB
// of JSON become records; the awaiting coroutine resumes on its own thread. Absent on any
// decoding failure.
template <typename T>
QCoro::Task<std::optional<T>> decodeCatalog(QByteArray body)
{
    co_return co_await QtConcurrent::run([](QByteArray bytes) -> std::optional<T> {
        return ProviderJson::decode<T>(std::move(bytes)).toOptional();
    }, std::move(body));
}
