#pragma once

#include "ItemInput.h"
#include "QmlHarness.h"
#include "SampleProvider.h"
#include "SectionTestHome.h"
#include "TestProvider.h"

#include <memory>

namespace norvane::test {

// A screen against the in-process provider: a private home for the stores and catalog copies,
// the provider on loopback, the shared engine without a sound device, and the screen built in
// a window of its own until close() or the next open().
class ScreenTestBed
{
public:
    // For initTestCase; `withMedia` makes the ffmpeg samples the screen plays. False on failure.
    bool start(bool withMedia)
    {
        m_home = std::make_unique<SectionTestHome>();
        if (withMedia)
            return startPlaybackProvider(m_provider);
        qputenv("NORVANE_VLC_OPTS", "--aout=adummy"); // the screen may still start the engine
        return m_provider.listenOn();
    }

    SampleProvider &provider() { return m_provider; }
    XtreamClient client() { return clientOf(m_provider); }

    // The screen from `qml`, given the client and `properties`, laid out; nullptr on failure.
    QObject *open(const QByteArray &qml, QVariantMap properties = {})
    {
        properties.insert(QStringLiteral("client"), QVariant::fromValue(client()));
        m_harness.reset(); // the old screen goes before the new one is made
        m_harness = std::make_unique<QmlHarness>();
        return createShown(*m_harness, qml, properties);
    }
    // Drops the screen with everything it made.
    void close() { m_harness.reset(); }
    QObject *root() const { return m_harness ? m_harness->root() : nullptr; }
    QmlHarness &harness() { return *m_harness; }

    QQuickItem *item(const QString &objectName) const { return findByName<QQuickItem>(root(), objectName); }
    bool shows(const QString &objectName) const { return isShown(root(), objectName); }
    QQuickItem *visibleItem(const QString &objectName, int timeoutMs = 5000) const
    {
        return norvane::test::visibleItem(root(), objectName, timeoutMs);
    }

private:
    std::unique_ptr<SectionTestHome> m_home;
    SampleProvider m_provider;
    std::unique_ptr<QmlHarness> m_harness;
};

} // namespace norvane::test
