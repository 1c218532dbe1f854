#pragma once

#include "provider/Result.h"

#include <QByteArray>
#include <QCoroTask>
#include <QUrl>
#include <chrono>

class QNetworkAccessManager;

// The one HTTP connection that every ordinary provider request shares (connections to the
// provider are reused), with its time limits. Main thread only.
class ApiConnection
{
public:
    // Created on first use, kept for the life of the program.
    static QNetworkAccessManager *shared();
    // Tests put a fake network layer in its place; nullptr (or the fake's deletion) restores it.
    static void setSharedForTesting(QNetworkAccessManager *manager);

    // The longest wait for any data (20 s) and for a whole answer (120 s); tests shorten them.
    static std::chrono::milliseconds idleTimeout();
    static void setIdleTimeout(std::chrono::milliseconds timeout);
    static std::chrono::milliseconds totalTimeout();
    static void setTotalTimeout(std::chrono::milliseconds timeout);
    // The longest wait for data on a whole-catalog download (60 s).
    static std::chrono::milliseconds catalogTimeout();
    static void setCatalogTimeout(std::chrono::milliseconds timeout);

    // GET through the shared connection: the body of a 2xx answer, HTTPError for any other
    // status, or the transport error (networkConnectionLost for a body shorter than declared).
    static QCoro::Task<Result<QByteArray>> get(QUrl url);
};
