#pragma once

#include <QThread>

class SampleProvider;

// A provider answering from a thread of its own. libVLC's stop waits for the segment it is
// reading, which a provider on the waiting (main) thread could never finish sending: whoever plays
// streams and stops them takes the provider off the main thread with this.
class SampleProviderThread
{
public:
    // Takes a provider that already listens and is scripted (scripting is not thread-safe); it is
    // deleted on its thread when this ends.
    explicit SampleProviderThread(SampleProvider *provider);
    ~SampleProviderThread();

private:
    QThread m_thread;
};
