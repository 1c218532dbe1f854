#pragma once

#include "Result.h"

#include <QByteArray>
#include <QCoroTask>
#include <QNetworkRequest>
#include <chrono>
#include <functional>

// Downloads one whole-catalog answer with a byte counter. The body goes to a temporary file in the
// catalog cache folder as it arrives (never a growing memory buffer) and is read in one piece at
// the end. Each download has its own network manager; an instance serves one download.
class ProgressDownloader
{
public:
    using HTTPStatusError = ::HTTPStatusError;
    using ProgressCallback = std::function<void(qint64 bytesSoFar)>;

    explicit ProgressDownloader(ProgressCallback onProgress);

    // The body, HTTPStatusError for a status outside 2xx (its body is not read), the transport
    // error (timedOut after `idleTimeout` without data), or FileError when the temporary file
    // fails. `onProgress` gets the running total of body bytes, on the calling thread.
    // The returned bytes have room for a JSON parser's padding past their end.
    QCoro::Task<Result<QByteArray>> download(QNetworkRequest request, std::chrono::milliseconds idleTimeout);

private:
    ProgressCallback m_onProgress;
    bool m_used = false;
};
