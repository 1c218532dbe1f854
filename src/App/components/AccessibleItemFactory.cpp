#include "components/AccessibleItemFactory.h"

#include "system/Logging.h"

#include <QtQuick/private/qaccessiblequickitem_p.h>
#include <QtQuick/private/qquickitem_p.h>
#include <utility>

namespace {

class AccessibleItem : public QAccessibleQuickItem
{
public:
    explicit AccessibleItem(QQuickItem *item) : QAccessibleQuickItem(item)
    {
        m_enabledChanges = QObject::connect(item, &QQuickItem::enabledChanged, item, [item] {
            QAccessible::State changed;
            changed.disabled = true;
            QAccessibleStateChangeEvent event(item, changed);
            QAccessible::updateAccessibility(&event);
        });
    }
    ~AccessibleItem() override { QObject::disconnect(m_enabledChanges); }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleQuickItem::state();
        state.disabled = !item()->isEnabled();
        return state;
    }

    QString text(QAccessible::Text type) const override
    {
        QString text = QAccessibleQuickItem::text(type);
        // The placeholder ("Contraseña") names a password field, as a label beside it would.
        if (type == QAccessible::Name && text.isEmpty() && role() == QAccessible::EditableText &&
            state().passwordEdit)
            text = item()->property("placeholderText").toString();
        return text;
    }

    // A screen reader setting a slider's value moves it as a drag or a key does: the control
    // hears moved() and acts on the value (Qt only writes the property, which the control's own
    // binding then puts back).
    void setCurrentValue(const QVariant &value) override
    {
        const QVariant before = currentValue();
        QAccessibleQuickItem::setCurrentValue(value);
        const int moved = item()->metaObject()->indexOfSignal("moved()");
        if (moved >= 0 && currentValue() != before)
            item()->metaObject()->method(moved).invoke(item());
    }

private:
    QMetaObject::Connection m_enabledChanges;
};

// Qt Quick answers only when the walk up the class chain reaches "QQuickItem"; this factory answers
// at the first class, so it wins over Qt's whichever was installed last. Pages keep the interface
// Qt Quick Controls gives them.
QAccessibleInterface *accessibleItemFactory(const QString &, QObject *object)
{
    auto *item = qobject_cast<QQuickItem *>(object);
    if (!item || !QQuickItemPrivate::get(item)->isAccessible || object->inherits("QQuickPage"))
        return nullptr;
    return new AccessibleItem(item);
}

} // namespace

bool AccessibleItemFactory::install(const char *runtimeQt)
{
    if (qstrcmp(runtimeQt, QT_VERSION_STR) != 0) {
        qCInfo(lcAccessibility) << "Qt" << runtimeQt << "is not the Qt" << QT_VERSION_STR
                                << "this was built with: Qt's own accessibility stays";
        return false;
    }
    static bool installed = false;
    if (!std::exchange(installed, true))
        QAccessible::installFactory(accessibleItemFactory);
    return true;
}
