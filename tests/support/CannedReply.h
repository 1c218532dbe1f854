#pragma once

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>
#include <cstring>

// A 200 answer that declares `declared` body bytes, hands over `body` and then finishes without
// an error however short of the declared length that is: a network layer that misses a dropped
// connection.
class CannedReply : public QNetworkReply
{
public:
    CannedReply(const QNetworkRequest &request, QByteArray body, qint64 declared, const QByteArray &encoding,
                QObject *parent)
        : QNetworkReply(parent), m_body(std::move(body))
    {
        setRequest(request);
        setUrl(request.url());
        setOperation(QNetworkAccessManager::GetOperation);
        setAttribute(QNetworkRequest::HttpStatusCodeAttribute, 200);
        setHeader(QNetworkRequest::ContentLengthHeader, declared);
        if (!encoding.isEmpty())
            setRawHeader("Content-Encoding", encoding);
        open(QIODevice::ReadOnly);
        QTimer::singleShot(0, this, [this] {
            Q_EMIT metaDataChanged();
            Q_EMIT readyRead();
            setFinished(true);
            Q_EMIT finished();
        });
    }

    void abort() override {}
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override
    {
        return m_body.size() - m_offset + QNetworkReply::bytesAvailable();
    }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const qint64 count = qMin(maxSize, m_body.size() - m_offset);
        std::memcpy(data, m_body.constData() + m_offset, size_t(count));
        m_offset += count;
        return count;
    }

private:
    QByteArray m_body;
    qint64 m_offset = 0;
};
