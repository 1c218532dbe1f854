#pragma once

#include "SampleProvider.h"

#include <QSignalSpy>
#include <QString>
#include <QTemporaryDir>

namespace norvane::test {

// A private home for the tests of the catalog sections: the catalog copies, the size preferences
// and the stores of this test program live in it, so test programs running side by side never
// see each other's files.
class SectionTestHome
{
public:
    // Points HOME and the user settings at a fresh temporary folder; call before any store or
    // settings object is made.
    SectionTestHome();

    QString path() const { return m_dir.path(); }
    // Removes the catalog copy and its size preference.
    static void forgetCatalog(const QString &fileName);
    static void storeCatalog(const QString &fileName, const QByteArray &body);
    static void storeExpectedSize(const QString &fileName, qint64 bytes);
    static qint64 expectedSize(const QString &fileName);
    // Moves the copy's modification date `seconds` into the past.
    static void ageCatalog(const QString &fileName, qint64 seconds);
    static QString catalogPath(const QString &fileName);

private:
    QTemporaryDir m_dir;
};

// Loads the section's categories and returns as soon as the load (with its first selection) has
// finished, before any later answer is handled. False when it did not start or did not finish.
template <typename Model> bool loadCategoriesAndWait(Model &model)
{
    model.loadCategories();
    if (!model.isLoadingCategories())
        return false;
    QSignalSpy settled(&model, &Model::isLoadingCategoriesChanged);
    return settled.wait(10000) && !model.isLoadingCategories();
}

// The whole-catalog requests of an action (those without "category_id").
int wholeCatalogRequests(const SampleProvider &provider, const QString &action);
// The requests of an action for one category.
int categoryRequests(const SampleProvider &provider, const QString &action, const QString &categoryId);

} // namespace norvane::test
