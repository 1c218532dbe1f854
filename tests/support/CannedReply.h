#pragma once

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>
#include <cstring>

// A 200 answer that declares `declared` body bytes, hands over `body` and then finishes without
// an error however short of the declared length that is: a network layer that misses a dropped
// connection. With an `error`, no answer at all: the request fails with that transport error
// (as a lookup or a network that is down makes it fail).
class CannedReply : public QNetworkReply
{
public:
    CannedReply(const QNetworkRequest &request, QByteArray body, qint64 declared, const QByteArray &encoding,
                QObject *parent, NetworkError error = NoError)
        : QNetworkReply(parent), m_body(std::move(body))
    {
        setRequest(request);
        setUrl(request.url());
        setOperation(QNetworkAccessManager::GetOperation);
        if (error == NoError) {
            setAttribute(QNetworkRequest::HttpStatusCodeAttribute, 200);
            setHeader(QNetworkRequest::ContentLengthHeader, declared);
        }
        if (!encoding.isEmpty())
            setRawHeader("Content-Encoding", encoding);
        open(QIODevice::ReadOnly);
        QTimer::singleShot(0, this, [this, error] {
            if (error != NoError) {
                setError(error, QStringLiteral("canned failure"));
                Q_EMIT errorOccurred(error);
            } else {
                Q_EMIT metaDataChanged();
                Q_EMIT readyRead();
            }
            setFinished(true);
            Q_EMIT finished();
        });
    }

    // Makes the answer a redirect (302) to `target`; call before the event loop runs.
    void redirectTo(const QByteArray &target)
    {
        setAttribute(QNetworkRequest::HttpStatusCodeAttribute, 302);
        setRawHeader("Location", target);
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
