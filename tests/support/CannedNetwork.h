#pragma once

#include "CannedReply.h"

#include <QNetworkAccessManager>

// A network layer that answers every request with the same CannedReply, or fails every one with
// the same transport error.
class CannedNetwork : public QNetworkAccessManager
{
public:
    CannedNetwork(QByteArray body, qint64 declared, QByteArray encoding)
        : m_body(std::move(body)), m_declared(declared), m_encoding(std::move(encoding))
    {
    }
    explicit CannedNetwork(QNetworkReply::NetworkError error) : m_error(error) {}

protected:
    QNetworkReply *createRequest(Operation, const QNetworkRequest &request, QIODevice *) override
    {
        return new CannedReply(request, m_body, m_declared, m_encoding, this, m_error);
    }

private:
    QByteArray m_body;
    qint64 m_declared = 0;
    QByteArray m_encoding;
    QNetworkReply::NetworkError m_error = QNetworkReply::NoError;
};
