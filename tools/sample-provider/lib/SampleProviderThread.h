#pragma once

#include "SampleProvider.h"

#include <QHostAddress>
#include <QMetaObject>
#include <QString>
#include <QThread>
#include <optional>
#include <type_traits>
#include <utility>

// A SampleProvider that answers from a thread of its own, so its answers never depend on the
// program's main thread (busy, or blocked in what a test checks). Everything done with the provider
// goes through call(), which runs it on the provider's thread.
class SampleProviderThread
{
public:
    SampleProviderThread();
    // Adopts a provider that already listens and is scripted (scripting is not thread-safe, so it
    // is done before); it is deleted on its thread when this ends.
    explicit SampleProviderThread(SampleProvider *provider);
    ~SampleProviderThread();
    SampleProviderThread(const SampleProviderThread &) = delete;
    SampleProviderThread &operator=(const SampleProviderThread &) = delete;

    // Runs `work(provider)` on the provider's thread, waits for it and returns its result.
    template <typename Work> auto call(Work &&work) -> std::invoke_result_t<Work, SampleProvider &>
    {
        using Result = std::invoke_result_t<Work, SampleProvider &>;
        if constexpr (std::is_void_v<Result>) {
            QMetaObject::invokeMethod(
                m_provider, [&] { work(*m_provider); }, Qt::BlockingQueuedConnection);
        } else {
            std::optional<Result> result;
            QMetaObject::invokeMethod(
                m_provider, [&] { result.emplace(work(*m_provider)); }, Qt::BlockingQueuedConnection);
            return std::move(*result);
        }
    }

    bool listenOn(const QHostAddress &address = QHostAddress::LocalHost, quint16 port = 0);
    // Fixed once listening; read without a call.
    QString baseUrl() const { return m_baseUrl; }
    QString username()
    {
        return call([](SampleProvider &provider) { return provider.username(); });
    }
    QString password()
    {
        return call([](SampleProvider &provider) { return provider.password(); });
    }

private:
    QThread m_thread;
    SampleProvider *m_provider;
    QString m_baseUrl;
};
