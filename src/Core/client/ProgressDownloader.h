#pragma once

#include "provider/Result.h"

#include <QByteArray>
#include <QCoroTask>
#include <QNetworkRequest>
#include <chrono>
#include <functional>

class QNetworkAccessManager;

// Downloads one whole-catalog answer with a byte counter. The body goes to a temporary file in the
// catalog cache folder (the system's temporary folder when that cannot be used) as it arrives
// (never a growing memory buffer) and is read in one piece at the end. Each download has its own network
// manager; an instance serves one download.
class ProgressDownloader
{
public:
    using HTTPStatusError = ::HTTPStatusError;
    using ProgressCallback = std::function<void(qint64 bytesSoFar)>;

    // `network`: a fake network layer of a test in place of the download's own manager.
    explicit ProgressDownloader(ProgressCallback onProgress, QNetworkAccessManager *network = nullptr);

    // The body, HTTPStatusError for a status outside 2xx (its body is not read), the transport
    // error (timedOut after `idleTimeout` without data), or FileError when the temporary file
    // fails. `onProgress` gets the running total of body bytes, on the calling thread.
    // The returned bytes have room for a JSON parser's padding past their end.
    QCoro::Task<Result<QByteArray>> download(QNetworkRequest request, std::chrono::milliseconds idleTimeout);

private:
    ProgressCallback m_onProgress;
    QNetworkAccessManager *m_network;
    bool m_used = false;
};
