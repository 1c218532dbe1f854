#pragma once

#include "SampleProvider.h"
#include "SectionTestHome.h"
#include "TestProvider.h"
#include "storage/ProgressStore.h"

#include <QAbstractItemModelTester>
#include <QByteArray>
#include <QList>
#include <QStringList>
#include <memory>

namespace norvane::test {

// A catalog answer with one record per value, numbered 1, 2, ... in that order: `record` is the
// record's JSON without its closing brace, "%1" standing for the number; `timeKey` gets the value
// (raw JSON) or is left out where the value is empty.
inline QByteArray numberedCatalog(const QByteArray &record, const QByteArray &timeKey,
                                  const QList<QByteArray> &values)
{
    QByteArray body = "[";
    for (qsizetype i = 0; i < values.size(); ++i) {
        body += (i ? "," : "") + QByteArray(record).replace("%1", QByteArray::number(i + 1));
        if (!values[i].isEmpty())
            body += ",\"" + timeKey + "\":" + values[i];
        body += '}';
    }
    return body + ']';
}

// What the tests of one catalog section share: a private home with a progress store, a fresh
// provider per test function, and the section's model (made anew on demand, its list watched by
// QAbstractItemModelTester). The test class derives from QObject first, then from this.
template <typename Model> class SectionModelFixture
{
protected:
    SectionModelFixture(QString catalogFile, QString streamsAction)
        : m_catalogFile(std::move(catalogFile)), m_streamsAction(std::move(streamsAction))
    {
    }

    // From initTestCase.
    void makeHome()
    {
        m_home = std::make_unique<SectionTestHome>();
        m_progress = std::make_unique<ProgressStore>(m_home->path() + QLatin1String("/progress.json"));
    }
    // From init: no disk copy of the catalog, a provider with its default answers.
    bool startProvider()
    {
        SectionTestHome::forgetCatalog(m_catalogFile);
        m_provider = std::make_unique<SampleProvider>();
        return m_provider->listenOn();
    }
    // From cleanup.
    void dropModel()
    {
        m_tester.reset();
        m_model.reset();
        m_provider.reset();
    }

    // A new model (the progress store first, then `stores`) signed in to the provider.
    template <typename... Stores> Model &makeModel(Stores *...stores)
    {
        m_tester.reset();
        m_model = std::make_unique<Model>(m_progress.get(), stores...);
        m_model->setClient(clientOf(*m_provider));
        m_tester = std::make_unique<QAbstractItemModelTester>(
            m_model->rows(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        return *m_model;
    }
    // Loads the categories and waits until the first selection has finished.
    void openSection() { QVERIFY(loadCategoriesAndWait(*m_model)); }

    int wholeRequests() const { return wholeCatalogRequests(*m_provider, m_streamsAction); }
    int categoryRequests(const QString &id) const
    {
        return test::categoryRequests(*m_provider, m_streamsAction, id);
    }

    const QString m_catalogFile;
    const QString m_streamsAction;
    std::unique_ptr<SectionTestHome> m_home;
    std::unique_ptr<ProgressStore> m_progress;
    std::unique_ptr<SampleProvider> m_provider;
    std::unique_ptr<Model> m_model;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
};

} // namespace norvane::test
