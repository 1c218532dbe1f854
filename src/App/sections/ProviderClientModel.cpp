#include "sections/ProviderClientModel.h"

void ProviderClientModel::setClient(const XtreamClient &client)
{
    if (client == m_client)
        return;
    m_client = client;
    Q_EMIT clientChanged();
}

void ProviderClientModel::setLoading(bool loading)
{
    if (loading == m_isLoading)
        return;
    m_isLoading = loading;
    Q_EMIT isLoadingChanged();
}
