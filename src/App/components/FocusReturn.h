#pragma once

#include <QObject>
#include <QPointer>
#include <QQuickItem>
#include <QtQml/qqmlregistration.h>

class QQuickWindow;

// Gives the keyboard back when a screen laid over another goes away (a detail over its grid, the
// player over its section). While not `active` it follows the focus inside `scope`; when `active`
// turns false again it hands the focus back to the last item it saw there; when that item is gone
// or hidden, to the nearest focus scope around it that is still shown (a view, which focuses its
// current item), else to the scope itself. Put in the layer that comes and goes (an item outside the scope),
// it never takes that layer's own items for the scope's. Without it the keyboard would be left
// nowhere, and Escape with it.
class FocusReturn : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QQuickItem *scope READ scope WRITE setScope NOTIFY scopeChanged FINAL)
    Q_PROPERTY(bool active READ isActive WRITE setActive NOTIFY activeChanged FINAL)

public:
    explicit FocusReturn(QObject *parent = nullptr);

    QQuickItem *scope() const { return m_scope; }
    void setScope(QQuickItem *scope);
    bool isActive() const { return m_active; }
    void setActive(bool active);

Q_SIGNALS:
    void scopeChanged();
    void activeChanged();

private:
    void watch(QQuickWindow *window);
    void remember();
    void giveBack();

    QPointer<QQuickItem> m_scope;
    QPointer<QQuickWindow> m_window;
    QPointer<QQuickItem> m_last;
    // The focus scopes around m_last inside the scope, innermost first.
    QList<QPointer<QQuickItem>> m_lastScopes;
    Qt::FocusReason m_lastReason = Qt::OtherFocusReason;
    QMetaObject::Connection m_windowConnection;
    QMetaObject::Connection m_focusConnection;
    bool m_active = false;
};
