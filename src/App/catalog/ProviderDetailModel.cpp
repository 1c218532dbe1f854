#include "catalog/ProviderDetailModel.h"

void ProviderDetailModel::abandonLoad()
{
    ++m_loadGeneration;
    setError(QString());
    setLoading(false);
}

void ProviderDetailModel::setError(const QString &error)
{
    if (error == m_error)
        return;
    m_error = error;
    Q_EMIT errorChanged();
}
