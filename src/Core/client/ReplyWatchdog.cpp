#include "client/ReplyWatchdog.h"

#include <QNetworkReply>

ReplyWatchdog::ReplyWatchdog(QNetworkReply *reply, std::chrono::milliseconds idle,
                             std::chrono::milliseconds total)
    : m_reply(reply)
{
    m_idle.setSingleShot(true);
    m_idle.setInterval(idle);
    connect(&m_idle, &QTimer::timeout, this, &ReplyWatchdog::expire);
    const auto activity = [this] {
        if (!m_fired)
            m_idle.start();
    };
    connect(reply, &QNetworkReply::metaDataChanged, this, activity);
    connect(reply, &QNetworkReply::readyRead, this, activity);
    connect(reply, &QNetworkReply::downloadProgress, this, activity);
    connect(reply, &QNetworkReply::uploadProgress, this, activity);
    connect(reply, &QNetworkReply::finished, this, [this] {
        m_idle.stop();
        m_total.stop();
    });
    m_idle.start();
    if (total.count() > 0) {
        m_total.setSingleShot(true);
        m_total.setInterval(total);
        connect(&m_total, &QTimer::timeout, this, &ReplyWatchdog::expire);
        m_total.start();
    }
}

void ReplyWatchdog::expire()
{
    if (m_fired || !m_reply || m_reply->isFinished())
        return;
    m_fired = true;
    m_idle.stop();
    m_total.stop();
    // Queued: aborting finishes the reply at once, and whoever awaits it may then delete us.
    QMetaObject::invokeMethod(m_reply.data(), &QNetworkReply::abort, Qt::QueuedConnection);
}
