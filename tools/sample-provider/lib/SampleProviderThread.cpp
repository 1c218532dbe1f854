#include "SampleProviderThread.h"

#include "SampleProvider.h"

SampleProviderThread::SampleProviderThread(SampleProvider *provider)
{
    provider->moveToThread(&m_thread);
    QObject::connect(&m_thread, &QThread::finished, provider, &QObject::deleteLater);
    m_thread.start();
}

SampleProviderThread::~SampleProviderThread()
{
    m_thread.quit();
    m_thread.wait();
}
