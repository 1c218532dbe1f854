#include "components/FocusReturn.h"

#include <QQuickWindow>

FocusReturn::FocusReturn(QObject *parent) : QObject(parent) {}

void FocusReturn::setScope(QQuickItem *scope)
{
    if (m_scope == scope)
        return;
    disconnect(m_windowConnection);
    m_scope = scope;
    m_last = nullptr;
    if (m_scope)
        m_windowConnection = connect(m_scope, &QQuickItem::windowChanged, this, &FocusReturn::watch);
    watch(m_scope ? m_scope->window() : nullptr);
    Q_EMIT scopeChanged();
}

void FocusReturn::setActive(bool active)
{
    if (m_active == active)
        return;
    m_active = active;
    if (!m_active)
        giveBack();
    Q_EMIT activeChanged();
}

void FocusReturn::watch(QQuickWindow *window)
{
    if (m_window == window)
        return;
    disconnect(m_focusConnection);
    m_window = window;
    if (m_window)
        m_focusConnection =
            connect(m_window, &QQuickWindow::activeFocusItemChanged, this, &FocusReturn::remember);
    remember();
}

void FocusReturn::remember()
{
    if (m_active || !m_window || !m_scope)
        return;
    QQuickItem *item = m_window->activeFocusItem();
    // Focus leaving the scope (or dropped while the scope hides) keeps the last item inside it.
    if (!item || (item != m_scope && !m_scope->isAncestorOf(item)))
        return;
    // Nor what the layer it sits in shows (the layer may take the focus before it is `active`).
    auto *layer = qobject_cast<QQuickItem *>(parent());
    if (layer && !layer->isAncestorOf(m_scope) && (item == layer || layer->isAncestorOf(item)))
        return;
    m_last = item;
    m_lastScopes.clear();
    for (QQuickItem *around = item->parentItem(); around && around != m_scope;
         around = around->parentItem()) {
        if (around->flags() & QQuickItem::ItemIsFocusScope)
            m_lastScopes << around;
    }
    // Controls know how they got the focus: a ring drawn for the keyboard comes back with it.
    const QVariant reason = item->property("focusReason");
    m_lastReason = reason.isValid() ? Qt::FocusReason(reason.toInt()) : Qt::OtherFocusReason;
}

void FocusReturn::giveBack()
{
    // Once the bindings that close the upper screen and show the lower one have all run.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_active || !m_scope)
                return;
            if (m_last && m_last->isVisible()) {
                m_last->forceActiveFocus(m_lastReason);
                return;
            }
            for (const QPointer<QQuickItem> &around : std::as_const(m_lastScopes)) {
                if (around && around->isVisible()) {
                    around->forceActiveFocus(m_lastReason);
                    return;
                }
            }
            m_scope->forceActiveFocus();
        },
        Qt::QueuedConnection);
}
