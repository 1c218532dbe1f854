#pragma once

#include "provider/Category.h"

#include <QObject>
#include <QPointer>
#include <QVariant>
#include <QtQml/qqmlregistration.h>
#include <optional>

class CategorizedSectionModel;

// The parental PIN in front of a section's adult categories, the same for every section: a click
// on a locked category opens the prompt for it; the right PIN unlocks the category for the visit
// and selects it.
class PinGate : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(CategorizedSectionModel *section READ section WRITE setSection NOTIFY sectionChanged FINAL)
    // The locked category whose prompt shows; undefined while none does.
    Q_PROPERTY(QVariant category READ categoryForQml NOTIFY categoryChanged FINAL)
    Q_PROPERTY(bool isOpen READ isOpen NOTIFY categoryChanged FINAL)

public:
    explicit PinGate(QObject *parent = nullptr);

    CategorizedSectionModel *section() const { return m_section; }
    void setSection(CategorizedSectionModel *section);
    const std::optional<Category> &category() const { return m_category; }
    bool isOpen() const { return m_category.has_value(); }

    // A click on a category row: the prompt for a locked category, else its selection.
    Q_INVOKABLE void categoryClicked(const QString &categoryId);
    // True when the PIN is right: the category is unlocked, the prompt closes and the category is
    // selected. A wrong PIN keeps the prompt open.
    Q_INVOKABLE bool submitPin(const QString &pin);
    Q_INVOKABLE void cancelPin();

Q_SIGNALS:
    void sectionChanged();
    void categoryChanged();

private:
    void setCategory(const std::optional<Category> &category);
    QVariant categoryForQml() const;

    QPointer<CategorizedSectionModel> m_section;
    std::optional<Category> m_category;
};
