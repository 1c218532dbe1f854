#pragma once

#include "client/NorvaneError.h"
#include "sections/ProviderClientModel.h"

#include <QCoroTask>
#include <QPointer>
#include <QString>
#include <QtQml/qqmlregistration.h>

// A screen model showing one item's details as the provider answers them: the load's spinner and
// its Spanish error text, and the rule that only the latest load's answer is applied.
class ProviderDetailModel : public ProviderClientModel
{
    Q_OBJECT
    QML_ANONYMOUS
    Q_PROPERTY(QString error READ error NOTIFY errorChanged FINAL)

public:
    QString error() const { return m_error; }

Q_SIGNALS:
    void errorChanged();

protected:
    explicit ProviderDetailModel(QObject *parent) : ProviderClientModel(parent) {}

    // Runs `request()` (a task giving a Result) as the latest load: hands the value to `apply`,
    // or shows the failure's text, unless the model is gone or a newer load (or abandonLoad())
    // came in between.
    template <typename Request, typename Apply> QCoro::Task<> fetch(Request request, Apply apply)
    {
        const quint64 generation = ++m_loadGeneration;
        setLoading(true);
        setError(QString());
        QPointer<ProviderDetailModel> self(this);
        auto answer = co_await request();
        if (!self || generation != m_loadGeneration)
            co_return;
        if (answer)
            apply(std::move(answer).value());
        else
            setError(NorvaneError::message(answer.failure()));
        setLoading(false);
    }

    // Drops the answer of any load under way and clears its spinner and error.
    void abandonLoad();

private:
    void setError(const QString &error);

    QString m_error;
    // Bumped by every load so that an older answer arriving late is dropped.
    quint64 m_loadGeneration = 0;
};
