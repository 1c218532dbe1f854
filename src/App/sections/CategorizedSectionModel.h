#pragma once

#include "Category.h"
#include "ParentalLock.h"
#include "SectionRow.h"
#include "XtreamClient.h"

#include <QCoroTask>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

// A section browsed by the provider's categories: the client, the categories with their loading
// state and error, and the adult categories unlocked with the PIN during this visit.
class CategorizedSectionModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("A section model is one of the sections' own.")
    Q_PROPERTY(XtreamClient client READ client WRITE setClient NOTIFY clientChanged FINAL)
    Q_PROPERTY(QList<Category> categories READ categories NOTIFY categoriesChanged FINAL)
    Q_PROPERTY(bool isLoadingCategories READ isLoadingCategories NOTIFY isLoadingCategoriesChanged FINAL)
    // Null when the last category load did not fail.
    Q_PROPERTY(QString categoriesError READ categoriesError NOTIFY categoriesErrorChanged FINAL)
    Q_PROPERTY(QStringList unlockedCategories READ unlockedCategories NOTIFY unlockedCategoriesChanged FINAL)
    // What the category column lists: the section's own rows, then the categories with their locks.
    Q_PROPERTY(QList<SectionRow> categoryRows READ categoryRows NOTIFY categoryRowsChanged FINAL)

public:
    XtreamClient client() const { return m_client; }
    void setClient(const XtreamClient &client);
    QList<Category> categories() const { return m_categories; }
    bool isLoadingCategories() const { return m_isLoadingCategories; }
    QString categoriesError() const { return m_categoriesError; }
    // Sorted, so that equal sets read the same.
    QStringList unlockedCategories() const;

    Q_INVOKABLE void loadCategories();
    Q_INVOKABLE void unlock(const QString &categoryId);
    // Adult by its name and not unlocked during this visit.
    Q_INVOKABLE bool isLocked(const Category &category) const;
    QList<SectionRow> categoryRows() const;
    // Shows the category's list (or one of the section's own rows).
    Q_INVOKABLE virtual void selectCategory(const QString &categoryId) = 0;

Q_SIGNALS:
    void clientChanged();
    void categoriesChanged();
    void isLoadingCategoriesChanged();
    void categoriesErrorChanged();
    void unlockedCategoriesChanged();
    void categoryRowsChanged();

protected:
    explicit CategorizedSectionModel(QObject *parent);

    // The section's own rows above the categories; a section whose rows change emits
    // categoryRowsChanged.
    virtual QList<SectionRow> specialRows() const = 0;

    // The provider's action for the categories of this section.
    virtual QString categoriesAction() const = 0;
    // Runs after each successful category load, before the load counts as over.
    virtual QCoro::Task<> categoriesLoaded();

    // Optional texts compare with their absence too: a null text is not the same as an empty one.
    static bool sameOptionalText(const QString &a, const QString &b)
    {
        return a.isNull() == b.isNull() && a == b;
    }

    void setCategories(const QList<Category> &categories);

private:
    QCoro::Task<> runLoadCategories();
    void setIsLoadingCategories(bool loading);
    void setCategoriesError(const QString &text);

    XtreamClient m_client;
    QList<Category> m_categories;
    bool m_isLoadingCategories = false;
    QString m_categoriesError;
    ParentalLock m_lock;
};
