#include "SampleProviderThread.h"

SampleProviderThread::SampleProviderThread() : SampleProviderThread(new SampleProvider) {}

SampleProviderThread::SampleProviderThread(SampleProvider *provider) : m_provider(provider)
{
    m_baseUrl = m_provider->baseUrl(); // set again by listenOn() for a provider not yet listening
    m_thread.setObjectName(QStringLiteral("SampleProvider"));
    m_provider->moveToThread(&m_thread);
    m_thread.start();
}

SampleProviderThread::~SampleProviderThread()
{
    // Its sockets and timers belong to the provider's thread: they go there.
    QMetaObject::invokeMethod(
        m_provider, [provider = m_provider] { delete provider; }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

bool SampleProviderThread::listenOn(const QHostAddress &address, quint16 port)
{
    const bool listening = call([&](SampleProvider &provider) { return provider.listenOn(address, port); });
    if (listening)
        m_baseUrl = call([](SampleProvider &provider) { return provider.baseUrl(); });
    return listening;
}
