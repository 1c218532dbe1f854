#pragma once

#include "client/XtreamClient.h"

#include <QObject>
#include <QtQml/qqmlregistration.h>

// A screen model that asks the provider for what it shows: the client it asks through and whether
// an answer is awaited.
class ProviderClientModel : public QObject
{
    Q_OBJECT
    QML_ANONYMOUS
    Q_PROPERTY(XtreamClient client READ client WRITE setClient NOTIFY clientChanged FINAL)
    Q_PROPERTY(bool isLoading READ isLoading NOTIFY isLoadingChanged FINAL)

public:
    XtreamClient client() const { return m_client; }
    void setClient(const XtreamClient &client);
    bool isLoading() const { return m_isLoading; }

Q_SIGNALS:
    void clientChanged();
    void isLoadingChanged();

protected:
    explicit ProviderClientModel(QObject *parent) : QObject(parent) {}

    void setLoading(bool loading);

private:
    XtreamClient m_client;
    bool m_isLoading = false;
};
